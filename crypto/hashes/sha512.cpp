// SHA-384 and SHA-512, FIPS 180-4.
#include "crypto/hashes/sha512.h"

#include <utility>

namespace velt::crypto {

namespace {

// Cube roots of the first 80 primes, fractional parts, FIPS 180-4 section 4.2.3.
constexpr uint64_t kK[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc,
    0x3956c25bf348b538, 0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118,
    0xd807aa98a3030242, 0x12835b0145706fbe, 0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235, 0xc19bf174cf692694,
    0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5,
    0x983e5152ee66dfab, 0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2, 0xd5a79147930aa725, 0x06ca6351e003826f, 0x142929670a0e6e70,
    0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed, 0x53380d139d95b3df,
    0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30,
    0xd192e819d6ef5218, 0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8, 0x1e376c085141ab53, 0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373, 0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b,
    0xca273eceea26619c, 0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178,
    0x06f067aa72176fba, 0x0a637dc5a2c898a6, 0x113f9804bef90dae, 0x1b710b35131c471b,
    0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc, 0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817};

// Round I over v = {a, ..., h}, the names moving one place per round. The schedule is a
// rolling window of 16 words: expanded up front, it gets vectorised into stores that the next
// loads straddle, which stalls store forwarding.
template <size_t I>
inline void Round(uint64_t* v, uint64_t* w) {
  if constexpr (I >= 16) {
    uint64_t x15 = w[(I + 1) % 16], x2 = w[(I + 14) % 16];
    w[I % 16] += (Rotr64(x15, 1) ^ Rotr64(x15, 8) ^ (x15 >> 7)) + w[(I + 9) % 16] +
                 (Rotr64(x2, 19) ^ Rotr64(x2, 61) ^ (x2 >> 6));
  }
  uint64_t a = v[(8 - I % 8) % 8], b = v[(9 - I % 8) % 8], c = v[(10 - I % 8) % 8];
  uint64_t& d = v[(11 - I % 8) % 8];
  uint64_t e = v[(12 - I % 8) % 8], f = v[(13 - I % 8) % 8], g = v[(14 - I % 8) % 8];
  uint64_t& h = v[(15 - I % 8) % 8];
  h += (Rotr64(e, 14) ^ Rotr64(e, 18) ^ Rotr64(e, 41)) + (g ^ (e & (f ^ g))) + kK[I] + w[I % 16];
  d += h;
  h += (Rotr64(a, 28) ^ Rotr64(a, 34) ^ Rotr64(a, 39)) + ((a & b) | (c & (a | b)));
}

template <size_t... I>
inline void Rounds(uint64_t* v, uint64_t* w, std::index_sequence<I...>) {
  (Round<I>(v, w), ...);
}

}  // namespace

// Square roots of the 9th to 16th primes, fractional parts.
void Sha384Algo::Init(State& s) {
  s = {0xcbbb9d5dc1059ed8, 0x629a292a367cd507, 0x9159015a3070dd17, 0x152fecd8f70e5939,
       0x67332667ffc00b31, 0x8eb44a8768581511, 0xdb0c2e0d64f98fa7, 0x47b5481dbefa4fa4};
}

// Square roots of the first 8 primes, fractional parts.
void Sha512Algo::Init(State& s) {
  s = {0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
       0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179};
}

void Sha512Core::Compress(State& s, const uint8_t* p, size_t count) {
  SecureBuffer<uint64_t, 16> w;  // message words, here usually a password
  for (; count--; p += 128) {
    for (int i = 0; i < 16; ++i) w[i] = LoadBe64(p + 8 * i);
    uint64_t v[8] = {s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]};
    Rounds(v, w, std::make_index_sequence<80>());
    for (int i = 0; i < 8; ++i) s[size_t(i)] += v[i];
  }
}

void Sha512Core::OutputWords(const State& s, uint8_t* digest, int words) {
  for (int i = 0; i < words; ++i) StoreBe64(digest + 8 * i, s[size_t(i)]);
}

}  // namespace velt::crypto
