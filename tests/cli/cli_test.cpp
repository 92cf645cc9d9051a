// velt-cli run in-process on real temporary folders: options, password sources, verification,
// existing results, leftovers, stopping, exit statuses and the parallel runner; and as its own
// process for what belongs to the process (signals, the terminal).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <sstream>

#include "batch/password_strength.h"
#include "cli/cli_app.h"
#include "cli/engine_names.h"
#include "cli/progress_display.h"
#include "cli/terminal_text.h"
#include "engine/engine.h"
#include "engine/meta_info.h"
#include "engine/temp_file.h"
#include "platform/file.h"
#include "tests/support/random_bytes.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace velt::cli {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class ScriptedTerminal : public Terminal {
 public:
  bool available = true;
  std::deque<std::string> answers;
  std::vector<std::string> prompts;
  std::function<void()> whileReading;  // what happens while the user is being asked
  bool Available() override { return available; }
  std::optional<std::string> ReadHidden(const std::string& prompt) override {
    prompts.push_back(prompt);
    if (whileReading) whileReading();
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { test::UseSettingsStore(home / "registry.reg"); }
  void TearDown() override { test::DropSettingsStore(); }

  int run(std::vector<std::string> args, const std::string& input = "") {
    out.str("");
    err.str("");
    std::istringstream in(input);
    CliEnvironment env{in,
                       out,
                       err,
                       [this](const std::string& n) -> std::optional<std::string> {
                         auto it = vars.find(n);
                         return it == vars.end() ? std::nullopt
                                                 : std::optional<std::string>(it->second);
                       },
                       terminal,
                       false,
                       beforeVerify,
                       stop};
    return RunCli(args, env);
  }
  // Every name in the folder with its bytes.
  std::map<std::string, std::vector<uint8_t>> snapshot() {
    std::map<std::string, std::vector<uint8_t>> s;
    for (const auto& n : dir.Names())
      s[n] =
          fs::is_regular_file(test::PathOf(dir / n)) ? ReadFile(dir / n) : std::vector<uint8_t>{};
    return s;
  }
  bool has(const std::string& text) { return err.str().find(text) != std::string::npos; }
  engine::MetaInfo MetaOf(const std::string& path) {
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
  StopRequest* stop = nullptr;
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

TEST(TerminalText, ControlCharactersAreShownNotSent) {
  struct Case {
    const char* what;
    std::string text, shown;
  };
  for (const Case& c : std::vector<Case>{
           {"plain", "report 2024.pdf", "report 2024.pdf"},
           {"line break", "a\nb", "a\\nb"},
           {"tab and return", "a\tb\r", "a\\tb\\r"},
           {"clear screen", "\x1b[2J", "\\e[2J"},
           {"bell, NUL and DEL", std::string("\x07\0\x7f", 3), "\\x07\\x00\\x7f"},
           {"letters of other scripts", "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac",
            "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac"},
           {"Windows folders", "C:\\dir\\file", "C:\\dir\\file"},
           {"bytes that are not UTF-8", "\xff\xfe raw", "\\xff\\xfe raw"},
           {"a sequence cut short", "ab\xc3", "ab\\xc3"},
           {"a lead byte before ASCII", "\xe6x", "\\xe6x"},
           {"an overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
           {"a surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
           {"the C1 escape introducer",
            "a\xc2\x9b"
            "2J",
            "a\\u009b2J"},
           {"a right-to-left override", "evil\xe2\x80\xaetxt.exe", "evil\\u202etxt.exe"},
           {"empty", "", ""},
       }) {
    EXPECT_EQ(TerminalText(c.text), c.shown) << c.what;
  }
}

TEST_F(Cli, EncryptsAndDecryptsFoldersWithTheChosenEngines) {
  auto a = rng.Bytes(5000), b = rng.Bytes(70000);
  fs::create_directories(dir / "sub/.hidden");
  WriteFile(dir / "a.txt", a);
  WriteFile(dir / "sub/.b.bin", b);  // hidden files are taken...
  WriteFile(dir / "sub/.hidden/c", "...hidden folders are not entered, as in the desktop jobs");
  EXPECT_EQ(run({"encrypt", "-r", "-c", "rijndael", "-H", "SHA 386", "--no-compress",
                 "--password-env", "PW", dir.path()}),
            0)
      << err.str();
  EXPECT_NE(out.str().find("2 files encrypted in"), std::string::npos) << out.str();
  auto m = MetaOf(dir / "a.txt.VELT");
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
  EXPECT_EQ(ReadFile(dir / "a.txt"), a);
  EXPECT_EQ(ReadFile(dir / "sub/.b.bin"), b);
  EXPECT_FALSE(fs::exists(dir / "a.txt.VELT"));
}

TEST_F(Cli, OptionsReachTheEngine) {
  WriteFile(dir / "keep.txt", "keep me beside the encrypted file");
  EXPECT_EQ(run({"encrypt", "--keep-original", "--extension", "ABC", "--password-env", "PW",
                 dir / "keep.txt"}),
            0);
  EXPECT_TRUE(fs::exists(dir / "keep.txt"));
  EXPECT_TRUE(fs::exists(dir / "keep.txt.ABC"));

  WriteFile(dir / "inplace.txt", "replaced by its encrypted form");
  EXPECT_EQ(run({"encrypt", "--no-extension", "--password-env", "PW", dir / "inplace.txt"}), 0);
  EXPECT_TRUE(engine::HasMetaInfo(dir / "inplace.txt"));

  WriteFile(dir / "bare.txt", "no meta information at all");
  EXPECT_EQ(
      run({"encrypt", "--no-compress", "--no-meta", "--password-env", "PW", dir / "bare.txt"}), 0);
  EXPECT_FALSE(engine::HasMetaInfo(dir / "bare.txt.VELT"));

  // Levels: best never makes a bigger file than fastest on compressible text.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i % 97) + " of some text\n";
  WriteFile(dir / "fast.txt", text);
  WriteFile(dir / "best.txt", text);
  EXPECT_EQ(run({"encrypt", "--level", "fastest", "--password-env", "PW", dir / "fast.txt"}), 0);
  EXPECT_EQ(run({"encrypt", "--level", "BEST", "--password-env", "PW", dir / "best.txt"}), 0);
  EXPECT_LT(fs::file_size(dir / "best.txt.VELT"), fs::file_size(dir / "fast.txt.VELT"));
}

#ifndef _WIN32
// The hive file (Windows: win32/settings_test.cpp).
TEST_F(Cli, TheSavedSettingsAreTheDefaults) {
  WriteFile(home / "registry.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n"
            "\"def\"=\"SAFE\"\n\"enc\"=dword:00000011\n\"hash\"=dword:00000009\n"
            "\"comp\"=dword:00000000\n\"compspeed\"=dword:00000000\n\"ext\"=dword:ffffffff\n"
            "\"sec\"=dword:00000000\n\"del\"=dword:00000000\n\"com\"=dword:00000000\n"
            "\"add\"=dword:ffffffff\n");
  auto before = ReadFile(home / "registry.reg");
  WriteFile(dir / "f", "settings decide");
  EXPECT_EQ(run({"encrypt", "--password-env", "PW", dir / "f"}), 0) << err.str();
  EXPECT_TRUE(fs::exists(dir / "f"));  // "del" is off
  auto m = MetaOf(dir / "f.SAFE");
  EXPECT_EQ(m.cipherIndex, 17);
  EXPECT_EQ(m.hashIndex, 9);
  EXPECT_EQ(m.compression, -1);
  EXPECT_EQ(ReadFile(home / "registry.reg"), before) << "the tool never writes settings";
  EXPECT_EQ(home.Names(), std::vector<std::string>{"registry.reg"})
      << "nor a lock file beside them";
}

TEST_F(Cli, TheSavedMetaSettingIsFollowed) {
  struct Case {
    const char* com;
    const char* add;
    std::vector<std::string> options;
    int status;
    bool meta, compressed;
  };
  const std::vector<Case> cases = {
      {"00000000", "00000000", {}, 0, false, false},
      {"00000000", "00000000", {"--meta"}, 0, true, false},
      // Switching compression on or off checks the meta box, as in the options dialog.
      {"00000000", "00000000", {"--compress"}, 0, true, true},
      {"ffffffff", "00000000", {"--no-compress"}, 0, true, false},
      {"ffffffff", "00000000", {"--meta"}, 0, true, true},
      {"00000000", "ffffffff", {"--no-meta"}, 0, false, false},
      {"ffffffff", "ffffffff", {}, 0, true, true},
      {"00000000", "00000000", {"--meta", "--no-meta"}, 2, false, false},
      {"ffffffff", "ffffffff", {"--no-meta"}, 2, false, false},
      // Compressed without meta information would decrypt to the compressed bytes.
      {"ffffffff", "00000000", {}, 2, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.com) + " " + c.add + " " + (c.options.empty() ? "" : c.options[0]));
    WriteFile(home / "registry.reg",
              std::string("Windows Registry Editor Version 5.00\n\n"
                          "[HKEY_LOCAL_MACHINE\\Software\\VELT]\n\"def\"=\"VELT\"\n"
                          "\"enc\"=dword:00000000\n\"hash\"=dword:00000000\n"
                          "\"comp\"=dword:00000000\n\"compspeed\"=dword:00000000\n"
                          "\"ext\"=dword:ffffffff\n\"sec\"=dword:00000000\n\"del\"=dword:ffffffff\n"
                          "\"com\"=dword:") +
                  c.com + "\n\"add\"=dword:" + c.add + "\n");
    for (const auto& n : dir.Names()) fs::remove(test::PathOf(dir / n));
    const auto content = rng.Bytes(3000);
    WriteFile(dir / "f", content);
    std::vector<std::string> args = {"encrypt", "--password-env", "PW"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir / "f");
    ASSERT_EQ(run(args), c.status) << err.str();
    if (c.status != 0) {
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"f"});
      EXPECT_EQ(ReadFile(dir / "f"), content);
      continue;
    }
    EXPECT_EQ(engine::HasMetaInfo(dir / "f.VELT"), c.meta);
    if (c.meta) {
      EXPECT_EQ(MetaOf(dir / "f.VELT").compression, c.compressed ? 0 : -1);
    }
  }
  EXPECT_TRUE(has("give --meta or --no-compress")) << err.str();
}
#endif

TEST_F(Cli, PasswordSources) {
  WriteFile(dir / "pw.txt", "from a file\r\nsecond line ignored\n");
  WriteFile(dir / "a", "a");
  EXPECT_EQ(run({"encrypt", "-p", dir / "pw.txt", dir / "a"}), 0);
  EXPECT_EQ(run({"decrypt", "-p", "-", dir / "a.VELT"}, "from a file\n"), 0) << err.str();
  EXPECT_EQ(ReadFile(dir / "a"), std::vector<uint8_t>{'a'});

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

  // A weak password is named before encrypting with it, even with --quiet; the work goes on.
  if (batch::EstimatePasswordStrength("secret").available) {
    vars["LONG"] = "correct horse battery staple, 19 quiet geese";
    struct Case {
      const char* variable;
      bool warned;
    };
    for (const Case& c : std::vector<Case>{{"PW", true}, {"LONG", false}}) {
      SCOPED_TRACE(c.variable);
      WriteFile(dir / "w", "weak or not");
      EXPECT_EQ(run({"encrypt", "-q", "--password-env", c.variable, dir / "w"}), 0) << err.str();
      EXPECT_EQ(has("velt-cli: warning: This password is weak"), c.warned) << err.str();
      EXPECT_TRUE(fs::exists(dir / "w.VELT"));
      EXPECT_EQ(run({"decrypt", "-q", "--password-env", c.variable, dir / "w.VELT"}), 0);
      EXPECT_FALSE(has("warning")) << "decrypting says nothing about the password";
    }
  }
}

TEST_F(Cli, PasswordsThatCannotBeHadChangeNothing) {
  fs::create_directories(test::PathOf(dir / "folder"));
  WriteFile(dir / "empty", "");
  WriteFile(dir / "blank", "\nthe second line is not the password\n");
  WriteFile(dir / "a", "the file to encrypt");
  vars["EMPTY"] = "";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    std::deque<std::string> typed;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"-p a folder", {"encrypt", "-p", dir / "folder"}, "", {}, "it is a folder"},
      {"-p a folder, decrypting",
       {"decrypt", "--all", "-c", "0", "-H", "0", "-p", dir / "folder"},
       "",
       {},
       "it is a folder"},
      {"-p a missing file", {"encrypt", "-p", dir / "missing"}, "", {}, "no such file"},
      {"-p - with nothing on standard input",
       {"encrypt", "-p", "-"},
       "",
       {},
       "no password on standard input"},
      {"-p - with nothing, decrypting",
       {"decrypt", "--all", "-c", "0", "-H", "0", "-p", "-"},
       "",
       {},
       "no password on standard input"},
      {"-p an empty file", {"encrypt", "-p", dir / "empty"}, "", {}, "encryption needs a password"},
      {"-p a blank first line",
       {"encrypt", "-p", dir / "blank"},
       "",
       {},
       "encryption needs a password"},
      {"-p - a blank line", {"encrypt", "-p", "-"}, "\n", {}, "encryption needs a password"},
      {"an empty variable",
       {"encrypt", "--password-env", "EMPTY"},
       "",
       {},
       "encryption needs a password"},
      {"two empty entries", {"encrypt"}, "", {"", ""}, "encryption needs a password"},
  };
  const auto before = snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    terminal.answers = c.typed;
    auto args = c.args;
    args.push_back(dir / "a");
    EXPECT_EQ(run(args, c.input), 2);
    EXPECT_TRUE(has(c.message)) << err.str();
    EXPECT_EQ(snapshot(), before);
  }

  // Decryption takes an empty password: an older file may have been made with one.
  const auto content = rng.Bytes(4000);
  for (const char* how : {"-p empty", "--password-env EMPTY", "-p -"}) {
    SCOPED_TRACE(how);
    WriteFile(dir / "e", content);
    engine::NullProgressSink sink;
    engine::EncryptOneFile(dir / "e", "", engine::EngineSettings{}, sink);
    std::vector<std::string> args = {"decrypt"};
    if (how == std::string("-p empty")) args.insert(args.end(), {"-p", dir / "empty"});
    if (how == std::string("--password-env EMPTY"))
      args.insert(args.end(), {"--password-env", "EMPTY"});
    if (how == std::string("-p -")) args.insert(args.end(), {"-p", "-"});
    args.push_back(dir / "e.VELT");
    EXPECT_EQ(run(args, "\n"), 0) << err.str();
    EXPECT_EQ(ReadFile(dir / "e"), content);
  }
}

TEST_F(Cli, VerifyCatchesADamagedOutputAndKeepsTheOriginal) {
  auto content = rng.Bytes(50000);
  WriteFile(dir / "precious", content);
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
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"precious"});
    EXPECT_EQ(ReadFile(dir / "precious"), content);
  }
  beforeVerify = nullptr;
  EXPECT_EQ(run({"encrypt", "--verify", "--password-env", "PW", dir / "precious"}), 0);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"precious.VELT"});
}

TEST_F(Cli, ExitStatusWithAMixOfFiles) {
  WriteFile(dir / "good", "good");
  WriteFile(dir / "wrong", "wrong");
  WriteFile(dir / "plain", "plain");
  EXPECT_EQ(run({"encrypt", "--password-env", "OTHER", dir / "wrong"}), 0);
  EXPECT_EQ(run({"encrypt", "--password-env", "PW", dir / "good"}), 0);
  // Decrypting: one right, one wrong password, one without meta information.
  EXPECT_EQ(run({"decrypt", "--password-env", "PW", dir / "good.VELT", dir / "wrong.VELT",
                 dir / "plain", dir / "missing"}),
            1);
  std::string e = err.str();
  EXPECT_NE(e.find("wrong.VELT: the password is incorrect or the file is damaged (the file is "
                   "left as it was)"),
            std::string::npos)
      << e;
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
  auto content = rng.Bytes(999);
  WriteFile(dir / "bare", content);
  EXPECT_EQ(run({"encrypt", "--no-compress", "--no-meta", "-c", "3DES", "-H", "sha1",
                 "--password-env", "PW", dir / "bare"}),
            0);
  EXPECT_EQ(
      run({"decrypt", "--all", "-c", "5", "-H", "5", "--password-env", "PW", dir / "bare.VELT"}), 0)
      << err.str();
  EXPECT_EQ(ReadFile(dir / "bare"), content);
  EXPECT_TRUE(fs::exists(dir / "bare.VELT(orig)"));  // kept unless --delete-original
}

TEST_F(Cli, ParallelJobsGiveTheSameFilesAsOneAtATime) {
  TempDir one, many;
  for (int i = 0; i < 24; ++i) {
    auto content = rng.Bytes(size_t(1000 + 997 * i));
    WriteFile(one / ("f" + std::to_string(i)), content);
    WriteFile(many / ("f" + std::to_string(i)), content);
  }
  EXPECT_EQ(run({"encrypt", "-r", "-j", "1", "--password-env", "PW", one.path()}), 0);
  EXPECT_EQ(run({"encrypt", "-r", "-j", "6", "--password-env", "PW", many.path()}), 0);
  ASSERT_EQ(one.Names(), many.Names());
  for (const auto& n : one.Names()) EXPECT_EQ(ReadFile(one / n), ReadFile(many / n)) << n;
  EXPECT_EQ(run({"decrypt", "-r", "-j", "6", "--password-env", "PW", many.path()}), 0);
  EXPECT_EQ(many.Names().size(), 24u);
}

// The total on the progress line follows the engine's real stage reports for one file of two:
// it only grows from the first stage to the last, reaches the file's share only when the last
// stage is done (the planned stages are the ones that come), and the whole at the end.
TEST_F(Cli, TheTotalPercentageOnlyGrowsThroughEveryStage) {
  // Hands each report on to the display's sink and reads the total off the line after it.
  struct Sampling final : engine::ProgressSink {
    engine::ProgressSink* inner = nullptr;
    ProgressDisplay* display = nullptr;
    std::vector<std::pair<std::string, int>> totals;  // the stage, the total
    std::string status;
    void Sample() {
      int total = -1;
      std::sscanf(display->Line().c_str(), "[%*u/%*u] %d%%", &total);
      totals.emplace_back(status, total);
    }
    void ShowStatus(const std::string& text) override {
      inner->ShowStatus(status = text);
      Sample();
    }
    void ShowFileName(const std::string& name) override { inner->ShowFileName(name); }
    void ShowPercent(int n) override {
      inner->ShowPercent(n);
      Sample();
    }
    void ShowBar(int n) override {
      inner->ShowBar(n);
      Sample();
    }
  };
  struct Case {
    const char* what;
    bool encrypt, compress, secure, deleteOriginal;
    const char* lastStage;
  };
  const std::string p = dir / "big";
  for (const Case& c : std::vector<Case>{{"compressed, deleted securely", true, true, true, true,
                                          "Deleting Temporary File (Securely)"},
                                         {"working copy overwritten, original kept", true, false,
                                          true, false, "Deleting Temporary File (Securely)"},
                                         {"plain copy", true, false, false, true, "Encrypting"},
                                         {"decryption", false, true, false, true, "Decrypting"}}) {
    SCOPED_TRACE(c.what);
    engine::EngineSettings s;
    s.compress = c.compress;
    s.secureDelete = c.secure;
    s.deleteOriginal = c.deleteOriginal;
    const uint64_t size = 1 << 20;
    WriteFile(p, rng.Bytes(size));
    engine::NullProgressSink quiet;
    if (!c.encrypt) engine::EncryptOneFile(p, "pw", s, quiet);
    ProgressDisplay display(err, 2, 2 * size, 1,
                            c.encrypt ? EncryptionStages(s) : DecryptionStages());
    Sampling sampling;
    sampling.display = &display;
    sampling.inner = &display.Begin(0, "big", size);
    if (c.encrypt) {
      engine::EncryptOneFile(p, "pw", s, sampling);
    } else {
      engine::DecryptOneFile(p + ".VELT", "pw", true, s, {}, sampling);
    }
    ASSERT_FALSE(sampling.totals.empty());
    std::vector<int> values;
    for (auto& [stage, total] : sampling.totals) values.push_back(total);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), 50);  // one file of two, all its stages done
    for (auto& [stage, total] : sampling.totals) {
      if (stage == c.lastStage) break;
      EXPECT_LT(total, 50) << stage << ": the file's share came before its last stage";
    }
    display.End(0);
    int total = -1;
    std::sscanf(display.Line().c_str(), "[%*u/%*u] %d%%", &total);
    EXPECT_EQ(total, 50);
    std::remove(p.c_str());
    std::remove((p + ".VELT").c_str());
  }
}

TEST_F(Cli, InfoReportsRecordsDamageAndStaleTemporaryFiles) {
  WriteFile(dir / "doc", "some content here");
  EXPECT_EQ(run({"encrypt", "-c", "16", "-H", "6", "--password-env", "PW", dir / "doc"}), 0);
  EXPECT_EQ(run({"info", dir / "doc.VELT"}), 0);
  EXPECT_NE(out.str().find("cipher: RIJNDAEL (16)"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("hash: SHA 256 (6)"), std::string::npos);
  EXPECT_NE(out.str().find("compressed: yes"), std::string::npos);

  auto bytes = ReadFile(dir / "doc.VELT");
  bytes[bytes.size() - 20] = 0x63;  // cipher index 99
  WriteFile(dir / "doc.VELT", bytes);
  EXPECT_EQ(run({"info", dir / "doc.VELT"}), 1);
  EXPECT_NE(out.str().find("damaged"), std::string::npos) << out.str();

  WriteFile(dir / "doc.tmp59926557600000", "left by a crash");
  WriteFile(dir / "doc.tmp59926557600001en", "left by a crash");
  WriteFile(dir / "notes.tmp", "not ours");
  EXPECT_EQ(run({"info", dir.path()}), 0);
  EXPECT_NE(out.str().find("2 stale temporary files"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("notes.tmp"), std::string::npos);
}

TEST_F(Cli, ExistingResultsAreReplacedOnlyWithOverwrite) {
  struct Case {
    const char* what;
    bool encrypting, overwrite;
    bool oldResultEncrypted;  // encrypting: the file under the new name has meta information
    int status;
  };
  const std::vector<Case> cases = {
      {"older encrypted file", true, false, true, 1},
      {"older encrypted file, --overwrite", true, true, true, 0},
      {"file without meta information", true, false, false, 1},
      {"file without meta information, --overwrite", true, true, false, 1},
      {"decrypted name taken", false, false, false, 1},
      {"decrypted name taken, --overwrite", false, true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& n : dir.Names()) fs::remove(test::PathOf(dir / n));
    const auto content = rng.Bytes(6000), other = rng.Bytes(5000);
    const std::string doc = dir / "doc", velt = dir / "doc.VELT";
    if (c.encrypting) {
      WriteFile(doc, other);
      ASSERT_EQ(run({"encrypt", "--password-env", "OTHER", doc}), 0);
      if (!c.oldResultEncrypted) WriteFile(velt, other);
      WriteFile(doc, content);
    } else {
      WriteFile(doc, content);
      ASSERT_EQ(run({"encrypt", "--keep-original", "--password-env", "PW", doc}), 0);
      WriteFile(doc, other);
    }
    const auto before = snapshot();
    std::vector<std::string> args = {c.encrypting ? "encrypt" : "decrypt", "--password-env", "PW"};
    if (c.overwrite) args.push_back("--overwrite");
    args.push_back(c.encrypting ? doc : velt);
    EXPECT_EQ(run(args), c.status) << err.str();
    if (c.status == 0) {
      // The new result stands under the name, and nothing else is left.
      if (c.encrypting) {
        ASSERT_EQ(run({"decrypt", "--password-env", "PW", velt}), 0) << err.str();
      }
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"doc"});
      EXPECT_EQ(ReadFile(doc), content);
      continue;
    }
    EXPECT_EQ(snapshot(), before);
    // One line that names both files.
    EXPECT_TRUE(has("velt-cli: " + (c.encrypting ? doc : velt) + ": ")) << err.str();
    EXPECT_TRUE(has(c.encrypting ? velt : doc + " ")) << err.str();
    // --overwrite is pointed to only where it would help.
    EXPECT_EQ(has("use --overwrite"), !c.overwrite && (!c.encrypting || c.oldResultEncrypted))
        << err.str();
    EXPECT_EQ(has("rename or move it first"), c.encrypting && !c.oldResultEncrypted) << err.str();
    EXPECT_NE(out.str().find("1 failed"), std::string::npos) << out.str();
  }
}

TEST_F(Cli, UncheckedFilesAreKeptAndSaidSo) {
  const auto content = rng.Bytes(7000);
  struct Case {
    const char* what;
    std::vector<std::string> encryptOptions, decryptOptions;
    bool kept;
    const char* why;
  };
  const std::vector<Case> cases = {
      {"compressed: checked by the decompression", {"--compress"}, {}, false, ""},
      {"not compressed", {"--no-compress"}, {}, true, "the password could be checked only weakly"},
      {"not compressed, --delete-original", {"--no-compress"}, {"--delete-original"}, false, ""},
      {"no meta information",
       {"--no-compress", "--no-meta", "-c", "2", "-H", "3"},
       {"--all", "-c", "2", "-H", "3"},
       true,
       "no meta information, so the password could not be checked"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& n : dir.Names()) fs::remove(test::PathOf(dir / n));
    WriteFile(dir / "u", content);
    std::vector<std::string> args = {"encrypt", "--password-env", "PW"};
    args.insert(args.end(), c.encryptOptions.begin(), c.encryptOptions.end());
    args.push_back(dir / "u");
    ASSERT_EQ(run(args), 0) << err.str();
    const auto encrypted = ReadFile(dir / "u.VELT");
    args = {"decrypt", "--password-env", "PW"};
    args.insert(args.end(), c.decryptOptions.begin(), c.decryptOptions.end());
    args.push_back(dir / "u.VELT");
    ASSERT_EQ(run(args), 0) << err.str();
    EXPECT_EQ(ReadFile(dir / "u"), content);
    if (!c.kept) {
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"u"});
      EXPECT_FALSE(has("kept"));
      continue;
    }
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"u", "u.VELT(orig)"}));
    EXPECT_EQ(ReadFile(dir / "u.VELT(orig)"), encrypted);
    // One line, naming both files and why.
    EXPECT_TRUE(has("velt-cli: " + dir / "u.VELT: kept as " + dir / "u.VELT(orig): ")) << err.str();
    EXPECT_TRUE(has(c.why)) << err.str();
    const std::string said = err.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(out.str().find("1 file decrypted"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("1 kept encrypted as NAME(orig)"), std::string::npos) << out.str();
  }
}

TEST_F(Cli, AStopEndsTheRunAtASafePointAndSaysWhatWasDone) {
  const auto a = rng.Bytes(3000), b = rng.Bytes(4000), c = rng.Bytes(5000);
  WriteFile(dir / "a", a);
  WriteFile(dir / "b", b);
  WriteFile(dir / "c", c);
  const auto before = snapshot();

  // Ctrl+C at the password prompt: nothing is touched, and the status tells the signal.
  StopRequest atPrompt;
  stop = &atPrompt;
  terminal.whileReading = [&] { atPrompt.Request(SIGINT); };
  EXPECT_EQ(run({"encrypt", dir / "a"}), 130);
  EXPECT_TRUE(has("interrupted; nothing was changed")) << err.str();
  EXPECT_EQ(snapshot(), before);
  terminal.whileReading = nullptr;

  // A stop while the first file is being verified, before its result has its name: that file
  // is left as it was and no other is started.
  StopRequest whileWorking;
  stop = &whileWorking;
  beforeVerify = [&](const std::string&) { whileWorking.Request(SIGTERM); };
  EXPECT_EQ(run({"encrypt", "--verify", "-j", "1", "--password-env", "PW", dir / "a", dir / "b",
                 dir / "c"}),
            143);
  EXPECT_TRUE(has("Interrupted: 0 files encrypted, 1 stopped and left as it was, 2 not started"))
      << err.str();
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(out.str(), "");
}

TEST_F(Cli, LeftoversAreLeftOutOfJobsAndExplainedByInfo) {
  // Each fill block of a secure overwrite has a value of its own.
  const std::string halfFilled = std::string(65535, '\x11') + std::string(4465, '\x22');
  struct Leftover {
    const char* name;
    std::string content;
    const char* explained;  // after the job
  };
  const std::vector<Leftover> leftovers = {
      {"doc.tmp59926557600000", "the plaintext of doc",
       "the encrypted file doc.VELT exists: safe to delete, securely"},
      {"gone.tmp59926557600001en", "cipher text",
       "\n    neither gone nor its encrypted file exists: this may be the only copy of its "
       "content; do not delete it, rename it to gone.VELT and decrypt it"},
      {"kept.tmp59926557600002en", "cipher text",
       "the encrypted file kept.VELT is complete: safe to delete"},
      {"x.VELT.tmp59926557600003dc", "plaintext of x",
       "neither x.VELT nor x exists: this may be the only copy"},
      {"filled.tmp59926557600004", halfFilled,
       "holds only fill bytes of a secure overwrite: safe to delete"},
      {"solo.tmp59926557600005", "plaintext of solo",
       "no encrypted file of solo exists: this may be the only copy"},
  };
  fs::create_directories(test::PathOf(dir / "sub"));
  WriteFile(dir / "doc", "doc");
  WriteFile(dir / "sub/kept", "kept");
  for (const auto& l : leftovers)
    WriteFile(dir / (std::string(l.name).starts_with("kept") ? "sub/" : "") + l.name, l.content);
  auto leftoverPath = [&](const Leftover& l) {
    return dir / (std::string(l.name).starts_with("kept") ? "sub/" : "") + l.name;
  };

  EXPECT_EQ(run({"encrypt", "-r", "--password-env", "PW", dir.path()}), 0) << err.str();
  EXPECT_NE(out.str().find("2 files encrypted"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("6 leftovers left out"), std::string::npos) << out.str();
  for (const auto& l : leftovers) {
    SCOPED_TRACE(l.name);
    EXPECT_TRUE(has("velt-cli: " + leftoverPath(l) +
                    ": left out: a leftover of an interrupted VELT run (see velt-cli info)\n"))
        << err.str();
    EXPECT_EQ(test::ReadText(leftoverPath(l)), l.content);
  }
  // Named on the command line, one is refused the same way.
  EXPECT_EQ(run({"decrypt", "--password-env", "PW", leftoverPath(leftovers[1])}), 0);
  EXPECT_TRUE(has(leftoverPath(leftovers[1]) + ": left out: a leftover")) << err.str();
  EXPECT_EQ(test::ReadText(leftoverPath(leftovers[1])), leftovers[1].content);

  EXPECT_EQ(run({"info", dir.path()}), 0);
  const std::string listing = out.str();
  EXPECT_NE(listing.find(": folder, 6 stale temporary files of VELT's naming\n"), std::string::npos)
      << listing;
  for (const auto& l : leftovers) {
    SCOPED_TRACE(l.name);
    const size_t at = listing.find("\n  " + leftoverPath(l) + "\n");
    ASSERT_NE(at, std::string::npos) << listing;
    const size_t next = listing.find("\n  /", at + 1);
    const std::string about =
        listing.substr(at, next == std::string::npos ? std::string::npos : next - at);
    EXPECT_NE(about.find(l.explained), std::string::npos) << about;
  }
  // One leftover by itself is explained the same way.
  EXPECT_EQ(run({"info", leftoverPath(leftovers[3])}), 0);
  EXPECT_NE(out.str().find(": a leftover of an interrupted VELT run\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("decrypted plaintext that had not yet been given its name: delete it "
                           "securely"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find(leftovers[3].explained), std::string::npos) << out.str();
  // A temporary file that a run still holds is that run's, not a leftover.
  {
    auto held = platform::File::Open(leftoverPath(leftovers[0]), platform::OpenMode::Read);
    EXPECT_EQ(run({"info", leftoverPath(leftovers[0])}), 0);
    EXPECT_NE(out.str().find("in use by a VELT run that is still at work: not a leftover"),
              std::string::npos)
        << out.str();
  }
}

#ifndef _WIN32
TEST_F(Cli, InfoSaysWhatAPathIsThatIsNoFile) {
  WriteFile(dir / "target", "a file");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  fs::create_symlink("target", test::PathOf(dir / "link"));
  fs::create_symlink("nowhere", test::PathOf(dir / "dangling"));
  struct Case {
    std::string path, said;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {dir / "pipe", ": a named pipe (FIFO), not a file VELT works on\n", 0},
           {dir / "link", ": a symbolic link to target (VELT does not follow links)\n", 0},
           {dir / "dangling", ": a symbolic link to nowhere (VELT does not follow links)\n", 0},
           {"/dev/null", ": a character device, not a file VELT works on\n", 0},
           {dir / "missing", ": no such file or folder\n", 1},
       }) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(run({"info", c.path}), c.status);
    EXPECT_NE((out.str() + err.str()).find(c.path + c.said), std::string::npos)
        << out.str() << err.str();
  }
}
#endif

#ifndef _WIN32
// velt-cli as a process of its own, for what belongs to the process: signals and the terminal.
class CliProcess : public Cli {
 protected:
  std::vector<std::string> environment() {
    return {"VELT_REGISTRY=" + home / "registry.reg", "PW=" + vars["PW"], "PATH=/usr/bin:/bin"};
  }
  static std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  }
  // Standard error goes to home/err, standard output to home/out.
  pid_t start(std::vector<std::string> args) {
    args.insert(args.begin(), VELT_CLI_PATH);
    auto env = environment();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    const std::string outPath = home / "out", errPath = home / "err";
    posix_spawn_file_actions_addopen(&files, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&files, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    // A session of its own: never the terminal of whoever runs the tests, which a velt-cli
    // that finds no password source would otherwise wait on.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, VELT_CLI_PATH, &files, &attributes, pointers(args).data(),
                          pointers(env).data()),
              0);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    return pid;
  }
  // The exit status; 1000 + the signal when a signal ended it.
  static int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  static bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 60000; ++i) {
      if (done()) return true;
      ::usleep(1000);
    }
    return false;
  }
  std::vector<std::string> temporaries() {
    std::vector<std::string> t;
    for (const auto& n : dir.Names())
      if (engine::IsTemporaryName(n)) t.push_back(n);
    return t;
  }
};

TEST_F(CliProcess, AStopSignalEndsTheRunAtASafePoint) {
  struct Case {
    const char* what;
    std::vector<int> signals;
    int status;
  };
  const std::vector<Case> cases = {
      {"Ctrl+C", {SIGINT}, 130},
      {"kill", {SIGTERM}, 143},
      {"the terminal closed", {SIGHUP}, 129},
      {"Ctrl+C twice: the second waits for the clean-up", {SIGINT, SIGINT}, 130},
  };
  // The big files take long enough to be in progress when the signal comes.
  const auto small = rng.Bytes(2000), big = rng.Bytes(24 << 20), bigger = rng.Bytes(24 << 20);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& n : dir.Names()) fs::remove(test::PathOf(dir / n));
    WriteFile(dir / "a", small);
    WriteFile(dir / "b", big);
    WriteFile(dir / "c", bigger);
    ASSERT_EQ(::chmod((dir / "b").c_str(), 0444), 0);
    const pid_t pid = start({"encrypt", "-j", "1", "--compress", "--level", "best",
                             "--password-env", "PW", dir / "a", dir / "b", dir / "c"});
    // The signal comes while the second file is in progress: once its working copy is there.
    ASSERT_TRUE(WaitUntil([&] {
      for (const auto& n : temporaries())
        if (n.starts_with("b.")) return true;
      return false;
    }));
    for (int signal : c.signals) ASSERT_EQ(::kill(pid, signal), 0);
    EXPECT_EQ(WaitForExit(pid), c.status);
    const std::string said = test::ReadText(home / "err");
    EXPECT_NE(said.find("Interrupted: "), std::string::npos) << said;
    EXPECT_NE(said.find(" not started"), std::string::npos) << said;
    EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 6) << said;
    EXPECT_EQ(temporaries(), std::vector<std::string>{});
    EXPECT_EQ(dir.Names().front(), "a.VELT") << "the first file was done before the signal";
    // Each file either as it was, or encrypted completely and the original gone.
    struct File {
      const char* name;
      const std::vector<uint8_t>& content;
    };
    for (const File& f : {File{"a", small}, File{"b", big}, File{"c", bigger}}) {
      SCOPED_TRACE(f.name);
      const std::string path = dir / f.name;
      if (fs::exists(test::PathOf(path))) {
        EXPECT_FALSE(fs::exists(test::PathOf(path + ".VELT")));
        EXPECT_EQ(ReadFile(path), f.content);
        if (f.name == std::string("b")) {
          EXPECT_EQ(test::FileMode(path), 0444u) << "still read-only";
        }
      } else {
        ASSERT_EQ(run({"decrypt", "-q", "--password-env", "PW", path + ".VELT"}), 0) << err.str();
        EXPECT_EQ(ReadFile(path), f.content);
      }
    }
    EXPECT_EQ(ReadFile(dir / "c"), bigger) << "the last file was never started";
  }
}

TEST_F(CliProcess, ASignalAtThePasswordPromptRestoresTheTerminal) {
  WriteFile(dir / "a", "asked for a password");
  const auto before = snapshot();
  struct Case {
    int signal, status;
  };
  for (const Case& c : std::vector<Case>{{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
    SCOPED_TRACE(c.signal);
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    std::string slave = ::ptsname(master);
    int held = ::open(slave.c_str(), O_RDWR | O_NOCTTY);  // to read the terminal's modes after
    ASSERT_GE(held, 0);
    std::vector<std::string> args = {VELT_CLI_PATH, "encrypt", dir / "a"};
    auto env = environment();
    auto argv = pointers(args), envp = pointers(env);
    const pid_t pid = ::fork();
    if (pid == 0) {
      // A session of its own with the terminal as its controlling terminal, as in a shell.
      ::setsid();
      int fd = ::open(slave.c_str(), O_RDWR);
      ::dup2(fd, 0);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      ::execve(VELT_CLI_PATH, argv.data(), envp.data());
      ::_exit(127);
    }
    // Whatever check fails below, no velt-cli is left waiting on the terminal.
    struct Reaper {
      pid_t pid;
      ~Reaper() {
        if (::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
      }
    } reaper{pid};
    std::string shown;
    ASSERT_TRUE(WaitUntil([&] {
      pollfd p{master, POLLIN, 0};
      char buf[256];
      if (::poll(&p, 1, 0) == 1) {
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n > 0) shown.append(buf, size_t(n));
      }
      return shown.find("Password: ") != std::string::npos;
    })) << shown;
    termios modes{};
    ASSERT_EQ(::tcgetattr(held, &modes), 0);
    EXPECT_EQ(modes.c_lflag & ECHO, 0u) << "no echo while the password is typed";
    ASSERT_EQ(::kill(pid, c.signal), 0);
    EXPECT_EQ(WaitForExit(pid), c.status);
    ASSERT_EQ(::tcgetattr(held, &modes), 0);
    EXPECT_NE(modes.c_lflag & ECHO, 0u) << "echo is back";
    EXPECT_EQ(snapshot(), before);
    ::close(held);
    ::close(master);
  }
}
#endif

}  // namespace
}  // namespace velt::cli
