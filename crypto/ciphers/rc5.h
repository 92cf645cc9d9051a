#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Rc5Schedule {
  uint32_t s[26];
};

class TCrypt_rc5 final : public BlockCipher<TCrypt_rc5, TCrypt_blockcipher64, Rc5Schedule> {
 public:
  static constexpr int kId = 3;
  static constexpr int kMaxKeySize = 2048;
  static constexpr const char* kAlgorithm = "RC5";
  static constexpr int kRounds = 12;
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kLittle;

  void EncryptWords(uint32_t (&w)[2]) const {
    uint32_t a = w[0] + ks_->s[0], b = w[1] + ks_->s[1];
    for (int i = 1; i <= kRounds; ++i) {
      a = Rotl32(a ^ b, int(b & 31)) + ks_->s[2 * i];
      b = Rotl32(b ^ a, int(a & 31)) + ks_->s[2 * i + 1];
    }
    w[0] = a;
    w[1] = b;
  }

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    EncryptBlockByWords<8>(*this, in, out);
  }

  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    uint32_t a = LoadLe32(in), b = LoadLe32(in + 4);
    for (int i = kRounds; i >= 1; --i) {
      b = Rotr32(b - ks_->s[2 * i + 1], int(a & 31)) ^ a;
      a = Rotr32(a - ks_->s[2 * i], int(b & 31)) ^ b;
    }
    StoreLe32(out, a - ks_->s[0]);
    StoreLe32(out + 4, b - ks_->s[1]);
  }

  // Several blocks in flight hide the latency of the data-dependent rotations.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

}  // namespace velt::crypto
