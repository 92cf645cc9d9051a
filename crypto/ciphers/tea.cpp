// Tea: a 64-round Feistel cipher after Wheeler and Needham's TEA, with its own round function.
#include "crypto/ciphers/tea.h"

#include <algorithm>

namespace velt::crypto {

bool TCrypt_tea::ClassSelfCheck() {
  // This variant has no published vectors: check only that a block changes and comes back.
  static const uint8_t key[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                                  0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
  static const uint8_t plain[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  TCrypt_tea c;
  c.InitWithKey(key, 128, nullptr);
  uint8_t block[8];
  c.EncryptBlock(plain, block);
  if (std::memcmp(block, plain, 8) == 0) return false;
  c.DecryptBlock(block, block);
  return std::memcmp(block, plain, 8) == 0;
}

void TCrypt_tea::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 16> k;
  std::copy_n(key, bits / 8, k.data());
  for (int i = 0; i < 4; ++i) ks_->k[i] = LoadBe32(k + 4 * i);
}

void TCrypt_tea::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  const uint32_t k0 = ks_->k[0], k1 = ks_->k[1], k2 = ks_->k[2], k3 = ks_->k[3];
  for (; count >= 2; count -= 2, in += 16, out += 16) {
    uint32_t x0 = LoadBe32(in), y0 = LoadBe32(in + 4);
    uint32_t x1 = LoadBe32(in + 8), y1 = LoadBe32(in + 12), sum = 0;
    for (int i = 0; i < 32; ++i) {
      sum += kDelta;
      x0 += (y0 << 4) + (k0 ^ y0) + (sum ^ (y0 >> 5)) + k1;
      x1 += (y1 << 4) + (k0 ^ y1) + (sum ^ (y1 >> 5)) + k1;
      y0 += (x0 << 4) + (k2 ^ x0) + (sum ^ (x0 >> 5)) + k3;
      y1 += (x1 << 4) + (k2 ^ x1) + (sum ^ (x1 >> 5)) + k3;
    }
    StoreBe32(out, x0);
    StoreBe32(out + 4, y0);
    StoreBe32(out + 8, x1);
    StoreBe32(out + 12, y1);
  }
  if (count) EncryptBlockRaw(in, out);
}

void TCrypt_tea::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  const uint32_t k0 = ks_->k[0], k1 = ks_->k[1], k2 = ks_->k[2], k3 = ks_->k[3];
  for (; count >= 2; count -= 2, in += 16, out += 16) {
    uint32_t x0 = LoadBe32(in), y0 = LoadBe32(in + 4);
    uint32_t x1 = LoadBe32(in + 8), y1 = LoadBe32(in + 12), sum = kDelta * 32;
    for (int i = 0; i < 32; ++i) {
      y0 -= (x0 << 4) + (k2 ^ x0) + (sum ^ (x0 >> 5)) + k3;
      y1 -= (x1 << 4) + (k2 ^ x1) + (sum ^ (x1 >> 5)) + k3;
      x0 -= (y0 << 4) + (k0 ^ y0) + (sum ^ (y0 >> 5)) + k1;
      x1 -= (y1 << 4) + (k0 ^ y1) + (sum ^ (y1 >> 5)) + k1;
      sum -= kDelta;
    }
    StoreBe32(out, x0);
    StoreBe32(out + 4, y0);
    StoreBe32(out + 8, x1);
    StoreBe32(out + 12, y1);
  }
  if (count) DecryptBlockRaw(in, out);
}

}  // namespace velt::crypto
