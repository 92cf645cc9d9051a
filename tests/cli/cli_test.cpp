// velt-cli run in-process on real temporary folders: options, password sources, verification,
// exit statuses and the parallel runner.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/engine_names.h"
#include "engine/meta_info.h"
#include "platform/file.h"
#include "tests/support/random_bytes.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/temp_dir.h"

namespace velt::cli {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

class ScriptedTerminal : public Terminal {
 public:
  bool available = true;
  std::deque<std::string> answers;
  std::vector<std::string> prompts;
  bool Available() override { return available; }
  std::optional<std::string> ReadHidden(const std::string& prompt) override {
    prompts.push_back(prompt);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { test::useSettingsStore(home / "registry.reg"); }
  void TearDown() override { test::dropSettingsStore(); }

  int run(std::vector<std::string> args, const std::string& input = "") {
    out.str("");
    err.str("");
    std::istringstream in(input);
    CliEnvironment env{in, out, err,
                       [this](const std::string& n) -> std::optional<std::string> {
                         auto it = vars.find(n);
                         return it == vars.end() ? std::nullopt
                                                 : std::optional<std::string>(it->second);
                       },
                       terminal, false, beforeVerify};
    return RunCli(args, env);
  }
  engine::MetaInfo metaOf(const std::string& path) {
    auto f = platform::File::Open(path, platform::OpenMode::Read);
    std::string problem;
    auto m = engine::ReadMetaInfo(f, problem);
    EXPECT_TRUE(m) << problem;
    return m.value_or(engine::MetaInfo{});
  }

  TempDir home, dir;
  test::Rng rng;
  std::ostringstream out, err;
  ScriptedTerminal terminal;
  std::map<std::string, std::string> vars{{"PW", "secret"}, {"OTHER", "other"}};
  std::function<void(const std::string&)> beforeVerify;
};

TEST(EngineNames, LabelsIndexesAndAliases) {
  struct Case {
    const char* text;
    std::optional<int> cipher, hash;
  };
  for (const Case& c : std::vector<Case>{{"RIJNDAEL", 16, {}},
                                         {"rijndael", 16, {}},
                                         {"16", 16, {}},
                                         {"Cast 128", 2, {}},
                                         {"cast128", 2, {}},
                                         {"MISTY 1", 11, {}},
                                         {"3des", 5, {}},
                                         {"SHA 256", {}, 6},
                                         {"sha256", {}, 6},
                                         {"SHA 386", {}, 7},
                                         {"SHA384", {}, 7},
                                         {"sha 384", {}, 7},
                                         {"7", 7, 7},
                                         {"RMD 160", {}, 4},
                                         {"19", {}, {}},
                                         {"10", 10, {}},
                                         {"-1", {}, {}},
                                         {"", {}, {}},
                                         {"aes", {}, {}}}) {
    EXPECT_EQ(ParseCipher(c.text), c.cipher) << c.text;
    EXPECT_EQ(ParseHash(c.text), c.hash) << c.text;
  }
}

TEST_F(Cli, EncryptsAndDecryptsFoldersWithTheChosenEngines) {
  auto a = rng.bytes(5000), b = rng.bytes(70000);
  fs::create_directories(dir / "sub/.hidden");
  writeFile(dir / "a.txt", a);
  writeFile(dir / "sub/.b.bin", b);  // hidden files are taken...
  writeFile(dir / "sub/.hidden/c", "...hidden folders are not entered, as in the desktop jobs");
  EXPECT_EQ(run({"encrypt", "-r", "-c", "rijndael", "-H", "SHA 386", "--no-compress",
                 "--password-env", "PW", dir.path()}),
            0)
      << err.str();
  EXPECT_NE(out.str().find("2 files encrypted in"), std::string::npos) << out.str();
  auto m = metaOf(dir / "a.txt.VELT");
  EXPECT_EQ(m.cipherIndex, 16);
  EXPECT_EQ(m.hashIndex, 7);
  EXPECT_EQ(m.compression, -1);
  EXPECT_TRUE(fs::exists(dir / "sub/.b.bin.VELT"));
  EXPECT_TRUE(fs::exists(dir / "sub/.hidden/c"));
  EXPECT_FALSE(fs::exists(dir / "a.txt"));

  // Encrypting again skips what is already encrypted, and says so.
  EXPECT_EQ(run({"encrypt", "-r", "--password-env", "PW", dir.path()}), 0);
  EXPECT_NE(err.str().find("skipped, already encrypted"), std::string::npos) << err.str();
  EXPECT_NE(out.str().find("0 files encrypted in"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("2 skipped: already encrypted"), std::string::npos) << out.str();

  EXPECT_EQ(run({"decrypt", "-r", "--password-env", "PW", dir.path()}), 0) << err.str();
  EXPECT_EQ(readFile(dir / "a.txt"), a);
  EXPECT_EQ(readFile(dir / "sub/.b.bin"), b);
  EXPECT_FALSE(fs::exists(dir / "a.txt.VELT"));
}

TEST_F(Cli, OptionsReachTheEngine) {
  writeFile(dir / "keep.txt", "keep me beside the encrypted file");
  EXPECT_EQ(run({"encrypt", "--keep-original", "--extension", "ABC", "--password-env", "PW",
                 dir / "keep.txt"}),
            0);
  EXPECT_TRUE(fs::exists(dir / "keep.txt"));
  EXPECT_TRUE(fs::exists(dir / "keep.txt.ABC"));

  writeFile(dir / "inplace.txt", "replaced by its encrypted form");
  EXPECT_EQ(run({"encrypt", "--no-extension", "--password-env", "PW", dir / "inplace.txt"}), 0);
  EXPECT_TRUE(engine::HasMetaInfo(dir / "inplace.txt"));

  writeFile(dir / "bare.txt", "no meta information at all");
  EXPECT_EQ(run({"encrypt", "--no-compress", "--no-meta", "--password-env", "PW",
                 dir / "bare.txt"}),
            0);
  EXPECT_FALSE(engine::HasMetaInfo(dir / "bare.txt.VELT"));

  // Levels: best never makes a bigger file than fastest on compressible text.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i % 97) + " of some text\n";
  writeFile(dir / "fast.txt", text);
  writeFile(dir / "best.txt", text);
  EXPECT_EQ(run({"encrypt", "--level", "fastest", "--password-env", "PW", dir / "fast.txt"}), 0);
  EXPECT_EQ(run({"encrypt", "--level", "BEST", "--password-env", "PW", dir / "best.txt"}), 0);
  EXPECT_LT(fs::file_size(dir / "best.txt.VELT"), fs::file_size(dir / "fast.txt.VELT"));
}

#ifndef _WIN32
// The hive file (Windows: win32/settings_test.cpp).
TEST_F(Cli, TheSavedSettingsAreTheDefaults) {
  writeFile(home / "registry.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n"
            "\"def\"=\"SAFE\"\n\"enc\"=dword:00000011\n\"hash\"=dword:00000009\n"
            "\"comp\"=dword:00000000\n\"compspeed\"=dword:00000000\n\"ext\"=dword:ffffffff\n"
            "\"sec\"=dword:00000000\n\"del\"=dword:00000000\n\"com\"=dword:00000000\n"
            "\"add\"=dword:ffffffff\n");
  auto before = readFile(home / "registry.reg");
  writeFile(dir / "f", "settings decide");
  EXPECT_EQ(run({"encrypt", "--password-env", "PW", dir / "f"}), 0) << err.str();
  EXPECT_TRUE(fs::exists(dir / "f"));  // "del" is off
  auto m = metaOf(dir / "f.SAFE");
  EXPECT_EQ(m.cipherIndex, 17);
  EXPECT_EQ(m.hashIndex, 9);
  EXPECT_EQ(m.compression, -1);
  EXPECT_EQ(readFile(home / "registry.reg"), before) << "the tool never writes settings";
}
#endif

TEST_F(Cli, PasswordSources) {
  writeFile(dir / "pw.txt", "from a file\r\nsecond line ignored\n");
  writeFile(dir / "a", "a");
  EXPECT_EQ(run({"encrypt", "-p", dir / "pw.txt", dir / "a"}), 0);
  EXPECT_EQ(run({"decrypt", "-p", "-", dir / "a.VELT"}, "from a file\n"), 0) << err.str();
  EXPECT_EQ(readFile(dir / "a"), std::vector<uint8_t>{'a'});

  // The terminal asks twice when encrypting; a mismatch changes nothing.
  terminal.answers = {"typed", "typo"};
  EXPECT_EQ(run({"encrypt", dir / "a"}), 2);
  EXPECT_NE(err.str().find("do not match"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "a"));
  EXPECT_FALSE(fs::exists(dir / "a.VELT"));
  terminal.answers = {"typed", "typed"};
  EXPECT_EQ(run({"encrypt", dir / "a"}), 0);
  terminal.prompts.clear();
  terminal.answers = {"typed"};
  EXPECT_EQ(run({"decrypt", dir / "a.VELT"}), 0);
  EXPECT_EQ(terminal.prompts.size(), 1u) << "decryption asks once";

  terminal.available = false;
  EXPECT_EQ(run({"encrypt", dir / "a"}), 2);
  EXPECT_NE(err.str().find("--password-file"), std::string::npos);
  EXPECT_EQ(run({"encrypt", "--password-env", "UNSET", dir / "a"}), 2);
}

TEST_F(Cli, VerifyCatchesADamagedOutputAndKeepsTheOriginal) {
  auto content = rng.bytes(50000);
  writeFile(dir / "precious", content);
  // Through VELT's own file layer: the file is held by the job, which on Windows keeps every
  // other opener out.
  beforeVerify = [](const std::string& output) {
    auto f = platform::File::Open(output, platform::OpenMode::ReadWrite, platform::Locking::None);
    uint8_t byte = 0;
    ASSERT_EQ(f.ReadAt(f.Size() / 3, &byte, 1), 1u);
    byte ^= 0x01;
    f.WriteAt(f.Size() / 3, &byte, 1);
  };
  for (const char* compress : {"--compress", "--no-compress"}) {
    EXPECT_EQ(run({"encrypt", "--verify", compress, "--password-env", "PW", dir / "precious"}), 1);
    EXPECT_NE(err.str().find("verification failed"), std::string::npos) << err.str();
    EXPECT_EQ(dir.names(), std::vector<std::string>{"precious"});
    EXPECT_EQ(readFile(dir / "precious"), content);
  }
  beforeVerify = nullptr;
  EXPECT_EQ(run({"encrypt", "--verify", "--password-env", "PW", dir / "precious"}), 0);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"precious.VELT"});
}

TEST_F(Cli, ExitStatusWithAMixOfFiles) {
  writeFile(dir / "good", "good");
  writeFile(dir / "wrong", "wrong");
  writeFile(dir / "plain", "plain");
  EXPECT_EQ(run({"encrypt", "--password-env", "OTHER", dir / "wrong"}), 0);
  EXPECT_EQ(run({"encrypt", "--password-env", "PW", dir / "good"}), 0);
  // Decrypting: one right, one wrong password, one without meta information.
  EXPECT_EQ(run({"decrypt", "--password-env", "PW", dir / "good.VELT", dir / "wrong.VELT",
                 dir / "plain", dir / "missing"}),
            1);
  std::string e = err.str();
  EXPECT_NE(e.find("wrong.VELT: the password is incorrect"), std::string::npos) << e;
  EXPECT_NE(e.find("plain: skipped, no VELT meta information"), std::string::npos) << e;
  EXPECT_NE(e.find("missing: no such file or folder"), std::string::npos) << e;
  EXPECT_NE(out.str().find("1 file decrypted"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("2 failed"), std::string::npos) << out.str();
  EXPECT_TRUE(fs::exists(dir / "good"));
  EXPECT_TRUE(fs::exists(dir / "wrong.VELT"));

  // Folders need -r; usage errors are 2.
  EXPECT_EQ(run({"encrypt", "--password-env", "PW", dir.path()}), 1);
  EXPECT_EQ(run({"encrypt"}), 2);
  EXPECT_EQ(run({"encrypt", "--no-meta", "--password-env", "PW", dir / "plain"}), 2);
  EXPECT_EQ(run({"encrypt", "--extension", "a b", "--password-env", "PW", dir / "plain"}), 2);
  EXPECT_EQ(run({"encrypt", "-c", "nonsense", "--password-env", "PW", dir / "plain"}), 2);
  EXPECT_EQ(run({"decrypt", "--all", "--password-env", "PW", dir / "plain"}), 2);
  EXPECT_EQ(run({"frobnicate"}), 2);
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_NE(out.str().find("velt-cli"), std::string::npos);
}

TEST_F(Cli, FilesWithoutMetaInformationNeedAllAndTheEngines) {
  auto content = rng.bytes(999);
  writeFile(dir / "bare", content);
  EXPECT_EQ(run({"encrypt", "--no-compress", "--no-meta", "-c", "3DES", "-H", "sha1",
                 "--password-env", "PW", dir / "bare"}),
            0);
  EXPECT_EQ(run({"decrypt", "--all", "-c", "5", "-H", "5", "--password-env", "PW",
                 dir / "bare.VELT"}),
            0)
      << err.str();
  EXPECT_EQ(readFile(dir / "bare"), content);
  EXPECT_TRUE(fs::exists(dir / "bare.VELT(orig)"));  // kept unless --delete-original
}

TEST_F(Cli, ParallelJobsGiveTheSameFilesAsOneAtATime) {
  TempDir one, many;
  for (int i = 0; i < 24; ++i) {
    auto content = rng.bytes(size_t(1000 + 997 * i));
    writeFile(one / ("f" + std::to_string(i)), content);
    writeFile(many / ("f" + std::to_string(i)), content);
  }
  EXPECT_EQ(run({"encrypt", "-r", "-j", "1", "--password-env", "PW", one.path()}), 0);
  EXPECT_EQ(run({"encrypt", "-r", "-j", "6", "--password-env", "PW", many.path()}), 0);
  ASSERT_EQ(one.names(), many.names());
  for (const auto& n : one.names()) EXPECT_EQ(readFile(one / n), readFile(many / n)) << n;
  EXPECT_EQ(run({"decrypt", "-r", "-j", "6", "--password-env", "PW", many.path()}), 0);
  EXPECT_EQ(many.names().size(), 24u);
}

TEST_F(Cli, InfoReportsRecordsDamageAndStaleTemporaryFiles) {
  writeFile(dir / "doc", "some content here");
  EXPECT_EQ(run({"encrypt", "-c", "16", "-H", "6", "--password-env", "PW", dir / "doc"}), 0);
  EXPECT_EQ(run({"info", dir / "doc.VELT"}), 0);
  EXPECT_NE(out.str().find("cipher: RIJNDAEL (16)"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("hash: SHA 256 (6)"), std::string::npos);
  EXPECT_NE(out.str().find("compressed: yes"), std::string::npos);

  auto bytes = readFile(dir / "doc.VELT");
  bytes[bytes.size() - 20] = 0x63;  // cipher index 99
  writeFile(dir / "doc.VELT", bytes);
  EXPECT_EQ(run({"info", dir / "doc.VELT"}), 1);
  EXPECT_NE(out.str().find("damaged"), std::string::npos) << out.str();

  writeFile(dir / "doc.tmp59926557600000", "left by a crash");
  writeFile(dir / "doc.tmp59926557600001en", "left by a crash");
  writeFile(dir / "notes.tmp", "not ours");
  EXPECT_EQ(run({"info", dir.path()}), 0);
  EXPECT_NE(out.str().find("2 stale temporary files"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("notes.tmp"), std::string::npos);
}

}  // namespace
}  // namespace velt::cli
