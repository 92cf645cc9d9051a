#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Cast128Schedule {
  uint32_t km[16];  // masking keys
  uint32_t kr[16];  // rotation amounts plus 16, mod 32
  uint32_t rounds;  // 12 for keys of at most 80 bits, else 16
};

class TCrypt_cast128 final
    : public BlockCipher<TCrypt_cast128, TCrypt_blockcipher64, Cast128Schedule> {
 public:
  static constexpr int kId = 7;
  static constexpr int kMaxKeySize = 128;
  static constexpr const char* kAlgorithm = "Cast128";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;
  void EncryptWords(uint32_t (&w)[2]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Two blocks at a time hide the latency of the S-box loads.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in cast128.cpp, so they inline there.
extern template class BlockCipher<TCrypt_cast128, TCrypt_blockcipher64, Cast128Schedule>;

}  // namespace velt::crypto
