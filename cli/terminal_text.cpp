#include "cli/terminal_text.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"

namespace velt::cli {

namespace {

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
    const size_t len = platform::Utf8At(text, i, cp);
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
