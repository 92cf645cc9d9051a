#pragma once

#include "crypto/cipher.h"
#include "crypto/secure_buffer.h"

namespace velt::crypto {

// RC4 whose generator indices restart at zero on every call: each EncryptBytes or DecryptBytes
// call (one per 8192-byte stream chunk) runs i = j = 0 over the table the previous call left.
// A message of one call is plain RC4; longer ones are not, and encrypted files depend on it.
class TCrypt_rc4 final : public TCrypt_cipher {
 public:
  static constexpr int kId = 19;
  static constexpr int kMaxKeySize = 2048;
  static constexpr const char* kAlgorithm = "RC4";
  static bool ClassSelfCheck();
  static const CipherClass& Class();

  int Id() const override { return kId; }
  std::string Algorithm() const override { return kAlgorithm; }
  int MaxKeySize() const override { return kMaxKeySize; }
  bool SelfCheck() const override { return ClassSelfCheck(); }

  // The initial vector is not used.
  void InitWithKey(const uint8_t* key, unsigned bits, const uint8_t* iv) override;
  void Burn() override;
  // Back to the table as the key schedule left it.
  void RestartChain() override;
  void EncryptBytes(const uint8_t* in, uint8_t* out, size_t n) override;
  void DecryptBytes(const uint8_t* in, uint8_t* out, size_t n) override;

 private:
  // Byte values held in 32-bit entries: word loads and stores keep the generator fast.
  SecureBuffer<uint32_t, 256> s_;
  SecureBuffer<uint32_t, 256> saved_;
};

}  // namespace velt::crypto
