// The prompts as Qt dialogs, owned by the active window.
#pragma once

#include <QString>

#include "platform/prompts.h"

namespace velt::platform {

class QtPrompts final : public Prompts {
 public:
  void ShowMessage(MessageKind kind, const std::string& text) override;
  void ShowMessage(MessageKind kind, const std::string& text, const std::string& details) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength = 255) override;
  bool Confirm(MessageKind kind, const std::string& text) override;
  bool AskPassword(const std::string& caption, const std::string& prompt, bool confirm,
                   std::string& value, const PasswordAdvisor& advise = {}) override;
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override;
};

// "All Files|*.*" as a Qt name filter list ("All Files (*)"); "*.*" means every name.
QString QtNameFilters(const std::string& filter);

}  // namespace velt::platform
