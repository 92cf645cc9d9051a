#include "cli/engine_names.h"

#include <cctype>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"

namespace velt::cli {

namespace {

std::string fold(const std::string& s) {
  std::string out;
  for (unsigned char c : s)
    if (!std::isspace(c)) out.push_back(char(std::tolower(c)));
  return out;
}

std::optional<int> asIndex(const std::string& s, int count) {
  if (s.empty() || s.size() > 3) return std::nullopt;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  int n = std::stoi(s);
  return n < count ? std::optional<int>(n) : std::nullopt;
}

}  // namespace

std::optional<int> ParseCipher(const std::string& text) {
  std::string t = fold(text);
  if (auto n = asIndex(t, crypto::kCipherCount)) return n;
  for (const auto& e : crypto::cipherCatalogue())
    if (t == fold(e.label) || (e.cls && t == fold(e.cls->algorithm))) return e.index;
  return std::nullopt;
}

std::optional<int> ParseHash(const std::string& text) {
  std::string t = fold(text);
  if (auto n = asIndex(t, crypto::kHashCount)) return n;
  for (const auto& e : crypto::hashCatalogue())
    if (t == fold(e.label) || t == fold(e.engineName) || (e.cls && t == fold(e.cls->algorithm)))
      return e.index;
  return std::nullopt;
}

}  // namespace velt::cli
