// RC2 against Crypto++ with an effective key length of 1024 bits, and the RFC 2268 vectors
// for the effective lengths they were published with.
#include "crypto/ciphers/rc2.h"

#include <cryptopp/rc2.h>
#include <gtest/gtest.h>

#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

constexpr int kRc2 = 12;

TEST(Rc2, MatchesCryptoppWithEffectiveKeyLength1024) {
  for (unsigned bits : {128u, 8u, 64u, 160u, 512u, 1024u})
    ExpectModesMatchOracle(kRc2, bits, CryptoppBlock<CryptoPP::RC2>(0, 0, 1024), bits, 2);
}

// A 4-bit key holds no whole byte: it runs as a single zero byte.
TEST(Rc2, KeyShorterThanOneByteRunsAsOneZeroByte) {
  ExpectModesMatchOracle(kRc2, 4, CryptoppBlock<CryptoPP::RC2>(1, 0, 1024), 4, 1);
}

// RFC 2268 section 5.
TEST(Rc2, MatchesRfc2268Vectors) {
  struct Vector {
    unsigned effectiveBits;
    const char *key, *plain, *cipher;
  };
  const Vector vectors[] = {
      {63, "0000000000000000", "0000000000000000", "ebb773f993278eff"},
      {64, "ffffffffffffffff", "ffffffffffffffff", "278b27e42e2f0d49"},
      {64, "3000000000000000", "1000000000000001", "30649edf9be7d2c2"},
      {64, "88", "0000000000000000", "61a8a244adacccf0"},
      {64, "88bca90e90875a", "0000000000000000", "6ccf4308974c267f"},
      {64, "88bca90e90875a7f0f79c384627bafb2", "0000000000000000", "1a807d272bbe5db1"},
      {128, "88bca90e90875a7f0f79c384627bafb2", "0000000000000000", "2269552ab0f85ca6"},
      {129, "88bca90e90875a7f0f79c384627bafb216f80a6f85920584c42fceb0be255daf1e",
       "0000000000000000", "5b78d3a43dfff1f1"},
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(std::string(v.key) + " effective bits " + std::to_string(v.effectiveBits));
    auto key = crypto::FromHex(v.key), plain = crypto::FromHex(v.plain);
    crypto::TCrypt_rc2 c(v.effectiveBits);
    c.InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
    uint8_t block[8];
    c.EncryptBlock(plain.data(), block);
    EXPECT_EQ(crypto::ToHex(block, 8), v.cipher);
    c.DecryptBlock(block, block);
    EXPECT_EQ(crypto::ToHex(block, 8), v.plain);
  }
}

}  // namespace
}  // namespace velt::test
