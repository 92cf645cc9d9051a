#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Rc6Schedule {
  uint32_t s[44];
};

class TCrypt_rc6 final : public BlockCipher<TCrypt_rc6, TCrypt_blockcipher128, Rc6Schedule> {
 public:
  static constexpr int kId = 4;
  static constexpr int kMaxKeySize = 2048;
  static constexpr const char* kAlgorithm = "RC6";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kLittle;
  void EncryptWords(uint32_t (&w)[4]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Two blocks per round hide the multiply and rotate latency of each other.
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in rc6.cpp, so they inline there.
extern template class BlockCipher<TCrypt_rc6, TCrypt_blockcipher128, Rc6Schedule>;

}  // namespace velt::crypto
