#include "tests/support/settings_sandbox.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace velt::test {

#ifdef _WIN32
void UseSettingsStore(const std::string&) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\VELT");
}
void DropSettingsStore() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\VELT");
}
#else
void UseSettingsStore(const std::string& hivePath) {
  ::setenv("VELT_REGISTRY", hivePath.c_str(), 1);
}
void DropSettingsStore() {
  ::unsetenv("VELT_REGISTRY");
}
#endif

}  // namespace velt::test
