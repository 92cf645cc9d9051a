// The help viewer of the Linux desktop: a CHM viewer where one is installed, else the HTML copy
// in the desktop's browser. (Windows has its own, platform/win32/help_viewer_win32.h.)
#pragma once

#include <string>

#include "platform/help_viewer.h"

namespace velt::platform {

class QtHelpViewer final : public HelpViewer {
 public:
  bool ShowHelp(const std::string& helpFile) override;
  std::string Opened() const override { return opened_; }

 private:
  std::string opened_;
};

}  // namespace velt::platform
