// The file engine: one file encrypted or decrypted end to end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/errors.h"
#include "engine/meta_info.h"
#include "engine/progress.h"
#include "engine/settings.h"

namespace velt::engine {

struct EncryptOptions {
  // Before the original is deleted, read the finished file back, decrypt (and decompress) it
  // and compare it with a digest of the plaintext; on a mismatch nothing is changed.
  bool verify = false;
  // Test seam: called with the path of the finished (not yet renamed) output before it is
  // verified, so a test can damage it.
  std::function<void(const std::string& outputPath)> beforeVerify;
};

// Encrypts `path` under `password`. The encrypted file is written completely under a temporary
// name and flushed before the original is touched; on any error every temporary file is
// removed, the original keeps its content and attributes, and EngineError names the file and
// the cause. Returns the elapsed milliseconds.
int64_t EncryptOneFile(const std::string& path, const std::string& password,
                       const EngineSettings& settings, ProgressSink& sink,
                       const EncryptOptions& options = {});

// Decrypts `path`. With meta information the engines come from the file and a wrong password
// returns -1 leaving the file exactly as it was; without it they come from `options`.
// Returns the elapsed milliseconds, or -1 for a wrong password.
int64_t DecryptOneFile(const std::string& path, const std::string& password, bool hasMetaInfo,
                       const EngineSettings& settings, const DecryptionOptions& options,
                       ProgressSink& sink);

// The name a decrypted file gets: without ".VELT", else without "." + extension, else as is.
std::string DecryptedName(const std::string& path, const std::string& extension);

}  // namespace velt::engine
