#include "tests/support/fakes/scripted_prompts.h"

namespace velt::test {

void ScriptedPrompts::ShowMessage(platform::MessageKind kind, const std::string& text) {
  messages_.push_back({kind, text});
}

void ScriptedPrompts::ShowMessage(platform::MessageKind kind, const std::string& text,
                                  const std::string& details) {
  messages_.push_back({kind, text, details});
}

std::optional<std::string> ScriptedPrompts::NextText(Asked asked) {
  asked_.push_back(std::move(asked));
  if (WhileAsking) WhileAsking(asked_.back());
  if (inputs_.empty()) {
    ++unexpected_;
    return std::nullopt;
  }
  auto answer = std::move(inputs_.front());
  inputs_.pop_front();
  return answer;
}

bool ScriptedPrompts::InputBox(const std::string& caption, const std::string& prompt,
                               std::string& value, int maxLength) {
  const auto answer = NextText({caption, prompt, Box::Input});
  if (!answer) return false;
  value = answer->substr(0, size_t(maxLength));
  return true;
}

bool ScriptedPrompts::Confirm(platform::MessageKind kind, const std::string& text) {
  confirmations_.push_back({kind, text});
  asked_.push_back({std::string(), text, Box::Question});
  if (answers_.empty()) {
    ++unexpected_;
    return false;
  }
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

bool ScriptedPrompts::AskPassword(const std::string& caption, const std::string& prompt,
                                  bool confirm, std::string& value,
                                  const platform::PasswordAdvisor& advise) {
  const auto answer = NextText({caption, prompt, confirm ? Box::NewPassword : Box::Password});
  if (!answer) return false;
  value = answer->substr(0, 255);
  if (advise) advice_.push_back(advise(value));
  return true;
}

bool ScriptedPrompts::OpenFile(const std::string& filter, const std::string& folder,
                               std::string& path) {
  asked_.push_back({"open", folder, Box::File});
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

}  // namespace velt::test
