// velt-cli killed with SIGKILL before every system call that changes the folder it works in,
// during encryption and decryption, on real files. For every kill point either the original is
// byte-identical or the finished result is complete and decrypts to it; anything else left is
// a temporary file of VELT's own naming, which `velt-cli info` reports and nothing removes.
// After each kill the same command runs again, and on a copy of what the kill left the
// opposite one (decryption after an encryption, and the other way round): whatever they say,
// the user's content must still be there, and no name of the user's may hold anything but the
// user's bytes or a complete encryption of them (never the fill bytes of an overwrite).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string_view>

#include "engine/engine.h"
#include "tests/crash/cli_runner.h"
#include "tests/crash/user_files.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

namespace fs = std::filesystem;

// One file of the user's: its content, the name it has as plaintext and the names its
// encrypted form may have. `earlier` are other bytes the user had under these names before the
// run (an older file the command replaces): they may stay, they need not.
struct UserFile {
  std::vector<uint8_t> content;
  std::string plain;
  std::vector<std::string> encrypted;
  std::vector<std::vector<uint8_t>> earlier;
  engine::DecryptionOptions noMeta;

  std::vector<std::string> Names() const {
    std::vector<std::string> n = encrypted;
    if (std::find(n.begin(), n.end(), plain) == n.end()) n.insert(n.begin(), plain);
    return n;
  }
};

// A command and the file it works on.
struct Command {
  std::vector<std::string> args;
  std::string source;
};

struct Tally {
  int points = 0, survived = 0, reruns = 0, rerunsSurvived = 0;
  // Kill points after which the command's own file was gone (the reruns had nothing to take).
  int sourceGone = 0;
  void Add(const Tally& t) {
    points += t.points;
    survived += t.survived;
    reruns += t.reruns;
    rerunsSurvived += t.rerunsSurvived;
    sourceGone += t.sourceGone;
  }
};

int FailuresSoFar() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

class CrashConsistency : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TracingSupported()) GTEST_SKIP() << "needs ptrace on Linux x86-64";
  }
  static void Report(const char* what, const Tally& t) {
    std::cout << "[ figures  ] " << what << ": " << t.survived << " of " << t.points
              << " kill points survived; reruns: " << t.reruns << " run, " << t.rerunsSurvived
              << " survived\n";
  }

  // Whether `path` decrypts to `content`; remembered, as the same bytes come up again and again.
  bool Decrypts(const std::string& path, const std::vector<uint8_t>& content,
                const engine::DecryptionOptions& noMeta) {
    if (!fs::is_regular_file(path)) return false;
    const auto bytes = ReadFile(path);
    const auto key = std::make_pair(
        std::hash<std::string_view>{}({reinterpret_cast<const char*>(bytes.data()), bytes.size()}),
        std::hash<std::string_view>{}(
            {reinterpret_cast<const char*>(content.data()), content.size()}));
    auto it = decrypted_.find(key);
    if (it == decrypted_.end())
      it = decrypted_.emplace(key, DecryptsTo(path, content, noMeta)).first;
    return it->second;
  }

  // Nothing lost, nothing foreign: the content is under one of its names, as itself or
  // encrypted, and every one of its names that exists holds the content, a complete
  // encryption of it, or what the user had there before.
  void CheckNothingLost(const UserFile& f, const std::string& where) {
    std::vector<std::string> allowed;
    for (const auto& n : f.Names()) allowed.push_back(fs::path(n).filename().string());
    EXPECT_EQ(cli.Strangers({allowed.begin(), allowed.end()}), std::vector<std::string>{}) << where;
    bool found = false;
    for (const auto& n : f.Names()) {
      if (!fs::exists(n)) continue;
      const bool mine = Holds(n, f.content) || Decrypts(n, f.content, f.noMeta);
      found = found || mine;
      bool earlier = false;
      for (const auto& e : f.earlier) earlier = earlier || Holds(n, e);
      EXPECT_TRUE(mine || earlier)
          << where << ": " << n
          << " holds neither the user's bytes nor a complete encryption of them";
    }
    EXPECT_TRUE(found) << where << ": neither the original nor a complete encrypted file";
  }

  // Runs `c` untraced after a kill and judges what it left; `stale` are the temporary files
  // the kill left, which no run may touch.
  void Rerun(const Command& c, const UserFile& f,
             const std::map<std::string, std::vector<uint8_t>>& stale, const std::string& where,
             Tally& tally) {
    const int failures = FailuresSoFar();
    const bool sourceThere = fs::exists(c.source);
    const FolderState before = FolderState::Of(cli.work());
    std::string err;
    const int status = cli.Run(c.args, &err);
    EXPECT_TRUE(status == 0 || status == 1) << where << ": exit " << status << ": " << err;
    if (status != 0) {
      EXPECT_NE(err.find(fs::path(f.plain).filename().string()), std::string::npos)
          << where << ": the message names no file: " << err;
    }
    if (!sourceThere) {
      EXPECT_NE(err.find("no such file"), std::string::npos) << where << ": " << err;
      const auto changed = FolderState::Of(cli.work()).Differences(before);
      EXPECT_EQ(changed, std::vector<std::string>{})
          << where << ": a run without its file changed these";
    }
    CheckNothingLost(f, where);
    std::set<std::string> names;
    for (const auto& [t, bytes] : stale) {
      names.insert(t);
      // Nothing deletes them: not another run over the same file.
      EXPECT_TRUE(Holds(t, bytes)) << where << ": " << t;
    }
    EXPECT_EQ(cli.Temporaries(), names) << where << ": the rerun left or removed temporary files";
    ++tally.reruns;
    tally.rerunsSurvived += FailuresSoFar() == failures;
  }

  // Runs `run` once to learn its events, then once per event killed just before it; `prepare`
  // lays out the folder before each run. After each kill the same command runs again, and on
  // a copy of the state the kill left the `opposite` one.
  Tally KillAtEveryChange(const Command& run, const Command& opposite, const UserFile& f,
                          const std::function<void()>& prepare) {
    cli.Clear();
    prepare();
    TraceResult dry = RunTraced(cli.Traced(run.args));
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    size_t changes = 0;
    for (const auto& e : dry.events) changes += e.Changes();
    EXPECT_GT(changes, 5u);
    if (std::getenv("VELT_CRASH_SHOW_EVENTS"))
      for (const auto& e : dry.events) std::cout << "  " << e.index << " " << e.Describe() << "\n";
    CheckNothingLost(f, "after a run to completion");

    Tally tally;
    for (size_t k = 0; k < changes; ++k) {
      cli.Clear();
      prepare();
      TraceOptions o = cli.Traced(run.args);
      size_t seen = 0;
      std::string where;
      o.before = [&](const FsEvent& e, pid_t) {
        if (!e.Changes()) return false;
        if (seen++ != k) return false;
        where = "killed before #" + std::to_string(k) + ": " + e.Describe();
        return true;
      };
      TraceResult r = RunTraced(o);
      if (!r.killed) where = "not killed at #" + std::to_string(k) + " (the run ended first)";
      const int failures = FailuresSoFar();
      CheckNothingLost(f, where);

      const auto temporaries = cli.Temporaries();
      EXPECT_EQ(cli.ReportedTemporaries(), temporaries) << where;
      std::map<std::string, std::vector<uint8_t>> stale;
      for (const auto& t : temporaries) stale[t] = ReadFile(t);
      ++tally.points;
      tally.survived += FailuresSoFar() == failures;
      tally.sourceGone += !fs::exists(run.source);

      const FolderState left = FolderState::Of(cli.work());
      Rerun(run, f, stale, where + ", then the same command again", tally);
      left.LayOut(cli.work());
      Rerun(opposite, f, stale, where + ", then the opposite command", tally);
    }
    return tally;
  }

  CliRun cli;
  std::map<std::pair<size_t, size_t>, bool> decrypted_;
};

TEST_F(CrashConsistency, Encryption) {
  const auto content = Content(1500000, 1);
  const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
  // A real encrypted file of other content, which --overwrite lets the run replace.
  const auto olderPlain = Content(3000, 2);
  WriteFile(doc, olderPlain);
  std::string err;
  ASSERT_EQ(cli.Run({"encrypt", "--no-secure-delete", "--delete-original", doc}, &err), 0) << err;
  const auto olderEncrypted = ReadFile(enc);
  struct Case {
    const char* name;
    std::vector<std::string> options;
    bool inPlace, olderEncrypted;
    // The original is moved aside before it is overwritten, so that kills during the
    // overwrite leave it gone from its name while the encrypted file is complete.
    bool movedAside;
  };
  Tally all;
  for (const Case& c : std::vector<Case>{
           {"compressed, original deleted securely",
            {"--compress", "--delete-original", "--secure-delete"},
            false,
            false,
            true},
           {"plain copy, original kept",
            {"--no-compress", "--keep-original", "--no-secure-delete"},
            false,
            false,
            false},
           {"under its own name",
            {"--no-compress", "--no-extension", "--secure-delete"},
            true,
            false,
            false},
           {"verified, over an older encrypted file",
            {"--compress", "--verify", "--delete-original", "--no-secure-delete", "--overwrite"},
            false,
            true,
            false}}) {
    SCOPED_TRACE(c.name);
    const std::string result = c.inPlace ? doc : enc;
    Command run{{"encrypt"}, doc};
    run.args.insert(run.args.end(), c.options.begin(), c.options.end());
    run.args.push_back(doc);
    const Command opposite{{"decrypt", result}, result};
    UserFile f{content, doc, {result, result + "(orig)"}, {}, {}};
    if (c.olderEncrypted) f.earlier = {olderEncrypted, olderPlain};
    auto prepare = [&] {
      WriteFile(doc, content);
      if (c.olderEncrypted) WriteFile(enc, olderEncrypted);
    };
    Tally t = KillAtEveryChange(run, opposite, f, prepare);
    Report(c.name, t);
    if (c.movedAside) {
      EXPECT_GT(t.sourceGone, 0) << "no kill point left the encrypted file without its original";
    }
    all.Add(t);
  }
  Report("encryption", all);
}

TEST_F(CrashConsistency, Decryption) {
  const auto content = Content(1500000, 3);
  const auto olderPlain = Content(5000, 4);
  struct Case {
    const char* name;
    std::vector<std::string> make, options;
    bool olderPlaintext;
  };
  Tally all;
  for (const Case& c : std::vector<Case>{
           {"compressed, secure deletion", {"--compress"}, {"--secure-delete"}, false},
           {"not compressed", {"--no-compress"}, {"--no-secure-delete"}, false},
           {"without meta information, kept as (orig)",
            {"--no-compress", "--no-meta", "-c", "16", "-H", "6"},
            {"--all", "-c", "16", "-H", "6", "--keep-original"},
            false},
           {"over an older plaintext",
            {"--compress"},
            {"--no-secure-delete", "--overwrite"},
            true}}) {
    SCOPED_TRACE(c.name);
    const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
    cli.Clear();
    WriteFile(doc, content);
    std::vector<std::string> make = {"encrypt", "--no-secure-delete", "--delete-original"};
    make.insert(make.end(), c.make.begin(), c.make.end());
    make.push_back(doc);
    std::string err;
    ASSERT_EQ(cli.Run(make, &err), 0) << err;
    const auto encrypted = ReadFile(enc);
    Command run{{"decrypt"}, enc};
    run.args.insert(run.args.end(), c.options.begin(), c.options.end());
    run.args.push_back(enc);
    const Command opposite{{"encrypt", doc}, doc};
    UserFile f{content, doc, {enc, enc + "(orig)"}, {}, {}};
    f.noMeta.cipherIndex = 16;
    f.noMeta.hashIndex = 6;
    if (c.olderPlaintext) f.earlier = {olderPlain};
    auto prepare = [&] {
      WriteFile(enc, encrypted);
      if (c.olderPlaintext) WriteFile(doc, olderPlain);
    };
    Tally t = KillAtEveryChange(run, opposite, f, prepare);
    Report(c.name, t);
    all.Add(t);
  }
  Report("decryption", all);
}

// Whether `text` names the file `name` as a whole, not only as the start of a longer name.
bool Mentions(const std::string& text, const std::string& name) {
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const size_t end = at + name.size();
    if (end == text.size()) return true;
    const char c = text[end];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-' &&
        c != '(')
      return true;
  }
  return false;
}

// A wrong password that the check value of an encrypted file (uncompressed, with meta
// information) lets through; the check is weak enough that one in about 21 passes.
std::string PasswordPastTheCheck(const std::vector<uint8_t>& encrypted) {
  TempDir tries(TempDir::Where::Memory);
  engine::EngineSettings s;
  s.secureDelete = false;
  engine::NullProgressSink quiet;
  for (int i = 1; i <= 2000; ++i) {
    for (const auto& e : fs::directory_iterator(tries.path())) fs::remove(e.path());
    const std::string copy = tries / "doc.VELT", password = "typo" + std::to_string(i);
    WriteFile(copy, encrypted);
    try {
      if (engine::DecryptOneFile(copy, password, true, s, {}, quiet).outcome ==
          engine::DecryptOutcome::Decrypted)
        return password;
    } catch (const std::exception&) {
    }
  }
  return {};
}

// Whole runs beside files the user already has: a hard link to the file being deleted
// securely, an existing file under the result's name, and a wrong password that the weak check
// of an uncompressed file lets through.
TEST_F(CrashConsistency, FilesBesideTheRun) {
  const auto content = Content(200000, 5), other = Content(3000, 6);
  const auto small = Content(1000, 7);
  const std::string a = cli / "a.txt", b = cli / "b.txt";
  const std::string report = cli / "report", doc = cli / "doc";
  const std::vector<uint8_t> foreign(4000, 'x');

  // Encrypted files made once by velt-cli itself, laid out again for each row.
  auto encryptionOf = [&](const std::vector<uint8_t>& bytes, std::vector<std::string> options) {
    cli.Clear();
    WriteFile(doc, bytes);
    options.insert(options.begin(), {"encrypt", "--no-secure-delete", "--delete-original"});
    options.push_back(doc);
    std::string err;
    EXPECT_EQ(cli.Run(options, &err), 0) << err;
    return ReadFile(doc + ".VELT");
  };
  const auto otherEncrypted = encryptionOf(other, {"--compress"});
  const auto encrypted = encryptionOf(content, {"--compress"});
  const auto unchecked = encryptionOf(small, {"--no-compress"});
  const std::string typo = PasswordPastTheCheck(unchecked);
  ASSERT_FALSE(typo.empty()) << "no wrong password in 2000 passed the check value";

  auto linked = [&] {
    WriteFile(a, content);
    ASSERT_EQ(::link(a.c_str(), b.c_str()), 0);
  };
  auto beside = [&](const std::string& name, const std::vector<uint8_t>& plain,
                    const std::vector<uint8_t>& existing) {
    return [&, name, plain, existing] {
      WriteFile(name, plain);
      WriteFile(name + ".VELT", existing);
    };
  };
  auto newerPlaintext = [&] {
    WriteFile(doc + ".VELT", encrypted);
    WriteFile(doc, other);
    fs::last_write_time(doc, fs::last_write_time(doc + ".VELT") + std::chrono::hours(1));
  };
  auto uncheckedFile = [&] { WriteFile(doc + ".VELT", unchecked); };

  struct Scene {
    const char* name;
    std::function<void()> lay;
    std::vector<std::string> args;
    std::string password;  // empty: the right one
    int exitCode;
    bool unchanged;                  // the folder must be as it was
    std::vector<std::string> names;  // files the output must name
    std::vector<std::string> says;   // and what else it must say
    std::function<void()> check;     // what the files hold afterwards
  };
  const std::vector<Scene> scenes = {
      {"hard link, encrypted beside it, original deleted securely",
       linked,
       {"encrypt", "--compress", "--delete-original", "--secure-delete", a},
       "",
       0,
       false,
       {"a.txt"},
       {"not overwritten"},
       [&] {
         EXPECT_TRUE(Holds(b, content)) << "the other link lost the original bytes";
         EXPECT_FALSE(fs::exists(a));
         EXPECT_TRUE(DecryptsTo(a + ".VELT", content));
       }},
      {"hard link, encrypted under its own name securely",
       linked,
       {"encrypt", "--no-compress", "--no-extension", "--delete-original", "--secure-delete", a},
       "",
       0,
       false,
       {"a.txt"},
       {"not overwritten"},
       [&] {
         EXPECT_TRUE(Holds(b, content)) << "the other link lost the original bytes";
         EXPECT_TRUE(DecryptsTo(a, content));
       }},
      {"a file without meta information under the result's name",
       beside(report, content, foreign),
       {"encrypt", report},
       "",
       1,
       true,
       {"report", "report.VELT"},
       {},
       nullptr},
      {"a file without meta information under the result's name, --overwrite",
       beside(report, content, foreign),
       {"encrypt", "--overwrite", report},
       "",
       1,
       true,
       {"report", "report.VELT"},
       {},
       nullptr},
      {"an older encrypted file under the result's name",
       beside(report, content, otherEncrypted),
       {"encrypt", report},
       "",
       1,
       true,
       {"report.VELT"},
       {"--overwrite"},
       nullptr},
      {"an older encrypted file under the result's name, --overwrite",
       beside(report, content, otherEncrypted),
       {"encrypt", "--overwrite", "--delete-original", "--no-secure-delete", report},
       "",
       0,
       false,
       {},
       {},
       [&] {
         EXPECT_FALSE(fs::exists(report));
         EXPECT_TRUE(DecryptsTo(report + ".VELT", content));
       }},
      {"a newer plaintext under the decrypted name",
       newerPlaintext,
       {"decrypt", doc + ".VELT"},
       "",
       1,
       true,
       {"doc"},
       {"--overwrite"},
       nullptr},
      {"a newer plaintext under the decrypted name, --overwrite",
       newerPlaintext,
       {"decrypt", "--overwrite", doc + ".VELT"},
       "",
       0,
       false,
       {},
       {},
       [&] {
         EXPECT_TRUE(Holds(doc, content));
         EXPECT_FALSE(fs::exists(doc + ".VELT"));
       }},
      {"a wrong password past the check of an uncompressed file",
       uncheckedFile,
       {"decrypt", doc + ".VELT"},
       typo,
       0,
       false,
       {"doc.VELT(orig)"},
       {},
       [&] {
         EXPECT_TRUE(Holds(doc + ".VELT(orig)", unchecked)) << "the encrypted file is not kept";
         EXPECT_FALSE(fs::exists(doc + ".VELT"));
         EXPECT_TRUE(fs::exists(doc) && !Holds(doc, small));
       }},
      {"a wrong password past the check, --delete-original",
       uncheckedFile,
       {"decrypt", "--delete-original", doc + ".VELT"},
       typo,
       0,
       false,
       {},
       {},
       [&] {
         EXPECT_FALSE(fs::exists(doc + ".VELT(orig)"));
         EXPECT_FALSE(fs::exists(doc + ".VELT"));
         EXPECT_TRUE(fs::exists(doc));
       }},
      {"the right password, uncompressed: kept all the same",
       uncheckedFile,
       {"decrypt", doc + ".VELT"},
       "",
       0,
       false,
       {"doc.VELT(orig)"},
       {},
       [&] {
         EXPECT_TRUE(Holds(doc + ".VELT(orig)", unchecked));
         EXPECT_TRUE(Holds(doc, small));
       }},
  };
  int survived = 0;
  for (const Scene& scene : scenes) {
    SCOPED_TRACE(scene.name);
    const int failures = FailuresSoFar();
    cli.Clear();
    scene.lay();
    const FolderState before = FolderState::Of(cli.work());
    TraceOptions o = cli.Traced(scene.args);
    if (!scene.password.empty()) o.environment.push_back("VELT_TEST_PASSWORD=" + scene.password);
    const TraceResult r = RunTraced(o);
    const std::string output = r.out + r.err;
    EXPECT_EQ(r.exitCode, scene.exitCode) << output;
    for (const auto& name : scene.names)
      EXPECT_TRUE(Mentions(output, name)) << name << ": " << output;
    for (const auto& words : scene.says)
      EXPECT_NE(output.find(words), std::string::npos) << words << ": " << output;
    if (scene.unchanged) {
      EXPECT_EQ(FolderState::Of(cli.work()).Differences(before), std::vector<std::string>{})
          << "the refused run changed these";
    }
    if (scene.check) scene.check();
    EXPECT_EQ(cli.Temporaries(), std::set<std::string>{}) << "temporary files left";
    survived += FailuresSoFar() == failures;
  }
  std::cout << "[ figures  ] files beside the run: " << survived << " of " << scenes.size()
            << " scenarios survived\n";
}

}  // namespace
}  // namespace velt::test
