#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>

#include "cli/file_command.h"
#include "cli/file_options.h"
#include "cli/info_command.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"

namespace velt::cli {

namespace {

constexpr const char* kVersion = "velt-cli " VELT_VERSION;

int RunList(CliEnvironment& env) {
  env.out << "Ciphers (index, label, key bits, block bits):\n";
  for (const auto& e : crypto::CipherCatalogue()) {
    char line[96];
    std::snprintf(
        line, sizeof line, "  %2d  %-10s %5d  %s\n", e.index, e.label,
        e.cls ? e.cls->maxKeySize : 0,
        e.cls && e.cls->blockSize > 0 ? std::to_string(e.cls->blockSize).c_str() : "stream");
    env.out << line;
  }
  env.out << "Hashes (index, label, digest bits):\n";
  for (const auto& e : crypto::HashCatalogue()) {
    char line[96];
    std::snprintf(line, sizeof line, "  %2d  %-10s %5d%s\n", e.index, e.label,
                  e.cls ? e.cls->hashSize : 0, e.index == 7 ? "  (SHA-384)" : "");
    env.out << line;
  }
  return 0;
}

int RunSelfTest(CliEnvironment& env) {
  int failed = 0;
  auto row = [&](const char* kind, const char* label, bool ok) {
    char line[96];
    std::snprintf(line, sizeof line, "  %-6s %-10s %s\n", kind, label, ok ? "ok" : "FAILED");
    env.out << line;
    failed += !ok;
  };
  for (const auto& e : crypto::CipherCatalogue())
    if (e.cls) row("cipher", e.label, e.cls->selfCheck());
  for (const auto& e : crypto::HashCatalogue())
    if (e.cls) row("hash", e.label, e.cls->selfCheck());
  env.out << (failed ? std::to_string(failed) + " self-checks FAILED\n"
                     : "All self-checks passed.\n");
  return failed ? 1 : 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  CLI::App app{"VELT: password-based file encryption", "velt-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", kVersion);
  FileOptions enc, dec;
  std::vector<std::string> infoPaths;
  auto* encrypt = app.add_subcommand("encrypt", "Encrypt files (folders with -r)");
  AddFileOptions(*encrypt, enc, true);
  auto* decrypt = app.add_subcommand("decrypt", "Decrypt files (folders with -r)");
  AddFileOptions(*decrypt, dec, false);
  auto* info = app.add_subcommand(
      "info", "Show each file's meta information, or what a leftover of an interrupted run holds");
  info->add_option("PATH", infoPaths,
                   "Files, or folders to look for leftovers of interrupted runs in")
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
  auto refused = [&](const std::exception& e) {
    // A stop during the password prompt ends it with no password: that is not the user's error.
    if (env.stop && env.stop->requested) {
      env.err << "velt-cli: interrupted; nothing was changed\n";
      return env.stop->ExitStatus();
    }
    env.err << "velt-cli: " << e.what() << "\n";
    return 2;
  };
  try {
    if (encrypt->parsed()) return RunFileCommand(enc, env, true);
    if (decrypt->parsed()) return RunFileCommand(dec, env, false);
    if (info->parsed()) return RunInfo(infoPaths, env.out, env.err);
    if (list->parsed()) return RunList(env);
    if (selftest->parsed()) return RunSelfTest(env);
  } catch (const UsageError& e) {
    return refused(e);
  } catch (const PasswordProblem& e) {
    return refused(e);
  }
  return 2;
}

}  // namespace velt::cli
