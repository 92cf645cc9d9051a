// What an algorithm class must provide is checked by the compiler: every shipped block
// algorithm meets the contract, and a class that misses part of it cannot be made, so it can
// never run and pass its input through unencrypted. Everything here is checked at compile time.
#include <cstring>
#include <type_traits>

#include "crypto/block_cipher.h"
#include "crypto/ciphers/blowfish.h"
#include "crypto/ciphers/cast128.h"
#include "crypto/ciphers/cast256.h"
#include "crypto/ciphers/des.h"
#include "crypto/ciphers/ice.h"
#include "crypto/ciphers/idea.h"
#include "crypto/ciphers/mars.h"
#include "crypto/ciphers/misty1.h"
#include "crypto/ciphers/rc2.h"
#include "crypto/ciphers/rc4.h"
#include "crypto/ciphers/rc5.h"
#include "crypto/ciphers/rc6.h"
#include "crypto/ciphers/rijndael.h"
#include "crypto/ciphers/serpent.h"
#include "crypto/ciphers/tea.h"
#include "crypto/ciphers/twofish.h"

namespace velt::crypto {
namespace {

template <class... C>
constexpr bool kAllImplement = (BlockCipherImplementation<C> && ...);

static_assert(kAllImplement<TCrypt_blowfish, TCrypt_cast128, TCrypt_cast256, TCrypt_des,
                            TCrypt_3des, TCrypt_ice, TCrypt_thinice, TCrypt_ice2, TCrypt_idea,
                            TCrypt_mars, TCrypt_misty1, TCrypt_rc2, TCrypt_rc5, TCrypt_rc6,
                            TCrypt_rijndael, TCrypt_serpent, TCrypt_tea, TCrypt_twofish>);
static_assert(!std::is_abstract_v<TCrypt_rc4>);

// Algorithm classes that each forget one part. None of them is ever constructed: BlockCipher's
// own check would (rightly) stop the build.
struct Constants {
  static constexpr int kId = 99, kMaxKeySize = 64;
  static constexpr const char* kAlgorithm = "Incomplete";
  static bool ClassSelfCheck() { return true; }
};
struct TwoWords {
  uint32_t k[2];
};
template <class D>
using Base64 = BlockCipher<D, TCrypt_blockcipher64, TwoWords>;

class NoDecryptBlock final : public Base64<NoDecryptBlock>, public Constants {
 public:
  void SetupKey(const uint8_t*, unsigned) override {}
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
};

class NoEncryptBlock final : public Base64<NoEncryptBlock>, public Constants {
 public:
  void SetupKey(const uint8_t*, unsigned) override {}
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
};

class NoSetupKey final : public Base64<NoSetupKey>, public Constants {
 public:
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
};

class NoConstants final : public Base64<NoConstants> {
 public:
  void SetupKey(const uint8_t*, unsigned) override {}
  void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
  void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const { std::memcpy(out, in, 8); }
};

static_assert(!BlockCipherImplementation<NoDecryptBlock>);
static_assert(!BlockCipherImplementation<NoEncryptBlock>);
static_assert(!BlockCipherImplementation<NoSetupKey>);
static_assert(!BlockCipherImplementation<NoConstants>);

// A block cipher written straight on the base, as DES and ICE once were, that brings the
// block operations and CBC but not the other modes: it stays abstract.
class CbcOnly : public TCrypt_blockcipher64 {
 public:
  int Id() const override { return 99; }
  std::string Algorithm() const override { return "CBC only"; }
  int MaxKeySize() const override { return 64; }
  bool SelfCheck() const override { return true; }
  void SetupKey(const uint8_t*, unsigned) override {}
  void EncryptBlock(const uint8_t* in, uint8_t* out) override { std::memcpy(out, in, 8); }
  void DecryptBlock(const uint8_t* in, uint8_t* out) override { std::memcpy(out, in, 8); }
  void CbcEncrypt(const uint8_t* in, uint8_t* out, size_t n) override { std::memcpy(out, in, n); }
  void CbcDecrypt(const uint8_t* in, uint8_t* out, size_t n) override { std::memcpy(out, in, n); }
};
static_assert(std::is_abstract_v<CbcOnly>);

// A stream cipher or a hash that forgets its byte operations stays abstract as well.
class KeyedOnly : public TCrypt_cipher {
 public:
  int Id() const override { return 99; }
  std::string Algorithm() const override { return "Keyed only"; }
  int MaxKeySize() const override { return 64; }
  bool SelfCheck() const override { return true; }
  void RestartChain() override {}
};
static_assert(std::is_abstract_v<KeyedOnly>);

class NoDigest : public TCrypt_hash {
 public:
  int Id() const override { return 99; }
  std::string Algorithm() const override { return "No digest"; }
  int HashSize() const override { return 128; }
  bool SelfCheck() const override { return true; }
  void StartHash() override { isOpen_ = true; }
  void AddBytes(const void*, size_t) override {}
  void Burn() override { isOpen_ = false; }
};
static_assert(std::is_abstract_v<NoDigest>);

}  // namespace
}  // namespace velt::crypto
