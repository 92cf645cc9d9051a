#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct TwofishSchedule {
  uint32_t k[40];      // whitening and round subkeys
  uint32_t s[4][256];  // the key-dependent S-boxes with the MDS multiply folded in
};

class TCrypt_twofish final
    : public BlockCipher<TCrypt_twofish, TCrypt_blockcipher128, TwofishSchedule> {
 public:
  static constexpr int kId = 6;
  static constexpr int kMaxKeySize = 256;
  static constexpr const char* kAlgorithm = "Twofish";
  static bool ClassSelfCheck();

  TCrypt_twofish();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kLittle;

  void EncryptWords(uint32_t (&w)[4]) const {
    uint32_t a = w[0] ^ ks_->k[0], b = w[1] ^ ks_->k[1];
    uint32_t c = w[2] ^ ks_->k[2], d = w[3] ^ ks_->k[3];
    for (int r = 8; r < 40; r += 4) {
      uint32_t t0 = G0(a), t1 = G1(b);
      c = Rotr32(c ^ (t0 + t1 + ks_->k[r]), 1);
      d = Rotl32(d, 1) ^ (t0 + 2 * t1 + ks_->k[r + 1]);
      t0 = G0(c), t1 = G1(d);
      a = Rotr32(a ^ (t0 + t1 + ks_->k[r + 2]), 1);
      b = Rotl32(b, 1) ^ (t0 + 2 * t1 + ks_->k[r + 3]);
    }
    w[0] = c ^ ks_->k[4];
    w[1] = d ^ ks_->k[5];
    w[2] = a ^ ks_->k[6];
    w[3] = b ^ ks_->k[7];
  }

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    EncryptBlockByWords<16>(*this, in, out);
  }

  // No bulk forms: two blocks side by side run out of registers and are slower.
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    uint32_t c = LoadLe32(in) ^ ks_->k[4], d = LoadLe32(in + 4) ^ ks_->k[5];
    uint32_t a = LoadLe32(in + 8) ^ ks_->k[6], b = LoadLe32(in + 12) ^ ks_->k[7];
    for (int r = 36; r >= 8; r -= 4) {
      uint32_t t0 = G0(c), t1 = G1(d);
      a = Rotl32(a, 1) ^ (t0 + t1 + ks_->k[r + 2]);
      b = Rotr32(b ^ (t0 + 2 * t1 + ks_->k[r + 3]), 1);
      t0 = G0(a), t1 = G1(b);
      c = Rotl32(c, 1) ^ (t0 + t1 + ks_->k[r]);
      d = Rotr32(d ^ (t0 + 2 * t1 + ks_->k[r + 1]), 1);
    }
    StoreLe32(out, a ^ ks_->k[0]);
    StoreLe32(out + 4, b ^ ks_->k[1]);
    StoreLe32(out + 8, c ^ ks_->k[2]);
    StoreLe32(out + 12, d ^ ks_->k[3]);
  }

 private:
  uint32_t G0(uint32_t x) const {
    return ks_->s[0][x & 0xff] ^ ks_->s[1][(x >> 8) & 0xff] ^ ks_->s[2][(x >> 16) & 0xff] ^
           ks_->s[3][x >> 24];
  }
  // g of the word rotated left by 8, without the rotation.
  uint32_t G1(uint32_t x) const {
    return ks_->s[0][x >> 24] ^ ks_->s[1][x & 0xff] ^ ks_->s[2][(x >> 8) & 0xff] ^
           ks_->s[3][(x >> 16) & 0xff];
  }
};

}  // namespace velt::crypto
