#include "crypto/cipher_catalogue.h"

#include <array>
#include <stdexcept>
#include <string>

#include "crypto/ciphers/blowfish.h"
#include "crypto/ciphers/cast128.h"
#include "crypto/ciphers/cast256.h"
#include "crypto/ciphers/des.h"
#include "crypto/ciphers/ice.h"
#include "crypto/ciphers/idea.h"
#include "crypto/ciphers/mars.h"
#include "crypto/ciphers/misty1.h"
#include "crypto/ciphers/rc2.h"
#include "crypto/ciphers/rc4.h"
#include "crypto/ciphers/rc5.h"
#include "crypto/ciphers/rc6.h"
#include "crypto/ciphers/rijndael.h"
#include "crypto/ciphers/serpent.h"
#include "crypto/ciphers/tea.h"
#include "crypto/ciphers/twofish.h"

namespace velt::crypto {

std::span<const CipherEntry> CipherCatalogue() {
  static const std::array<CipherEntry, kCipherCount> entries{{
      {0, "BlowFish", &TCrypt_blowfish::Class()},
      {1, "TwoFish", &TCrypt_twofish::Class()},
      {2, "Cast 128", &TCrypt_cast128::Class()},
      {3, "Cast 256", &TCrypt_cast256::Class()},
      {4, "DES", &TCrypt_des::Class()},
      {5, "3DES", &TCrypt_3des::Class()},
      {6, "ICE", &TCrypt_ice::Class()},
      {7, "ThinICE", &TCrypt_thinice::Class()},
      {8, "ICE2", &TCrypt_ice2::Class()},
      {9, "IDEA", &TCrypt_idea::Class()},
      {10, "MARS", &TCrypt_mars::Class()},
      {11, "MISTY 1", &TCrypt_misty1::Class()},
      {12, "RC2", &TCrypt_rc2::Class()},
      {13, "RC4", &TCrypt_rc4::Class()},
      {14, "RC5", &TCrypt_rc5::Class()},
      {15, "RC6", &TCrypt_rc6::Class()},
      {16, "RIJNDAEL", &TCrypt_rijndael::Class()},
      {17, "Serpent", &TCrypt_serpent::Class()},
      {18, "Tea", &TCrypt_tea::Class()},
  }};
  return entries;
}

const CipherEntry* FindCipher(int index) {
  if (index < 0 || index >= kCipherCount) return nullptr;
  const CipherEntry& e = CipherCatalogue()[size_t(index)];
  return e.cls ? &e : nullptr;
}

std::unique_ptr<TCrypt_cipher> CreateCipher(int index) {
  const CipherEntry* e = FindCipher(index);
  if (!e) throw std::out_of_range("no cipher with index " + std::to_string(index));
  return e->cls->create();
}

}  // namespace velt::crypto
