// The ICE family, MISTY1 and Tea: no installed library carries them, so besides their known
// answers these pin down the class queries and the key handling (zero-fill of short keys, and
// every byte of the longest key taking part).
#include <gtest/gtest.h>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/random_bytes.h"

namespace velt::crypto {
namespace {

struct Row {
  int index;
  int id;
  const char* algorithm;
  int maxKeySize;
};

const Row kRows[] = {
    {6, 20, "Ice", 64},      {7, 21, "Thin Ice", 64}, {8, 22, "Ice2", 128},
    {11, 11, "Misty1", 128}, {18, 25, "Tea", 128},
};

std::string EncryptBlockHex(int index, const std::vector<uint8_t>& key, unsigned bits,
                            const std::vector<uint8_t>& block) {
  auto c = CreateCipher(index);
  c->InitWithKey(key.data(), bits, nullptr);
  std::vector<uint8_t> out(8);
  dynamic_cast<TCrypt_blockcipher&>(*c).EncryptBlock(block.data(), out.data());
  return ToHex(out);
}

TEST(IceMisty1Tea, ClassQueries) {
  for (const Row& r : kRows) {
    SCOPED_TRACE(r.algorithm);
    const CipherClass* cls = FindCipher(r.index)->cls;
    EXPECT_EQ(cls->id, r.id);
    EXPECT_STREQ(cls->algorithm, r.algorithm);
    EXPECT_EQ(cls->maxKeySize, r.maxKeySize);
    EXPECT_EQ(cls->blockSize, 64);
    auto c = cls->create();
    EXPECT_EQ(c->Id(), r.id);
    EXPECT_EQ(c->Algorithm(), r.algorithm);
    EXPECT_EQ(c->MaxKeySize(), r.maxKeySize);
    EXPECT_EQ(dynamic_cast<TCrypt_blockcipher&>(*c).BlockSize(), 64);
  }
}

TEST(IceMisty1Tea, ShortKeysAreZeroFilled) {
  test::Rng rng(11);
  for (const Row& r : kRows) {
    const size_t maxBytes = size_t(r.maxKeySize / 8);
    auto block = rng.Bytes(8);
    for (unsigned bits = 4; bits < unsigned(r.maxKeySize); bits += 4) {
      SCOPED_TRACE(std::string(r.algorithm) + " " + std::to_string(bits) + " bits");
      auto key = rng.Bytes(maxBytes);
      std::vector<uint8_t> padded(maxBytes, 0);
      std::copy(key.begin(), key.begin() + bits / 8, padded.begin());  // a half byte is dropped
      EXPECT_EQ(EncryptBlockHex(r.index, key, bits, block),
                EncryptBlockHex(r.index, padded, unsigned(r.maxKeySize), block));
    }
  }
}

TEST(IceMisty1Tea, EveryByteOfTheLongestKeyCounts) {
  test::Rng rng(12);
  for (const Row& r : kRows) {
    const size_t maxBytes = size_t(r.maxKeySize / 8);
    auto key = rng.Bytes(maxBytes), block = rng.Bytes(8);
    auto base = EncryptBlockHex(r.index, key, unsigned(r.maxKeySize), block);
    for (size_t i = 0; i < maxBytes; ++i) {
      auto changed = key;
      changed[i] ^= 0x01;
      EXPECT_NE(EncryptBlockHex(r.index, changed, unsigned(r.maxKeySize), block), base)
          << r.algorithm << " key byte " << i;
    }
  }
}

// The three levels share the S-boxes and the key schedule code but must not share rounds:
// under one key each level gives its own block, and ICE2 with a 64-bit key is not ICE.
TEST(IceMisty1Tea, IceLevelsDiffer) {
  auto key = FromHex("0123456789abcdef"), block = FromHex("0000000000000000");
  auto ice = EncryptBlockHex(6, key, 64, block);
  auto thin = EncryptBlockHex(7, key, 64, block);
  auto ice2 = EncryptBlockHex(8, key, 64, block);
  EXPECT_NE(ice, thin);
  EXPECT_NE(ice, ice2);
  EXPECT_NE(thin, ice2);
}

}  // namespace
}  // namespace velt::crypto
