// The shared machinery of the block hashes: buffering, bit counting, final padding, the
// class queries and the built-in self-check. An algorithm supplies only a traits struct:
//
//   struct Algo {
//     static constexpr int kId, kHashSize;            // class constants
//     static constexpr const char* kAlgorithm;
//     static constexpr size_t kBlockBytes;            // 64 or 128
//     static constexpr size_t kTailBytes;             // bytes of the final block after the padding
//     static constexpr uint8_t kPadByte;              // 0x80, or 0x01 for Tiger
//     static constexpr const char* kCheckText;        // self-check message and digest (hex)
//     static constexpr const char* kCheckDigest;
//     using State = ...;                              // chaining words, trivially copyable
//     static void Init(State&);
//     static void Compress(State&, const uint8_t* blocks, size_t count);
//     static void WriteTail(uint8_t* tail, uint64_t bitsHigh, uint64_t bitsLow);
//     static void Output(const State&, uint8_t* digest);
//   };
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include "crypto/bytes.h"
#include "crypto/errors.h"
#include "crypto/hash.h"
#include "crypto/hex.h"
#include "crypto/messages.h"
#include "crypto/secure_buffer.h"

namespace velt::crypto {

// Common tails: the message length in bits at the very end of the final block.
inline void TailLe64(uint8_t* tail, uint64_t, uint64_t low) {
  StoreLe64(tail, low);
}
inline void TailBe64(uint8_t* tail, uint64_t, uint64_t low) {
  StoreBe64(tail, low);
}
inline void TailBe128(uint8_t* tail, uint64_t high, uint64_t low) {
  StoreBe64(tail, high);
  StoreBe64(tail + 8, low);
}

template <class Derived, class Algo>
class MdHash : public TCrypt_hash {
 public:
  int Id() const override { return Algo::kId; }
  std::string Algorithm() const override { return Algo::kAlgorithm; }
  int HashSize() const override { return Algo::kHashSize; }
  bool SelfCheck() const override { return ClassSelfCheck(); }

  static bool ClassSelfCheck() {
    Derived h;
    uint8_t digest[Algo::kHashSize / 8];
    h.StartHash();
    h.AddText(Algo::kCheckText);
    h.FinishHash(digest);
    return ToHex(digest, sizeof digest) == Algo::kCheckDigest;
  }

  static const HashClass& Class() {
    static const HashClass c{Algo::kId, Algo::kAlgorithm, Algo::kHashSize,
                             [] { return std::unique_ptr<TCrypt_hash>(new Derived); },
                             &ClassSelfCheck};
    return c;
  }

  void StartHash() override {
    Burn();
    Algo::Init(*state_);
    isOpen_ = true;
  }

  void AddBytes(const void* data, size_t n) override {
    RequireOpen();
    if (n == 0) return;  // data may be null then, and memcpy must not see a null pointer
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint64_t bits = uint64_t(n) << 3;
    bitsLow_ += bits;
    bitsHigh_ += (bitsLow_ < bits) + (uint64_t(n) >> 61);
    if (fill_ > 0) {
      size_t take = std::min(n, Algo::kBlockBytes - fill_);
      std::memcpy(buffer_ + fill_, p, take);
      fill_ += take;
      p += take;
      n -= take;
      if (fill_ < Algo::kBlockBytes) return;
      Algo::Compress(*state_, buffer_, 1);
      fill_ = 0;
    }
    if (size_t whole = n / Algo::kBlockBytes) {
      Algo::Compress(*state_, p, whole);
      p += whole * Algo::kBlockBytes;
      n -= whole * Algo::kBlockBytes;
    }
    std::memcpy(buffer_, p, n);
    fill_ = n;
  }

  void FinishHash(uint8_t* digest) override {
    RequireOpen();
    constexpr size_t kRoom = Algo::kBlockBytes - Algo::kTailBytes;
    buffer_[fill_++] = Algo::kPadByte;
    if (fill_ > kRoom) {
      std::memset(buffer_ + fill_, 0, Algo::kBlockBytes - fill_);
      Algo::Compress(*state_, buffer_, 1);
      fill_ = 0;
    }
    std::memset(buffer_ + fill_, 0, kRoom - fill_);
    Algo::WriteTail(buffer_ + kRoom, bitsHigh_, bitsLow_);
    Algo::Compress(*state_, buffer_, 1);
    Algo::Output(*state_, digest);
    Burn();
  }

  void Burn() override {
    state_.clear();
    buffer_.clear();
    bitsLow_ = bitsHigh_ = 0;
    fill_ = 0;
    isOpen_ = false;
  }

 private:
  void RequireOpen() const {
    if (!isOpen_) throw ECrypt_hash(messages::kHashNotInitialized);
  }

  SecureBuffer<typename Algo::State, 1> state_;
  uint64_t bitsLow_ = 0, bitsHigh_ = 0;
  SecureBuffer<uint8_t, Algo::kBlockBytes> buffer_;
  size_t fill_ = 0;
};

}  // namespace velt::crypto
