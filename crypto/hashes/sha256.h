#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Sha256Algo {
  static constexpr int kId = 28;
  static constexpr const char* kAlgorithm = "SHA256";
  static constexpr int kHashSize = 256;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abc";
  static constexpr const char* kCheckDigest =
      "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  using State = std::array<uint32_t, 8>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailBe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_sha256 final : public MdHash<TCrypt_sha256, Sha256Algo> {};

}  // namespace velt::crypto
