// Twofish against Crypto++ in all five modes, including the key lengths between the three
// standard sizes, which run zero-filled to the next size up.
#include <gtest/gtest.h>

#include <cryptopp/twofish.h>

#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

constexpr int kTwofish = 1;

TEST(Twofish, MatchesCryptoppAtEveryKeySize) {
  struct Case {
    unsigned bits;
    size_t libraryKeyBytes;  // what our key length runs as
  };
  for (Case c : {Case{128, 16}, Case{132, 24}, Case{160, 24}, Case{192, 24}, Case{200, 32},
                 Case{256, 32}, Case{64, 16}}) {
    SCOPED_TRACE(std::to_string(c.bits) + "-bit key");
    expectModesMatchOracle(kTwofish, c.bits, cryptoppBlock<CryptoPP::Twofish>(c.libraryKeyBytes),
                           0x7F15 + c.bits, 3);
  }
}

}  // namespace
}  // namespace velt::test
