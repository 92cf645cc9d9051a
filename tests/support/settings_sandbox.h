// A settings store of the test's own. On POSIX a hive file (through VELT_REGISTRY); on Windows
// the real key HKEY_LOCAL_MACHINE\Software\VELT, removed before and after, since the Wine
// installation of the test run belongs to the tests.
#pragma once

#include <string>

namespace velt::test {

void UseSettingsStore(const std::string& hivePath);
void DropSettingsStore();

}  // namespace velt::test
