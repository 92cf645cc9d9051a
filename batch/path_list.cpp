#include "batch/path_list.h"

#include "platform/file_system.h"

namespace velt::batch {

namespace {
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}
}  // namespace

std::vector<std::string> SplitPathList(const std::string& text) {
  std::vector<std::string> items;
  const size_t n = text.size();
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < n && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string item;
    if (text[i] == '*') {
      const size_t close = text.find('*', i + 1);
      if (close == std::string::npos) {
        item = text.substr(i + 1);
        i = n;
      } else {
        item = text.substr(i + 1, close - i - 1);
        i = close + 1;
      }
    } else {
      const size_t start = i;
      while (i < n && text[i] != '|' && !IsBlank(text[i])) ++i;
      item = text.substr(start, i - start);
    }
    if (!item.empty()) items.push_back(std::move(item));
    skipBlanks();
    if (i < n && text[i] == '|') {
      ++i;
      skipBlanks();
    }
  }
  return items;
}

std::string ListItemPath(const std::string& item, const std::string& currentFolder) {
  if (item.empty() || currentFolder.empty()) return item;
#ifdef _WIN32
  const bool absolute = item[0] == '\\' || item[0] == '/' || (item.size() > 1 && item[1] == ':');
#else
  const bool absolute = item[0] == '/';
#endif
  if (absolute) return item;
  const char last = currentFolder.back();
  const bool separated = last == '/' || last == platform::kPathSeparator;
  return currentFolder + (separated ? "" : std::string(1, platform::kPathSeparator)) + item;
}

}  // namespace velt::batch
