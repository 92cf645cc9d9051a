// The modal questions and notices of the desktop program: message boxes of three kinds, the
// one-line input box and the file-open dialog. The GUI fills this with real dialogs; tests use
// ScriptedPrompts, which answers from a script and records everything shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velt::platform {

enum class MessageKind { Information, Warning, Error };

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
  struct Asked {
    std::string caption, prompt;  // for the file dialog: caption "open", prompt = folder
  };

  // The next input box answers OK with `text`, or Cancel when nullopt.
  void NextInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  // The next file dialog answers with `path`, or Cancel when nullopt.
  void NextFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }

  void ShowMessage(MessageKind kind, const std::string& text) override;
  void ShowMessage(MessageKind kind, const std::string& text, const std::string& details) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength = 255) override;
  bool OpenFile(const std::string& filter, const std::string& folder, std::string& path) override;

  const std::vector<Shown>& Messages() const { return messages_; }
  const std::vector<Asked>& Questions() const { return asked_; }
  const std::vector<std::string>& FileFilters() const { return filters_; }
  // Called as each input box is asked, before it answers: what a person could do meanwhile.
  std::function<void(const Asked&)> WhileAsking;
  // Questions asked with nothing left in the script.
  int Unexpected() const { return unexpected_; }
  bool ScriptUsed() const { return inputs_.empty() && files_.empty(); }
  void ClearRecord() {
    messages_.clear();
    asked_.clear();
    filters_.clear();
  }

 private:
  std::deque<std::optional<std::string>> inputs_, files_;
  std::vector<Shown> messages_;
  std::vector<Asked> asked_;
  std::vector<std::string> filters_;
  int unexpected_ = 0;
};

}  // namespace velt::platform
