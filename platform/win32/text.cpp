#include "platform/win32/text.h"

namespace velt::platform::win32 {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  // Bytes that are not UTF-8 become U+FFFD: such a name cannot be found, and says so.
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring WidePath(const std::string& utf8) {
  std::wstring p = Wide(utf8);
  constexpr size_t kShortLimit = 248;  // CreateDirectory's limit, below MAX_PATH
  if (p.size() < kShortLimit || p.rfind(L"\\\\?\\", 0) == 0) return p;
  bool drive = p.size() > 2 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
  bool unc = p.size() > 2 && (p[0] == L'\\' || p[0] == L'/') && (p[1] == L'\\' || p[1] == L'/');
  if (!drive && !unc) return p;
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return unc ? L"\\\\?\\UNC" + p.substr(1) : L"\\\\?\\" + p;
}

}  // namespace velt::platform::win32
