#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

// SHA-384 and SHA-512 share everything but their initial values and digest length.
struct Sha512Core {
  static constexpr size_t kBlockBytes = 128;
  static constexpr size_t kTailBytes = 16;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abc";
  using State = std::array<uint64_t, 8>;
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailBe128;
  static void OutputWords(const State& s, uint8_t* digest, int words);
};

struct Sha384Algo : Sha512Core {
  static constexpr int kId = 29;
  static constexpr const char* kAlgorithm = "SHA384";
  static constexpr int kHashSize = 384;
  static constexpr const char* kCheckDigest =
      "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded163"
      "1a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7";
  static void Init(State& s);
  static void Output(const State& s, uint8_t* digest) { OutputWords(s, digest, 6); }
};

struct Sha512Algo : Sha512Core {
  static constexpr int kId = 30;
  static constexpr const char* kAlgorithm = "SHA512";
  static constexpr int kHashSize = 512;
  static constexpr const char* kCheckDigest =
      "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
      "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f";
  static void Init(State& s);
  static void Output(const State& s, uint8_t* digest) { OutputWords(s, digest, 8); }
};

template <class Derived, class Algo>
class TCrypt_sha512base : public MdHash<Derived, Algo> {};

class TCrypt_sha384 final : public TCrypt_sha512base<TCrypt_sha384, Sha384Algo> {};
class TCrypt_sha512 final : public TCrypt_sha512base<TCrypt_sha512, Sha512Algo> {};

}  // namespace velt::crypto
