// velt-install-settings HIVE FOLDER: what an installer records in the settings store. "Path"
// names the installation folder; each of the ten settings that the store does not hold yet gets
// its default, and values already there are kept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>

#include "batch/settings_store.h"
#include "platform/registry.h"

namespace {

using velt::platform::RegistryError;
using velt::platform::RegistryRoot;

struct Default {
  const char* name;
  std::variant<std::string, int32_t, bool> value;
  int type;
};

const Default kDefaults[] = {
    {"def", std::string("VELT"), velt::platform::kRegString},
    {"enc", int32_t(0), velt::platform::kRegDword},
    {"hash", int32_t(0), velt::platform::kRegDword},
    {"comp", int32_t(0), velt::platform::kRegDword},
    {"compspeed", int32_t(0), velt::platform::kRegDword},
    {"ext", true, velt::platform::kRegDword},
    {"sec", true, velt::platform::kRegDword},
    {"del", true, velt::platform::kRegDword},
    {"com", true, velt::platform::kRegDword},
    {"add", true, velt::platform::kRegDword},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velt-install-settings HIVE INSTALLATION-FOLDER\n");
    return 2;
  }
  ::setenv("VELT_REGISTRY", argv[1], 1);
  const RegistryRoot root = RegistryRoot::LocalMachine;
  try {
    for (const Default& d : kDefaults) {
      try {
        velt::platform::ReadRegistryValue(root, velt::batch::kSettingsKey, d.name);
        continue;  // the user's own value stays
      } catch (const RegistryError&) {
      }
      velt::platform::WriteRegistryValue(root, velt::batch::kSettingsKey, d.name, d.value, d.type);
    }
    velt::platform::WriteRegistryValue(root, velt::batch::kSettingsKey,
                                       velt::batch::kInstallPathValue, std::string(argv[2]),
                                       velt::platform::kRegString);
  } catch (const RegistryError& e) {
    std::fprintf(stderr, "velt-install-settings: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
