// Bad input through velt-cli: damaged, truncated, empty, huge-trailer-length and foreign files,
// and names with blanks, quotes, "|", "*", non-ASCII letters and line breaks. Each bad file gets
// one clear line naming it and changes nothing; each odd name works like any other.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "cli/cli_app.h"
#include "crypto/bytes.h"
#include "tests/support/random_bytes.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/temp_dir.h"

// POSIX: the names hold characters Windows does not allow, and the store is the hive file.
#ifndef _WIN32
namespace velt::cli {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class NoTerminal : public Terminal {
 public:
  bool Available() override { return false; }
  std::optional<std::string> ReadHidden(const std::string&) override { return std::nullopt; }
};

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override { test::UseSettingsStore(home / "registry.reg"); }
  void TearDown() override { test::DropSettingsStore(); }

  // velt-cli COMMAND [the password from $PW] ARGS..., or with `password` from the variable.
  int run(std::vector<std::string> args, const std::string& password = "secret") {
    out.str("");
    err.str("");
    std::istringstream in;
    CliEnvironment env{in,
                       out,
                       err,
                       [password](const std::string& n) -> std::optional<std::string> {
                         if (n == "PW") return password;
                         return std::nullopt;
                       },
                       terminal,
                       false,
                       {}};
    if (args[0] != "info")
      args.insert(args.begin() + 1, {"--password-env", "PW", "--no-secure-delete"});
    return RunCli(args, env);
  }
  // Every name in the folder with its bytes.
  std::map<std::string, std::vector<uint8_t>> snapshot() {
    std::map<std::string, std::vector<uint8_t>> s;
    for (const auto& e : fs::directory_iterator(dir.path()))
      s[e.path().filename().string()] = ReadFile(e.path().string());
    return s;
  }
  // A properly encrypted file of `content`, as its bytes.
  std::vector<uint8_t> encrypted(const std::vector<uint8_t>& content, bool compress) {
    test::TempDir scratch;
    WriteFile(scratch / "f", content);
    EXPECT_EQ(run({"encrypt", compress ? "--compress" : "--no-compress", scratch / "f"}), 0)
        << err.str();
    return ReadFile(scratch / "f.VELT");
  }

  test::TempDir home, dir;
  test::Rng rng;
  std::ostringstream out, err;
  NoTerminal terminal;
};

TEST_F(BadInput, DamagedAndForeignFilesAreReportedAndLeftAlone) {
  const auto good = encrypted(rng.Bytes(100000), true);
  auto at = [](std::vector<uint8_t> v, size_t fromEnd, uint32_t value) {
    crypto::StoreLe32(&v[v.size() - fromEnd], value);
    return v;
  };
  // Four more bytes that point back at the signature: recognised, but the record is 40 long.
  auto longer = [](std::vector<uint8_t> v) {
    v.insert(v.end(), {40, 0, 0, 0});
    return v;
  };
  auto cut = [](const std::vector<uint8_t>& v, size_t keepBody) {
    std::vector<uint8_t> r(v.begin(), v.begin() + long(keepBody));
    r.insert(r.end(), v.end() - 36, v.end());
    return r;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int status;           // of velt-cli decrypt
    const char* message;  // on standard error
  };
  const std::vector<Case> cases = {
      {"record length 40", longer(good), 1, "damaged (record length 40"},
      {"length pointing elsewhere", at(good, 4, 40), 0, "skipped, no VELT meta information"},
      {"cipher index 99", at(good, 20, 99), 1, "damaged (cipher index 99"},
      {"hash index -1", at(good, 24, 0xFFFFFFFF), 1, "damaged (hash index -1"},
      {"compression 7", at(good, 16, 7), 1, "damaged (compression 7"},
      {"body cut in half", cut(good, (good.size() - 36) / 2), 1, "ends early"},
      {"body cut to nothing", cut(good, 0), 1, "ends early"},
      {"cut inside the record", std::vector<uint8_t>(good.begin(), good.end() - 10), 0,
       "skipped, no VELT meta information"},
      {"huge trailer length", at(good, 4, 0x7FFFFFFF), 0, "skipped, no VELT meta information"},
      {"negative trailer length", at(good, 4, 0x80000000), 0, "skipped, no VELT meta information"},
      {"empty", {}, 0, "skipped, no VELT meta information"},
      {"three bytes", {'a', 'b', 'c'}, 0, "skipped, no VELT meta information"},
      {"plain text", std::vector<uint8_t>(100, 'x'), 0, "skipped, no VELT meta information"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& e : fs::directory_iterator(dir.path())) fs::remove(e.path());
    const std::string path = dir / (std::string(c.name) + ".VELT");
    WriteFile(path, c.bytes);
    const auto before = snapshot();
    EXPECT_EQ(run({"decrypt", path}), c.status) << err.str();
    EXPECT_NE(err.str().find(path + ": "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_EQ(snapshot(), before);
    // info says the same without changing anything either.
    run({"info", path});
    EXPECT_EQ(snapshot(), before);
  }
}

TEST_F(BadInput, OddNamesWorkLikeAnyOther) {
  // A name as it is shown: control characters and bytes that are not UTF-8 escaped, so that a
  // name cannot split an error line or send the terminal a command.
  struct Name {
    std::string name, shown;
  };
  const std::vector<Name> names = {
      {"with blanks  here", "with blanks  here"},
      {"\"quoted\" and 'single'", "\"quoted\" and 'single'"},
      {"a|b", "a|b"},
      {"star*name", "star*name"},
      {"*stars*", "*stars*"},
      {"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac", "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"},
      {"line\nbreak", "line\\nbreak"},
      {" leading blank", " leading blank"},
      {"-dash", "-dash"},
      {"\xff\xfe raw bytes", "\\xff\\xfe raw bytes"},
      {"clear\x1b[2Jscreen", "clear\\e[2Jscreen"},
      {"tab\tand bell\x07", "tab\\tand bell\\x07"},
      {"c1 \xc2\x9b"
       "0m",
       "c1 \\u009b0m"},
  };
  for (const auto& [name, shown] : names) {
    SCOPED_TRACE(shown);
    for (const auto& e : fs::directory_iterator(dir.path())) fs::remove(e.path());
    const std::string path = dir / name;
    const auto content = rng.Bytes(20000);
    WriteFile(path, content);
    ASSERT_EQ(run({"encrypt", "--delete-original", "--", path}), 0) << err.str();
    EXPECT_EQ(snapshot().size(), 1u);
    ASSERT_TRUE(fs::exists(path + ".VELT"));
    // A wrong password names the file, exactly as it is called, and changes nothing.
    const auto before = snapshot();
    EXPECT_EQ(run({"decrypt", "--", path + ".VELT"}, "not the password"), 1);
    EXPECT_NE(err.str().find(dir / shown + ".VELT: the password is incorrect"), std::string::npos)
        << err.str();
    for (char c : err.str()) EXPECT_TRUE(c == '\n' || uint8_t(c) >= 0x20) << err.str();
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(run({"decrypt", "--", path + ".VELT"}), 0) << err.str();
    EXPECT_EQ(ReadFile(path), content);
    EXPECT_EQ(snapshot().size(), 1u);
  }
}

}  // namespace
}  // namespace velt::cli
#endif
