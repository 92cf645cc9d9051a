// Tiger, Anderson and Biham (FSE 1996): 192-bit output, three passes.
#include "crypto/hashes/tiger.h"

namespace velt::crypto {

namespace {

constexpr uint64_t kT1[256] = {
#include "crypto/tables/generated/tiger_sboxes_T1.inc"
};
constexpr uint64_t kT2[256] = {
#include "crypto/tables/generated/tiger_sboxes_T2.inc"
};
constexpr uint64_t kT3[256] = {
#include "crypto/tables/generated/tiger_sboxes_T3.inc"
};
constexpr uint64_t kT4[256] = {
#include "crypto/tables/generated/tiger_sboxes_T4.inc"
};

inline uint8_t Byte(uint64_t v, int i) {
  return uint8_t(v >> (8 * i));
}

inline void Round(uint64_t& a, uint64_t& b, uint64_t& c, uint64_t x, uint64_t mul) {
  c ^= x;
  a -= kT1[Byte(c, 0)] ^ kT2[Byte(c, 2)] ^ kT3[Byte(c, 4)] ^ kT4[Byte(c, 6)];
  b += kT4[Byte(c, 1)] ^ kT3[Byte(c, 3)] ^ kT2[Byte(c, 5)] ^ kT1[Byte(c, 7)];
  b *= mul;
}

inline void Pass(uint64_t& a, uint64_t& b, uint64_t& c, const uint64_t* x, uint64_t mul) {
  Round(a, b, c, x[0], mul);
  Round(b, c, a, x[1], mul);
  Round(c, a, b, x[2], mul);
  Round(a, b, c, x[3], mul);
  Round(b, c, a, x[4], mul);
  Round(c, a, b, x[5], mul);
  Round(a, b, c, x[6], mul);
  Round(b, c, a, x[7], mul);
}

void KeySchedule(uint64_t* x) {
  x[0] -= x[7] ^ 0xa5a5a5a5a5a5a5a5;
  x[1] ^= x[0];
  x[2] += x[1];
  x[3] -= x[2] ^ (~x[1] << 19);
  x[4] ^= x[3];
  x[5] += x[4];
  x[6] -= x[5] ^ (~x[4] >> 23);
  x[7] ^= x[6];
  x[0] += x[7];
  x[1] -= x[0] ^ (~x[7] << 19);
  x[2] ^= x[1];
  x[3] += x[2];
  x[4] -= x[3] ^ (~x[2] >> 23);
  x[5] ^= x[4];
  x[6] += x[5];
  x[7] -= x[6] ^ 0x0123456789abcdef;
}

}  // namespace

void TigerAlgo::Init(State& s) {
  s = {0x0123456789abcdef, 0xfedcba9876543210, 0xf096a5b4c3b2e187};
}

void TigerAlgo::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint64_t, 8> x;  // message words, here usually a password
  for (; count--; p += 64) {
    for (int i = 0; i < 8; ++i) x[i] = LoadLe64(p + 8 * i);
    uint64_t a = s[0], b = s[1], c = s[2];
    Pass(a, b, c, x, 5);
    KeySchedule(x);
    Pass(c, a, b, x, 7);
    KeySchedule(x);
    Pass(b, c, a, x, 9);
    s[0] ^= a;
    s[1] = b - s[1];
    s[2] += c;
  }
}

void TigerAlgo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 3; ++i) StoreLe64(digest + 8 * i, s[size_t(i)]);
}

}  // namespace velt::crypto
