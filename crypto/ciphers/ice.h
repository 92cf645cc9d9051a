#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

template <int Rounds>
struct IceSchedule {
  uint32_t sk[Rounds][3];
};

// What the three ICE levels share: the S-boxes (built once per process, on the first
// construction of any ICE object), the round function and the key schedule.
class TCrypt_customice : public TCrypt_blockcipher64 {
 public:
  using SBoxes = uint32_t[4][1024];

  TCrypt_customice();

 protected:
  // Fills the 8 (level 0) or 16 * level subkeys from the key, zero-filled to 8 bytes a level.
  static void BuildSchedule(uint32_t (*sk)[3], int level, const uint8_t* key, unsigned bits);

  uint32_t F(uint32_t p, const uint32_t* k) const {
    // Expand each 16-bit half of p into 20 bits, then swap the bits that the salt selects.
    uint32_t tl = ((p >> 16) & 0x3ff) | (((p >> 14) | (p << 18)) & 0xffc00);
    uint32_t tr = (p & 0x3ff) | ((p << 2) & 0xffc00);
    uint32_t al = k[2] & (tl ^ tr);
    uint32_t ar = al ^ tr;
    al ^= tl;
    al ^= k[0];
    ar ^= k[1];
    return (*sbox_)[0][al >> 10] | (*sbox_)[1][al & 0x3ff] | (*sbox_)[2][ar >> 10] |
           (*sbox_)[3][ar & 0x3ff];
  }

  template <int Rounds>
  void Encrypt(const IceSchedule<Rounds>& ks, const uint8_t* in, uint8_t* out) const {
    uint32_t l = LoadBe32(in), r = LoadBe32(in + 4);
    for (int i = 0; i < Rounds; i += 2) {
      l ^= F(r, ks.sk[i]);
      r ^= F(l, ks.sk[i + 1]);
    }
    StoreBe32(out, r);
    StoreBe32(out + 4, l);
  }

  template <int Rounds>
  void Decrypt(const IceSchedule<Rounds>& ks, const uint8_t* in, uint8_t* out) const {
    uint32_t l = LoadBe32(in), r = LoadBe32(in + 4);
    for (int i = Rounds - 1; i > 0; i -= 2) {
      l ^= F(r, ks.sk[i]);
      r ^= F(l, ks.sk[i - 1]);
    }
    StoreBe32(out, r);
    StoreBe32(out + 4, l);
  }

  // Two blocks per round, for the modes that can run blocks independently.
  template <int Rounds, bool Encrypting>
  void CryptPairs(const IceSchedule<Rounds>& ks, const uint8_t* in, uint8_t* out,
                  size_t count) const {
    for (; count >= 2; count -= 2, in += 16, out += 16) {
      uint32_t l0 = LoadBe32(in), r0 = LoadBe32(in + 4);
      uint32_t l1 = LoadBe32(in + 8), r1 = LoadBe32(in + 12);
      for (int n = 0; n < Rounds; n += 2) {
        const uint32_t* ka = ks.sk[Encrypting ? n : Rounds - 1 - n];
        const uint32_t* kb = ks.sk[Encrypting ? n + 1 : Rounds - 2 - n];
        l0 ^= F(r0, ka);
        l1 ^= F(r1, ka);
        r0 ^= F(l0, kb);
        r1 ^= F(l1, kb);
      }
      StoreBe32(out, r0);
      StoreBe32(out + 4, l0);
      StoreBe32(out + 8, r1);
      StoreBe32(out + 12, l1);
    }
    if (count) {
      if constexpr (Encrypting)
        Encrypt(ks, in, out);
      else
        Decrypt(ks, in, out);
    }
  }

 private:
  const SBoxes* sbox_;
};

// One ICE level: Level 0 is Thin-ICE (8 rounds), level n has 16n rounds and 8n key bytes.
template <class Derived, int Level>
class IceLevel
    : public BlockCipher<Derived, TCrypt_customice, IceSchedule<Level == 0 ? 8 : 16 * Level>> {
 public:
  static constexpr int kRounds = Level == 0 ? 8 : 16 * Level;

  void SetupKey(const uint8_t* key, unsigned bits) override {
    this->BuildSchedule(this->ks_->sk, Level, key, bits);
  }
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    this->Encrypt(*this->ks_, in, out);
  }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
    this->Decrypt(*this->ks_, in, out);
  }
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    this->template CryptPairs<kRounds, true>(*this->ks_, in, out, count);
  }
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    this->template CryptPairs<kRounds, false>(*this->ks_, in, out, count);
  }
};

class TCrypt_ice final : public IceLevel<TCrypt_ice, 1> {
 public:
  static constexpr int kId = 20;
  static constexpr int kMaxKeySize = 64;
  static constexpr const char* kAlgorithm = "Ice";
  static bool ClassSelfCheck();
};

class TCrypt_thinice final : public IceLevel<TCrypt_thinice, 0> {
 public:
  static constexpr int kId = 21;
  static constexpr int kMaxKeySize = 64;
  static constexpr const char* kAlgorithm = "Thin Ice";
  static bool ClassSelfCheck();
};

class TCrypt_ice2 final : public IceLevel<TCrypt_ice2, 2> {
 public:
  static constexpr int kId = 22;
  static constexpr int kMaxKeySize = 128;
  static constexpr const char* kAlgorithm = "Ice2";
  static bool ClassSelfCheck();
};

}  // namespace velt::crypto
