// The platform's failure: what was being done, to which file, and the operating system's own
// words for why.
#pragma once

#include <stdexcept>
#include <string>

namespace velt::platform {

// The operating system's own words for an error number (errno on POSIX, GetLastError on
// Windows).
std::string ErrorText(int code);

class PlatformError : public std::runtime_error {
 public:
  PlatformError(std::string operation, std::string path, int code, std::string reason);
  // The reason in the operating system's words: ErrorText(code).
  PlatformError(std::string operation, std::string path, int code);

  const std::string& Operation() const { return operation_; }
  const std::string& Path() const { return path_; }
  // The operating system's error number (errno on POSIX, GetLastError on Windows); 0 if none.
  int Code() const { return code_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string operation_, path_;
  int code_;
  std::string reason_;
};

// Error kinds the engine tells apart, independent of the platform's numbering.
bool IsNoSpace(const PlatformError& e);
bool IsNotFound(const PlatformError& e);
bool IsAlreadyExists(const PlatformError& e);
// Held by another VELT process (or, on Windows, any program) that is still at work on it.
bool IsInUse(const PlatformError& e);

}  // namespace velt::platform
