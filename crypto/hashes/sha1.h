#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Sha1Algo {
  static constexpr int kId = 2;
  static constexpr const char* kAlgorithm = "SHA1";
  static constexpr int kHashSize = 160;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abc";
  static constexpr const char* kCheckDigest = "a9993e364706816aba3e25717850c26c9cd0d89d";
  using State = std::array<uint32_t, 5>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailBe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_sha1 final : public MdHash<TCrypt_sha1, Sha1Algo> {};

}  // namespace velt::crypto
