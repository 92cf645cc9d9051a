// A help viewer for driving the windows without a person.
#pragma once

#include <string>
#include <vector>

#include "platform/help_viewer.h"

namespace velt::test {

// Records the files it was asked to show and answers `result`, having opened `opened` (the
// help file itself when empty).
class ScriptedHelpViewer final : public platform::HelpViewer {
 public:
  bool ShowHelp(const std::string& helpFile) override {
    shown.push_back(helpFile);
    last_ = opened.empty() ? helpFile : opened;
    return result;
  }
  std::string Opened() const override { return last_; }
  std::vector<std::string> shown;
  bool result = true;
  std::string opened;

 private:
  std::string last_;
};

}  // namespace velt::test
