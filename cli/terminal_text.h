// Text that reaches the terminal as it stands: a file name may hold any byte but "/" and NUL,
// so an escape sequence in a name could clear the screen or a line break split an error line.
#pragma once

#include <string>

namespace velt::cli {

// `text` with every control character shown visibly: \n, \t, \r, \e, \xNN for other bytes
// below 0x20, 0x7f and bytes that are not UTF-8, \uNNNN for C1 controls and the characters
// that reorder text (bidirectional overrides). Everything else, non-ASCII letters included,
// stays as it is.
std::string TerminalText(const std::string& text);

}  // namespace velt::cli
