// IDEA against Crypto++ (the system's OpenSSL is built without IDEA).
#include <cryptopp/idea.h>
#include <gtest/gtest.h>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

constexpr int kIdea = 9;

TEST(Idea, MatchesCryptopp) {
  ExpectModesMatchOracle(kIdea, 128, CryptoppBlock<CryptoPP::IDEA>(), 128, 4);
  for (unsigned bits : {64u, 100u, 4u})
    ExpectModesMatchOracle(kIdea, bits, CryptoppBlock<CryptoPP::IDEA>(16), bits, 2);
}

// Zero words stand for 2^16 in the multiplications, a case random data almost never reaches:
// zero subkeys (and subkeys whose inverse is zero) against zero and all-ones words.
TEST(Idea, ZeroWordsMatchCryptopp) {
  const char* keys[] = {"00000000000000000000000000000000", "ffffffffffffffffffffffffffffffff",
                        "00010000000000000000000000000000", "0000ffff0000ffff0000ffff0000ffff"};
  const char* blocks[] = {"0000000000000000", "ffffffffffffffff", "0000ffff0000ffff",
                          "0001000000010000", "ffff0001fffe0000"};
  for (const char* keyHex : keys) {
    auto key = crypto::FromHex(keyHex);
    auto c = crypto::CreateCipher(kIdea);
    auto& ours = dynamic_cast<crypto::TCrypt_blockcipher&>(*c);
    ours.InitWithKey(key.data(), 128, nullptr);
    auto oracle = CryptoppBlock<CryptoPP::IDEA>()(key);
    for (const char* blockHex : blocks) {
      SCOPED_TRACE(std::string(keyHex) + " " + blockHex);
      auto block = crypto::FromHex(blockHex);
      std::vector<uint8_t> got(8), want(8);
      ours.EncryptBlock(block.data(), got.data());
      oracle->Encrypt(block.data(), want.data());
      EXPECT_EQ(crypto::ToHex(got), crypto::ToHex(want));
      ours.DecryptBlock(block.data(), got.data());
      oracle->Decrypt(block.data(), want.data());
      EXPECT_EQ(crypto::ToHex(got), crypto::ToHex(want));
    }
  }
}

}  // namespace
}  // namespace velt::test
