#include "ui/password_prompt.h"

#include "batch/password_strength.h"
#include "ui/messages.h"

namespace velt::ui {

bool AskPassword(platform::Prompts& prompts, PasswordUse use, const char* caption,
                 std::string& password) {
  password.clear();
  if (use == PasswordUse::Decrypt)
    return prompts.AskPassword(caption, messages::kEnterPassword, false, password);
  return prompts.AskPassword(caption, messages::kEnterPassword, true, password, NewPasswordAdvice);
}

platform::PasswordAdvice NewPasswordAdvice(const std::string& password) {
  // The box itself says why an empty one cannot be used.
  if (password.empty()) return {};
  const batch::PasswordStrength strength = batch::EstimatePasswordStrength(password);
  if (!strength.available) return {};
  return {strength.text, strength.weak ? batch::kWeakPasswordWarning : ""};
}

}  // namespace velt::ui
