#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct TeaSchedule {
  uint32_t k[4];
};

// Not the published TEA round: each half is updated with
//   (v << 4) + (ka XOR v) + (sum XOR (v >> 5)) + kb
// where TEA has ((v << 4) + ka) XOR (v + sum) XOR ((v >> 5) + kb). Encrypted files depend on it.
class TCrypt_tea final : public BlockCipher<TCrypt_tea, TCrypt_blockcipher64, TeaSchedule> {
 public:
  static constexpr int kId = 25;
  static constexpr int kMaxKeySize = 128;
  static constexpr const char* kAlgorithm = "Tea";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    uint32_t x = LoadBe32(in), y = LoadBe32(in + 4), sum = 0;
    const uint32_t k0 = ks_->k[0], k1 = ks_->k[1], k2 = ks_->k[2], k3 = ks_->k[3];
    for (int i = 0; i < 32; ++i) {
      sum += kDelta;
      x += (y << 4) + (k0 ^ y) + (sum ^ (y >> 5)) + k1;
      y += (x << 4) + (k2 ^ x) + (sum ^ (x >> 5)) + k3;
    }
    StoreBe32(out, x);
    StoreBe32(out + 4, y);
  }

  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    uint32_t x = LoadBe32(in), y = LoadBe32(in + 4), sum = kDelta * 32;
    const uint32_t k0 = ks_->k[0], k1 = ks_->k[1], k2 = ks_->k[2], k3 = ks_->k[3];
    for (int i = 0; i < 32; ++i) {
      y -= (x << 4) + (k2 ^ x) + (sum ^ (x >> 5)) + k3;
      x -= (y << 4) + (k0 ^ y) + (sum ^ (y >> 5)) + k1;
      sum -= kDelta;
    }
    StoreBe32(out, x);
    StoreBe32(out + 4, y);
  }

  // Two blocks at a time: the rounds are one long dependency chain per block.
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;

 private:
  static constexpr uint32_t kDelta = 0x9E3779B9;
};

}  // namespace velt::crypto
