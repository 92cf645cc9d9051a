// Exceptions of the cipher and hash layer; their texts are shown to users as they stand.
#pragma once

#include <stdexcept>
#include <string>

namespace velt::crypto {

class ECrypt_cipher : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ECrypt_blockcipher : public ECrypt_cipher {
 public:
  using ECrypt_cipher::ECrypt_cipher;
};

class ECrypt_hash : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velt::crypto
