// velt-cli killed with SIGKILL before every system call that changes the folder it works in,
// during encryption and decryption, on real files. For every kill point either the original is
// byte-identical or the finished result is complete and decrypts to it; anything else left is
// a temporary file of VELT's own naming, which `velt-cli info` reports and nothing removes.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <cstdlib>
#include <map>

#include "engine/engine.h"
#include "tests/crash/cli_runner.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

namespace fs = std::filesystem;

// Half text, half noise: compression has work to do and the body spans many writes.
std::vector<uint8_t> Content(size_t size, uint64_t seed) {
  Rng rng(seed);
  std::vector<uint8_t> v = rng.bytes(size);
  for (size_t i = 0; i < size; i += 2) v[i] = uint8_t("the quick brown fox "[i % 20]);
  return v;
}

bool Holds(const std::string& path, const std::vector<uint8_t>& bytes) {
  return fs::is_regular_file(path) && readFile(path) == bytes;
}

// Whether `encrypted` is complete: a copy of it decrypts to `content`.
bool DecryptsTo(const std::string& encrypted, const std::vector<uint8_t>& content,
                const engine::DecryptionOptions& noMeta) {
  if (!fs::is_regular_file(encrypted)) return false;
  TempDir check(TempDir::Where::Memory);
  const std::string copy = check / "copy.VELT";
  writeFile(copy, readFile(encrypted));
  engine::EngineSettings s;
  s.secureDelete = false;
  engine::NullProgressSink quiet;
  try {
    if (engine::DecryptOneFile(copy, kPassword, engine::HasMetaInfo(copy), s, noMeta, quiet) < 0)
      return false;
  } catch (const std::exception&) {
    return false;
  }
  return Holds(check / "copy", content);
}

struct Tally {
  int points = 0, survived = 0;
};

int FailuresSoFar() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

// Runs `args` once to learn its events, then once per event killed just before it; `prepare`
// lays out the folder before each run and `check` judges what a kill left.
Tally KillAtEveryChange(CliRun& cli, const std::vector<std::string>& args,
                        const std::function<void()>& prepare,
                        const std::function<void(const std::string& where)>& check,
                        const std::vector<std::string>& rerun) {
  auto clear = [&] {
    for (const auto& e : fs::directory_iterator(cli.work())) fs::remove(e.path());
  };
  clear();
  prepare();
  TraceResult dry = RunTraced(cli.Traced(args));
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  size_t changes = 0;
  for (const auto& e : dry.events) changes += e.Changes();
  EXPECT_GT(changes, 5u);
  if (std::getenv("VELT_CRASH_SHOW_EVENTS"))
    for (const auto& e : dry.events) std::cout << "  " << e.index << " " << e.Describe() << "\n";
  check("after a run to completion");

  Tally tally;
  for (size_t k = 0; k < changes; ++k) {
    clear();
    prepare();
    TraceOptions o = cli.Traced(args);
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
    check(where);

    const auto stale = cli.Temporaries();
    EXPECT_EQ(cli.ReportedTemporaries(), stale) << where;
    if (!stale.empty()) {
      // Nothing deletes them: not another run over the same file.
      std::map<std::string, std::vector<uint8_t>> before;
      for (const auto& t : stale) before[t] = readFile(t);
      cli.Run(rerun);
      for (const auto& [t, bytes] : before) EXPECT_TRUE(Holds(t, bytes)) << where << ": " << t;
    }
    ++tally.points;
    tally.survived += FailuresSoFar() == failures;
  }
  return tally;
}

class CrashConsistency : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TracingSupported()) GTEST_SKIP() << "needs ptrace on Linux x86-64";
  }
  static void Report(const char* what, const Tally& t) {
    std::cout << "[ figures  ] " << what << ": " << t.survived << " of " << t.points
              << " kill points survived\n";
  }
  CliRun cli;
  engine::DecryptionOptions noMeta;
};

TEST_F(CrashConsistency, Encryption) {
  const auto content = Content(1500000, 1);
  const auto older = Content(3000, 2);
  struct Case {
    const char* name;
    std::vector<std::string> options;
    bool inPlace, olderEncrypted;
  };
  Tally all;
  for (const Case& c : std::vector<Case>{
           {"compressed, original deleted securely", {"--compress", "--delete-original", "--secure-delete"}, false, false},
           {"plain copy, original kept", {"--no-compress", "--keep-original", "--no-secure-delete"}, false, false},
           {"under its own name", {"--no-compress", "--no-extension", "--secure-delete"}, true, false},
           {"verified, over an older encrypted file",
            {"--compress", "--verify", "--delete-original", "--no-secure-delete"}, false, true}}) {
    SCOPED_TRACE(c.name);
    const std::string doc = cli / "doc.bin";
    const std::string result = c.inPlace ? doc : doc + ".VELT";
    std::vector<std::string> args = {"encrypt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(doc);
    auto prepare = [&] {
      writeFile(doc, content);
      if (c.olderEncrypted) writeFile(doc + ".VELT", older);
    };
    auto check = [&](const std::string& where) {
      EXPECT_EQ(cli.Strangers({"doc.bin", "doc.bin.VELT"}), std::vector<std::string>{}) << where;
      const bool original = Holds(doc, content);
      EXPECT_TRUE(original || DecryptsTo(result, content, noMeta))
          << where << ": neither the original nor a complete encrypted file";
    };
    Tally t = KillAtEveryChange(cli, args, prepare, check, args);
    Report(c.name, t);
    all.points += t.points;
    all.survived += t.survived;
  }
  Report("encryption", all);
}

TEST_F(CrashConsistency, Decryption) {
  const auto content = Content(1500000, 3);
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
            {"--all", "-c", "16", "-H", "6", "--keep-original"}, false},
           {"over an older plaintext", {"--compress"}, {"--no-secure-delete"}, true}}) {
    SCOPED_TRACE(c.name);
    const std::string doc = cli / "doc.bin", enc = doc + ".VELT";
    writeFile(doc, content);
    std::vector<std::string> make = {"encrypt", "--no-secure-delete", "--delete-original"};
    make.insert(make.end(), c.make.begin(), c.make.end());
    make.push_back(doc);
    std::string err;
    ASSERT_EQ(cli.Run(make, &err), 0) << err;
    const auto encrypted = readFile(enc);
    std::vector<std::string> args = {"decrypt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(enc);
    auto prepare = [&] {
      writeFile(enc, encrypted);
      if (c.olderPlaintext) writeFile(doc, Content(5000, 4));
    };
    auto check = [&](const std::string& where) {
      EXPECT_EQ(cli.Strangers({"doc.bin", "doc.bin.VELT", "doc.bin.VELT(orig)"}),
                std::vector<std::string>{})
          << where;
      const bool kept = Holds(enc, encrypted) || Holds(enc + "(orig)", encrypted);
      EXPECT_TRUE(kept || Holds(doc, content))
          << where << ": neither the encrypted file nor the complete plaintext";
    };
    Tally t = KillAtEveryChange(cli, args, prepare, check, args);
    Report(c.name, t);
    all.points += t.points;
    all.survived += t.survived;
  }
  Report("decryption", all);
}

}  // namespace
}  // namespace velt::test
