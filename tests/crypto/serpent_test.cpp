// Serpent against Crypto++ in all five modes, and its S-box circuits against the tables.
#include "crypto/ciphers/serpent.h"

#include <cryptopp/serpent.h>
#include <gtest/gtest.h>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/crypto/block_oracle_cryptopp.h"

namespace velt::test {
namespace {

constexpr int kSerpent = 17;

TEST(Serpent, CircuitsReproduceTheSboxTables) {
  EXPECT_TRUE(crypto::TCrypt_serpent::CircuitsMatchTables());
}

// The library takes only 16, 24 and 32-byte keys and pads the shorter two itself. Any key of
// L < 256 bits equals the 256-bit key with the padding bit at position L already set, which
// is how the lengths the library refuses are compared.
OracleFactory SerpentPaddedTo256(unsigned bits) {
  return [bits](const std::vector<uint8_t>& key) {
    std::vector<uint8_t> full(32, 0);
    std::copy(key.begin(), key.end(), full.begin());
    if (bits < 256) full[bits / 8] |= uint8_t(1u << (bits % 8));
    return CryptoppBlock<CryptoPP::Serpent>()(full);
  };
}

TEST(Serpent, MatchesCryptoppAtItsOwnKeySizes) {
  for (unsigned bits : {128u, 192u, 256u}) {
    SCOPED_TRACE(std::to_string(bits) + "-bit key");
    ExpectModesMatchOracle(kSerpent, bits, CryptoppBlock<CryptoPP::Serpent>(), 0x5E7 + bits, 3);
  }
}

TEST(Serpent, OtherKeyLengthsArePaddedAtTheirLastBit) {
  for (unsigned bits : {160u, 132u, 64u, 4u, 252u}) {
    SCOPED_TRACE(std::to_string(bits) + "-bit key");
    ExpectModesMatchOracle(kSerpent, bits, SerpentPaddedTo256(bits), 0x5E8 + bits, 2);
  }
}

// Keyed from a password, the key is the first min(256, digest) bits, padded at its last bit
// when shorter; the chain value after keying is E_K(0), so it shows which key was used.
TEST(Serpent, PasswordKeysFollowTheDigestLength) {
  for (const auto& h : crypto::HashCatalogue()) {
    if (!h.cls) continue;
    SCOPED_TRACE(h.label);
    std::vector<uint8_t> digest(size_t(h.cls->hashSize / 8));
    auto hash = h.cls->create();
    hash->StartHash();
    hash->AddText("correct horse");
    hash->FinishHash(digest.data());
    const unsigned bits = std::min(256u, unsigned(h.cls->hashSize));
    digest.resize(bits / 8);
    auto oracle = SerpentPaddedTo256(bits)(digest);
    uint8_t expected[16] = {}, got[16];
    oracle->Encrypt(expected, expected);

    auto c = crypto::CreateCipher(kSerpent);
    c->InitWithPassword("correct horse", *h.cls);
    dynamic_cast<crypto::TCrypt_blockcipher&>(*c).GetChainVector(got);
    EXPECT_EQ(crypto::ToHex(got, 16), crypto::ToHex(expected, 16));
  }
}

}  // namespace
}  // namespace velt::test
