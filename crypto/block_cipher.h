// Block ciphers: the mode dispatch, the 64-bit and 128-bit bases with their vectors, and the
// template that an algorithm class derives from.
#pragma once

#include <concepts>
#include <cstring>
#include <type_traits>

#include "crypto/block_modes.h"
#include "crypto/bytes.h"
#include "crypto/cipher.h"
#include "crypto/hex.h"
#include "crypto/secure_buffer.h"

namespace velt::crypto {

enum TCrypt_ciphermode : uint8_t { cmCBC = 0, cmCFB8bit = 1, cmCFBblock = 2, cmOFB = 3, cmCTR = 4 };

// The interface of every block cipher. Each operation here is pure: an algorithm that left
// one out must not compile, or it would hand its input back unencrypted.
class TCrypt_blockcipher : public TCrypt_cipher {
 public:
  TCrypt_ciphermode CipherMode = cmCBC;

  void EncryptBytes(const uint8_t* in, uint8_t* out, size_t n) override;
  void DecryptBytes(const uint8_t* in, uint8_t* out, size_t n) override;
  // Text operations always run in 8-bit CFB, whatever CipherMode says.
  std::string EncryptText(std::string_view text) override;
  std::string DecryptText(std::string_view base64) override;

  virtual void SetupKey(const uint8_t* key, unsigned bits) = 0;
  virtual int BlockSize() const = 0;
  virtual void SetInitVector(const uint8_t* iv) = 0;
  virtual void GetChainVector(uint8_t* out) = 0;
  virtual void EncryptBlock(const uint8_t* in, uint8_t* out) = 0;
  virtual void DecryptBlock(const uint8_t* in, uint8_t* out) = 0;
  virtual void CbcEncrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void CbcDecrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void Cfb8Encrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void Cfb8Decrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void CfbBlockEncrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void CfbBlockDecrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void OfbEncrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void OfbDecrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void CtrEncrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void CtrDecrypt(const uint8_t* in, uint8_t* out, size_t n) = 0;

 protected:
  void ThrowNotKeyed() const override;
};

// The base of the 64-bit (B = 8) and 128-bit (B = 16) block ciphers: the vectors and keying.
// The block and mode operations come from BlockCipher below, with the algorithm inlined.
template <size_t B>
class TCrypt_blockcipherN : public TCrypt_blockcipher {
 public:
  static constexpr size_t kBlockBytes = B;

  int BlockSize() const override { return int(B * 8); }

  // Without a vector the initial vector is E_K(0), so it follows from the key alone.
  void InitWithKey(const uint8_t* key, unsigned bits, const uint8_t* iv) override {
    TCrypt_cipher::InitWithKey(key, bits, iv);
    try {
      SetupKey(key, bits);
      if (iv) {
        std::memcpy(InitVector, iv, B);
      } else {
        InitVector.clear();
        EncryptBlock(InitVector, InitVector);
      }
    } catch (...) {
      Burn();
      throw;
    }
    std::memcpy(ChainVector, InitVector, B);
  }

  void Burn() override {
    InitVector.clear();
    ChainVector.clear();
    TCrypt_blockcipher::Burn();
  }

  void RestartChain() override {
    RequireKey();
    std::memcpy(ChainVector, InitVector, B);
  }
  void SetInitVector(const uint8_t* iv) override {
    RequireKey();
    std::memcpy(InitVector, iv, B);
    RestartChain();
  }
  void GetChainVector(uint8_t* out) override {
    RequireKey();
    std::memcpy(out, ChainVector, B);
  }

  SecureBuffer<uint8_t, B> InitVector;
  SecureBuffer<uint8_t, B> ChainVector;
};

class TCrypt_blockcipher64 : public TCrypt_blockcipherN<8> {};
class TCrypt_blockcipher128 : public TCrypt_blockcipherN<16> {};

// What an algorithm class must give BlockCipher (see below). BlockCipher checks it when the
// algorithm is compiled; the bulk forms are optional there because BlockCipher supplies them.
template <class C>
concept BlockCipherImplementation =
    !std::is_abstract_v<C> &&
    requires(const C& k, C& c, const uint8_t* in, uint8_t* out, size_t count, unsigned bits) {
  { C::kId } -> std::convertible_to<int>;
  { C::kMaxKeySize } -> std::convertible_to<int>;
  { C::kAlgorithm } -> std::convertible_to<const char*>;
  { C::ClassSelfCheck() } -> std::same_as<bool>;
  c.SetupKey(in, bits);
  k.EncryptBlockRaw(in, out);
  k.DecryptBlockRaw(in, out);
  k.EncryptBlocksRaw(in, out, count);
  k.DecryptBlocksRaw(in, out, count);
};

// The template every block algorithm class derives from:
//
//   struct FooSchedule { ... };   // everything SetupKey computes; wiped by Burn and on
//                                 // destruction (ks_ is a SecureBuffer)
//   class TCrypt_foo final : public BlockCipher<TCrypt_foo, TCrypt_blockcipher64, FooSchedule> {
//    public:
//     static constexpr int kId = ..., kMaxKeySize = ...;
//     static constexpr const char* kAlgorithm = "...";
//     static bool ClassSelfCheck();
//     void SetupKey(const uint8_t* key, unsigned bits) override;      // fills *ks_
//     void EncryptBlockRaw(const uint8_t* in, uint8_t* out) const;       // in may equal out
//     void DecryptBlockRaw(const uint8_t* in, uint8_t* out) const;
//     // optional, for ciphers that gain from several blocks in flight:
//     void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
//     void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
//     // optional, for ciphers whose CBC encryption gains from a chain held in registers
//     // (see WordCipher):
//     static constexpr WordOrder kWordOrder = ...;
//     void EncryptWords(uint32_t (&w)[B / 4]) const;
//   };
//
// It supplies the class queries, the virtual block operations, Burn, and the ten mode
// operations with the block functions inlined. A class that misses part of the above does not
// compile (BlockCipherImplementation).
template <class Derived, class Base, class Schedule>
class BlockCipher : public Base {
  static constexpr size_t B = Base::kBlockBytes;

 public:
  BlockCipher() {
    static_assert(BlockCipherImplementation<Derived>,
                  "a block algorithm needs its constants, SetupKey and both block functions");
  }

  int Id() const override { return Derived::kId; }
  std::string Algorithm() const override { return Derived::kAlgorithm; }
  int MaxKeySize() const override { return Derived::kMaxKeySize; }
  bool SelfCheck() const override { return Derived::ClassSelfCheck(); }

  static const CipherClass& Class() {
    static const CipherClass c{Derived::kId,
                               Derived::kAlgorithm,
                               Derived::kMaxKeySize,
                               int(B * 8),
                               [] { return std::unique_ptr<TCrypt_cipher>(new Derived); },
                               &Derived::ClassSelfCheck};
    return c;
  }

  void EncryptBlock(const uint8_t* in, uint8_t* out) override {
    this->RequireKey();
    Self().EncryptBlockRaw(in, out);
  }
  void DecryptBlock(const uint8_t* in, uint8_t* out) override {
    this->RequireKey();
    Self().DecryptBlockRaw(in, out);
  }

  void Burn() override {
    ks_.clear();
    Base::Burn();
  }

  // Bulk forms; an algorithm hides these with its own when it can do better.
  void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    for (size_t i = 0; i < count; ++i) Self().EncryptBlockRaw(in + i * B, out + i * B);
  }
  void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
    for (size_t i = 0; i < count; ++i) Self().DecryptBlockRaw(in + i * B, out + i * B);
  }

  void CbcEncrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    if constexpr (WordCipher<Derived, B>)
      Modes<B>::CbcEncryptWords(Self(), this->ChainVector, in, out, n);
    else
      Modes<B>::CbcEncrypt(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void CbcDecrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::CbcDecrypt(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void Cfb8Encrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::Cfb8(InlineOps{Self()}, this->ChainVector, in, out, n, true);
  }
  void Cfb8Decrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::Cfb8(InlineOps{Self()}, this->ChainVector, in, out, n, false);
  }
  void CfbBlockEncrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::CfbBlockEncrypt(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void CfbBlockDecrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::CfbBlockDecrypt(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void OfbEncrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::Ofb(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void OfbDecrypt(const uint8_t* in, uint8_t* out, size_t n) override { OfbEncrypt(in, out, n); }
  void CtrEncrypt(const uint8_t* in, uint8_t* out, size_t n) override {
    this->RequireKey();
    Modes<B>::Ctr(InlineOps{Self()}, this->ChainVector, in, out, n);
  }
  void CtrDecrypt(const uint8_t* in, uint8_t* out, size_t n) override { CtrEncrypt(in, out, n); }

 protected:
  // Keys the class with a known-answer row (hex) and checks one block both ways.
  static bool KnownAnswer(const char* keyHex, const char* plainHex, const char* cipherHex) {
    auto key = FromHex(keyHex), plain = FromHex(plainHex), expected = FromHex(cipherHex);
    Derived c;
    c.InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
    uint8_t block[B];
    c.EncryptBlock(plain.data(), block);
    if (std::memcmp(block, expected.data(), B) != 0) return false;
    c.DecryptBlock(block, block);
    return std::memcmp(block, plain.data(), B) == 0;
  }

  SecureBuffer<Schedule, 1> ks_;

 private:
  const Derived& Self() const { return static_cast<const Derived&>(*this); }
  struct InlineOps {
    const Derived& d;
    void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
      d.EncryptBlocksRaw(in, out, count);
    }
    void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
      d.DecryptBlocksRaw(in, out, count);
    }
  };
};

}  // namespace velt::crypto
