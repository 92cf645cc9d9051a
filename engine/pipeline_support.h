// Pieces the encryption and decryption pipelines share.
#pragma once

#include <memory>
#include <string>

#include "crypto/cipher.h"
#include "engine/progress.h"
#include "engine/zstream.h"

namespace velt::engine::detail {

// Refuses anything but a regular file: links (encrypting one would leave its target's
// plaintext behind), folders and missing names. Throws EngineError.
void RequireRegularFile(const std::string& path);

// A cipher of catalogue entry `cipherIndex`, keyed from the password through hash
// `hashIndex`, reporting its percentage to the sink after every chunk.
std::unique_ptr<crypto::TCrypt_cipher> MakeKeyedCipher(int cipherIndex, int hashIndex,
                                                       const std::string& password,
                                                       ProgressSink& sink);

CompressionLevel LevelForSpeed(int compressionSpeed);

// Rethrows the exception being handled as an EngineError that names `path`.
[[noreturn]] void RethrowForFile(const std::string& path);

}  // namespace velt::engine::detail
