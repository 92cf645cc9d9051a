#include "platform/errors.h"

#include <cerrno>
#include <cstring>

namespace velt::platform {

namespace {
std::string compose(const std::string& operation, const std::string& path,
                    const std::string& reason) {
  std::string s = "Cannot " + operation;
  if (!path.empty()) s += " " + path;
  return s + ": " + reason;
}
}  // namespace

PlatformError::PlatformError(std::string operation, std::string path, int code, std::string reason)
    : std::runtime_error(compose(operation, path, reason)),
      operation_(std::move(operation)),
      path_(std::move(path)),
      code_(code),
      reason_(std::move(reason)) {}

PlatformError::PlatformError(std::string operation, std::string path, int code)
    : PlatformError(std::move(operation), std::move(path), code, ErrorText(code)) {}

#ifndef _WIN32
std::string ErrorText(int code) {
  return std::strerror(code);
}

bool IsNoSpace(const PlatformError& e) {
  return e.Code() == ENOSPC || e.Code() == EFBIG;
}
bool IsNotFound(const PlatformError& e) {
  return e.Code() == ENOENT;
}
bool IsAlreadyExists(const PlatformError& e) {
  return e.Code() == EEXIST;
}
bool IsInUse(const PlatformError& e) {
  return e.Code() == EBUSY;
}
#endif

}  // namespace velt::platform
