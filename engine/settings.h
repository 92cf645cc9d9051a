// The engine settings a file operation reads, the choices for a file without meta information,
// and the checks that keep bad values away from the pipelines.
#pragma once

#include <string>

namespace velt::engine {

enum CompressionSpeed { kSpeedDefault = 0, kSpeedFastest = 1, kSpeedBest = 2 };

struct EngineSettings {
  int cipherIndex = 0;  // cipher catalogue index, 0..18
  int hashIndex = 0;    // hash catalogue index, 0..9
  bool compress = true;
  int compressionEngine = 0;  // 0 = zlib, the only engine
  int compressionSpeed = kSpeedDefault;
  bool addExtension = true;
  std::string extension = "VELT";  // without the dot
  bool deleteOriginal = true;
  bool secureDelete = true;
  bool addMetaInfo = true;

  bool operator==(const EngineSettings&) const = default;
};

// What the user chose for decrypting a file that carries no meta information.
struct DecryptionOptions {
  int cipherIndex = 0;
  int hashIndex = 0;
  bool deleteOriginal = true;
  std::string password;
};

enum class ExtensionCheck { Valid, ForbiddenCharacter, Empty };

// An extension is valid when it is not empty and holds none of / \ : * ? > < " |, no space
// and no control character.
ExtensionCheck CheckExtension(const std::string& extension);

// Empty when the settings can be used, otherwise what is wrong with them.
std::string SettingsProblem(const EngineSettings& settings);

}  // namespace velt::engine
