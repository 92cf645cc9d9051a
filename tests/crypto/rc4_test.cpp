// RC4 against OpenSSL's, and the per-call restart of its generator that files depend on.
#include "crypto/ciphers/rc4.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <stdexcept>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/errors.h"
#include "crypto/hex.h"
#include "tests/support/memory_stream.h"
#include "tests/support/openssl_providers.h"
#include "tests/support/random_bytes.h"

namespace velt::crypto {
namespace {

using test::TMemoryStream;

// One continuous RC4 key stream over `data`, from OpenSSL (legacy provider).
std::vector<uint8_t> PlainRc4(const std::vector<uint8_t>& key, const std::vector<uint8_t>& data) {
  test::LoadOpensslLegacyProviders();
  EVP_CIPHER* rc4 = EVP_CIPHER_fetch(nullptr, "RC4", nullptr);
  if (!rc4) throw std::runtime_error("OpenSSL has no RC4");
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  std::vector<uint8_t> out(data.size() + 16);
  int len = 0;
  bool ok = EVP_EncryptInit_ex(ctx, rc4, nullptr, nullptr, nullptr) &&
            EVP_CIPHER_CTX_set_key_length(ctx, int(key.size())) &&
            EVP_EncryptInit_ex(ctx, nullptr, nullptr, key.data(), nullptr) &&
            EVP_EncryptUpdate(ctx, out.data(), &len, data.data(), int(data.size()));
  EVP_CIPHER_CTX_free(ctx);
  EVP_CIPHER_free(rc4);
  if (!ok || size_t(len) != data.size()) throw std::runtime_error("OpenSSL RC4 failed");
  out.resize(data.size());
  return out;
}

std::unique_ptr<TCrypt_cipher> Keyed(const std::vector<uint8_t>& key) {
  auto c = CreateCipher(13);
  c->InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
  return c;
}

std::vector<uint8_t> EncryptOnce(TCrypt_cipher& c, const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(in.size());
  c.EncryptBytes(in.data(), out.data(), in.size());
  return out;
}

TEST(Rc4, OneCallIsPlainRc4) {
  test::Rng rng(13);
  for (int round = 0; round < 40; ++round) {
    // 8 to 256 bytes, both ends included.
    auto key = rng.Bytes(round == 0 ? 8 : round == 1 ? 256 : 8 + rng.Below(249));
    auto data = rng.Bytes(rng.Below(3) == 0 ? 20000 : rng.Below(9000));
    SCOPED_TRACE("key " + ToHex(key) + " length " + std::to_string(data.size()));
    auto c = Keyed(key);
    auto expected = PlainRc4(key, data);
    EXPECT_EQ(ToHex(EncryptOnce(*c, data)), ToHex(expected));
    // Decryption is the same operation; it runs from the saved table after RestartChain.
    c->RestartChain();
    auto back = expected;
    c->DecryptBytes(back.data(), back.data(), back.size());
    EXPECT_EQ(back, data);
  }
}

TEST(Rc4, StreamsRestartTheGeneratorAtEveryChunk) {
  test::Rng rng(8192);
  auto key = rng.Bytes(16);
  auto plain = rng.Bytes(20000);
  TMemoryStream src(plain), enc;
  auto c = Keyed(key);
  ASSERT_EQ(c->EncryptStream(src, enc, plain.size()), plain.size());
  const auto& got = enc.Bytes();
  auto continuous = PlainRc4(key, plain);

  // The first chunk is plain RC4.
  EXPECT_EQ(ToHex(std::vector<uint8_t>(got.begin(), got.begin() + 8192)),
            ToHex(std::vector<uint8_t>(continuous.begin(), continuous.begin() + 8192)));
  // From byte 8192 on it is neither the continued key stream nor the first chunk's key stream
  // again: i and j restart at zero on the table the first chunk left.
  auto keyStream = [&](const std::vector<uint8_t>& cipher, size_t at) {
    std::vector<uint8_t> ks(64);
    for (size_t i = 0; i < ks.size(); ++i) ks[i] = uint8_t(cipher[at + i] ^ plain[at + i]);
    return ToHex(ks);
  };
  for (size_t at : {size_t(8192), size_t(16384)}) {
    EXPECT_NE(keyStream(got, at), keyStream(continuous, at)) << at;
    EXPECT_NE(keyStream(got, at), keyStream(got, 0)) << at;
  }

  auto d = Keyed(key);
  enc.Seek(0);
  TMemoryStream dec;
  ASSERT_EQ(d->DecryptStream(enc, dec, plain.size()), plain.size());
  EXPECT_EQ(dec.Bytes(), plain);
}

TEST(Rc4, AStreamOfOneChunkIsPlainRc4) {
  test::Rng rng(100);
  auto key = rng.Bytes(20);
  auto plain = rng.Bytes(100);
  TMemoryStream src(plain), enc;
  Keyed(key)->EncryptStream(src, enc, plain.size());
  EXPECT_EQ(ToHex(enc.Bytes()), ToHex(PlainRc4(key, plain)));
}

TEST(Rc4, RestartChainGivesTheFirstCallsOutputAgain) {
  test::Rng rng(3);
  auto key = rng.Bytes(32);
  auto plain = rng.Bytes(500);
  auto c = Keyed(key);
  auto first = EncryptOnce(*c, plain);
  auto second = EncryptOnce(*c, plain);
  EXPECT_NE(second, first);
  c->RestartChain();
  EXPECT_EQ(EncryptOnce(*c, plain), first);
  EXPECT_EQ(EncryptOnce(*c, plain), second);
}

TEST(Rc4, TheInitialVectorIsIgnored) {
  std::vector<uint8_t> key(16, 0x33), iv(16, 0x77), plain(64, 0);
  auto withVector = CreateCipher(13);
  withVector->InitWithKey(key.data(), 128, iv.data());
  EXPECT_EQ(EncryptOnce(*withVector, plain), EncryptOnce(*Keyed(key), plain));
}

// 4 bits pass the key size check but hold no whole byte; the schedule must not cycle over an
// empty key (a division by zero or a read past it).
TEST(Rc4, AKeyWithoutAWholeByteRunsAsTheZeroByte) {
  std::vector<uint8_t> key = {0xAB}, data(40, 0x11);
  auto c = CreateCipher(13);
  c->InitWithKey(key.data(), 4, nullptr);
  EXPECT_EQ(ToHex(EncryptOnce(*c, data)), ToHex(PlainRc4({0x00}, data)));
}

TEST(Rc4, ClassQueriesAndUnkeyedUse) {
  const CipherClass& cls = TCrypt_rc4::Class();
  EXPECT_EQ(cls.id, 19);
  EXPECT_STREQ(cls.algorithm, "RC4");
  EXPECT_EQ(cls.maxKeySize, 2048);
  EXPECT_EQ(cls.blockSize, -1);
  EXPECT_EQ(FindCipher(13)->cls, &cls);
  auto c = cls.create();
  EXPECT_EQ(c->Id(), 19);
  EXPECT_EQ(c->Algorithm(), "RC4");
  EXPECT_EQ(c->MaxKeySize(), 2048);
  EXPECT_EQ(dynamic_cast<TCrypt_blockcipher*>(c.get()), nullptr);
  // The general cipher error, not the block cipher one.
  uint8_t buf[4] = {};
  try {
    c->EncryptBytes(buf, buf, 4);
    ADD_FAILURE() << "no exception";
  } catch (const ECrypt_blockcipher&) {
    ADD_FAILURE() << "raised the block cipher error";
  } catch (const ECrypt_cipher& e) {
    EXPECT_STREQ(e.what(), "Cipher not initialized");
  }
}

}  // namespace
}  // namespace velt::crypto
