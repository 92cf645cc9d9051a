#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct SerpentSchedule {
  uint32_t k[33][4];  // round keys, bitsliced like the state
};

class TCrypt_serpent final
    : public BlockCipher<TCrypt_serpent, TCrypt_blockcipher128, SerpentSchedule> {
 public:
  static constexpr int kId = 26;
  static constexpr int kMaxKeySize = 256;
  static constexpr const char* kAlgorithm = "Serpent";
  static bool ClassSelfCheck();
  // The S-box circuits against the tables, on all 16 inputs each.
  static bool CircuitsMatchTables();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  static constexpr WordOrder kWordOrder = WordOrder::kLittle;
  void EncryptWords(uint32_t (&w)[4]) const;
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Several blocks run side by side in vector registers where the compiler has them.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in serpent.cpp, so they inline there.
extern template class BlockCipher<TCrypt_serpent, TCrypt_blockcipher128, SerpentSchedule>;

}  // namespace velt::crypto
