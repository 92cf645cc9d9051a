// The two parallel lines that RIPEMD-128 and RIPEMD-160 share: word order, rotations and
// Boolean functions (RIPEMD-128 uses the first four rounds of each).
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/bytes.h"

namespace velt::crypto::ripemd {

// clang-format off
inline constexpr uint8_t kWordL[80] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
    7, 4, 13, 1, 10, 6, 15, 3, 12, 0, 9, 5, 2, 14, 11, 8,
    3, 10, 14, 4, 9, 15, 8, 1, 2, 7, 0, 6, 13, 11, 5, 12,
    1, 9, 11, 10, 0, 8, 12, 4, 13, 3, 7, 15, 14, 5, 6, 2,
    4, 0, 5, 9, 7, 12, 2, 10, 14, 1, 3, 8, 11, 6, 15, 13};
inline constexpr uint8_t kWordR[80] = {
    5, 14, 7, 0, 9, 2, 11, 4, 13, 6, 15, 8, 1, 10, 3, 12,
    6, 11, 3, 7, 0, 13, 5, 10, 14, 15, 8, 12, 4, 9, 1, 2,
    15, 5, 1, 3, 7, 14, 6, 9, 11, 8, 12, 2, 10, 0, 4, 13,
    8, 6, 4, 1, 3, 11, 15, 0, 5, 12, 2, 13, 9, 7, 10, 14,
    12, 15, 10, 4, 1, 5, 8, 7, 6, 2, 13, 14, 0, 3, 9, 11};
inline constexpr uint8_t kShiftL[80] = {
    11, 14, 15, 12, 5, 8, 7, 9, 11, 13, 14, 15, 6, 7, 9, 8,
    7, 6, 8, 13, 11, 9, 7, 15, 7, 12, 15, 9, 11, 7, 13, 12,
    11, 13, 6, 7, 14, 9, 13, 15, 14, 8, 13, 6, 5, 12, 7, 5,
    11, 12, 14, 15, 14, 15, 9, 8, 9, 14, 5, 6, 8, 6, 5, 12,
    9, 15, 5, 11, 6, 8, 13, 12, 5, 12, 13, 14, 11, 8, 5, 6};
inline constexpr uint8_t kShiftR[80] = {
    8, 9, 9, 11, 13, 15, 15, 5, 7, 7, 8, 11, 14, 14, 12, 6,
    9, 13, 15, 7, 12, 8, 9, 11, 7, 7, 12, 7, 6, 15, 13, 11,
    9, 7, 15, 11, 8, 6, 6, 14, 12, 13, 5, 14, 13, 13, 7, 5,
    15, 5, 8, 11, 14, 14, 6, 14, 6, 9, 12, 9, 12, 5, 15, 8,
    8, 5, 12, 9, 12, 5, 14, 6, 8, 13, 6, 5, 15, 13, 11, 11};
// clang-format on

// f1..f5 of the RIPEMD papers, numbered from 0.
template <int F>
inline uint32_t Fn(uint32_t x, uint32_t y, uint32_t z) {
  if constexpr (F == 0)
    return x ^ y ^ z;
  else if constexpr (F == 1)
    return z ^ (x & (y ^ z));
  else if constexpr (F == 2)
    return (x | ~y) ^ z;
  else if constexpr (F == 3)
    return y ^ (z & (x ^ y));
  else
    return x ^ (y | ~z);
}

inline void LoadBlock(uint32_t* x, const uint8_t* p) {
  for (int i = 0; i < 16; ++i) x[i] = LoadLe32(p + 4 * i);
}

}  // namespace velt::crypto::ripemd
