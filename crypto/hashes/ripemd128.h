#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Ripemd128Algo {
  static constexpr int kId = 27;
  static constexpr const char* kAlgorithm = "RipeMD-128";
  static constexpr int kHashSize = 128;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "a";
  static constexpr const char* kCheckDigest = "86be7afa339d0fc7cfc785e72f578d33";
  using State = std::array<uint32_t, 4>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailLe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_ripemd128 final : public MdHash<TCrypt_ripemd128, Ripemd128Algo> {};

}  // namespace velt::crypto
