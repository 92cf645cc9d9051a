// Cipher and hash choices as users type them: a catalogue index or a label, compared without
// letter case and blanks ("RIJNDAEL", "rijndael", "16"; "SHA 386", "SHA384", "sha 384", "7").
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace velt::cli {

// For -c and -H: the text given becomes the catalogue index; any other text is refused with
// "unknown cipher "TEXT" (see velt-cli list)" (or hash).
const CLI::Validator& CipherChoice();
const CLI::Validator& HashChoice();

std::optional<int> ParseCipher(const std::string& text);
std::optional<int> ParseHash(const std::string& text);

}  // namespace velt::cli
