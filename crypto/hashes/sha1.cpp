// SHA-1, FIPS 180-4.
#include "crypto/hashes/sha1.h"

#include <utility>

namespace velt::crypto {

namespace {

// Step I of 80 over v = {a, b, c, d, e}. The schedule is kept as a rolling window of 16 words:
// expanding it up front lets the compiler vectorise it into stores that the next loads
// straddle, which stalls store forwarding and costs more than the whole compression.
template <size_t I>
inline void Step(uint32_t* v, uint32_t* w) {
  uint32_t f, k;
  if constexpr (I < 20) {
    f = v[3] ^ (v[1] & (v[2] ^ v[3]));
    k = 0x5a827999;
  } else if constexpr (I < 40) {
    f = v[1] ^ v[2] ^ v[3];
    k = 0x6ed9eba1;
  } else if constexpr (I < 60) {
    f = (v[1] & v[2]) | (v[3] & (v[1] | v[2]));
    k = 0x8f1bbcdc;
  } else {
    f = v[1] ^ v[2] ^ v[3];
    k = 0xca62c1d6;
  }
  if constexpr (I >= 16)
    w[I % 16] = Rotl32(w[(I + 13) % 16] ^ w[(I + 8) % 16] ^ w[(I + 2) % 16] ^ w[I % 16], 1);
  uint32_t t = Rotl32(v[0], 5) + f + v[4] + k + w[I % 16];
  v[4] = v[3];
  v[3] = v[2];
  v[2] = Rotl32(v[1], 30);
  v[1] = v[0];
  v[0] = t;
}

template <size_t... I>
inline void Steps(uint32_t* v, uint32_t* w, std::index_sequence<I...>) {
  (Step<I>(v, w), ...);
}

}  // namespace

void Sha1Algo::Init(State& s) {
  s = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
}

void Sha1Algo::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint32_t, 16> w;  // message words, here usually a password
  for (; count--; p += 64) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(p + 4 * i);
    uint32_t v[5] = {s[0], s[1], s[2], s[3], s[4]};
    Steps(v, w, std::make_index_sequence<80>());
    for (int i = 0; i < 5; ++i) s[size_t(i)] += v[i];
  }
}

void Sha1Algo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 5; ++i) StoreBe32(digest + 4 * i, s[i]);
}

}  // namespace velt::crypto
