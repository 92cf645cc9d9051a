// The list of files and folders that the desktop shell hands over after -e or -d: items
// separated by "|", each optionally enclosed in "*" so that it may hold blanks.
#pragma once

#include <string>
#include <vector>

namespace velt::batch {

// Splits `text` into its items, in order:
//   - blanks (characters with codes up to 32) around items and around "|" are skipped;
//   - an item that begins with "*" runs to the next "*", blanks and "|" included; both stars
//     are dropped. Without a closing star it runs to the end of the text. There is no escape:
//     a doubled star ends the item, and the second star opens the next one;
//   - any other item runs up to the first "|" or blank, so an unstarred blank splits a path;
//   - empty items ("||", a trailing "|", "**") are left out.
std::vector<std::string> SplitPathList(const std::string& text);

// An item without a folder part, or any relative one, is taken from `currentFolder`; absolute
// items are returned unchanged.
std::string ListItemPath(const std::string& item, const std::string& currentFolder);

}  // namespace velt::batch
