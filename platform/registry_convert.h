// How a value handed to WriteRegistryValue becomes the stored text or 32-bit integer; shared
// by the registry implementations of every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace velt::platform {

using RegistryInput = std::variant<std::string, int32_t, bool>;

// Text as is, an integer in decimal, a flag as "-1" or "0" (its integer form, so that the
// text converts back to the same number).
std::string RegistryText(const RegistryInput& value);

// An integer as is, a flag as -1 or 0, a text only when it is a decimal integer that fits in
// 32 signed bits; nothing otherwise.
std::optional<int32_t> RegistryDword(const RegistryInput& value);

}  // namespace velt::platform
