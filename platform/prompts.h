// The modal questions and notices of the desktop program: message boxes of three kinds, Yes/No
// questions, the one-line input box, the password box and the file-open dialog. The GUI fills this
// with real dialogs; tests use ScriptedPrompts, which answers from a script and records everything
// shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Answers from a script the test fills in advance; every shown box is recorded in order.
// Asking with an empty script answers Cancel and is recorded as unexpected.
class ScriptedPrompts final : public Prompts {
 public:
  struct Shown {
    MessageKind kind;
    std::string text;
    std::string details = {};
    bool operator==(const Shown&) const = default;
  };
  enum class Box { Input, Password, NewPassword, Question, File };
  struct Asked {
    // For the file dialog: caption "open", prompt = folder; for a question: caption "".
    std::string caption, prompt;
    Box box = Box::Input;
  };

  // The next input box or password box answers OK with `text`, or Cancel when nullopt. A
  // password box takes it as typed into both of its fields.
  void NextInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  // The next Yes/No question answers Yes (true) or No.
  void NextAnswer(bool yes) { answers_.push_back(yes); }
  // The next file dialog answers with `path`, or Cancel when nullopt.
  void NextFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

  void ShowMessage(MessageKind kind, const std::string& text) override;
  void ShowMessage(MessageKind kind, const std::string& text, const std::string& details) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength = 255) override;
  // Unscripted, it answers No.
  bool Confirm(MessageKind kind, const std::string& text) override;
  // The advice for the scripted password is kept in Advice(). A scripted empty new password
  // is given as it stands, which the real box never lets through, so that what stands behind
  // the box can be tried with one.
  bool AskPassword(const std::string& caption, const std::string& prompt, bool confirm,
                   std::string& value, const PasswordAdvisor& advise = {}) override;
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override;

  const std::vector<Shown>& Messages() const { return messages_; }
  // The Yes/No questions, with their kind and text.
  const std::vector<Shown>& Confirmations() const { return confirmations_; }
  // What the advisor said about each scripted password, in order.
  const std::vector<PasswordAdvice>& Advice() const { return advice_; }
  const std::vector<Asked>& Questions() const { return asked_; }
  const std::vector<std::string>& FileFilters() const { return filters_; }
  // Called as each input box is asked, before it answers: what a person could do meanwhile.
  std::function<void(const Asked&)> WhileAsking;
  // Questions asked with nothing left in the script.
  int Unexpected() const { return unexpected_; }
  bool ScriptUsed() const { return inputs_.empty() && files_.empty() && answers_.empty(); }
  void ClearRecord() {
    messages_.clear();
    confirmations_.clear();
    asked_.clear();
    filters_.clear();
    advice_.clear();
  }

 private:
  // The next scripted text for a box, recorded as asked; nullopt for Cancel.
  std::optional<std::string> NextText(Asked asked);

  std::deque<std::optional<std::string>> inputs_, files_;
  std::deque<bool> answers_;
  std::vector<Shown> messages_, confirmations_;
  std::vector<PasswordAdvice> advice_;
  std::vector<Asked> asked_;
  std::vector<std::string> filters_;
  int unexpected_ = 0;
};

}  // namespace velt::platform
