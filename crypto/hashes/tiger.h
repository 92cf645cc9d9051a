#pragma once

#include <array>

#include "crypto/md_hash.h"

namespace velt::crypto {

struct TigerAlgo {
  static constexpr int kId = 18;
  static constexpr const char* kAlgorithm = "Tiger";
  static constexpr int kHashSize = 192;
  static constexpr size_t kBlockBytes = 64;
  static constexpr size_t kTailBytes = 8;
  static constexpr uint8_t kPadByte = 0x01;  // the first Tiger padding, not the later 0x80
  static constexpr const char* kCheckText =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+-";
  static constexpr const char* kCheckDigest = "f71c8583902afb879edfe610f82c0d4786a3a534504486b5";
  using State = std::array<uint64_t, 3>;
  static void Init(State& s);
  static void Compress(State& s, const uint8_t* blocks, size_t count);
  static constexpr auto WriteTail = TailLe64;
  static void Output(const State& s, uint8_t* digest);
};

class TCrypt_tiger final : public MdHash<TCrypt_tiger, TigerAlgo> {};

}  // namespace velt::crypto
