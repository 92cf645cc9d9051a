// RC5-32/12 against Crypto++ in all five modes, over the key lengths files can use.
#include <cryptopp/rc5.h>
#include <gtest/gtest.h>

#include "crypto/cipher_catalogue.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"
#include "tests/support/random_bytes.h"

namespace velt::test {
namespace {

constexpr int kRc5 = 14;

TEST(CipherDifferential, Rc5AgainstCryptopp) {
  // 4 bits leaves no whole key byte (an empty key); 2040 is the longest key Crypto++ takes.
  for (unsigned bits : {4u, 8u, 40u, 64u, 128u, 160u, 192u, 256u, 384u, 512u, 1000u, 2040u})
    ExpectModesMatchOracle(kRc5, bits, CryptoppBlock<CryptoPP::RC5>(0, 12), 500 + bits, 2);
}

// Crypto++ stops at 255 key bytes; our 2048-bit maximum must still use its last byte.
TEST(Rc5, TheLastByteOfAMaximumKeyCounts) {
  Rng rng(14);
  auto key = rng.Bytes(256);
  auto plain = rng.Bytes(64);
  std::string first;
  for (int variant = 0; variant < 2; ++variant) {
    key[255] = uint8_t(key[255] ^ variant);
    auto c = crypto::CreateCipher(kRc5);
    c->InitWithKey(key.data(), 2048, nullptr);
    std::vector<uint8_t> out(plain.size());
    c->EncryptBytes(plain.data(), out.data(), out.size());
    if (variant == 0)
      first = crypto::ToHex(out);
    else
      EXPECT_NE(crypto::ToHex(out), first);
  }
}

}  // namespace
}  // namespace velt::test
