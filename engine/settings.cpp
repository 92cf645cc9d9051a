#include "engine/settings.h"

#include <cstring>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"

namespace velt::engine {

ExtensionCheck CheckExtension(const std::string& extension) {
  for (unsigned char c : extension)
    // Control characters anywhere, not only at the ends: no file system wants them in a name.
    if (c < 32 || c == ' ' || std::strchr("/\\:*?><\"|", c)) return ExtensionCheck::ForbiddenCharacter;
  if (extension.empty()) return ExtensionCheck::Empty;
  return ExtensionCheck::Valid;
}

std::string SettingsProblem(const EngineSettings& s) {
  if (!crypto::findCipher(s.cipherIndex))
    return "the cipher index " + std::to_string(s.cipherIndex) + " names no cipher";
  if (!crypto::findHash(s.hashIndex))
    return "the hash index " + std::to_string(s.hashIndex) + " names no hash";
  if (s.compressionEngine != 0)
    return "the compression engine " + std::to_string(s.compressionEngine) + " is unknown";
  if (s.compressionSpeed < kSpeedDefault || s.compressionSpeed > kSpeedBest)
    return "the compression setting " + std::to_string(s.compressionSpeed) + " is unknown";
  switch (CheckExtension(s.extension)) {
    case ExtensionCheck::Empty: return "the file extension is empty";
    case ExtensionCheck::ForbiddenCharacter:
      return "the file extension \"" + s.extension + "\" holds a character a file name cannot";
    case ExtensionCheck::Valid: break;
  }
  return {};
}

}  // namespace velt::engine
