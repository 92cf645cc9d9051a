// HAVAL, Zheng, Pieprzyk and Seberry (AUSCRYPT '92): version 1, 5 passes, 256-bit output.
#include "crypto/hashes/haval.h"

#include <algorithm>
#include <utility>

namespace velt::crypto {

namespace {

// clang-format off
constexpr uint32_t kIv[8] = {
#include "crypto/tables/generated/haval_constants_IV.inc"
};
constexpr uint8_t kOrder[5][32] = {
    {
#include "crypto/tables/generated/haval_constants_W1.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_W2.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_W3.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_W4.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_W5.inc"
    }};
constexpr uint32_t kConst[5][32] = {
    {},  // pass 1 adds no constant
    {
#include "crypto/tables/generated/haval_constants_K2.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_K3.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_K4.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_K5.inc"
    }};
// Which registers feed each pass's function when the hash has five passes.
constexpr uint8_t kPhi[5][7] = {
    {
#include "crypto/tables/generated/haval_constants_PHI5_1.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_PHI5_2.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_PHI5_3.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_PHI5_4.inc"
    },
    {
#include "crypto/tables/generated/haval_constants_PHI5_5.inc"
    }};
// clang-format on

// The paper's F1..F5, factored to save operations; parameters in the paper's order.
template <int P>
inline uint32_t Fn(uint32_t x6, uint32_t x5, uint32_t x4, uint32_t x3, uint32_t x2, uint32_t x1,
                   uint32_t x0) {
  if constexpr (P == 0)
    return (x1 & (x0 ^ x4)) ^ (x2 & x5) ^ (x3 & x6) ^ x0;
  else if constexpr (P == 1)
    return (x2 & ((x1 & ~x3) ^ (x4 & x5) ^ x6 ^ x0)) ^ (x4 & (x1 ^ x5)) ^ (x3 & x5) ^ x0;
  else if constexpr (P == 2)
    return (x3 & ((x1 & x2) ^ x6 ^ x0)) ^ (x1 & x4) ^ (x2 & x5) ^ x0;
  else if constexpr (P == 3)
    return (x4 & ((x5 & ~x2) ^ (x3 & ~x6) ^ x1 ^ x6 ^ x0)) ^ (x3 & ((x1 & x2) ^ x5 ^ x6)) ^
           (x2 & x6) ^ x0;
  else
    return (x0 & ~((x1 & x2 & x3) ^ x5)) ^ (x1 & x4) ^ (x2 & x5) ^ (x3 & x6);
}

// Step J of pass P. Register x_i is t[(i - J) mod 8]; all indexes are constants, so the
// eight registers stay in machine registers.
template <int P, size_t J>
inline void Step(uint32_t* t, const uint32_t* m) {
  constexpr const uint8_t* phi = kPhi[P];
  constexpr size_t r = 8 - J % 8;
  uint32_t f =
      Fn<P>(t[(phi[0] + r) % 8], t[(phi[1] + r) % 8], t[(phi[2] + r) % 8], t[(phi[3] + r) % 8],
            t[(phi[4] + r) % 8], t[(phi[5] + r) % 8], t[(phi[6] + r) % 8]);
  uint32_t& x7 = t[(7 + r) % 8];
  x7 = Rotr32(f, 7) + Rotr32(x7, 11) + m[kOrder[P][J]] + kConst[P][J];
}

template <int P, size_t... J>
inline void Pass(uint32_t* t, const uint32_t* m, std::index_sequence<J...>) {
  (Step<P, J>(t, m), ...);
}

}  // namespace

void HavalAlgo::Init(State& s) {
  std::copy(std::begin(kIv), std::end(kIv), s.begin());
}

void HavalAlgo::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint32_t, 32> m;  // message words, here usually a password
  for (; count--; p += 128) {
    for (int i = 0; i < 32; ++i) m[i] = LoadLe32(p + 4 * i);
    uint32_t t[8];
    std::copy(s.begin(), s.end(), t);
    constexpr auto steps = std::make_index_sequence<32>();
    Pass<0>(t, m, steps);
    Pass<1>(t, m, steps);
    Pass<2>(t, m, steps);
    Pass<3>(t, m, steps);
    Pass<4>(t, m, steps);
    for (int i = 0; i < 8; ++i) s[size_t(i)] += t[i];
  }
}

// Version 1, 5 passes, 256-bit output packed into two bytes, then the length.
void HavalAlgo::WriteTail(uint8_t* tail, uint64_t, uint64_t bitsLow) {
  tail[0] = 0x29;
  tail[1] = 0x40;
  StoreLe64(tail + 2, bitsLow);
}

// Written without folding: the full 256-bit chaining value is the digest.
void HavalAlgo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 8; ++i) StoreLe32(digest + 4 * i, s[size_t(i)]);
}

}  // namespace velt::crypto
