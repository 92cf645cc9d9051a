// The modal questions and notices of the desktop program: message boxes of three kinds, Yes/No
// questions, the one-line input box, the password box and the file-open dialog. The GUI fills this
// with real dialogs.
#pragma once

#include <functional>
#include <string>

namespace velt::platform {

enum class MessageKind { Information, Warning, Error };

// What a password box shows under its field while the user types: an estimate of the
// password's strength and, for a weak one, a warning ("" for none).
struct PasswordAdvice {
  std::string estimate;
  std::string warning;
};
using PasswordAdvisor = std::function<PasswordAdvice(const std::string& password)>;

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal box with one OK button.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // The same with a longer text the user can unfold (a list of files, say).
  virtual void ShowMessage(MessageKind kind, const std::string& text,
                           const std::string& details) = 0;
  // A one-line box showing what is typed, starting with `value`. False on Cancel; on OK
  // `value` holds the text (at most `maxLength` characters).
  virtual bool InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                        int maxLength = 255) = 0;
  // A Yes/No question; true for Yes. No is the default answer.
  virtual bool Confirm(MessageKind kind, const std::string& text) = 0;
  // A password box: the entry masked, with a toggle that shows it, starting empty. With
  // `confirm` (a new password, for encryption) a second field must repeat it and an empty
  // password cannot be given; without, it is asked once and may be empty. `advise`, when set,
  // is asked again as each character is typed. False on Cancel; on OK `value` holds the
  // password (at most 255 characters).
  virtual bool AskPassword(const std::string& caption, const std::string& prompt, bool confirm,
                           std::string& value, const PasswordAdvisor& advise = {}) = 0;
  // The file-open dialog. `filter` is "Description|pattern[|Description|pattern...]";
  // `folder` is where it opens. False on Cancel; on OK `path` is the chosen file.
  virtual bool OpenFile(const std::string& filter, const std::string& folder,
                        std::string& path) = 0;
};

}  // namespace velt::platform
