// The file engine: one file encrypted or decrypted end to end.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/meta_info.h"
#include "engine/progress.h"
#include "engine/settings.h"

namespace velt::engine {

// What a run did besides its main work that the user must be told about: an encrypted file
// kept as "(orig)" because its password could not be checked, a file with other links that
// was not overwritten. Each note is one line that names the file.
struct FileReport {
  std::vector<std::string> notes;
  // Decryption: the encrypted file was kept under `path + "(orig)"`.
  bool keptEncrypted = false;
};

struct EncryptOptions {
  // Before the original is deleted, read the finished file back, decrypt (and decompress) it
  // and compare it with a digest of the plaintext; on a mismatch nothing is changed.
  bool verify = false;
  // Test seam: called with the path of the finished (not yet renamed) output before it is
  // verified, so a test can damage it.
  std::function<void(const std::string& outputPath)> beforeVerify;
  // An older encrypted file (one with meta information) under the result's name is replaced,
  // as the desktop does; off, any existing file there is refused (velt-cli without
  // --overwrite). A file without meta information there is refused either way.
  bool replaceEncrypted = true;
  // Set from another thread (or a signal handler) to stop the run at the next safe point:
  // before the result takes its name the run ends with CancelledError and nothing is changed;
  // once it has, the run is finished.
  const std::atomic<bool>* cancel = nullptr;
  FileReport* report = nullptr;
};

struct DecryptOptions {
  // An existing file under the result's name is replaced, as the desktop does; off, it is
  // refused (velt-cli without --overwrite).
  bool replaceExisting = true;
  // A payload without compression is checked only by the weak check value, which lets about
  // one wrong password in 21 through: its encrypted file is then kept as path + "(orig)"
  // rather than deleted. Off (velt-cli --delete-original), it is deleted as the format's
  // other files are.
  bool keepUnchecked = true;
  const std::atomic<bool>* cancel = nullptr;
  FileReport* report = nullptr;
};

// Encrypts `path` under `password`. The encrypted file is written completely under a temporary
// name and flushed before the original is touched; on any error every temporary file is
// removed, the original keeps its content and attributes, and EngineError names the file and
// the cause. A file that already carries meta information (checked on the locked file) raises
// AlreadyEncryptedError. Returns the elapsed milliseconds.
int64_t EncryptOneFile(const std::string& path, const std::string& password,
                       const EngineSettings& settings, ProgressSink& sink,
                       const EncryptOptions& options = {});

enum class DecryptOutcome {
  Decrypted,
  // The decrypted data failed the check stored in the meta information, or zlib refused it:
  // the encrypted file is left exactly as it was.
  WrongPassword,
};

struct DecryptResult {
  DecryptOutcome outcome = DecryptOutcome::Decrypted;
  int64_t elapsedMs = 0;  // the run's own time, whatever its outcome
};

// Decrypts `path`. With meta information the engines come from the file; without it they come
// from `options`.
DecryptResult DecryptOneFile(const std::string& path, const std::string& password, bool hasMetaInfo,
                             const EngineSettings& settings, const DecryptionOptions& options,
                             ProgressSink& sink, const DecryptOptions& run = {});

// The name a decrypted file gets: without ".VELT", else without "." + extension, else as is.
std::string DecryptedName(const std::string& path, const std::string& extension);

}  // namespace velt::engine
