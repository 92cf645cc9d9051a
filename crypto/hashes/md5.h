#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct Md5Algo {
  static constexpr int kId = 16;
  static constexpr const char* kAlgorithm = "MD5";
  static constexpr int kHashSize = 128;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x80;
  static constexpr const char* kCheckText = "abc";
  static constexpr const char* kCheckDigest = "900150983cd24fb0d6963f7d28e17f72";
  using State = std::array<uint32_t, 4>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailLe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_md5 final : public MdHash<TCrypt_md5, Md5Algo> {};

}  // namespace velt::crypto
