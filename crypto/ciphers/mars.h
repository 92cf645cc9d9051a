#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct MarsSchedule {
  uint32_t k[40];
};

class TCrypt_mars final : public BlockCipher<TCrypt_mars, TCrypt_blockcipher128, MarsSchedule> {
 public:
  static constexpr int kId = 13;
  static constexpr int kMaxKeySize = 1248;
  static constexpr const char* kAlgorithm = "Mars";
  static bool ClassSelfCheck();

  // Keys shorter than one 32-bit word are refused: the expansion needs at least one key word.
  void SetupKey(const uint8_t* key, unsigned bits) override;

  // The 40 expanded subkeys of a key of `words` little-endian words (1 to 39).
  static void ExpandKey(const uint32_t* key, size_t words, uint32_t subkeys[40]);
  // Runs the rounds under subkeys from elsewhere (for checking them against another
  // expansion); the object stays unkeyed for the mode operations.
  void LoadSubkeys(const uint32_t subkeys[40]);

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Two blocks at a time keep more of the core's S-box loads and multiplies in flight.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
};

// The block functions are compiled with the mode loops in mars.cpp, so they inline there.
extern template class BlockCipher<TCrypt_mars, TCrypt_blockcipher128, MarsSchedule>;

}  // namespace velt::crypto
