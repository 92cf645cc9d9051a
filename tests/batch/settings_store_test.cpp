#include "batch/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace velt::batch {
namespace {

using engine::EngineSettings;
using test::ReadText;
using test::WriteFile;

constexpr const char* kHead =
    "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n";

// A hive holding the given lines under the settings key.
std::string HiveWith(const std::vector<std::string>& lines) {
  std::string s = kHead;
  for (const auto& l : lines) s += l + "\n";
  return s + "\n";
}

const std::vector<std::string> kStored = {
    R"("def"="abc")",           R"("enc"=dword:00000012)",       R"("hash"=dword:00000009)",
    R"("comp"=dword:00000000)", R"("compspeed"=dword:00000002)", R"("ext"=dword:00000000)",
    R"("sec"=dword:00000000)",  R"("del"=dword:00000000)",       R"("com"=dword:00000000)",
    R"("add"=dword:00000000)",
};

// Row i of the table copied from one settings record to another.
using RowCopy = void (*)(EngineSettings&, const EngineSettings&);
const RowCopy kCopyRow[10] = {
    [](EngineSettings& d, const EngineSettings& s) { d.extension = s.extension; },
    [](EngineSettings& d, const EngineSettings& s) { d.cipherIndex = s.cipherIndex; },
    [](EngineSettings& d, const EngineSettings& s) { d.hashIndex = s.hashIndex; },
    [](EngineSettings& d, const EngineSettings& s) { d.compressionEngine = s.compressionEngine; },
    [](EngineSettings& d, const EngineSettings& s) { d.compressionSpeed = s.compressionSpeed; },
    [](EngineSettings& d, const EngineSettings& s) { d.addExtension = s.addExtension; },
    [](EngineSettings& d, const EngineSettings& s) { d.secureDelete = s.secureDelete; },
    [](EngineSettings& d, const EngineSettings& s) { d.deleteOriginal = s.deleteOriginal; },
    [](EngineSettings& d, const EngineSettings& s) { d.compress = s.compress; },
    [](EngineSettings& d, const EngineSettings& s) { d.addMetaInfo = s.addMetaInfo; },
};

EngineSettings StoredSettings() {
  EngineSettings s;
  s.extension = "abc";
  s.cipherIndex = 18;
  s.hashIndex = 9;
  s.compressionEngine = 0;
  s.compressionSpeed = 2;
  s.addExtension = s.secureDelete = s.deleteOriginal = s.compress = s.addMetaInfo = false;
  return s;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VELT_REGISTRY", hive.c_str(), 1); }
  void TearDown() override { ::unsetenv("VELT_REGISTRY"); }

  test::TempDir dir;
  std::string hive = dir / "registry.reg";
};

TEST_F(SettingsStoreTest, LoadsAllTenValues) {
  WriteFile(hive, HiveWith(kStored));
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.repaired.empty());
  EXPECT_EQ(r.settings, StoredSettings());
}

TEST_F(SettingsStoreTest, MissingAddStopsTheLoadWithTheNineBeforeItLoaded) {
  std::vector<std::string> nine(kStored.begin(), kStored.end() - 1);
  WriteFile(hive, HiveWith(nine));
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "The configuration registry key could not be read.");
  EngineSettings expected = StoredSettings();
  expected.addMetaInfo = true;  // the built-in default
  EXPECT_EQ(r.settings, expected);
}

TEST_F(SettingsStoreTest, AnyNonZeroFlagIsChecked) {
  const std::vector<std::pair<std::string, bool>> cases = {{"00000001", true},
                                                           {"00000007", true},
                                                           {"ffffffff", true},
                                                           {"80000000", true},
                                                           {"00000000", false}};
  for (const auto& [hex, checked] : cases) {
    SCOPED_TRACE(hex);
    std::vector<std::string> lines(kStored.begin(), kStored.begin() + 5);
    for (std::string name : {"\"ext\"", "\"sec\"", "\"del\"", "\"com\"", "\"add\""})
      lines.push_back(name.append("=dword:").append(hex));
    WriteFile(hive, HiveWith(lines));
    SettingsLoad r = LoadSettings();
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.settings.addExtension, checked);
    EXPECT_EQ(r.settings.secureDelete, checked);
    EXPECT_EQ(r.settings.deleteOriginal, checked);
    EXPECT_EQ(r.settings.compress, checked);
    EXPECT_EQ(r.settings.addMetaInfo, checked);
  }
}

TEST_F(SettingsStoreTest, DefaultsSaveAsVeltFourZerosAndFiveMinusOnes) {
  SaveSettings(EngineSettings{});
  EXPECT_EQ(ReadText(hive), R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\VELT]
"def"="VELT"
"enc"=dword:00000000
"hash"=dword:00000000
"comp"=dword:00000000
"compspeed"=dword:00000000
"ext"=dword:ffffffff
"sec"=dword:ffffffff
"del"=dword:ffffffff
"com"=dword:ffffffff
"add"=dword:ffffffff

)");
}

TEST_F(SettingsStoreTest, SavedSettingsLoadBackAndKeepTheInstallationFolder) {
  WriteFile(hive, HiveWith({R"("Path"="/opt/velt")", R"("enc"=dword:00000001)"}));
  EngineSettings s = StoredSettings();
  s.addExtension = true;
  s.compress = true;
  SaveSettings(s);
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.settings, s);
  EXPECT_EQ(InstallationFolder(), "/opt/velt");
  EXPECT_EQ(platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, kSettingsKey, "ext"),
            platform::RegistryValue(int32_t(-1)));
}

TEST_F(SettingsStoreTest, OutOfRangeValuesAreRepairedNamedAndTheLoadGoesOn) {
  WriteFile(hive, HiveWith({R"("def"="a b")", R"("enc"=dword:00000013)", R"("hash"=dword:ffffffff)",
                            R"("comp"=dword:00000001)", R"("compspeed"=dword:00000003)",
                            R"("ext"=dword:00000000)", R"("sec"=dword:00000000)",
                            R"("del"=dword:00000000)", R"("com"=dword:00000000)",
                            R"("add"=dword:00000000)"}));
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.repaired, std::vector<std::string>({"def", "enc", "hash", "comp", "compspeed"}));
  EngineSettings expected = StoredSettings();
  expected.extension = "VELT";
  expected.cipherIndex = expected.hashIndex = expected.compressionSpeed = 0;
  EXPECT_EQ(r.settings, expected);
}

TEST_F(SettingsStoreTest, AValueOfTheWrongTypeStopsTheLoad) {
  struct Case {
    size_t row;
    std::string line, error;
  };
  const std::vector<Case> cases = {
      {0, R"("def"=dword:00000001)", R"(The setting "def" is not a string.)"},
      {1, R"("enc"="3")", R"(The setting "enc" is not a 32-bit integer.)"},
      {5, R"("ext"=hex:01)", R"(The setting "ext" is not a 32-bit integer.)"},
      {8, R"("com"=hex(7):61,00,00,00,00,00)", "The configuration registry key could not be read."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> lines = kStored;
    lines[c.row] = c.line;
    WriteFile(hive, HiveWith(lines));
    SettingsLoad r = LoadSettings();
    EXPECT_EQ(r.error, c.error);
    // Rows before the failing one loaded; it and the rest keep their defaults.
    EngineSettings expected;
    const EngineSettings stored = StoredSettings();
    for (size_t i = 0; i < c.row; ++i) kCopyRow[i](expected, stored);
    EXPECT_EQ(r.settings, expected);
  }
}

TEST_F(SettingsStoreTest, MissingHiveOrKeyKeepsEveryDefault) {
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "The system cannot find the file specified.");
  EXPECT_EQ(r.settings, EngineSettings{});
  EXPECT_EQ(InstallationFolder(), "");

  WriteFile(hive,
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\VELT]\n"
            "\"def\"=\"abc\"\n\"Path\"=\"/opt/velt\"\n");
  r = LoadSettings();
  EXPECT_EQ(r.error, "The system cannot find the file specified.");
  EXPECT_EQ(r.settings, EngineSettings{});
  EXPECT_EQ(InstallationFolder(), "");
}

TEST_F(SettingsStoreTest, InstallationFolderIsEmptyUnlessItIsText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"("Path"="C:\\Program Files\\VELT")", R"(C:\Program Files\VELT)"},
      {R"("Path"="")", ""},
      {R"("Path"=dword:00000001)", ""},
      {R"("Other"="x")", ""},
  };
  for (const auto& [line, folder] : cases) {
    WriteFile(hive, HiveWith({line}));
    EXPECT_EQ(InstallationFolder(), folder) << line;
  }
}

TEST_F(SettingsStoreTest, SavingWithoutTheRightToWriteFailsAtTheFirstValue) {
  SaveSettings(EngineSettings{});
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(hive.c_str(), 0444), 0);
  const std::string before = ReadText(hive);
  test::ChildOptions options;
  options.unprivileged = true;
  options.ownedPath = dir.path();
  test::ChildResult r = test::RunInChild(
      [] {
        try {
          SaveSettings(StoredSettings());
        } catch (const platform::RegistryError& e) {
          throw std::runtime_error(std::to_string(e.Code()) + " " + e.what());
        }
        return 0;
      },
      options);
  EXPECT_EQ(r.exitCode, 99);
  EXPECT_EQ(r.message, "5 Access is denied.");
  EXPECT_EQ(ReadText(hive), before);
}

}  // namespace
}  // namespace velt::batch
