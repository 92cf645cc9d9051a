#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

// 16-bit subkeys held in 32-bit words, so the rounds need no widening.
struct IdeaSchedule {
  uint32_t enc[52];
  uint32_t dec[52];
};

class TCrypt_idea final : public BlockCipher<TCrypt_idea, TCrypt_blockcipher64, IdeaSchedule> {
 public:
  static constexpr int kId = 12;
  static constexpr int kMaxKeySize = 128;
  static constexpr const char* kAlgorithm = "IDEA";
  static bool ClassSelfCheck();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kBig;
  void EncryptWords(uint32_t (&w)[2]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Several blocks at a time keep the multiplier busy while one block waits on another.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in idea.cpp, so they inline there.
extern template class BlockCipher<TCrypt_idea, TCrypt_blockcipher64, IdeaSchedule>;

}  // namespace velt::crypto
