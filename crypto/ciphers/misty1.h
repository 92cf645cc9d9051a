#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Misty1Schedule {
  uint16_t k[8];   // the key words K1..K8
  uint16_t kp[8];  // K'i = FI(Ki, Ki+1)
};

class TCrypt_misty1 final
    : public BlockCipher<TCrypt_misty1, TCrypt_blockcipher64, Misty1Schedule> {
 public:
  static constexpr int kId = 11;
  static constexpr int kMaxKeySize = 128;
  static constexpr const char* kAlgorithm = "Misty1";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { EncryptN<1>(in, out); }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { DecryptN<1>(in, out); }

  // Two blocks side by side: each FI is a chain of dependent table reads.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    for (; count >= 2; count -= 2, in += 16, out += 16) EncryptN<2>(in, out);
    if (count) EncryptN<1>(in, out);
  }
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    for (; count >= 2; count -= 2, in += 16, out += 16) DecryptN<2>(in, out);
    if (count) DecryptN<1>(in, out);
  }

 private:
  static uint16_t Fi(uint16_t x, uint16_t key);

  template <size_t N>
  void EncryptN(const uint8_t* in, uint8_t* out) const {
    uint32_t d0[N], d1[N];
    for (size_t k = 0; k < N; ++k) {
      d0[k] = LoadBe32(in + 8 * k);
      d1[k] = LoadBe32(in + 8 * k + 4);
    }
    for (int i = 0; i < 8; i += 2) {
      for (size_t k = 0; k < N; ++k) {
        d0[k] = Fl(d0[k], i);
        d1[k] = Fl(d1[k], i + 1);
      }
      for (size_t k = 0; k < N; ++k) d1[k] ^= Fo(d0[k], i);
      for (size_t k = 0; k < N; ++k) d0[k] ^= Fo(d1[k], i + 1);
    }
    for (size_t k = 0; k < N; ++k) {
      StoreBe32(out + 8 * k, Fl(d1[k], 9));
      StoreBe32(out + 8 * k + 4, Fl(d0[k], 8));
    }
  }

  template <size_t N>
  void DecryptN(const uint8_t* in, uint8_t* out) const {
    uint32_t d0[N], d1[N];
    for (size_t k = 0; k < N; ++k) {
      d1[k] = FlInv(LoadBe32(in + 8 * k), 9);
      d0[k] = FlInv(LoadBe32(in + 8 * k + 4), 8);
    }
    for (int i = 6; i >= 0; i -= 2) {
      for (size_t k = 0; k < N; ++k) d0[k] ^= Fo(d1[k], i + 1);
      for (size_t k = 0; k < N; ++k) d1[k] ^= Fo(d0[k], i);
      for (size_t k = 0; k < N; ++k) {
        d0[k] = FlInv(d0[k], i);
        d1[k] = FlInv(d1[k], i + 1);
      }
    }
    for (size_t k = 0; k < N; ++k) {
      StoreBe32(out + 8 * k, d0[k]);
      StoreBe32(out + 8 * k + 4, d1[k]);
    }
  }

  // Subkey indices of FO and FL as in RFC 2994, counted from round 0.
  uint32_t Fo(uint32_t x, int i) const {
    uint16_t t0 = uint16_t(x >> 16), t1 = uint16_t(x);
    t0 = uint16_t(Fi(t0 ^ ks_->k[i], ks_->kp[(i + 5) & 7]) ^ t1);
    t1 = uint16_t(Fi(t1 ^ ks_->k[(i + 2) & 7], ks_->kp[(i + 1) & 7]) ^ t0);
    t0 = uint16_t(Fi(t0 ^ ks_->k[(i + 7) & 7], ks_->kp[(i + 3) & 7]) ^ t1);
    t1 = uint16_t(t1 ^ ks_->k[(i + 4) & 7]);
    return uint32_t(t1) << 16 | t0;
  }

  uint16_t Kl1(int i) const { return i % 2 == 0 ? ks_->k[i / 2] : ks_->kp[(i / 2 + 2) & 7]; }
  uint16_t Kl2(int i) const {
    return i % 2 == 0 ? ks_->kp[(i / 2 + 6) & 7] : ks_->k[(i / 2 + 4) & 7];
  }

  uint32_t Fl(uint32_t x, int i) const {
    uint16_t d0 = uint16_t(x >> 16), d1 = uint16_t(x);
    d1 ^= d0 & Kl1(i);
    d0 ^= d1 | Kl2(i);
    return uint32_t(d0) << 16 | d1;
  }
  uint32_t FlInv(uint32_t x, int i) const {
    uint16_t d0 = uint16_t(x >> 16), d1 = uint16_t(x);
    d0 ^= d1 | Kl2(i);
    d1 ^= d0 & Kl1(i);
    return uint32_t(d0) << 16 | d1;
  }
};

}  // namespace velt::crypto
