// The nineteen ciphers in catalogue order. The index is what encrypted files store and what
// every cipher option list shows; this table is the one place that knows the order.
#pragma once

#include <memory>
#include <span>

#include "crypto/cipher.h"

namespace velt::crypto {

struct CipherEntry {
  int index;
  const char* label;  // item text of the option lists
  const CipherClass* cls;
};

inline constexpr int kCipherCount = 19;
inline constexpr int kDefaultCipher = 0;

std::span<const CipherEntry> CipherCatalogue();
// Null when the index is outside the catalogue.
const CipherEntry* FindCipher(int index);
// Throws std::out_of_range for an index outside the catalogue.
std::unique_ptr<TCrypt_cipher> CreateCipher(int index);

}  // namespace velt::crypto
