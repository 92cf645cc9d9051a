// Windows test helpers: UTF-8 paths as the wide API takes them, and a handle of "another
// program" on a file, opened with CreateFileW directly as any program would open it.
#pragma once

#include <windows.h>

#include <string>

namespace velt::test {

inline std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

struct ForeignHandle {
  HANDLE h;
  ForeignHandle(const std::string& path, DWORD access, DWORD share)
      : h(CreateFileW(Wide(path).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ForeignHandle(const ForeignHandle&) = delete;
  ForeignHandle& operator=(const ForeignHandle&) = delete;
  ~ForeignHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  bool IsOpen() const { return h != INVALID_HANDLE_VALUE; }
};

}  // namespace velt::test
