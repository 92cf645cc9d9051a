#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

// Tests rebuild this hash from these traits with the reference pad byte 01, to check the
// compression function against the published HAVAL values.
struct HavalAlgo {
  static constexpr int kId = 14;
  static constexpr const char* kAlgorithm = "Haval (256bit, 5 passes)";
  static constexpr int kHashSize = 256;
  static constexpr size_t kBlockBytes = 128;
  static constexpr size_t kTailBytes = 10;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abcdefghijklmnopqrstuvwxyz";
  static constexpr const char* kCheckDigest =
      "1a1dc8099bdaa7f35b4da4e805f1a28fee909d8dee920198185cbcaed8a10a8d";
  using State = std::array<uint32_t, 8>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static void WriteTail(uint8_t* tail, uint64_t bitsHigh, uint64_t bitsLow);
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_haval final : public MdHash<TCrypt_haval, HavalAlgo> {};

}  // namespace velt::crypto
