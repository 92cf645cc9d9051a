// A settings store of the test's own. On POSIX a hive file (through VELT_REGISTRY); on Windows
// the real key HKEY_LOCAL_MACHINE\Software\VELT, removed before and after, since the Wine
// installation of the test run belongs to the tests.
#pragma once

#include <string>

namespace velt::test {

void UseSettingsStore(const std::string& hivePath);
void DropSettingsStore();
// The store in use as it stands (the hive's text; on Windows every value of the key, none when
// it is missing), to compare before and after something that must not change it.
std::string SettingsStoreContents(const std::string& hivePath);

}  // namespace velt::test
