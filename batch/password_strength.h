// How long a password would hold out against an attacker who guesses it offline. The format
// hashes the password once, without salt, so a guess costs one hash: only the password's own
// strength protects a file.
#pragma once

#include <string>

namespace velt::batch {

struct PasswordStrength {
  bool available = false;  // false where this build has no estimator
  double bits = 0;         // estimated entropy in bits
  int score = 0;           // 0 (very weak) to 4 (strong)
  bool weak = false;       // score below 3: say so before encrypting with it
  std::string text;        // one line for the user, e.g. "Strength: weak (28 bits)"
};

PasswordStrength EstimatePasswordStrength(const std::string& password);

// The warning shown before encrypting with a weak password.
inline constexpr const char* kWeakPasswordWarning =
    "This password is weak: an attacker with a copy of the file could guess it. VELT hashes "
    "the password once and without salt, so use a long passphrase.";

}  // namespace velt::batch
