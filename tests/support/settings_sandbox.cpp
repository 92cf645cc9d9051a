#include "tests/support/settings_sandbox.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>

#include "tests/support/temp_dir.h"
#endif

namespace velt::test {

#ifdef _WIN32
void UseSettingsStore(const std::string&) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\VELT");
}
void DropSettingsStore() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\VELT");
}
std::string SettingsStoreContents(const std::string&) {
  std::string all;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VELT", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return all;
  wchar_t name[256];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 256, size = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
      break;
    all.append(reinterpret_cast<const char*>(name), nameLength * sizeof(wchar_t));
    all += '=' + std::to_string(type) + ':';
    all.append(reinterpret_cast<const char*>(data), size);
    all += '\n';
  }
  RegCloseKey(key);
  return all;
}
#else
void UseSettingsStore(const std::string& hivePath) {
  ::setenv("VELT_REGISTRY", hivePath.c_str(), 1);
}
void DropSettingsStore() {
  ::unsetenv("VELT_REGISTRY");
}
std::string SettingsStoreContents(const std::string& hivePath) {
  return ReadText(hivePath);
}
#endif

}  // namespace velt::test
