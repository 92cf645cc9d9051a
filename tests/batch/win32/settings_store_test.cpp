// The ten settings in the real registry key HKEY_LOCAL_MACHINE\Software\VELT, written and read
// here through the registry API as an installer or regedit would.
#include "batch/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/settings_sandbox.h"

namespace velt::batch {
namespace {

using engine::EngineSettings;

constexpr const wchar_t* kKey = L"Software\\VELT";

struct Value {
  const wchar_t* name;
  DWORD type;
  std::vector<BYTE> data;
};

Value text(const wchar_t* name, const std::wstring& s) {
  auto* p = reinterpret_cast<const BYTE*>(s.c_str());
  return {name, REG_SZ, std::vector<BYTE>(p, p + (s.size() + 1) * 2)};
}
Value number(const wchar_t* name, uint32_t v) {
  auto* p = reinterpret_cast<const BYTE*>(&v);
  return {name, REG_DWORD, std::vector<BYTE>(p, p + 4)};
}

void store(const std::vector<Value>& values) {
  HKEY key;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  for (const auto& v : values)
    ASSERT_EQ(RegSetValueExW(key, v.name, 0, v.type, v.data.data(), DWORD(v.data.size())),
              ERROR_SUCCESS);
  RegCloseKey(key);
}

Value stored(const wchar_t* name) {
  Value v{name, 0, {}};
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY, &v.type, nullptr, &size) !=
      ERROR_SUCCESS)
    return v;
  v.data.resize(size);
  RegGetValueW(HKEY_LOCAL_MACHINE, kKey, name, RRF_RT_ANY, &v.type, v.data.data(), &size);
  return v;
}

std::string SystemText(DWORD code) {
  char buffer[512];
  DWORD n =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
  std::string s(buffer, n);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

const std::vector<Value> kStored = {
    text(L"def", L"abc"),    number(L"enc", 18), number(L"hash", 9), number(L"comp", 0),
    number(L"compspeed", 2), number(L"ext", 0),  number(L"sec", 0),  number(L"del", 0),
    number(L"com", 0),       number(L"add", 0),
};

EngineSettings StoredSettings() {
  EngineSettings s;
  s.extension = "abc";
  s.cipherIndex = 18;
  s.hashIndex = 9;
  s.compressionSpeed = 2;
  s.addExtension = s.secureDelete = s.deleteOriginal = s.compress = s.addMetaInfo = false;
  return s;
}

class WindowsSettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { test::UseSettingsStore(""); }
  void TearDown() override { test::DropSettingsStore(); }
};

TEST_F(WindowsSettingsStore, LoadsWhatAnInstallerStored) {
  store(kStored);
  store({text(L"Path", L"C:\\Program Files\\VELT")});
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.settings, StoredSettings());
  EXPECT_EQ(InstallationFolder(), "C:\\Program Files\\VELT");
}

TEST_F(WindowsSettingsStore, AMissingKeyOrValueStopsTheLoadWithTheSystemsText) {
  SettingsLoad r = LoadSettings();
  EXPECT_EQ(r.error, SystemText(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(r.settings, EngineSettings{});
  EXPECT_EQ(InstallationFolder(), "");

  store(std::vector<Value>(kStored.begin(), kStored.end() - 1));  // no "add"
  r = LoadSettings();
  EXPECT_EQ(r.error, SystemText(ERROR_CANTREAD));
  EngineSettings expected = StoredSettings();
  expected.addMetaInfo = true;  // the built-in default
  EXPECT_EQ(r.settings, expected);

  // A value of another type counts as a failed read.
  store({number(L"add", 0), number(L"def", 1)});
  r = LoadSettings();
  EXPECT_EQ(r.error, "The setting \"def\" is not a string.");
  EXPECT_EQ(r.settings, EngineSettings{});
}

TEST_F(WindowsSettingsStore, SavesATextAndNineIntegersFlagsAsMinusOne) {
  store({text(L"Path", L"C:\\VELT")});
  EngineSettings s = StoredSettings();
  s.addExtension = true;
  s.compress = true;
  SaveSettings(s);
  EXPECT_EQ(stored(L"def").type, DWORD(REG_SZ));
  EXPECT_EQ(stored(L"def").data, text(L"def", L"abc").data);
  const std::vector<std::pair<const wchar_t*, uint32_t>> numbers = {
      {L"enc", 18}, {L"hash", 9}, {L"comp", 0},         {L"compspeed", 2}, {L"ext", 0xFFFFFFFF},
      {L"sec", 0},  {L"del", 0},  {L"com", 0xFFFFFFFF}, {L"add", 0}};
  for (const auto& [name, v] : numbers) {
    Value got = stored(name);
    EXPECT_EQ(got.type, DWORD(REG_DWORD)) << name;
    EXPECT_EQ(got.data, number(name, v).data) << name;
  }
  // Loads back, and the installer's value is untouched.
  EXPECT_EQ(LoadSettings().settings, s);
  EXPECT_EQ(InstallationFolder(), "C:\\VELT");
}

}  // namespace
}  // namespace velt::batch
