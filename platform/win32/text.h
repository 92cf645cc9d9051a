// What every Win32 file of the platform layer needs: our UTF-8 strings as the UTF-16 the wide
// API takes and back.
#pragma once

#include <windows.h>

#include <string>

namespace velt::platform::win32 {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const wchar_t* text, size_t length);
inline std::string Narrow(const std::wstring& text) {
  return Narrow(text.data(), text.size());
}

// A path for the wide file API: separators made native, and a long absolute path given the
// "\\?\" prefix that lifts the 260-character limit.
std::wstring WidePath(const std::string& utf8);

}  // namespace velt::platform::win32
