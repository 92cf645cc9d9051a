// UTF-8 as file names and settings hold it: decoded one character at a time, so that a byte
// that is not part of valid UTF-8 can be dealt with on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velt::platform {

// Length of the UTF-8 sequence at text[i] and its code point in `cp`; 0 when it is not valid
// UTF-8 (overlong forms, surrogates and code points past U+10FFFF included).
size_t Utf8At(const std::string& text, size_t i, uint32_t& cp);

void AppendUtf8(std::string& out, uint32_t cp);

}  // namespace velt::platform
