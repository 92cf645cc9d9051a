#include "platform/command_line.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace velt::platform {

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> arguments = SplitCommandLine(win32::Narrow(GetCommandLineW()));
  // The program's own name comes first, quoted when its path holds a blank.
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

}  // namespace velt::platform
