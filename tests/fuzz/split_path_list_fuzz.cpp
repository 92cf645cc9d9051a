// SplitPathList on arbitrary command-line text. Items are never empty and always a piece of
// the text; an item with a star in it came unquoted, so it holds no blank and no "|"; and a
// list written back (each item in stars unless it holds one) splits into the same items.
#include <algorithm>

#include "batch/path_list.h"
#include "tests/fuzz/fuzz_support.h"

using namespace velt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto items = batch::SplitPathList(text);
  fuzz::Require(items.size() <= text.size(), "more items than characters");
  std::string rejoined;
  for (const auto& item : items) {
    fuzz::Require(!item.empty(), "an empty item");
    fuzz::Require(text.find(item) != std::string::npos, "an item that is not in the text");
    const bool starred = item.find('*') == std::string::npos;
    if (!starred)
      fuzz::Require(std::none_of(item.begin(), item.end(),
                                 [](char c) { return c == '|' || uint8_t(c) <= 32; }),
                    "an unquoted item with a blank or a bar");
    if (!rejoined.empty()) rejoined += '|';
    rejoined += starred ? "*" + item + "*" : item;
    const std::string path = batch::ListItemPath(item, "/base");
    fuzz::Require(!path.empty() && path[0] == '/' && path.ends_with(item),
                  "ListItemPath did not give an absolute path ending in the item");
  }
  fuzz::Require(batch::SplitPathList(rejoined) == items, "the written-back list splits otherwise");
  return 0;
}
