// What a leftover of an interrupted run (a file of VELT's temporary naming) holds, whether the
// file it was made for came through, and so whether it may be deleted.
#pragma once

#include <string>
#include <vector>

namespace velt::cli {

// Lines for the user about the leftover at `path`; `extension` is the one encrypted files get.
std::vector<std::string> ExplainLeftover(const std::string& path, const std::string& extension);

}  // namespace velt::cli
