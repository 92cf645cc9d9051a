// The ten settings in the registry under "\Software\VELT": loading them into EngineSettings
// with the defaults, and saving them back in the same order and types.
#pragma once

#include <string>
#include <vector>

#include "engine/settings.h"

namespace velt::batch {

inline constexpr const char* kSettingsKey = "\\Software\\VELT";
inline constexpr const char* kInstallPathValue = "Path";

struct SettingsLoad {
  engine::EngineSettings settings;    // the values read, the built-in defaults for the rest
  std::string error;                  // the text of the first failed read; empty when all loaded
  std::string failedValue;            // the name of the value that read was for
  std::vector<std::string> repaired;  // names of values that were outside their lists
};

// Reads "def", "enc", "hash", "comp", "compspeed", "ext", "sec", "del", "com", "add" in that
// order; stops at the first failure. Any non-zero flag counts as checked; an index outside
// its list becomes the list's first entry and is named in `repaired`.
SettingsLoad LoadSettings();

// Writes the ten values in the same order: "def" as a string, the other nine as 32-bit
// integers (flags as -1 and 0), all ten or none: throws platform::RegistryError at the first
// failed write, with nothing saved.
void SaveSettings(const engine::EngineSettings& settings);

// The installation folder ("Path"); empty when it is missing or empty.
std::string InstallationFolder();

}  // namespace velt::batch
