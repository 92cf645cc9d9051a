#include <windows.h>

#include "platform/errors.h"

namespace velt::platform {

bool IsNoSpace(const PlatformError& e) {
  return e.Code() == ERROR_DISK_FULL || e.Code() == ERROR_HANDLE_DISK_FULL ||
         e.Code() == 1295 /* ERROR_DISK_QUOTA_EXCEEDED */;
}
bool IsNotFound(const PlatformError& e) {
  return e.Code() == ERROR_FILE_NOT_FOUND || e.Code() == ERROR_PATH_NOT_FOUND;
}
bool IsAlreadyExists(const PlatformError& e) {
  return e.Code() == ERROR_FILE_EXISTS || e.Code() == ERROR_ALREADY_EXISTS;
}

bool IsInUse(const PlatformError& e) {
  return e.Code() == ERROR_SHARING_VIOLATION || e.Code() == ERROR_LOCK_VIOLATION;
}

}  // namespace velt::platform
