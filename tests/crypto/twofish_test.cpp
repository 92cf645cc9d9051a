// Twofish against Crypto++ in all five modes, including the key lengths between the three
// standard sizes, which run zero-filled to the next size up.
#include <cryptopp/twofish.h>
#include <gtest/gtest.h>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
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
    ExpectModesMatchOracle(kTwofish, c.bits, CryptoppBlock<CryptoPP::Twofish>(c.libraryKeyBytes),
                           0x7F15 + c.bits, 3);
  }
}

// Keyed from a password, the key is the first min(256, digest) bits: a 160-bit digest runs as a
// 192-bit key ending in four zero bytes, and the longer digests are cut to 256 bits. The
// chain value after keying is E_K(0), so it shows which key was used.
TEST(Twofish, PasswordKeysFollowTheDigestLength) {
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
    const size_t libraryBytes = bits <= 128 ? 16 : bits <= 192 ? 24 : 32;
    auto oracle = CryptoppBlock<CryptoPP::Twofish>(libraryBytes)(digest);
    uint8_t expected[16] = {}, got[16];
    oracle->Encrypt(expected, expected);

    auto c = crypto::CreateCipher(kTwofish);
    c->InitWithPassword("correct horse", *h.cls);
    dynamic_cast<crypto::TCrypt_blockcipher&>(*c).GetChainVector(got);
    EXPECT_EQ(crypto::ToHex(got, 16), crypto::ToHex(expected, 16));
  }
}

}  // namespace
}  // namespace velt::test
