// velt-cli info: what each path is. An encrypted file's meta information; a folder's leftovers
// of interrupted runs, each explained; anything that is not a file VELT works on, named.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velt::cli {

// Exit status: 1 when a path is missing or a record damaged, 0 otherwise.
int RunInfo(const std::vector<std::string>& paths, std::ostream& out, std::ostream& err);

}  // namespace velt::cli
