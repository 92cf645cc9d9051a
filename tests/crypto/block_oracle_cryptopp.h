// Block oracles over Crypto++ (test-only), for the ciphers OpenSSL does not carry.
//   ExpectModesMatchOracle(1, 256, CryptoppBlock<CryptoPP::Twofish>(), seed);
// keyBytes zero-fills (or cuts) the key to that length first; rounds and effectiveKeyBits are
// passed to the library's key setup when non-zero.
#pragma once

#include <cryptopp/algparam.h>
#include <cryptopp/argnames.h>

#include <memory>
#include <vector>

#include "tests/crypto/block_oracle.h"

namespace velt::test {

template <class Alg>
class CryptoppOracle : public BlockOracle {
 public:
  CryptoppOracle(std::vector<uint8_t> key, size_t keyBytes, int rounds, int effectiveKeyBits) {
    if (keyBytes) key.resize(keyBytes, 0);
    if (effectiveKeyBits) {
      auto params =
          CryptoPP::MakeParameters(CryptoPP::Name::EffectiveKeyLength(), effectiveKeyBits);
      enc_.SetKey(key.data(), key.size(), params);
      dec_.SetKey(key.data(), key.size(), params);
    } else if (rounds) {
      auto params = CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), rounds);
      enc_.SetKey(key.data(), key.size(), params);
      dec_.SetKey(key.data(), key.size(), params);
    } else {
      enc_.SetKey(key.data(), key.size());
      dec_.SetKey(key.data(), key.size());
    }
  }
  void Encrypt(const uint8_t* in, uint8_t* out) override { enc_.ProcessBlock(in, out); }
  void Decrypt(const uint8_t* in, uint8_t* out) override { dec_.ProcessBlock(in, out); }

 private:
  typename Alg::Encryption enc_;
  typename Alg::Decryption dec_;
};

template <class Alg>
OracleFactory CryptoppBlock(size_t keyBytes = 0, int rounds = 0, int effectiveKeyBits = 0) {
  return [=](const std::vector<uint8_t>& key) -> std::unique_ptr<BlockOracle> {
    return std::make_unique<CryptoppOracle<Alg>>(key, keyBytes, rounds, effectiveKeyBits);
  };
}

}  // namespace velt::test
