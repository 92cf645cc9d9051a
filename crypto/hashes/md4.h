#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Md4Algo {
  static constexpr int kId = 17;
  static constexpr const char* kAlgorithm = "MD4";
  static constexpr int kHashSize = 128;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abc";
  static constexpr const char* kCheckDigest = "a448017aaf21d8525fc10ae87aa6729d";
  using State = std::array<uint32_t, 4>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailLe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_md4 final : public MdHash<TCrypt_md4, Md4Algo> {};

}  // namespace velt::crypto
