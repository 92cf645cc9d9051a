#include "platform/errors.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace velt::platform {

// FormatMessage's text for the code, without the line end it ends with.
std::string ErrorText(int code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, DWORD(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text = n && buffer ? win32::Narrow(buffer, n) : "Error " + std::to_string(code) + ".";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

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
