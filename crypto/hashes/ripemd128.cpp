// RIPEMD-128, Dobbertin, Bosselaers and Preneel (ISO/IEC 10118-3).
#include "crypto/hashes/ripemd128.h"

#include <utility>

#include "crypto/hashes/ripemd_lines.h"

namespace velt::crypto {

namespace {

using namespace ripemd;

constexpr uint32_t kConstL[4] = {0x00000000, 0x5a827999, 0x6ed9eba1, 0x8f1bbcdc};
constexpr uint32_t kConstR[4] = {0x50a28be6, 0x5c4dd124, 0x6d703ef3, 0x00000000};

// The value moves are free once the steps are unrolled with constant indexes.
template <int F>
inline void Step(uint32_t* v, uint32_t x, uint32_t k, int shift) {
  uint32_t t = Rotl32(v[0] + Fn<F>(v[1], v[2], v[3]) + x + k, shift);
  v[0] = v[3];
  v[3] = v[2];
  v[2] = v[1];
  v[1] = t;
}

template <size_t... J>
inline void BothLines(uint32_t* l, uint32_t* r, const uint32_t* x, std::index_sequence<J...>) {
  ((Step<int(J / 16)>(l, x[kWordL[J]], kConstL[J / 16], kShiftL[J]),
    Step<int(3 - J / 16)>(r, x[kWordR[J]], kConstR[J / 16], kShiftR[J])),
   ...);
}

}  // namespace

void Ripemd128Algo::Init(State& s) {
  s = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
}

void Ripemd128Algo::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint32_t, 16> x;  // message words, here usually a password
  for (; count--; p += 64) {
    LoadBlock(x, p);
    uint32_t l[4] = {s[0], s[1], s[2], s[3]};
    uint32_t r[4] = {s[0], s[1], s[2], s[3]};
    BothLines(l, r, x, std::make_index_sequence<64>());
    uint32_t t = s[1] + l[2] + r[3];
    s[1] = s[2] + l[3] + r[0];
    s[2] = s[3] + l[0] + r[1];
    s[3] = s[0] + l[1] + r[2];
    s[0] = t;
  }
}

void Ripemd128Algo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 4; ++i) StoreLe32(digest + 4 * i, s[i]);
}

}  // namespace velt::crypto
