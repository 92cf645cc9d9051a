#include "cli/terminal_text.h"

#include <cstdint>
#include <cstdio>

namespace velt::cli {

namespace {

// Length of the UTF-8 sequence at text[i] and its code point; 0 when it is not valid UTF-8.
size_t Utf8At(const std::string& text, size_t i, uint32_t& cp) {
  const auto c = uint8_t(text[i]);
  const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > text.size()) return 0;
  cp = len == 1 ? c : len == 2 ? c & 0x1Fu : len == 3 ? c & 0x0Fu : c & 0x07u;
  for (size_t k = 1; k < len; ++k) {
    const auto cc = uint8_t(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (cc & 0x3Fu);
  }
  static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kShortest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
  return len;
}

bool Reorders(uint32_t cp) {
  return cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
}

}  // namespace

std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  char buf[16];
  for (size_t i = 0; i < text.size();) {
    const auto c = uint8_t(text[i]);
    uint32_t cp = 0;
    const size_t len = Utf8At(text, i, cp);
    if (len == 0 || cp < 0x20 || cp == 0x7F) {
      switch (c) {
        case '\n':
          out += "\\n";
          break;
        case '\t':
          out += "\\t";
          break;
        case '\r':
          out += "\\r";
          break;
        case 0x1B:
          out += "\\e";
          break;
        default:
          std::snprintf(buf, sizeof buf, "\\x%02x", c);
          out += buf;
      }
      ++i;
    } else if ((cp >= 0x80 && cp < 0xA0) || Reorders(cp)) {
      std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(cp));
      out += buf;
      i += len;
    } else {
      out.append(text, i, len);
      i += len;
    }
  }
  return out;
}

}  // namespace velt::cli
