// The options of `encrypt` and `decrypt`, and the engine settings they make out of the saved
// ones.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/settings.h"

namespace velt::cli {

// A usage error found after parsing (exit status 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct FileOptions {
  std::optional<int> cipher, hash;  // catalogue indexes
  std::string level, extension, passwordFile, passwordEnv;
  // Flag pairs (--compress/--no-compress and the like): 1 for the first, -1 for the "no"
  // form, 0 when neither was given (the saved setting holds).
  int compress = 0, deleteOriginal = 0, secureDelete = 0, meta = 0;
  bool noExtension = false, recursive = false, verify = false, quiet = false;
  bool all = false, anyExtension = false, overwrite = false;
  unsigned jobs = 0;
  std::vector<std::string> paths;
};

void AddFileOptions(CLI::App& cmd, FileOptions& o, bool encrypting);

// The saved settings with the options applied; throws UsageError for a choice that cannot be
// used.
engine::EngineSettings SettingsFor(const FileOptions& o, bool encrypting);

}  // namespace velt::cli
