#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace velt::platform {
namespace {

using test::ReadText;
using test::TempDir;
using test::WriteFile;
using Input = std::variant<std::string, int32_t, bool>;

constexpr RegistryRoot kLM = RegistryRoot::LocalMachine;
constexpr RegistryRoot kCU = RegistryRoot::CurrentUser;
constexpr const char* kKey = "\\Software\\VELT";

constexpr const char* kNotFound = "The system cannot find the file specified.";
constexpr const char* kCantRead = "The configuration registry key could not be read.";
constexpr const char* kCantWrite = "The configuration registry key could not be written.";
constexpr const char* kDenied = "Access is denied.";

struct Caught {
  int code = 0;
  std::string text;
};

Caught FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RegistryError& e) {
    return {e.Code(), e.what()};
  }
  ADD_FAILURE() << "no RegistryError";
  return {};
}

std::string Str(const RegistryValue& v) {
  EXPECT_TRUE(std::holds_alternative<std::string>(v));
  return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
}

int32_t Num(const RegistryValue& v) {
  EXPECT_TRUE(std::holds_alternative<int32_t>(v));
  return std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : 0;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VELT_REGISTRY", hive.c_str(), 1); }
  void TearDown() override { ::unsetenv("VELT_REGISTRY"); }

  TempDir dir;
  std::string hive = dir / "registry.reg";
};

TEST_F(RegistryTest, HivePathComesFromTheEnvironmentOrTheInstallPrefix) {
  EXPECT_EQ(RegistryHivePath(), hive);
  ::unsetenv("VELT_REGISTRY");
  std::string installed = RegistryHivePath();
  EXPECT_EQ(installed.front(), '/');
  const std::string tail = "/etc/velt/registry.reg";
  ASSERT_GE(installed.size(), tail.size());
  EXPECT_EQ(installed.substr(installed.size() - tail.size()), tail);
}

TEST_F(RegistryTest, AnInstallationKeepsItsStoreInItsPrefixOrInEtcForUsr) {
  const struct {
    const char* prefix;
    const char* hive;
  } rows[] = {
      {"/usr/local", "/usr/local/etc/velt/registry.reg"},
      {"/opt/velt", "/opt/velt/etc/velt/registry.reg"},
      {"/usr", "/etc/velt/registry.reg"},
      {"/usr/", "/etc/velt/registry.reg"},
      {"", "/etc/velt/registry.reg"},
  };
  for (const auto& row : rows) EXPECT_EQ(MachineHiveOfPrefix(row.prefix), row.hive) << row.prefix;

  // A packaged program (<root>/usr/bin) finds <root>/etc/velt; a store in <prefix>/etc comes
  // first; other prefixes never look beside themselves.
  ::unsetenv("VELT_REGISTRY");
  const std::filesystem::path root = std::filesystem::path(dir.path()) / "root";
  std::filesystem::create_directories(root / "usr/bin");
  std::filesystem::create_directories(root / "opt/bin");
  std::filesystem::create_directories(root / "etc/velt");
  WriteFile(root / "etc/velt/registry.reg", "Windows Registry Editor Version 5.00\n");
  UseRegistryBesideProgram(root / "opt/bin");
  EXPECT_EQ(std::getenv("VELT_REGISTRY"), nullptr);
  UseRegistryBesideProgram(root / "usr/bin");
  ASSERT_NE(std::getenv("VELT_REGISTRY"), nullptr);
  EXPECT_EQ(std::string(std::getenv("VELT_REGISTRY")),
            std::filesystem::canonical(root / "etc/velt/registry.reg").string());
  ::unsetenv("VELT_REGISTRY");
  std::filesystem::create_directories(root / "usr/etc/velt");
  WriteFile(root / "usr/etc/velt/registry.reg", "Windows Registry Editor Version 5.00\n");
  UseRegistryBesideProgram(root / "usr/bin");
  ASSERT_NE(std::getenv("VELT_REGISTRY"), nullptr);
  EXPECT_EQ(std::string(std::getenv("VELT_REGISTRY")),
            std::filesystem::canonical(root / "usr/etc/velt/registry.reg").string());
}

TEST_F(RegistryTest, EveryTypeRoundTripsAndIsStoredInExportForm) {
  std::string bin(
      "\x00\x01\xff"
      "ab",
      5);
  std::string longBin;
  for (int i = 0; i < 100; ++i) longBin += char(i);
  struct Case {
    std::string name;
    Input in;
    int type;
    RegistryValue expected;
    std::string storedLine;  // first line of the value in the hive
  };
  const std::vector<Case> cases = {
      {"str", std::string(R"(C:\Program Files\"VELT")"), kRegString,
       std::string(R"(C:\Program Files\"VELT")"), R"("str"="C:\\Program Files\\\"VELT\"")"},
      {"utf8",
       std::string("Gr\xC3\xBC\xC3\x9F"
                   "e"),
       kRegString,
       std::string("Gr\xC3\xBC\xC3\x9F"
                   "e"),
       "\"utf8\"=\"Gr\xC3\xBC\xC3\x9F"
       "e\""},
      {"lines", std::string("a\nb"), kRegString, std::string("a\nb"),
       R"("lines"=hex(1):61,00,0a,00,62,00,00,00)"},
      {"exp", std::string("%A%\xC3\xBC"), kRegExpandString, std::string("%A%\xC3\xBC"),
       R"("exp"=hex(2):25,00,41,00,25,00,fc,00,00,00)"},
      {"dw", int32_t(12), kRegDword, int32_t(12), R"("dw"=dword:0000000c)"},
      {"neg", int32_t(-1), kRegDword, int32_t(-1), R"("neg"=dword:ffffffff)"},
      {"min", int32_t(INT32_MIN), kRegDword, int32_t(INT32_MIN), R"("min"=dword:80000000)"},
      {"on", true, kRegDword, int32_t(-1), R"("on"=dword:ffffffff)"},
      {"off", false, kRegDword, int32_t(0), R"("off"=dword:00000000)"},
      {"text", std::string("-42"), kRegDword, int32_t(-42), R"("text"=dword:ffffffd6)"},
      {"plus", std::string("+7"), kRegDword, int32_t(7), R"("plus"=dword:00000007)"},
      {"bin", bin, kRegBinary, bin, R"("bin"=hex:00,01,ff,61,62)"},
      {"emptybin", std::string(), kRegBinary, std::string(), R"("emptybin"=hex:)"},
      {"long", longBin, kRegBinary, longBin,
       R"("long"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\)"},
      {"", std::string("default"), kRegString, std::string("default"), R"(@="default")"},
      {R"(a"b\c)", int32_t(1), kRegDword, int32_t(1), R"("a\"b\\c"=dword:00000001)"},
  };
  for (const auto& c : cases) WriteRegistryValue(kLM, kKey, c.name, c.in, c.type);
  for (const auto& c : cases) {
    SCOPED_TRACE("value \"" + c.name + "\"");
    EXPECT_EQ(ReadRegistryValue(kLM, kKey, c.name), c.expected);
  }
  std::string text = ReadText(hive);
  EXPECT_EQ(
      text.rfind("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n",
                 0),
      0u)
      << text;
  for (const auto& c : cases)
    EXPECT_NE(text.find("\n" + c.storedLine + "\n"), std::string::npos) << c.storedLine << "\n"
                                                                        << text;
  // Long lists wrap the way regedit wraps them: within 80 columns, indented continuations.
  size_t at = text.find("\"long\"=");
  std::string rest = text.substr(at, text.find("\n@=") - at);
  size_t lines = 0, start = 0;
  while (start < rest.size()) {
    size_t nl = rest.find('\n', start);
    std::string line = rest.substr(start, nl - start);
    EXPECT_LE(line.size(), 80u) << line;
    if (lines > 0) {
      EXPECT_EQ(line.rfind("  ", 0), 0u) << line;
    }
    ++lines;
    start = nl == std::string::npos ? rest.size() : nl + 1;
  }
  EXPECT_EQ(lines, 5u);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(RegistryTest, TypeCodeZeroKeepsTheStoredType) {
  WriteFile(hive, std::string(R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\VELT]
"dw"=dword:00000005
"sz"="old"
"bin"=hex:01
"exp"=hex(2):41,00,00,00
)"));
  WriteRegistryValue(kLM, kKey, "dw", std::string("7"), kRegKeepType);
  WriteRegistryValue(kLM, kKey, "sz", int32_t(9), kRegKeepType);
  WriteRegistryValue(kLM, kKey, "bin", std::string("xyz"), kRegKeepType);
  WriteRegistryValue(kLM, kKey, "exp", std::string("B"), kRegKeepType);
  EXPECT_EQ(ReadText(hive), R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\VELT]
"dw"=dword:00000007
"sz"="9"
"bin"=hex:78,79,7a
"exp"=hex(2):42,00,00,00
)");
}

TEST_F(RegistryTest, WritesThatCannotBeStoredFailWithoutTouchingTheHive) {
  const std::string original = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\VELT]
"multi"=hex(7):61,00,00,00,00,00
"q"=hex(b):01,00,00,00,00,00,00,00
)";
  WriteFile(hive, original);
  struct Case {
    std::string name;
    Input in;
    int type;
  };
  const std::vector<Case> cases = {
      {"missing", std::string("x"), kRegKeepType},
      {"multi", std::string("x"), kRegKeepType},
      {"q", int32_t(1), kRegKeepType},
      {"v", std::string("x"), 5},
      {"v", std::string("x"), -1},
      {"v", std::string("abc"), kRegDword},
      {"v", std::string("12a"), kRegDword},
      {"v", std::string(""), kRegDword},
      {"v", std::string(" 1"), kRegDword},
      {"v", std::string("2147483648"), kRegDword},
      {"v", std::string("+-1"), kRegDword},
      {"two\nlines", std::string("x"), kRegString},
      {std::string("nul\0", 4), std::string("x"), kRegString},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " type " + std::to_string(c.type));
    Caught e = FailureOf([&] { WriteRegistryValue(kLM, kKey, c.name, c.in, c.type); });
    EXPECT_EQ(e.code, 1013);
    EXPECT_EQ(e.text, kCantWrite);
    EXPECT_EQ(ReadText(hive), original);
  }
  EXPECT_EQ(FailureOf([&] {
              WriteRegistryValue(kLM, "\\Software\\Two\r\nLines", "v", true, kRegDword);
            }).code,
            1013);
  EXPECT_EQ(ReadText(hive), original);
  // Several values as one change: one that cannot be stored keeps the others out too.
  EXPECT_EQ(FailureOf([&] {
              WriteRegistryValues(kLM, kKey,
                                  {{"a", std::string("x"), kRegString},
                                   {"b", true, kRegDword},
                                   {"c", std::string("abc"), kRegDword}});
            }).code,
            1013);
  EXPECT_EQ(ReadText(hive), original);
  WriteRegistryValue(kLM, kKey, "v", std::string("-2147483648"), kRegDword);
  EXPECT_EQ(Num(ReadRegistryValue(kLM, kKey, "v")), INT32_MIN);
}

TEST_F(RegistryTest, ReadFailuresGiveTheSystemTexts) {
  Caught e = FailureOf([&] { ReadRegistryValue(kLM, kKey, "def"); });
  EXPECT_EQ(e.code, 2);
  EXPECT_EQ(e.text, kNotFound);

  WriteFile(hive, std::string(R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\VELT]
"def"="user"

[HKEY_LOCAL_MACHINE\Software\Other]
"def"="other"

[HKEY_LOCAL_MACHINE\Software\Parent\Child]
"x"=dword:00000001

[HKEY_LOCAL_MACHINE\Software\Types]
"multi"=hex(7):61,00,00,00,00,00
"qword"=hex(b):01,00,00,00,00,00,00,00
"none"=hex(0):
"shortdw"=hex(4):01,02,03
"dw4"=hex(4):01,02,03,04
"sz1"=hex(1):68,00,69,00,00,00
)"));
  struct Case {
    RegistryRoot root;
    std::string key, name;
    int code;
    const char* text;
  };
  const std::vector<Case> cases = {
      {kLM, kKey, "def", 2, kNotFound},  // only HKEY_CURRENT_USER has the key
      {kLM, "\\Software\\Missing", "def", 2, kNotFound},
      {kLM, "\\Software\\Other", "missing", 1012, kCantRead},
      {kLM, "\\Software\\Parent", "x", 1012, kCantRead},  // exists as a parent, no values
      {kLM, "\\Software\\Types", "multi", 1012, kCantRead},
      {kLM, "\\Software\\Types", "qword", 1012, kCantRead},
      {kLM, "\\Software\\Types", "none", 1012, kCantRead},
      {kLM, "\\Software\\Types", "shortdw", 1012, kCantRead},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key + " " + c.name);
    Caught f = FailureOf([&] { ReadRegistryValue(c.root, c.key, c.name); });
    EXPECT_EQ(f.code, c.code);
    EXPECT_EQ(f.text, c.text);
  }
  EXPECT_EQ(Str(ReadRegistryValue(kCU, kKey, "def")), "user");
  EXPECT_EQ(Num(ReadRegistryValue(kLM, "\\Software\\Types", "dw4")), 0x04030201);
  EXPECT_EQ(Str(ReadRegistryValue(kLM, "\\Software\\Types", "sz1")), "hi");
  // Readers (velt-cli among them) leave nothing beside the hive; only writers make the lock.
  EXPECT_EQ(dir.Names(), std::vector<std::string>({"registry.reg"}));
}

TEST_F(RegistryTest, FirstWriteCreatesFolderAndHive) {
  std::string nested = dir / "etc/velt/registry.reg";
  ::setenv("VELT_REGISTRY", nested.c_str(), 1);
  WriteRegistryValue(kLM, kKey, "def", std::string("VELT"), kRegString);
  EXPECT_EQ(ReadText(nested),
            "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n"
            "\"def\"=\"VELT\"\n\n");
  EXPECT_EQ(test::FileMode(nested), 0644u);
  WriteRegistryValue(kLM, kKey, "enc", int32_t(0), kRegDword);
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir / "etc/velt"))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, std::vector<std::string>({"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistryTest, ReplacingTheHiveKeepsItsModeAndLeavesNoTemporaryFile) {
  WriteRegistryValue(kLM, kKey, "def", std::string("A"), kRegString);
  ASSERT_EQ(::chmod(hive.c_str(), 0640), 0);
  WriteRegistryValue(kLM, kKey, "def", std::string("B"), kRegString);
  EXPECT_EQ(test::FileMode(hive), 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>({"registry.reg", "registry.reg.lock"}));
}

TEST_F(RegistryTest, WritingThroughALinkReplacesTheLinkedFile) {
  ASSERT_EQ(::mkdir((dir / "real").c_str(), 0755), 0);
  std::string target = dir / "real/hive.reg";
  WriteRegistryValue(kLM, kKey, "def", std::string("A"), kRegString);
  ASSERT_EQ(::rename(hive.c_str(), target.c_str()), 0);
  ASSERT_EQ(::symlink(target.c_str(), hive.c_str()), 0);
  WriteRegistryValue(kLM, kKey, "def", std::string("B"), kRegString);
  struct stat st;
  ASSERT_EQ(::lstat(hive.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Str(ReadRegistryValue(kLM, kKey, "def")), "B");
}

TEST_F(RegistryTest, DamagedHiveIsNamedAndNeverOverwritten) {
  const std::string head =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n";
  struct Case {
    std::string content;
    int line;
  };
  // Which lines are damaged is the parser's test; here what a damaged hive does to the caller.
  const std::vector<Case> cases = {
      {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n\"def\"=\"x\"\n", 1},
      {head + "\"def\"=\"x\"\n\"blob\"=hex:01,zz\n", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    WriteFile(hive, c.content);
    const std::string where =
        "The registry file " + hive + " is damaged at line " + std::to_string(c.line) + ": ";
    Caught r = FailureOf([&] { ReadRegistryValue(kLM, kKey, "def"); });
    EXPECT_EQ(r.code, 1012);
    EXPECT_EQ(r.text.rfind(std::string(kCantRead) + " " + where, 0), 0u) << r.text;
    Caught w =
        FailureOf([&] { WriteRegistryValue(kLM, kKey, "def", std::string("y"), kRegString); });
    EXPECT_EQ(w.code, 1013);
    EXPECT_EQ(w.text.rfind(std::string(kCantWrite) + " " + where, 0), 0u) << w.text;
    EXPECT_EQ(ReadText(hive), c.content);
    EXPECT_EQ(dir.Names(), std::vector<std::string>({"registry.reg", "registry.reg.lock"}));
  }
}

// Tests may run as root, so the refused write runs in a child as an unprivileged user.
TEST_F(RegistryTest, NoRightToWriteIsAccessDeniedAndChangesNothing) {
  struct Case {
    const char* what;
    bool removeLock;
    mode_t hiveMode, dirMode;
    bool ownTree;  // the child owns folder and hive (then only the hive's mode forbids it)
  };
  const std::vector<Case> cases = {
      {"folder not writable, no lock file", true, 0644, 0555, false},
      {"hive read-only in the caller's own folder", false, 0444, 0755, true},
      {"hive writable, folder not", false, 0666, 0555, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(hive.c_str(), 0644);
    WriteRegistryValue(kLM, kKey, "def", std::string("VELT"), kRegString);
    if (c.removeLock) ::unlink((hive + ".lock").c_str());
    ASSERT_EQ(::chmod(hive.c_str(), c.hiveMode), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), c.dirMode), 0);
    const std::string before = ReadText(hive);
    const auto namesBefore = dir.Names();

    test::ChildOptions options;
    options.unprivileged = true;
    if (c.ownTree) options.ownedPath = dir.path();
    test::ChildResult r = test::RunInChild(
        [&] {
          // Reading stays possible for everyone.
          if (std::get<std::string>(ReadRegistryValue(kLM, kKey, "def")) != "VELT") return 2;
          try {
            WriteRegistryValue(kLM, kKey, "def", std::string("X"), kRegString);
          } catch (const RegistryError& e) {
            throw std::runtime_error(std::to_string(e.Code()) + " " + e.what());
          }
          return 0;
        },
        options);
    EXPECT_EQ(r.exitCode, 99);
    EXPECT_EQ(r.message, std::string("5 ") + kDenied);
    EXPECT_EQ(ReadText(hive), before);
    EXPECT_EQ(dir.Names(), namesBefore);
  }
}

std::string WriterValue(int writer, int k) {
  char name[32];
  std::snprintf(name, sizeof name, "w%d_%d", writer, k);
  return name;
}

// Several processes writing at once: every write lands and the hive stays whole.
TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
  TempDir mem(TempDir::Where::Memory);
  std::string shared = mem / "registry.reg";
  ::setenv("VELT_REGISTRY", shared.c_str(), 1);
  WriteRegistryValue(kLM, kKey, "seed", int32_t(7), kRegDword);
  constexpr int kWriters = 4, kWrites = 40;
  std::vector<pid_t> children;
  for (int w = 0; w <= kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int rc = 0;
      try {
        for (int k = 0; k < kWrites; ++k) {
          if (w == kWriters) {
            // A reader alongside: it must always find a whole hive.
            if (std::get<int32_t>(ReadRegistryValue(kLM, kKey, "seed")) != 7) rc = 1;
          } else {
            WriteRegistryValue(kLM, kKey, WriterValue(w, k), int32_t(k), kRegDword);
            WriteRegistryValue(kLM, kKey, "last", std::to_string(w), kRegString);
          }
        }
      } catch (...) {
        rc = 2;
      }
      ::_exit(rc);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  EXPECT_EQ(Num(ReadRegistryValue(kLM, kKey, "seed")), 7);
  for (int w = 0; w < kWriters; ++w)
    for (int k = 0; k < kWrites; ++k)
      EXPECT_EQ(Num(ReadRegistryValue(kLM, kKey, WriterValue(w, k))), k);
  std::string last = Str(ReadRegistryValue(kLM, kKey, "last"));
  EXPECT_TRUE(last.size() == 1 && last[0] >= '0' && last[0] < '0' + kWriters) << last;
  EXPECT_EQ(mem.Names(), std::vector<std::string>({"registry.reg", "registry.reg.lock"}));
}

}  // namespace
}  // namespace velt::platform
