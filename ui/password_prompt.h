// How the desktop asks for a password: a new one, to encrypt with, is typed twice, may not be
// empty and comes with an estimate of its strength; a known one, to decrypt with, is typed once
// and may be empty.
#pragma once

#include <string>

#include "platform/prompts.h"

namespace velt::ui {

enum class PasswordUse { Encrypt, Decrypt };

// False on Cancel.
bool AskPassword(platform::Prompts& prompts, PasswordUse use, const char* caption,
                 std::string& password);

// What the box says under the field of a new password as it is typed.
platform::PasswordAdvice NewPasswordAdvice(const std::string& password);

}  // namespace velt::ui
