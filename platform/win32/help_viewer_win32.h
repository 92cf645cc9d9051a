// The help viewer of Windows: the compiled help file in the HTML Help control, and where that
// cannot show it, the HTML copy beside it in the program the shell opens HTML files with.
#pragma once

#include <functional>
#include <string>

#include "platform/help_viewer.h"

namespace velt::platform {

class Win32HelpViewer final : public HelpViewer {
 public:
  // The two ways a document reaches the screen; both answer whether it was shown.
  struct System {
    // The help file on its default topic (HtmlHelpW of hhctrl.ocx, loaded when first needed,
    // so that a system without the control falls back instead of refusing to start VELT).
    std::function<bool(const std::wstring& helpFile)> showHelpFile;
    // A document in the program the shell opens it with (ShellExecuteW, "open").
    std::function<bool(const std::wstring& document)> openDocument;
  };
  Win32HelpViewer();
  explicit Win32HelpViewer(System system) : system_(std::move(system)) {}
  // Closes the help windows the control opened.
  ~Win32HelpViewer() override;
  Win32HelpViewer(const Win32HelpViewer&) = delete;
  Win32HelpViewer& operator=(const Win32HelpViewer&) = delete;

  bool ShowHelp(const std::string& helpFile) override;
  std::string Opened() const override { return opened_; }

 private:
  System system_;
  std::string opened_;
};

}  // namespace velt::platform
