// velt-cli takes its defaults from the real registry key on Windows, and never writes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_app.h"
#include "engine/meta_info.h"
#include "platform/file.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/temp_dir.h"

namespace velt::cli {
namespace {

class NoTerminal : public Terminal {
 public:
  bool Available() override { return false; }
  std::optional<std::string> ReadHidden(const std::string&) override { return std::nullopt; }
};

std::vector<BYTE> exported() {
  // Every value of the key, in order, with its type: what regedit would export.
  std::vector<BYTE> all;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VELT", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return all;
  for (DWORD i = 0;; ++i) {
    wchar_t name[64];
    BYTE data[256];
    DWORD nameLength = 64, size = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    all.insert(all.end(), reinterpret_cast<BYTE*>(name),
               reinterpret_cast<BYTE*>(name + nameLength));
    all.push_back(BYTE(type));
    all.insert(all.end(), data, data + size);
  }
  RegCloseKey(key);
  return all;
}

TEST(WindowsCliSettings, TheSavedSettingsAreTheDefaults) {
  test::TempDir dir;
  test::UseSettingsStore("");
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VELT", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"def", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"SAFE"), 10);
  const std::vector<std::pair<const wchar_t*, DWORD>> numbers = {
      {L"enc", 17}, {L"hash", 9}, {L"comp", 0}, {L"compspeed", 0},   {L"ext", 0xFFFFFFFF},
      {L"sec", 0},  {L"del", 0},  {L"com", 0},  {L"add", 0xFFFFFFFF}};
  for (const auto& [name, v] : numbers)
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  RegCloseKey(key);
  const auto before = exported();

  test::WriteFile(dir / "f", "settings decide");
  std::istringstream in;
  std::ostringstream out, err;
  NoTerminal terminal;
  CliEnvironment env{in,
                     out,
                     err,
                     [](const std::string& n) -> std::optional<std::string> {
                       return n == "PW" ? std::optional<std::string>("secret") : std::nullopt;
                     },
                     terminal,
                     false,
                     {}};
  EXPECT_EQ(RunCli({"encrypt", "--password-env", "PW", dir / "f"}, env), 0) << err.str();
  EXPECT_TRUE(std::filesystem::exists(dir / "f"));  // "del" is off
  auto f = platform::File::Open(dir / "f.SAFE", platform::OpenMode::Read);
  std::string problem;
  auto m = engine::ReadMetaInfo(f, problem);
  ASSERT_TRUE(m) << problem;
  EXPECT_EQ(m->cipherIndex, 17);
  EXPECT_EQ(m->hashIndex, 9);
  EXPECT_EQ(m->compression, -1);
  EXPECT_EQ(exported(), before) << "the tool never writes settings";
  test::DropSettingsStore();
}

}  // namespace
}  // namespace velt::cli
