// What the windows need from the platform, handed to each of them at creation: real dialogs and
// Qt's event loop in the program, scripted ones in the tests.
#pragma once

#include "platform/help_viewer.h"
#include "platform/prompts.h"
#include "platform/window_thread.h"

namespace velt::ui {

struct Services {
  platform::Prompts& prompts;
  platform::HelpViewer& help;
  platform::WindowThread& window;
};

}  // namespace velt::ui
