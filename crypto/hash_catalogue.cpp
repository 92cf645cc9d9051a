#include "crypto/hash_catalogue.h"

#include <array>

#include "crypto/hashes/haval.h"
#include "crypto/hashes/md4.h"
#include "crypto/hashes/md5.h"
#include "crypto/hashes/ripemd128.h"
#include "crypto/hashes/ripemd160.h"
#include "crypto/hashes/sha1.h"
#include "crypto/hashes/sha256.h"
#include "crypto/hashes/sha512.h"
#include "crypto/hashes/tiger.h"

namespace velt::crypto {

std::span<const HashEntry> HashCatalogue() {
  static const std::array<HashEntry, kHashCount> entries{{
      {0, "MD5", "MD5", &TCrypt_md5::Class()},
      {1, "MD4", "MD4", &TCrypt_md4::Class()},
      {2, "Haval", "Haval", &TCrypt_haval::Class()},
      {3, "RMD 128", "RMD 128", &TCrypt_ripemd128::Class()},
      {4, "RMD 160", "RMD 160", &TCrypt_ripemd160::Class()},
      {5, "SHA1", "SHA1", &TCrypt_sha1::Class()},
      {6, "SHA 256", "SHA 256", &TCrypt_sha256::Class()},
      {7, "SHA 386", "SHA 384", &TCrypt_sha384::Class()},
      {8, "SHA 512", "SHA 512", &TCrypt_sha512::Class()},
      {9, "Tiger", "Tiger", &TCrypt_tiger::Class()},
  }};
  return entries;
}

const HashEntry* FindHash(int index) {
  if (index < 0 || index >= kHashCount) return nullptr;
  const HashEntry& e = HashCatalogue()[size_t(index)];
  return e.cls ? &e : nullptr;
}

}  // namespace velt::crypto
