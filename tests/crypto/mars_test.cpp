// MARS: our rounds against Crypto++'s under the same subkeys, and the properties of the first
// published key expansion that known answers alone leave open.
#include "crypto/ciphers/mars.h"

#include <cryptopp/mars.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "crypto/errors.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

using crypto::TCrypt_mars;

constexpr int kMars = 10;

// Crypto++ implements the revised key expansion; these open up its 40 subkeys so that its
// rounds can run under ours and ours under its.
template <class Dir>
class CryptoppMars : public Dir {
 public:
  CryptoppMars() {
    const uint8_t dummy[16] = {};
    this->SetKey(dummy, sizeof dummy);
  }
  void SetSubkeys(const uint32_t* k) { std::copy(k, k + 40, this->m_k.begin()); }
  void Subkeys(uint32_t* k) const { std::copy(this->m_k.begin(), this->m_k.end(), k); }
};
using CryptoppMarsEnc = CryptoppMars<CryptoPP::MARS::Encryption>;
using CryptoppMarsDec = CryptoppMars<CryptoPP::MARS::Decryption>;

std::vector<uint32_t> KeyWords(const std::vector<uint8_t>& key) {
  std::vector<uint32_t> w(key.size() / 4);
  for (size_t i = 0; i < w.size(); ++i) w[i] = crypto::LoadLe32(&key[4 * i]);
  return w;
}

class MarsRoundsOracle : public BlockOracle {
 public:
  explicit MarsRoundsOracle(const uint32_t* subkeys) {
    enc_.SetSubkeys(subkeys);
    dec_.SetSubkeys(subkeys);
  }
  void Encrypt(const uint8_t* in, uint8_t* out) override { enc_.ProcessBlock(in, out); }
  void Decrypt(const uint8_t* in, uint8_t* out) override { dec_.ProcessBlock(in, out); }

 private:
  CryptoppMarsEnc enc_;
  CryptoppMarsDec dec_;
};

// Crypto++'s rounds keyed with our expansion of the key.
std::unique_ptr<BlockOracle> RoundsUnderOurExpansion(const std::vector<uint8_t>& key) {
  auto words = KeyWords(key);
  uint32_t k[40];
  TCrypt_mars::ExpandKey(words.data(), words.size(), k);
  return std::make_unique<MarsRoundsOracle>(k);
}

TEST(Mars, RoundsMatchCryptoppUnderArbitrarySubkeys) {
  Rng rng(13);
  for (int trial = 0; trial < 200; ++trial) {
    uint32_t k[40];
    for (auto& w : k) w = uint32_t(rng.Engine()());
    TCrypt_mars ours;
    ours.LoadSubkeys(k);
    CryptoppMarsEnc enc;
    CryptoppMarsDec dec;
    enc.SetSubkeys(k);
    dec.SetSubkeys(k);
    auto block = rng.Bytes(16);
    uint8_t expected[16], got[16];
    enc.ProcessBlock(block.data(), expected);
    ours.EncryptBlockRaw(block.data(), got);
    ASSERT_EQ(crypto::ToHex(got, 16), crypto::ToHex(expected, 16)) << "trial " << trial;
    dec.ProcessBlock(block.data(), expected);
    std::copy(block.begin(), block.end(), got);
    ours.DecryptBlockRaw(got, got);  // in place
    ASSERT_EQ(crypto::ToHex(got, 16), crypto::ToHex(expected, 16)) << "trial " << trial;
  }
}

// The published MARS vectors are for the revised expansion: with Crypto++'s subkeys for each
// key, our rounds must give the published cipher blocks.
TEST(Mars, RoundsGiveThePublishedBlocksUnderTheRevisedExpansion) {
  std::ifstream file(std::string(VELT_TEST_DATA_DIR) + "/published-vectors.txt");
  ASSERT_TRUE(file);
  std::string line;
  while (std::getline(file, line) && line != "[MARS_TWEAKED]") {
  }
  int checked = 0;
  while (std::getline(file, line) && !line.empty() && line[0] != '[') {
    if (line[0] == '#') continue;
    std::istringstream fields(line);
    std::string keyHex, plainHex, cipherHex;
    fields >> keyHex >> plainHex >> cipherHex;
    SCOPED_TRACE(line);
    auto key = crypto::FromHex(keyHex), plain = crypto::FromHex(plainHex);
    uint32_t k[40];
    CryptoppMarsEnc opened;
    opened.SetKey(key.data(), key.size());
    opened.Subkeys(k);
    TCrypt_mars ours;
    ours.LoadSubkeys(k);
    uint8_t block[16];
    ours.EncryptBlockRaw(plain.data(), block);
    EXPECT_EQ(crypto::ToHex(block, 16), cipherHex);
    ours.DecryptBlockRaw(block, block);
    EXPECT_EQ(crypto::ToHex(block, 16), plainHex);
    ++checked;
  }
  EXPECT_EQ(checked, 9);
}

// Our class in all five modes against Crypto++'s rounds under our expansion: the modes and
// the wiring of the expansion into the object, for every key length the expansion takes.
TEST(Mars, ModesMatchCryptoppRoundsUnderOurExpansion) {
  for (unsigned bits : {32u, 40u, 128u, 160u, 192u, 256u, 384u, 512u, 1024u, 1248u})
    ExpectModesMatchOracle(kMars, bits, RoundsUnderOurExpansion, bits, 2);
}

// The expansion must leave no multiplication key (odd subkeys 5 to 35) with a run of ten equal
// bits, and must set their two low bits, whatever the key and its length.
TEST(Mars, MultiplicationKeysHaveNoLongRuns) {
  Rng rng(29);
  for (int trial = 0; trial < 3000; ++trial) {
    size_t n = 1 + rng.Below(39);
    std::vector<uint32_t> key(n);
    for (auto& w : key) w = uint32_t(rng.Engine()());
    uint32_t k[40];
    TCrypt_mars::ExpandKey(key.data(), n, k);
    for (int i = 5; i <= 35; i += 2) {
      SCOPED_TRACE("trial " + std::to_string(trial) + " K[" + std::to_string(i) + "]");
      EXPECT_EQ(k[i] & 3, 3u);
      int run = 1, longest = 1;
      for (int b = 1; b < 32; ++b) {
        run = ((k[i] >> b) & 1) == ((k[i] >> (b - 1)) & 1) ? run + 1 : 1;
        longest = std::max(longest, run);
      }
      ASSERT_LT(longest, 10);
    }
  }
}

TEST(Mars, KeysShorterThanOneWordAreRefused) {
  const uint8_t key[4] = {1, 2, 3, 4};
  for (unsigned bits : {4u, 8u, 16u, 28u}) {
    TCrypt_mars c;
    try {
      c.InitWithKey(key, bits, nullptr);
      ADD_FAILURE() << bits << " bits accepted";
    } catch (const crypto::ECrypt_cipher& e) {
      EXPECT_STREQ(e.what(), "Invalid key size");
    }
    EXPECT_FALSE(c.IsKeyed());
  }
}

// The key is n = L/32 whole words: bits beyond the last whole word do not count.
TEST(Mars, BitsPastTheLastWholeWordAreIgnored) {
  Rng rng(5);
  auto key = rng.Bytes(160);
  for (unsigned bits : {36u, 60u, 1244u}) {
    TCrypt_mars whole, partial;
    whole.InitWithKey(key.data(), bits / 32 * 32, nullptr);
    partial.InitWithKey(key.data(), bits, nullptr);
    uint8_t a[16] = {}, b[16] = {};
    whole.EncryptBlock(a, a);
    partial.EncryptBlock(b, b);
    EXPECT_EQ(crypto::ToHex(a, 16), crypto::ToHex(b, 16)) << bits;
  }
}

}  // namespace
}  // namespace velt::test
