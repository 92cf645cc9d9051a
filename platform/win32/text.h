// What every Win32 file of the platform layer needs: our UTF-8 strings as the UTF-16 the wide
// API takes and back, and the system's own words for an error code.
#pragma once

#include <windows.h>

#include <string>

namespace velt::platform::win32 {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const wchar_t* text, size_t length);
inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

// A path for the wide file API: separators made native, and a long absolute path given the
// "\\?\" prefix that lifts the 260-character limit.
std::wstring WidePath(const std::string& utf8);

// FormatMessage's text for the code, without the line end it ends with.
std::string SystemText(DWORD code);

}  // namespace velt::platform::win32
