// Start-up: the application title, then every window made once, hidden, in a fixed order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/about_dialog.h"
#include "ui/batch_commands.h"
#include "ui/decryption_options_dialog.h"
#include "ui/drag_dialog.h"
#include "ui/folder_pickers.h"
#include "ui/job_state.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/search_dialog.h"
#include "ui/services.h"
#include "ui/shell_decrypt_dialog.h"
#include "ui/shell_encrypt_dialog.h"

namespace velt::ui {

class VeltApplication {
 public:
  // Null when the main window found no installation folder: its error box has been shown and
  // the program is to end without making the other windows.
  static std::unique_ptr<VeltApplication> Create(const Services& services,
                                                 std::vector<std::string> arguments);
  VeltApplication(const VeltApplication&) = delete;
  VeltApplication& operator=(const VeltApplication&) = delete;

  JobState job;
  Windows windows;
  // In creation order; they go in the reverse order.
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<Tveltoptions> veltoptions;
  std::unique_ptr<TForm3> Form3;
  std::unique_ptr<Trencdir> rencdir;
  std::unique_ptr<Tdencdir> dencdir;
  std::unique_ptr<Tsearch> search;
  std::unique_ptr<TForm7> Form7;
  std::unique_ptr<TDrag> Drag;
  std::unique_ptr<Tshellenc> shellenc;
  std::unique_ptr<Tshelldec> shelldec;
  // The list commands, bound to the main window once every window exists.
  std::unique_ptr<BatchCommands> commands;

 private:
  VeltApplication() = default;
};

}  // namespace velt::ui
