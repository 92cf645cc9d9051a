#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Cast256Schedule {
  uint32_t km[12][4];  // masking keys of the twelve quad-rounds
  uint8_t kr[12][4];   // rotation keys
};

class TCrypt_cast256 final
    : public BlockCipher<TCrypt_cast256, TCrypt_blockcipher128, Cast256Schedule> {
 public:
  static constexpr int kId = 15;
  static constexpr int kMaxKeySize = 256;
  static constexpr const char* kAlgorithm = "Cast256";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;
  void EncryptWords(uint32_t (&w)[4]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Two blocks at a time keep more S-box loads in flight.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in cast256.cpp, so they inline there.
extern template class BlockCipher<TCrypt_cast256, TCrypt_blockcipher128, Cast256Schedule>;

}  // namespace velt::crypto
