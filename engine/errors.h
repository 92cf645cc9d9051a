// The engine's failures: which file, and why. The text is shown to users as it stands.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/messages.h"

namespace velt::engine {

class EngineError : public std::runtime_error {
 public:
  EngineError(std::string file, std::string cause)
      : std::runtime_error(file + ": " + cause), file_(std::move(file)), cause_(std::move(cause)) {}
  const std::string& File() const { return file_; }
  const std::string& Cause() const { return cause_; }

 private:
  std::string file_, cause_;
};

// The file to encrypt carries VELT meta information already; nothing was changed. Callers
// count it as skipped, not failed.
class AlreadyEncryptedError : public EngineError {
 public:
  explicit AlreadyEncryptedError(std::string file)
      : EngineError(std::move(file), messages::kAlreadyEncrypted) {}
};

// The run was stopped before its result took its name; nothing was changed and every
// temporary file is gone.
class CancelledError : public EngineError {
 public:
  explicit CancelledError(std::string file) : EngineError(std::move(file), messages::kStopped) {}
};

// The file changed (grew, was written to, or was replaced) while it was being processed: it is
// kept as it is now and the result is discarded.
class ChangedError : public EngineError {
 public:
  using EngineError::EngineError;
};

}  // namespace velt::engine
