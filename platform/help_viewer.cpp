#include "platform/help_viewer.h"

namespace velt::platform {

std::string HtmlCopyOf(const std::string& helpFile) {
  size_t slash = helpFile.find_last_of("/\\");
  size_t dot = helpFile.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return helpFile + ".html";
  return helpFile.substr(0, dot) + ".html";
}

}  // namespace velt::platform
