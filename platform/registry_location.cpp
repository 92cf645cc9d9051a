#include <cstdlib>
#include <filesystem>

#include "platform/registry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velt::platform {

void UseRegistryBesideProgram(const std::string& programFolder) {
  const char* set = std::getenv("VELT_REGISTRY");
  if (set && *set) return;
  std::error_code ec;
  auto hive = std::filesystem::path(programFolder) / ".." / "etc" / "velt" / "registry.reg";
  if (!std::filesystem::is_regular_file(hive, ec)) return;
  std::string canonical = std::filesystem::weakly_canonical(hive, ec).string();
#ifdef _WIN32
  ::_putenv_s("VELT_REGISTRY", canonical.c_str());
#else
  ::setenv("VELT_REGISTRY", canonical.c_str(), 1);
#endif
}

}  // namespace velt::platform
