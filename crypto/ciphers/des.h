#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

// What DES and triple DES share: the key expansion and the rounds between one initial and one
// final permutation.
class TCrypt_customdes : public TCrypt_blockcipher64 {
 protected:
  // Round keys of one 8-byte DES key in the order of use, for each direction (32 words each).
  static void ExpandKey(const uint8_t* key, uint32_t* enc, uint32_t* dec);
  // One DES pass (crypt1) or three (crypt3, EDE) per block; k holds 32 words per pass.
  static void Crypt1(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count);
  static void Crypt3(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count);
};

struct DesSchedule {
  uint32_t enc[32];
  uint32_t dec[32];
};

class TCrypt_des final : public BlockCipher<TCrypt_des, TCrypt_customdes, DesSchedule> {
 public:
  static constexpr int kId = 23;
  static constexpr int kMaxKeySize = 64;
  static constexpr const char* kAlgorithm = "DES";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;
  void EncryptWords(uint32_t (&w)[2]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { Crypt1(ks_->enc, in, out, 1); }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { Crypt1(ks_->dec, in, out, 1); }
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    Crypt1(ks_->enc, in, out, count);
  }
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    Crypt1(ks_->dec, in, out, count);
  }
};

// Passes K1, K2, K3 one after another; decryption runs them backwards.
struct TripleDesSchedule {
  uint32_t enc[96];
  uint32_t dec[96];
};

class TCrypt_3des final : public BlockCipher<TCrypt_3des, TCrypt_customdes, TripleDesSchedule> {
 public:
  static constexpr int kId = 24;
  static constexpr int kMaxKeySize = 192;
  static constexpr const char* kAlgorithm = "3DES";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;
  void EncryptWords(uint32_t (&w)[2]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { Crypt3(ks_->enc, in, out, 1); }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { Crypt3(ks_->dec, in, out, 1); }
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    Crypt3(ks_->enc, in, out, count);
  }
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    Crypt3(ks_->dec, in, out, count);
  }
};

// The word functions are compiled with the mode loops in des.cpp, so they inline there.
extern template class BlockCipher<TCrypt_des, TCrypt_customdes, DesSchedule>;
extern template class BlockCipher<TCrypt_3des, TCrypt_customdes, TripleDesSchedule>;

}  // namespace velt::crypto
