#include "platform/command_line.h"

namespace velt::platform {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  size_t i = 0;
  const size_t n = commandLine.size();
  // Blanks are the characters with codes 1 to 32 (tabs and line breaks included).
  auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
  while (true) {
    while (i < n && blank(commandLine[i])) ++i;
    if (i >= n) break;
    std::string argument;
    bool quoted = false;
    for (; i < n && (quoted || !blank(commandLine[i])); ++i) {
      if (commandLine[i] == '"')
        quoted = !quoted;
      else
        argument += commandLine[i];
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace velt::platform
