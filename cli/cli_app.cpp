#include "cli/cli_app.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <cctype>

#include "batch/file_search.h"
#include "batch/settings_store.h"
#include "cli/engine_names.h"
#include "cli/file_gathering.h"
#include "cli/job_runner.h"
#include "cli/progress_display.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/engine.h"
#include "engine/parallel_deflate.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/processors.h"

namespace velt::cli {

namespace {

constexpr const char* kVersion = "velt-cli 1.0.0";

// A usage error found after parsing (exit status 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string cipher, hash, level, extension, passwordFile, passwordEnv;
  bool compress = false, noCompress = false, noExtension = false;
  bool deleteOriginal = false, keepOriginal = false, secureDelete = false, noSecureDelete = false;
  bool noMeta = false, recursive = false, verify = false, quiet = false;
  bool all = false, anyExtension = false;
  unsigned jobs = 0;
  std::vector<std::string> paths;
};

void addFileOptions(CLI::App& cmd, Options& o, bool encrypting) {
  cmd.add_option("PATH", o.paths, "Files, and folders with -r")->required();
  cmd.add_option("-c,--cipher", o.cipher, "Cipher: index (0-18) or label, e.g. RIJNDAEL");
  cmd.add_option("-H,--hash", o.hash, "Hash: index (0-9) or label, e.g. \"SHA 256\"");
  cmd.add_flag("-r,--recursive", o.recursive, "Take the files of folders and their subfolders");
  cmd.add_option("-p,--password-file", o.passwordFile,
                 "Read the password from the first line of FILE (- for standard input)");
  cmd.add_option("--password-env", o.passwordEnv, "Read the password from environment variable VAR");
  cmd.add_option("-j,--jobs", o.jobs, "Files processed at a time (default: one per processor)");
  cmd.add_flag("-q,--quiet", o.quiet, "No progress report and no summary");
  auto del = cmd.add_flag("--delete-original", o.deleteOriginal,
                          encrypting ? "Delete the original after encryption"
                                     : "Delete encrypted files without meta information after "
                                       "decryption (default: keep them as NAME(orig))");
  cmd.add_flag("--keep-original", o.keepOriginal,
               encrypting ? "Keep the original beside the encrypted file"
                          : "Keep encrypted files without meta information as NAME(orig)")
      ->excludes(del);
  auto sec = cmd.add_flag("--secure-delete", o.secureDelete,
                          "Overwrite originals and temporary files before deleting them");
  cmd.add_flag("--no-secure-delete", o.noSecureDelete, "Delete without overwriting")->excludes(sec);
  cmd.add_option("--extension", o.extension, "File extension of encrypted files (default: VELT)");
  if (encrypting) {
    auto comp = cmd.add_flag("--compress", o.compress, "Compress with zlib before encrypting");
    cmd.add_flag("--no-compress", o.noCompress, "Do not compress")->excludes(comp);
    cmd.add_option("--level", o.level, "Compression: default, fastest or best")
        ->check(CLI::IsMember({"default", "fastest", "best"}, CLI::ignore_case));
    cmd.add_flag("--no-extension", o.noExtension,
                 "Encrypt files under their own names (the original is replaced)");
    cmd.add_flag("--no-meta", o.noMeta,
                 "Write no meta information (only with --no-compress; decryption then needs "
                 "the engines and cannot check the password)");
    cmd.add_flag("--verify", o.verify,
                 "Read each encrypted file back and compare it with the original before the "
                 "original is deleted");
  } else {
    cmd.add_flag("--all", o.all,
                 "Also decrypt files without meta information (needs -c and -H)");
    cmd.add_flag("--any-extension", o.anyExtension,
                 "Search folders for every file, not only those with the extension");
  }
}

engine::EngineSettings settingsFor(const Options& o, bool encrypting) {
  engine::EngineSettings s = batch::LoadSettings().settings;
  if (!o.cipher.empty()) {
    auto c = ParseCipher(o.cipher);
    if (!c) throw UsageError("unknown cipher \"" + o.cipher + "\" (see velt-cli list)");
    s.cipherIndex = *c;
  }
  if (!o.hash.empty()) {
    auto h = ParseHash(o.hash);
    if (!h) throw UsageError("unknown hash \"" + o.hash + "\" (see velt-cli list)");
    s.hashIndex = *h;
  }
  if (o.compress) s.compress = true;
  if (o.noCompress) s.compress = false;
  if (o.level == "default") s.compressionSpeed = engine::kSpeedDefault;
  if (o.level == "fastest") s.compressionSpeed = engine::kSpeedFastest;
  if (o.level == "best") s.compressionSpeed = engine::kSpeedBest;
  if (!o.extension.empty()) {
    if (engine::CheckExtension(o.extension) != engine::ExtensionCheck::Valid)
      throw UsageError("the extension \"" + o.extension +
                       "\" may not contain / \\ : * ? > < \" | or blanks");
    s.extension = o.extension;
  }
  if (o.noExtension) s.addExtension = false;
  if (encrypting && o.deleteOriginal) s.deleteOriginal = true;
  if (encrypting && o.keepOriginal) s.deleteOriginal = false;
  if (o.secureDelete) s.secureDelete = true;
  if (o.noSecureDelete) s.secureDelete = false;
  if (o.noMeta) {
    if (s.compress) throw UsageError("--no-meta is allowed only with --no-compress");
    s.addMetaInfo = false;
  } else if (encrypting) {
    s.addMetaInfo = true;
  }
  return s;
}

std::string passwordFor(const Options& o, CliEnvironment& env, bool encrypting) {
  if (!o.passwordFile.empty()) {
    if (o.passwordFile == "-") return FirstLine(env.in);
    std::ifstream f(PathOf(o.passwordFile), std::ios::binary);
    if (!f) throw UsageError("cannot read the password file " + o.passwordFile);
    return FirstLine(f);
  }
  if (!o.passwordEnv.empty()) {
    auto v = env.getenv(o.passwordEnv);
    if (!v) throw UsageError("the environment variable " + o.passwordEnv + " is not set");
    return *v;
  }
  std::string problem;
  auto p = PromptPassword(env.terminal, encrypting, problem);
  if (!p) throw UsageError(problem);
  return *p;
}

std::string seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", s);
  return buf;
}

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

int runFiles(const Options& o, CliEnvironment& env, bool encrypting) {
  engine::EngineSettings settings = settingsFor(o, encrypting);
  engine::DecryptionOptions decryption;
  if (!encrypting) {
    if (o.all && (o.cipher.empty() || o.hash.empty()))
      throw UsageError("--all needs -c and -H for the files without meta information");
    decryption.cipherIndex = settings.cipherIndex;
    decryption.hashIndex = settings.hashIndex;
    decryption.deleteOriginal = o.deleteOriginal;
  }
  std::string mask = encrypting || o.anyExtension ? "*.*" : "*." + settings.extension;
  Gathered g = GatherFiles(o.paths, o.recursive, mask);
  for (auto& [path, why] : g.refused) env.err << "velt-cli: " << path << ": " << why << "\n";
  if (g.files.empty()) {
    if (!o.quiet) env.out << "No files to " << (encrypting ? "encrypt" : "decrypt") << ".\n";
    return g.refused.empty() ? 0 : 1;
  }
  const std::string password = passwordFor(o, env, encrypting);

  uint64_t total = 0;
  for (auto& f : g.files) {
    try {
      total += platform::FileSize(f);
    } catch (...) {
    }
  }
  unsigned cores = platform::UsableProcessors();
  unsigned jobs = o.jobs ? o.jobs : cores;
  // Files side by side share the processors with the compression threads of each file.
  unsigned parallelFiles = unsigned(std::min<size_t>(jobs, g.files.size()));
  engine::SetCompressionThreads(std::max(1u, cores / std::max(1u, parallelFiles)));
  std::unique_ptr<ProgressDisplay> display;
  if (env.errIsTerminal && !o.quiet)
    display = std::make_unique<ProgressDisplay>(env.err, g.files.size(), total, jobs);

  engine::EncryptOptions encryptOptions;
  encryptOptions.verify = o.verify;
  encryptOptions.beforeVerify = env.beforeVerify;
  FileTask task = [&](const std::string& path, engine::ProgressSink& sink) -> FileResult {
    bool meta = engine::HasMetaInfo(path);
    try {
      if (encrypting) {
        if (meta) return {Outcome::Skipped, "already encrypted"};
        engine::EncryptOneFile(path, password, settings, sink, encryptOptions);
        return {Outcome::Done, {}};
      }
      if (!meta && !o.all)
        return {Outcome::Skipped, "no VELT meta information (use --all with -c and -H)"};
      if (engine::DecryptOneFile(path, password, meta, settings, decryption, sink) < 0)
        return {Outcome::Failed, "the password is incorrect (the file is left as it was)"};
      return {Outcome::Done, {}};
    } catch (const engine::EngineError& e) {
      return {Outcome::Failed, e.Cause()};
    }
  };
  auto report = [&](const std::string& path, const FileResult& r) {
    if (r.outcome == Outcome::Done) return;
    if (r.outcome == Outcome::Skipped && o.quiet) return;
    std::string line = "velt-cli: " + path + ": " +
                       (r.outcome == Outcome::Skipped ? "skipped, " : "") + r.message;
    if (display)
      display->Message(line);
    else
      env.err << line << "\n";
  };
  auto start = std::chrono::steady_clock::now();
  auto results = RunAll(g.files, jobs, task, display.get(), report);
  if (display) display->Stop();
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  size_t done = 0, skipped = 0, failed = g.refused.size();
  for (auto& r : results) {
    done += r.outcome == Outcome::Done;
    skipped += r.outcome == Outcome::Skipped;
    failed += r.outcome == Outcome::Failed;
  }
  if (!o.quiet) {
    env.out << plural(done, "file") << (encrypting ? " encrypted" : " decrypted") << " in "
            << seconds(secs) << " secs";
    if (skipped)
      env.out << ", " << skipped << " skipped: "
              << (encrypting ? "already encrypted" : "no VELT meta information");
    if (failed) env.out << ", " << failed << " failed";
    env.out << "\n";
  }
  return failed ? 1 : 0;
}

// Temporary files of VELT's own naming: <name>.tmp<14 or more digits>, then "en", "dc" or
// nothing.
bool isVeltTemporary(const std::string& name) {
  std::string rest = name;
  if (rest.size() > 2 && (rest.ends_with("en") || rest.ends_with("dc"))) rest.resize(rest.size() - 2);
  size_t digits = 0;
  while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[rest.size() - 1 - digits])))
    ++digits;
  if (digits < 14) return false;
  rest.resize(rest.size() - digits);
  return rest.size() > 4 && rest.ends_with(".tmp");
}

int runInfo(const std::vector<std::string>& paths, CliEnvironment& env) {
  int status = 0;
  for (const auto& given : paths) {
    std::string path = AbsolutePath(given);
    if (platform::IsDirectory(path) && !platform::IsSymbolicLink(path)) {
      std::vector<std::string> stale;
      batch::TFileSearch search;
      search.OnPerformeFileAction = [&](batch::TFileSearch&, const std::string& folder,
                                        const std::string& name) {
        if (isVeltTemporary(name)) stale.push_back(folder + name);
      };
      search.Search(path, "*.tmp*", batch::TFileSearch::kAnyFile, true);
      env.out << given << ": folder, " << plural(stale.size(), "stale temporary file")
              << " of VELT's naming\n";
      for (auto& s : stale) env.out << "  " << s << "\n";
      continue;
    }
    if (!platform::IsRegularFile(path)) {
      env.err << "velt-cli: " << given << ": no such file\n";
      status = 1;
      continue;
    }
    env.out << given << "\n";
    if (!engine::HasMetaInfo(path)) {
      env.out << "  meta information: none (decrypting it needs the cipher and hash, and no "
                 "password check is possible)\n";
      continue;
    }
    try {
      auto f = platform::File::Open(path, platform::OpenMode::Read, platform::Locking::None);
      std::string problem;
      auto m = engine::ReadMetaInfo(f, problem);
      if (!m) {
        env.out << "  meta information: present but " << problem << "\n";
        status = 1;
        continue;
      }
      env.out << "  meta information: yes\n"
              << "  cipher: " << crypto::findCipher(m->cipherIndex)->label << " ("
              << m->cipherIndex << ")\n"
              << "  hash: " << crypto::findHash(m->hashIndex)->label << " (" << m->hashIndex
              << ")\n"
              << "  compressed: " << (m->compression == 0 ? "yes (zlib)" : "no") << "\n"
              << "  check value: " << m->checkValue << "\n"
              << "  body: " << f.Size() - engine::MetaInfo::kRecordLength << " bytes\n";
    } catch (const std::exception& e) {
      env.err << "velt-cli: " << given << ": " << e.what() << "\n";
      status = 1;
    }
  }
  return status;
}

int runList(CliEnvironment& env) {
  env.out << "Ciphers (index, label, key bits, block bits):\n";
  for (const auto& e : crypto::cipherCatalogue()) {
    char line[96];
    std::snprintf(line, sizeof line, "  %2d  %-10s %5d  %s\n", e.index, e.label,
                  e.cls ? e.cls->maxKeySize : 0,
                  e.cls && e.cls->blockSize > 0 ? std::to_string(e.cls->blockSize).c_str() : "stream");
    env.out << line;
  }
  env.out << "Hashes (index, label, digest bits):\n";
  for (const auto& e : crypto::hashCatalogue()) {
    char line[96];
    std::snprintf(line, sizeof line, "  %2d  %-10s %5d%s\n", e.index, e.label,
                  e.cls ? e.cls->hashSize : 0, e.index == 7 ? "  (SHA-384)" : "");
    env.out << line;
  }
  return 0;
}

int runSelfTest(CliEnvironment& env) {
  int failed = 0;
  auto row = [&](const char* kind, const char* label, bool ok) {
    char line[96];
    std::snprintf(line, sizeof line, "  %-6s %-10s %s\n", kind, label, ok ? "ok" : "FAILED");
    env.out << line;
    failed += !ok;
  };
  for (const auto& e : crypto::cipherCatalogue())
    if (e.cls) row("cipher", e.label, e.cls->selfCheck());
  for (const auto& e : crypto::hashCatalogue())
    if (e.cls) row("hash", e.label, e.cls->selfCheck());
  env.out << (failed ? std::to_string(failed) + " self-checks FAILED\n" : "All self-checks passed.\n");
  return failed ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  CLI::App app{"VELT: password-based file encryption", "velt-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", kVersion);
  Options enc, dec;
  std::vector<std::string> infoPaths;
  auto* encrypt = app.add_subcommand("encrypt", "Encrypt files (folders with -r)");
  addFileOptions(*encrypt, enc, true);
  auto* decrypt = app.add_subcommand("decrypt", "Decrypt files (folders with -r)");
  addFileOptions(*decrypt, dec, false);
  auto* info = app.add_subcommand("info", "Show each file's meta information");
  info->add_option("PATH", infoPaths, "Files, or folders to look for stale temporary files")
      ->required();
  auto* list = app.add_subcommand("list", "List the ciphers and hashes with their indexes");
  auto* selftest = app.add_subcommand("selftest", "Run every cipher's and hash's self-check");

  std::vector<std::string> argv = args;
  std::reverse(argv.begin(), argv.end());
  try {
    app.parse(argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e, env.out, env.err);
    return code == 0 ? 0 : 2;
  }
  try {
    if (encrypt->parsed()) return runFiles(enc, env, true);
    if (decrypt->parsed()) return runFiles(dec, env, false);
    if (info->parsed()) return runInfo(infoPaths, env);
    if (list->parsed()) return runList(env);
    if (selftest->parsed()) return runSelfTest(env);
  } catch (const UsageError& e) {
    env.err << "velt-cli: " << e.what() << "\n";
    return 2;
  }
  return 2;
}

}  // namespace velt::cli
