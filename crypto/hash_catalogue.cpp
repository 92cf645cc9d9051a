#include "crypto/hash_catalogue.h"

#include <array>

#include "crypto/hashes/md5.h"

namespace velt::crypto {

std::span<const HashEntry> hashCatalogue() {
  static const std::array<HashEntry, kHashCount> entries{{
      {0, "MD5", "MD5", &TCrypt_md5::Class()},
      {1, "MD4", "MD4", nullptr},
      {2, "Haval", "Haval", nullptr},
      {3, "RMD 128", "RMD 128", nullptr},
      {4, "RMD 160", "RMD 160", nullptr},
      {5, "SHA1", "SHA1", nullptr},
      {6, "SHA 256", "SHA 256", nullptr},
      {7, "SHA 386", "SHA 384", nullptr},
      {8, "SHA 512", "SHA 512", nullptr},
      {9, "Tiger", "Tiger", nullptr},
  }};
  return entries;
}

const HashEntry* findHash(int index) {
  if (index < 0 || index >= kHashCount) return nullptr;
  const HashEntry& e = hashCatalogue()[size_t(index)];
  return e.cls ? &e : nullptr;
}

}  // namespace velt::crypto
