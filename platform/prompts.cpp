#include "platform/prompts.h"

namespace velt::platform {

void ScriptedPrompts::ShowMessage(MessageKind kind, const std::string& text) {
  messages_.push_back({kind, text});
}

void ScriptedPrompts::ShowMessage(MessageKind kind, const std::string& text,
                                  const std::string& details) {
  messages_.push_back({kind, text, details});
}

bool ScriptedPrompts::InputBox(const std::string& caption, const std::string& prompt,
                               std::string& value, int maxLength) {
  asked_.push_back({caption, prompt});
  if (WhileAsking) WhileAsking(asked_.back());
  if (inputs_.empty()) {
    ++unexpected_;
    return false;
  }
  auto answer = std::move(inputs_.front());
  inputs_.pop_front();
  if (!answer) return false;
  value = answer->substr(0, size_t(maxLength));
  return true;
}

bool ScriptedPrompts::OpenFile(const std::string& filter, const std::string& folder,
                               std::string& path) {
  asked_.push_back({"open", folder});
  filters_.push_back(filter);
  if (files_.empty()) {
    ++unexpected_;
    return false;
  }
  auto answer = std::move(files_.front());
  files_.pop_front();
  if (!answer) return false;
  path = *answer;
  return true;
}

}  // namespace velt::platform
