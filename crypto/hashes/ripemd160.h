#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Ripemd160Algo {
  static constexpr int kId = 10;
  static constexpr const char* kAlgorithm = "RipeMD-160";
  static constexpr int kHashSize = 160;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "a";
  static constexpr const char* kCheckDigest = "0bdc9d2d256b3ee9daae347be6f4dc835a467ffe";
  using State = std::array<uint32_t, 5>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailLe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_ripemd160 final : public MdHash<TCrypt_ripemd160, Ripemd160Algo> {};

}  // namespace velt::crypto
