#include "batch/password_strength.h"

#include <cstdio>

#include "batch/messages.h"

#ifdef VELT_HAVE_ZXCVBN
#include <zxcvbn.h>
#endif

namespace velt::batch {

namespace {
// The estimator's entropy mapped to the usual 0-4 scale by guesses (2^bits): under 10^3,
// 10^6, 10^8, 10^10 guesses for scores 0 to 3.
int ScoreOf(double bits) {
  if (bits < 10) return 0;
  if (bits < 20) return 1;
  if (bits < 27) return 2;
  if (bits < 33) return 3;
  return 4;
}
}  // namespace

PasswordStrength EstimatePasswordStrength(const std::string& password) {
  PasswordStrength s;
#ifdef VELT_HAVE_ZXCVBN
  s.available = true;
  s.bits = password.empty() ? 0 : ZxcvbnMatch(password.c_str(), nullptr, nullptr);
  s.score = ScoreOf(s.bits);
  s.weak = s.score < 3;
  char line[64];
  std::snprintf(line, sizeof line, messages::kStrengthFormat, messages::kStrengthWords[s.score],
                s.bits);
  s.text = line;
#else
  (void)password;
  (void)ScoreOf;
#endif
  return s;
}

}  // namespace velt::batch
