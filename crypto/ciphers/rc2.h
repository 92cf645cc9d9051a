#pragma once

#include "crypto/block_cipher.h"

namespace velt::crypto {

struct Rc2Schedule {
  uint16_t k[64];
};

class TCrypt_rc2 final : public BlockCipher<TCrypt_rc2, TCrypt_blockcipher64, Rc2Schedule> {
 public:
  static constexpr int kId = 1;
  static constexpr int kMaxKeySize = 1024;
  static constexpr const char* kAlgorithm = "RC2";
  static bool ClassSelfCheck();

  // The catalogue's RC2 has an effective key length of 1024 bits; other lengths (1 to 1024)
  // exist for checking against the standard's vectors.
  explicit TCrypt_rc2(unsigned effectiveKeyBits = 1024) : effectiveBits_(effectiveKeyBits) {}

  void SetupKey(const uint8_t* key, unsigned bits) override;

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  // Two blocks at a time hide the latency of the serial 16-bit chain.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;

 private:
  unsigned effectiveBits_;
};

// The block functions are compiled with the mode loops in rc2.cpp, so they inline there.
extern template class BlockCipher<TCrypt_rc2, TCrypt_blockcipher64, Rc2Schedule>;

}  // namespace velt::crypto
