// MD4, RFC 1320.
#include "crypto/hashes/md4.h"

namespace velt::crypto {

namespace {

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
  return z ^ (x & (y ^ z));
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) {
  return (x & y) | (z & (x | y));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
  return x ^ y ^ z;
}

// The square roots of 2 and 3 scaled to 2^30, RFC 1320 section 3.4.
constexpr uint32_t kRound2 = 0x5a827999, kRound3 = 0x6ed9eba1;

}  // namespace

void Md4Algo::Init(State& s) {
  s = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
}

void Md4Algo::Compress(State& s, const uint8_t* p, size_t count) {
  for (; count--; p += 64) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLe32(p + 4 * i);
    uint32_t a = s[0], b = s[1], c = s[2], d = s[3];
    for (int i = 0; i < 16; i += 4) {
      a = Rotl32(a + F(b, c, d) + x[i], 3);
      d = Rotl32(d + F(a, b, c) + x[i + 1], 7);
      c = Rotl32(c + F(d, a, b) + x[i + 2], 11);
      b = Rotl32(b + F(c, d, a) + x[i + 3], 19);
    }
    for (int i = 0; i < 4; ++i) {
      a = Rotl32(a + G(b, c, d) + x[i] + kRound2, 3);
      d = Rotl32(d + G(a, b, c) + x[i + 4] + kRound2, 5);
      c = Rotl32(c + G(d, a, b) + x[i + 8] + kRound2, 9);
      b = Rotl32(b + G(c, d, a) + x[i + 12] + kRound2, 13);
    }
    // Round 3 visits the words in bit-reversed order of their index.
    for (int i : {0, 2, 1, 3}) {
      a = Rotl32(a + H(b, c, d) + x[i] + kRound3, 3);
      d = Rotl32(d + H(a, b, c) + x[i + 8] + kRound3, 9);
      c = Rotl32(c + H(d, a, b) + x[i + 4] + kRound3, 11);
      b = Rotl32(b + H(c, d, a) + x[i + 12] + kRound3, 15);
    }
    s[0] += a;
    s[1] += b;
    s[2] += c;
    s[3] += d;
  }
}

void Md4Algo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 4; ++i) StoreLe32(digest + 4 * i, s[i]);
}

}  // namespace velt::crypto
