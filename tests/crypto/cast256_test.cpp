// CAST-256 against Crypto++ in all five modes.
#include <cryptopp/cast.h>
#include <gtest/gtest.h>

#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

constexpr int kCast256 = 3;

// Crypto++ takes 128 to 256-bit keys in whole words and zero-fills them to 256 bits itself,
// as we do, so those lengths go to it unchanged.
TEST(Cast256, WordKeysMatchCryptopp) {
  for (unsigned bits : {128u, 160u, 192u, 224u, 256u})
    ExpectModesMatchOracle(kCast256, bits, CryptoppBlock<CryptoPP::CAST256>(), bits, 3);
}

// Shorter keys and keys that end inside a word have no meaning there; zero-filled to 256 bits
// first, they must still agree with ours.
TEST(Cast256, OtherLengthsMatchCryptoppOnTheZeroFilledKey) {
  for (unsigned bits : {8u, 40u, 64u, 124u, 136u, 200u, 252u})
    ExpectModesMatchOracle(kCast256, bits, CryptoppBlock<CryptoPP::CAST256>(32), bits, 2);
}

}  // namespace
}  // namespace velt::test
