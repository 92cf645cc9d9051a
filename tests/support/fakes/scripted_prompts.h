// Prompts that answer from a script the caller fills in advance, for driving the windows without
// a person: the GUI tests and the screenshot driver.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace velt::test {

// Answers from a script the test fills in advance; every shown box is recorded in order.
// Asking with an empty script answers Cancel and is recorded as unexpected.
class ScriptedPrompts final : public platform::Prompts {
 public:
  struct Shown {
    platform::MessageKind kind;
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

  void ShowMessage(platform::MessageKind kind, const std::string& text) override;
  void ShowMessage(platform::MessageKind kind, const std::string& text,
                   const std::string& details) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength = 255) override;
  // Unscripted, it answers No.
  bool Confirm(platform::MessageKind kind, const std::string& text) override;
  // The advice for the scripted password is kept in Advice(). A scripted empty new password
  // is given as it stands, which the real box never lets through, so that what stands behind
  // the box can be tried with one.
  bool AskPassword(const std::string& caption, const std::string& prompt, bool confirm,
                   std::string& value, const platform::PasswordAdvisor& advise = {}) override;
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override;

  const std::vector<Shown>& Messages() const { return messages_; }
  // The Yes/No questions, with their kind and text.
  const std::vector<Shown>& Confirmations() const { return confirmations_; }
  // What the advisor said about each scripted password, in order.
  const std::vector<platform::PasswordAdvice>& Advice() const { return advice_; }
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
  std::vector<platform::PasswordAdvice> advice_;
  std::vector<Asked> asked_;
  std::vector<std::string> filters_;
  int unexpected_ = 0;
};

}  // namespace velt::test
