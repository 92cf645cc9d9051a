// A help viewer for driving the windows without a person.
#pragma once

#include <string>
#include <vector>

#include "platform/help_viewer.h"

namespace velt::test {

// Records the files it was asked to show and answers `result`.
class ScriptedHelpViewer final : public platform::HelpViewer {
 public:
  bool ShowHelp(const std::string& helpFile) override {
    shown.push_back(helpFile);
    return result;
  }
  std::vector<std::string> shown;
  bool result = true;
};

}  // namespace velt::test
