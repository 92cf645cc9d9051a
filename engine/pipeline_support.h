// Pieces the encryption and decryption pipelines share.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "crypto/cipher.h"
#include "engine/progress.h"
#include "engine/zstream.h"
#include "platform/file.h"
#include "platform/file_system.h"

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

// Opens and locks the file under `path`. Another run may rename its result over the name
// between our open and our lock; the file then held is no longer the one named, so the name is
// opened again (and its new file is what the caller then looks at).
platform::File OpenHeld(const std::string& path);

// An existing file that is about to be replaced, held locked until it is, so that a file
// another VELT process works on is never replaced under it. Nothing when there is no file.
std::optional<platform::File> HoldExisting(const std::string& name);

// A file that took its final name must still be the one we wrote: another program may have
// put something else under the temporary name, which must then not pass for our result.
void RequireSameFile(platform::File& ours, const std::string& name, const std::string& path);

// Gives a finished result its attributes. Once it has its name it is the user's: another run
// may already have taken it further (decrypted it, say), and a result gone meanwhile is no
// failure of ours.
void GiveAttributes(const std::string& name, const platform::Attributes& attributes);

// Rethrows the exception being handled as an EngineError that names `path`.
[[noreturn]] void RethrowForFile(const std::string& path);

}  // namespace velt::engine::detail
