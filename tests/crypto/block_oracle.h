// Differential testing of our block ciphers against an independent implementation of the same
// block function: the five modes are rebuilt here, plainly and separately from crypto/, on top
// of the oracle's single-block operations, and our bulk output must match them byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velt::test {

// One keyed single-block implementation from an independent library.
class BlockOracle {
 public:
  virtual ~BlockOracle() = default;
  virtual void Encrypt(const uint8_t* in, uint8_t* out) = 0;
  virtual void Decrypt(const uint8_t* in, uint8_t* out) = 0;
};

// Makes an oracle for the key our cipher was given (the factory maps our key handling, for
// example zero-fill, onto the library's).
using OracleFactory = std::function<std::unique_ptr<BlockOracle>(const std::vector<uint8_t>& key)>;

// An oracle over an OpenSSL ECB cipher ("AES-128-ECB", "BF-ECB", ...); the legacy provider is
// loaded when needed. `keyBytes` of 0 means the key length is set from the key.
OracleFactory OpensslEcb(const std::string& name, size_t keyBytes = 0);

// Checks cipher `index` keyed with `keyBits` random key bits against the oracle in all five
// modes, on whole blocks and partial tails, one call and split calls, both directions.
void ExpectModesMatchOracle(int cipherIndex, unsigned keyBits, const OracleFactory& oracle,
                            uint64_t seed, int rounds = 8);

}  // namespace velt::test
