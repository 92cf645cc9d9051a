// Reading a finished encrypted file back before the original is given up.
#pragma once

#include <string>

#include "engine/settings.h"
#include "platform/file.h"

namespace velt::engine {

// Decrypts (and decompresses) `encryptedPath` in one streaming pass and compares the result
// with the original, which is still untouched. Throws EngineError on any difference.
void VerifyEncrypted(const std::string& encryptedPath, platform::File& original,
                     const std::string& password, const EngineSettings& settings);

}  // namespace velt::engine
