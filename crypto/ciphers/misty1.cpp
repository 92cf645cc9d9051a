// MISTY1 (Matsui; RFC 2994): 8 rounds, 128-bit key, big-endian halves.
#include "crypto/ciphers/misty1.h"

#include <algorithm>

namespace velt::crypto {

namespace {

const uint8_t kS7[128] = {
#include "crypto/tables/generated/misty1_s7_s9_S7.inc"
};
const uint16_t kS9[512] = {
#include "crypto/tables/generated/misty1_s7_s9_S9.inc"
};

}  // namespace

uint16_t TCrypt_misty1::Fi(uint16_t x, uint16_t key) {
  unsigned d9 = x >> 7, d7 = x & 0x7f;
  d9 = kS9[d9] ^ d7;
  d7 = kS7[d7] ^ (d9 & 0x7f);
  d7 ^= key >> 9;
  d9 ^= key & 0x1ff;
  d9 = kS9[d9] ^ d7;
  return uint16_t(d7 << 9 | d9);
}

bool TCrypt_misty1::ClassSelfCheck() {
  return KnownAnswer("00112233445566778899aabbccddeeff", "0123456789abcdef", "8b1da5f56ab3d07c");
}

void TCrypt_misty1::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 16> k;
  std::copy_n(key, bits / 8, k.data());
  for (int i = 0; i < 8; ++i) ks_->k[i] = LoadBe16(k + 2 * i);
  for (int i = 0; i < 8; ++i) ks_->kp[i] = Fi(ks_->k[i], ks_->k[(i + 1) & 7]);
}

}  // namespace velt::crypto
