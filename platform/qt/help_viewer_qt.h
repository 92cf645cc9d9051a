// The help viewer over the desktop: a CHM viewer where one is installed, else the HTML copy in
// the desktop's browser.
#pragma once

#include "platform/help_viewer.h"

namespace velt::platform {

class QtHelpViewer final : public HelpViewer {
 public:
  bool ShowHelp(const std::string& helpFile) override;
};

}  // namespace velt::platform
