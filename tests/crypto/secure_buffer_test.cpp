// Key material held in a SecureBuffer is gone once the buffer is destroyed, cleared or shrunk,
// even where the optimiser sees the memory die right after the wipe.
#include "crypto/secure_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace velt::crypto {
namespace {

constexpr uint8_t kSecret = 0xA5;

bool AllZero(const uint8_t* p, size_t n) {
  return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

TEST(SecureBuffer, FixedStartsZeroAndIsWipedOnClearAndDestruction) {
  struct Schedule {
    uint32_t words[12];
    int rounds;
  };
  alignas(SecureBuffer<Schedule, 1>) uint8_t storage[sizeof(SecureBuffer<Schedule, 1>)];
  std::memset(storage, kSecret, sizeof storage);
  auto* ks = new (storage) SecureBuffer<Schedule, 1>;
  EXPECT_TRUE(AllZero(storage, sizeof storage));

  std::memset(ks->data(), kSecret, sizeof(Schedule));
  ks->clear();
  EXPECT_TRUE(AllZero(storage, sizeof storage));

  (*ks)->rounds = 14;
  std::fill(std::begin((*ks)->words), std::end((*ks)->words), 0xA5A5A5A5u);
  // Reading the secret back keeps its stores; the wipe that follows is then the only thing
  // between it and whoever gets the memory next.
  ASSERT_FALSE(AllZero(storage, sizeof storage));
  ks->~SecureBuffer();
  EXPECT_TRUE(AllZero(storage, sizeof storage));
}

TEST(SecureBuffer, HeapFormWipesWhatClearAndShrinkingDrop) {
  SecureBuffer<uint8_t> buf(64);
  ASSERT_EQ(buf.size(), 64u);
  EXPECT_TRUE(AllZero(buf.data(), 64));
  std::fill(buf.begin(), buf.end(), kSecret);
  const uint8_t* storage = buf.data();

  buf.resize(16);  // fits: the same storage, its tail wiped
  ASSERT_EQ(buf.data(), storage);
  EXPECT_TRUE(std::all_of(storage, storage + 16, [](uint8_t b) { return b == kSecret; }));
  EXPECT_TRUE(AllZero(storage + 16, 48));

  buf.resize(32);  // grows back within the storage: new bytes are zero, not the old secret
  EXPECT_TRUE(AllZero(storage + 16, 16));

  buf.resize(4096);  // moves: the contents come along
  EXPECT_EQ(buf.size(), 4096u);
  EXPECT_TRUE(std::all_of(buf.data(), buf.data() + 16, [](uint8_t b) { return b == kSecret; }));
  EXPECT_TRUE(AllZero(buf.data() + 16, 4096 - 16));

  storage = buf.data();
  buf.clear();
  EXPECT_TRUE(buf.empty());
  EXPECT_TRUE(AllZero(storage, 4096));
}

}  // namespace
}  // namespace velt::crypto
