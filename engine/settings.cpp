#include "engine/settings.h"

#include <cstring>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/messages.h"

namespace velt::engine {

ExtensionCheck CheckExtension(const std::string& extension) {
  for (unsigned char c : extension)
    // Control characters anywhere, not only at the ends: no file system wants them in a name.
    if (c < 32 || c == ' ' || std::strchr("/\\:*?><\"|", c))
      return ExtensionCheck::ForbiddenCharacter;
  if (extension.empty()) return ExtensionCheck::Empty;
  return ExtensionCheck::Valid;
}

std::string SettingsProblem(const EngineSettings& s) {
  if (!crypto::FindCipher(s.cipherIndex)) return messages::NoSuchCipher(s.cipherIndex);
  if (!crypto::FindHash(s.hashIndex)) return messages::NoSuchHash(s.hashIndex);
  if (s.compressionEngine != 0) return messages::UnknownCompressionEngine(s.compressionEngine);
  if (s.compressionSpeed < kSpeedDefault || s.compressionSpeed > kSpeedBest)
    return messages::UnknownCompressionSetting(s.compressionSpeed);
  switch (CheckExtension(s.extension)) {
    case ExtensionCheck::Empty:
      return messages::kEmptyExtension;
    case ExtensionCheck::ForbiddenCharacter:
      return messages::ForbiddenInExtension(s.extension);
    case ExtensionCheck::Valid:
      break;
  }
  return {};
}

}  // namespace velt::engine
