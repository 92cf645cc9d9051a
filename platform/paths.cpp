#include <cctype>

#include "platform/file_system.h"

namespace velt::platform {

namespace {
bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

size_t LastSeparator(const std::string& path) {
  for (size_t i = path.size(); i-- > 0;)
    if (IsSeparator(path[i])) return i;
  return std::string::npos;
}

char fold(char c) {
  return char(std::tolower(static_cast<unsigned char>(c)));
}

// Classic wildcard match with backtracking to the last "*".
bool match(const std::string& name, const std::string& mask) {
  size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || fold(mask[m]) == fold(name[n]))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}
}  // namespace

std::string FolderOf(const std::string& path) {
  size_t i = LastSeparator(path);
  return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string NameOf(const std::string& path) {
  size_t i = LastSeparator(path);
  return i == std::string::npos ? path : path.substr(i + 1);
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask == "*.*" || mask == "*") return true;  // every name, with or without a dot
  return match(name, mask);
}

}  // namespace velt::platform
