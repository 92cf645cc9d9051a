#include "platform/registry_convert.h"

#include <charconv>

namespace velt::platform {

std::string RegistryText(const RegistryInput& value) {
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  if (auto* b = std::get_if<bool>(&value)) return *b ? "-1" : "0";
  return std::to_string(std::get<int32_t>(value));
}

std::optional<int32_t> RegistryDword(const RegistryInput& value) {
  if (auto* i = std::get_if<int32_t>(&value)) return *i;
  if (auto* b = std::get_if<bool>(&value)) return *b ? -1 : 0;
  const std::string& s = std::get<std::string>(value);
  // from_chars takes "-" but not "+"; a leading "+" is still a decimal integer.
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+' && ++first != last && *first == '-') return std::nullopt;
  int32_t n = 0;
  auto [end, ec] = std::from_chars(first, last, n, 10);
  if (ec != std::errc() || end != last) return std::nullopt;
  return n;
}

}  // namespace velt::platform
