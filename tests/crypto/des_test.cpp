// DES and triple DES against OpenSSL in all five modes, and triple DES's third key.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string_view>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

constexpr int kDes = 4;
constexpr int k3Des = 5;

// Keys shorter than 64 bits are zero-filled.
TEST(Des, MatchesOpenSsl) {
  for (unsigned bits : {64u, 56u, 36u, 4u})
    ExpectModesMatchOracle(kDes, bits, OpensslEcb("DES-ECB", 8), bits, 3);
}

TEST(TripleDes, ThreeKeysMatchOpenSsl) {
  ExpectModesMatchOracle(k3Des, 192, OpensslEcb("DES-EDE3-ECB"), 192, 4);
}

// Up to 128 bits the key is zero-filled to K1 K2 and K3 = K1: two-key triple DES.
TEST(TripleDes, KeysUpTo128BitsReuseK1AsK3) {
  ExpectModesMatchOracle(k3Des, 128, OpensslEcb("DES-EDE-ECB"), 128, 3);
  for (unsigned bits : {64u, 100u, 124u})
    ExpectModesMatchOracle(k3Des, bits, OpensslEcb("DES-EDE-ECB", 16), bits, 2);
}

// Above 128 bits the key is zero-filled to 24 bytes and K3 is its last eight: a 160-bit key
// gives K3 = key bytes 16-19 and four zero bytes, a 132-bit key an all-zero K3.
TEST(TripleDes, LongerKeysAreZeroFilledToThreeKeys) {
  for (unsigned bits : {160u, 132u, 136u, 188u})
    ExpectModesMatchOracle(k3Des, bits, OpensslEcb("DES-EDE3-ECB", 24), bits, 2);
}

std::vector<uint8_t> OpensslDigest(const char* name, std::string_view text) {
  std::vector<uint8_t> d(EVP_MAX_MD_SIZE);
  unsigned len = 0;
  EXPECT_TRUE(
      EVP_Digest(text.data(), text.size(), d.data(), &len, EVP_get_digestbyname(name), nullptr));
  d.resize(len);
  return d;
}

void ExpectBlocksMatch(crypto::TCrypt_cipher& c, BlockOracle& oracle) {
  auto& ours = dynamic_cast<crypto::TCrypt_blockcipher&>(c);
  Rng rng(3);
  for (int i = 0; i < 16; ++i) {
    auto plain = rng.Bytes(8);
    std::vector<uint8_t> got(8), want(8);
    ours.EncryptBlock(plain.data(), got.data());
    oracle.Encrypt(plain.data(), want.data());
    EXPECT_EQ(crypto::ToHex(got), crypto::ToHex(want));
  }
}

// The two digest sizes that land on either side of the 128-bit rule.
TEST(TripleDes, PasswordKeyFromMd5HasK3EqualToK1) {
  const char* password = "correct horse battery staple";
  auto digest = OpensslDigest("MD5", password);
  auto c = crypto::CreateCipher(k3Des);
  c->InitWithPassword(password, *crypto::FindHash(0)->cls);
  std::vector<uint8_t> key(digest.begin(), digest.end());
  key.insert(key.end(), digest.begin(), digest.begin() + 8);
  ExpectBlocksMatch(*c, *OpensslEcb("DES-EDE3-ECB")(key));
}

TEST(TripleDes, PasswordKeyFromSha1HasK3FromDigestBytes16To19) {
  const char* password = "correct horse battery staple";
  auto digest = OpensslDigest("SHA1", password);
  auto c = crypto::CreateCipher(k3Des);
  if (const auto* sha1 = crypto::FindHash(5))
    c->InitWithPassword(password, *sha1->cls);
  else
    c->InitWithKey(digest.data(), 160, nullptr);  // what the SHA1 hash class would hand over
  std::vector<uint8_t> key(digest.begin(), digest.end());
  key.resize(24, 0);
  ExpectBlocksMatch(*c, *OpensslEcb("DES-EDE3-ECB")(key));
}

}  // namespace
}  // namespace velt::test
