// Our block ciphers against OpenSSL's, in all five modes, on random keys and lengths.
#include <cryptopp/blowfish.h>
#include <gtest/gtest.h>

#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

TEST(CipherDifferential, BlowfishAgainstOpenSsl) {
  for (unsigned bits : {64u, 128u, 160u, 192u, 256u, 384u, 448u})
    ExpectModesMatchOracle(0, bits, OpensslEcb("BF-ECB"), bits);
}

TEST(CipherDifferential, BlowfishAgainstCryptopp) {
  ExpectModesMatchOracle(0, 128, CryptoppBlock<CryptoPP::Blowfish>(), 99, 2);
}

}  // namespace
}  // namespace velt::test
