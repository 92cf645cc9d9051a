// Standard base64 (A-Z a-z 0-9 + /, "=" fill) for the text operations of the ciphers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt::crypto {

std::string Base64Encode(const uint8_t* data, size_t n);
// Characters outside the alphabet are skipped; decoding stops at the first "=".
std::vector<uint8_t> Base64Decode(std::string_view text);

}  // namespace velt::crypto
