// The program's arguments as the command line gives them: split at blanks outside double quotes,
// the double quotes removed, and nothing else special. A backslash is an ordinary character, so
// "C:\dir\" is the folder C:\dir\ (the C runtime's rule would read \" as a quote and run the
// argument on into the next ones).
#pragma once

#include <string>
#include <vector>

namespace velt::platform {

// The arguments in `commandLine`, which does not hold the program's own name.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

#ifdef _WIN32
// The arguments of this process after the program's name, from its command line as Windows
// keeps it (UTF-16, returned as UTF-8).
std::vector<std::string> ProgramArguments();
#endif

}  // namespace velt::platform
