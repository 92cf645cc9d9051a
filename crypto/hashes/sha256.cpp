// SHA-256, FIPS 180-4.
#include "crypto/hashes/sha256.h"

#include <utility>

namespace velt::crypto {

namespace {

// Cube roots of the first 64 primes, fractional parts, FIPS 180-4 section 4.2.2.
constexpr uint32_t kK[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// Round I over v = {a, ..., h}, the names moving one place per round. The schedule is a
// rolling window of 16 words: expanded up front, it gets vectorised into stores that the next
// loads straddle, which stalls store forwarding.
template <size_t I>
inline void Round(uint32_t* v, uint32_t* w) {
  if constexpr (I >= 16) {
    uint32_t x15 = w[(I + 1) % 16], x2 = w[(I + 14) % 16];
    w[I % 16] += (Rotr32(x15, 7) ^ Rotr32(x15, 18) ^ (x15 >> 3)) + w[(I + 9) % 16] +
                 (Rotr32(x2, 17) ^ Rotr32(x2, 19) ^ (x2 >> 10));
  }
  uint32_t a = v[(8 - I % 8) % 8], b = v[(9 - I % 8) % 8], c = v[(10 - I % 8) % 8];
  uint32_t& d = v[(11 - I % 8) % 8];
  uint32_t e = v[(12 - I % 8) % 8], f = v[(13 - I % 8) % 8], g = v[(14 - I % 8) % 8];
  uint32_t& h = v[(15 - I % 8) % 8];
  h += (Rotr32(e, 6) ^ Rotr32(e, 11) ^ Rotr32(e, 25)) + (g ^ (e & (f ^ g))) + kK[I] + w[I % 16];
  d += h;
  h += (Rotr32(a, 2) ^ Rotr32(a, 13) ^ Rotr32(a, 22)) + ((a & b) | (c & (a | b)));
}

template <size_t... I>
inline void Rounds(uint32_t* v, uint32_t* w, std::index_sequence<I...>) {
  (Round<I>(v, w), ...);
}

}  // namespace

void Sha256Algo::Init(State& s) {
  s = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
}

void Sha256Algo::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint32_t, 16> w;  // message words, here usually a password
  for (; count--; p += 64) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBe32(p + 4 * i);
    uint32_t v[8] = {s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]};
    Rounds(v, w, std::make_index_sequence<64>());
    for (int i = 0; i < 8; ++i) s[size_t(i)] += v[i];
  }
}

void Sha256Algo::Output(const State& s, uint8_t* digest) {
  for (int i = 0; i < 8; ++i) StoreBe32(digest + 4 * i, s[i]);
}

}  // namespace velt::crypto
