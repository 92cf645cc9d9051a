// TOpenDialog: the file-open dialog of both single-file commands: one filter, and it opens where
// the last chosen file was.
#pragma once

#include <string>
#include <utility>

#include "platform/prompts.h"

namespace velt::ui {

class TOpenDialog {
 public:
  explicit TOpenDialog(std::string filter) : Filter(std::move(filter)) {}
  bool Execute(platform::Prompts& prompts);
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
};

}  // namespace velt::ui
