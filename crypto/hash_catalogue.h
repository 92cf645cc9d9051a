// The ten hashes in catalogue order. The index is what encrypted files store and what every
// hash option list shows.
#pragma once

#include <memory>
#include <span>

#include "crypto/hash.h"

namespace velt::crypto {

struct HashEntry {
  int index;
  const char* label;       // item text of the option lists ("SHA 386" is SHA-384)
  const char* engineName;  // the name the file engine knows it by
  const HashClass* cls;
};

inline constexpr int kHashCount = 10;
inline constexpr int kDefaultHash = 0;

std::span<const HashEntry> HashCatalogue();
// Null when the index is outside the catalogue.
const HashEntry* FindHash(int index);

}  // namespace velt::crypto
