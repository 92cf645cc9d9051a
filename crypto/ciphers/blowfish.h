#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct BlowfishSchedule {
  uint32_t p[18];
  uint32_t s[4][256];
};

class TCrypt_blowfish final
    : public BlockCipher<TCrypt_blowfish, TCrypt_blockcipher64, BlowfishSchedule> {
 public:
  static constexpr int kId = 5;
  static constexpr int kMaxKeySize = 448;
  static constexpr const char* kAlgorithm = "Blowfish";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;

  // The P-array XOR goes into the half that is not being fed to F, so it stays off the path
  // from one round to the next.
  void EncryptWords(uint32_t (&w)[2]) const {
    uint32_t l = w[0] ^ ks_->p[0], r = w[1];
    for (int i = 1; i < 17; i += 2) {
      r ^= ks_->p[i];
      r ^= F(l);
      l ^= ks_->p[i + 1];
      l ^= F(r);
    }
    w[0] = r ^ ks_->p[17];
    w[1] = l;
  }

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    EncryptBlockByWords<8>(*this, in, out);
  }

  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    uint32_t l = LoadBe32(in), r = LoadBe32(in + 4);
    for (int i = 16; i > 0; i -= 2) {
      l ^= ks_->p[i + 1];
      r ^= F(l);
      r ^= ks_->p[i];
      l ^= F(r);
    }
    l ^= ks_->p[1];
    r ^= ks_->p[0];
    StoreBe32(out, r);
    StoreBe32(out + 4, l);
  }

  // Two independent blocks per round let the S-box loads of one hide the latency of the other.
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;

 private:
  uint32_t F(uint32_t x) const {
    return ((ks_->s[0][x >> 24] + ks_->s[1][(x >> 16) & 0xff]) ^ ks_->s[2][(x >> 8) & 0xff]) +
           ks_->s[3][x & 0xff];
  }
};

}  // namespace velt::crypto
