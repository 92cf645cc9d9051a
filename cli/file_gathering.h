// Turning the paths on the command line into the list of files to work on.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace velt::cli {

struct Gathered {
  std::vector<std::string> files;  // each once, in the order given and found
  std::vector<std::pair<std::string, std::string>> refused;  // path, why
  // Temporary files of an interrupted run, found or given: never worked on (one may hold the
  // only copy of a file's content), only pointed out.
  std::vector<std::string> leftovers;
};

// Files are taken as they are; folders are searched with `mask` (every file, hidden ones too,
// links never followed) when `recursive`, and refused otherwise. Names of VELT's temporary
// naming go to `leftovers`.
Gathered GatherFiles(const std::vector<std::string>& paths, bool recursive,
                     const std::string& mask);

// "<folder>/name" for paths given relative to the current folder: absolute and normalised
// without resolving links (a link stays a link).
std::string AbsolutePath(const std::string& path);

// Our paths are UTF-8 on every system; std::filesystem would read a plain string in the
// local code page on Windows.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

}  // namespace velt::cli
