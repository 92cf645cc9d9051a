// Hexadecimal text to bytes and back, for built-in known answers and tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velt::crypto {

// Ignores blanks; throws std::invalid_argument on anything else that is not a hex digit pair.
std::vector<uint8_t> FromHex(std::string_view hex);
std::string ToHex(const uint8_t* data, size_t n);
inline std::string ToHex(const std::vector<uint8_t>& v) {
  return ToHex(v.data(), v.size());
}

}  // namespace velt::crypto
