#include <cstdlib>
#include <filesystem>

#include "platform/registry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace velt::platform {

namespace {
namespace fs = std::filesystem;

fs::path HiveIn(const fs::path& configFolder) {
  return configFolder / "velt" / "registry.reg";
}
}  // namespace

std::string MachineHiveOfPrefix(const std::string& prefix) {
  // The system's own programs (/usr) keep their configuration in /etc, not /usr/etc.
  const fs::path normal = fs::path(prefix).lexically_normal();
  if (normal.empty() || normal == "/usr" || normal == "/usr/") return HiveIn("/etc").string();
  return HiveIn(fs::path(prefix) / "etc").string();
}

void UseRegistryBesideProgram(const std::string& programFolder) {
  const char* set = std::getenv("VELT_REGISTRY");
  if (set && *set) return;
  std::error_code ec;
  const fs::path prefix = fs::weakly_canonical(fs::path(programFolder) / "..", ec);
  if (ec) return;
  // <prefix>/etc first; a prefix named usr (/usr itself, or /usr under a chroot or another
  // root) also looks in the etc folder beside it, where its package keeps the store.
  fs::path candidates[] = {HiveIn(prefix / "etc"), HiveIn(prefix.parent_path() / "etc")};
  const int count = prefix.filename() == "usr" ? 2 : 1;
  for (int i = 0; i < count; ++i) {
    if (!fs::is_regular_file(candidates[i], ec)) continue;
    std::string canonical = fs::weakly_canonical(candidates[i], ec).string();
#ifdef _WIN32
    ::_putenv_s("VELT_REGISTRY", canonical.c_str());
#else
    ::setenv("VELT_REGISTRY", canonical.c_str(), 1);
#endif
    return;
  }
}

}  // namespace velt::platform
