#pragma once

#include "crypto/block_cipher.h"
#include "crypto/ciphers/rijndael_aesni.h"

namespace velt::crypto {

// Round keys as little-endian column words (byte 0 of a column in the low bits), so that the
// same bytes serve the table code and the AES instructions. dk is the equivalent inverse
// cipher's schedule: the encryption keys in reverse order, the inner ones through
// InvMixColumns.
struct RijndaelSchedule {
  alignas(16) uint32_t ek[60];
  alignas(16) uint32_t dk[60];
  int rounds;
};

class TCrypt_rijndael final
    : public BlockCipher<TCrypt_rijndael, TCrypt_blockcipher128, RijndaelSchedule> {
  using Base = BlockCipher<TCrypt_rijndael, TCrypt_blockcipher128, RijndaelSchedule>;

 public:
  static constexpr int kId = 9;
  static constexpr int kMaxKeySize = 256;
  static constexpr const char* kAlgorithm = "Rijndael";
  static bool ClassSelfCheck();

  // The code an object runs is chosen when it is made: the best the CPU offers, capped by
  // LimitEngine, which lets tests check that every path gives the same bytes. None is the
  // table code.
  using Engine = rijndael_aesni::Support;
  static void LimitEngine(Engine most);
  static Engine ActiveEngine();

  TCrypt_rijndael();

  void SetupKey(const uint8_t* key, unsigned bits) override;

  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;

  // With the AES instructions these run fused loops (round keys held in registers, parallel
  // blocks interleaved); the table code goes through the generic modes.
  void CbcEncrypt(const uint8_t* in, uint8_t* out, size_t n) override;
  void CbcDecrypt(const uint8_t* in, uint8_t* out, size_t n) override;
  void CfbBlockDecrypt(const uint8_t* in, uint8_t* out, size_t n) override;
  void CtrEncrypt(const uint8_t* in, uint8_t* out, size_t n) override;
  void CtrDecrypt(const uint8_t* in, uint8_t* out, size_t n) override { CtrEncrypt(in, out, n); }

 private:
  void Tail(const uint8_t* in, uint8_t* out, size_t n);

  bool Hw() const { return engine_ != Engine::None; }

  Engine engine_;
};

}  // namespace velt::crypto
