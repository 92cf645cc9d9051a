// MARS (IBM AES submission, 1998) with the key expansion of its first published version.
#include "crypto/ciphers/mars.h"

#include <algorithm>

#include "crypto/errors.h"
#include "crypto/messages.h"

namespace velt::crypto {

namespace {

const uint32_t kS[512] = {
#include "crypto/tables/generated/mars_sbox_S.inc"
};
const uint32_t* const kS0 = kS;
const uint32_t* const kS1 = kS + 256;

inline uint32_t B0(uint32_t x) {
  return x & 0xff;
}
inline uint32_t B1(uint32_t x) {
  return (x >> 8) & 0xff;
}
inline uint32_t B2(uint32_t x) {
  return (x >> 16) & 0xff;
}
inline uint32_t B3(uint32_t x) {
  return x >> 24;
}

// Bit l of the result is set when bit l of w is inside a run of ten or more equal bits and
// equals both neighbours, for l = 2..31; the neighbour above bit 31 is taken as 0.
uint32_t LongRunMask(uint32_t w) {
  uint32_t mask = 0;
  int start = 0;
  while (start < 32) {
    int end = start;
    const uint32_t bit = (w >> start) & 1;
    while (end + 1 < 32 && ((w >> (end + 1)) & 1) == bit) ++end;
    if (end - start + 1 >= 10) {
      for (int l = std::max(start, 2); l <= end; ++l) {
        const uint32_t below = (w >> (l - 1)) & 1;
        const uint32_t above = l == 31 ? 0 : (w >> (l + 1)) & 1;
        if (below == bit && above == bit) mask |= 1u << l;
      }
    }
    start = end + 1;
  }
  return mask;
}

// The rounds, four at a time: the word roles rotate (a,b,c,d) -> (b,c,d,a) every round, so
// after four the names line up again and no values move between registers. Each group has
// its inverse beside it.
struct Words {
  uint32_t a, b, c, d;
};

// The keyed E-function: returns l, m, r of the core round.
inline void EFunction(uint32_t in, uint32_t k1, uint32_t k2, uint32_t& l, uint32_t& m,
                      uint32_t& r) {
  m = in + k1;
  r = Rotl32(Rotl32(in, 13) * k2, 5);
  l = kS[m & 511] ^ r;
  m = Rotl32(m, int(r & 31));
  r = Rotl32(r, 5);
  l = Rotl32(l ^ r, int(r & 31));
}

// Forward mixing, rounds 0-3 or 4-7.
inline void ForwardMix(Words& w) {
  auto& [a, b, c, d] = w;
  b = (b ^ kS0[B0(a)]) + kS1[B1(a)];
  c += kS0[B2(a)];
  d ^= kS1[B3(a)];
  a = Rotr32(a, 24) + d;

  c = (c ^ kS0[B0(b)]) + kS1[B1(b)];
  d += kS0[B2(b)];
  a ^= kS1[B3(b)];
  b = Rotr32(b, 24) + c;

  d = (d ^ kS0[B0(c)]) + kS1[B1(c)];
  a += kS0[B2(c)];
  b ^= kS1[B3(c)];
  c = Rotr32(c, 24);

  a = (a ^ kS0[B0(d)]) + kS1[B1(d)];
  b += kS0[B2(d)];
  c ^= kS1[B3(d)];
  d = Rotr32(d, 24);
}
inline void UnForwardMix(Words& w) {
  auto& [a, b, c, d] = w;
  d = Rotl32(d, 24);
  c ^= kS1[B3(d)];
  b -= kS0[B2(d)];
  a = (a - kS1[B1(d)]) ^ kS0[B0(d)];

  c = Rotl32(c, 24);
  b ^= kS1[B3(c)];
  a -= kS0[B2(c)];
  d = (d - kS1[B1(c)]) ^ kS0[B0(c)];

  b = Rotl32(b - c, 24);
  a ^= kS1[B3(b)];
  d -= kS0[B2(b)];
  c = (c - kS1[B1(b)]) ^ kS0[B0(b)];

  a = Rotl32(a - d, 24);
  d ^= kS1[B3(a)];
  c -= kS0[B2(a)];
  b = (b - kS1[B1(a)]) ^ kS0[B0(a)];
}

// Four core rounds from the first half (k: their eight keys).
inline void CoreForward(Words& w, const uint32_t* k) {
  auto& [a, b, c, d] = w;
  uint32_t l, m, r;
  EFunction(a, k[0], k[1], l, m, r);
  a = Rotl32(a, 13), c += m, b += l, d ^= r;
  EFunction(b, k[2], k[3], l, m, r);
  b = Rotl32(b, 13), d += m, c += l, a ^= r;
  EFunction(c, k[4], k[5], l, m, r);
  c = Rotl32(c, 13), a += m, d += l, b ^= r;
  EFunction(d, k[6], k[7], l, m, r);
  d = Rotl32(d, 13), b += m, a += l, c ^= r;
}
inline void UnCoreForward(Words& w, const uint32_t* k) {
  auto& [a, b, c, d] = w;
  uint32_t l, m, r;
  d = Rotr32(d, 13);
  EFunction(d, k[6], k[7], l, m, r);
  b -= m, a -= l, c ^= r;
  c = Rotr32(c, 13);
  EFunction(c, k[4], k[5], l, m, r);
  a -= m, d -= l, b ^= r;
  b = Rotr32(b, 13);
  EFunction(b, k[2], k[3], l, m, r);
  d -= m, c -= l, a ^= r;
  a = Rotr32(a, 13);
  EFunction(a, k[0], k[1], l, m, r);
  c -= m, b -= l, d ^= r;
}

// Four core rounds from the second half, where the roles of l and r swap.
inline void CoreBackward(Words& w, const uint32_t* k) {
  auto& [a, b, c, d] = w;
  uint32_t l, m, r;
  EFunction(a, k[0], k[1], l, m, r);
  a = Rotl32(a, 13), c += m, d += l, b ^= r;
  EFunction(b, k[2], k[3], l, m, r);
  b = Rotl32(b, 13), d += m, a += l, c ^= r;
  EFunction(c, k[4], k[5], l, m, r);
  c = Rotl32(c, 13), a += m, b += l, d ^= r;
  EFunction(d, k[6], k[7], l, m, r);
  d = Rotl32(d, 13), b += m, c += l, a ^= r;
}
inline void UnCoreBackward(Words& w, const uint32_t* k) {
  auto& [a, b, c, d] = w;
  uint32_t l, m, r;
  d = Rotr32(d, 13);
  EFunction(d, k[6], k[7], l, m, r);
  b -= m, c -= l, a ^= r;
  c = Rotr32(c, 13);
  EFunction(c, k[4], k[5], l, m, r);
  a -= m, b -= l, d ^= r;
  b = Rotr32(b, 13);
  EFunction(b, k[2], k[3], l, m, r);
  d -= m, a -= l, c ^= r;
  a = Rotr32(a, 13);
  EFunction(a, k[0], k[1], l, m, r);
  c -= m, d -= l, b ^= r;
}

// Backward mixing, rounds 0-3 or 4-7.
inline void BackwardMix(Words& w) {
  auto& [a, b, c, d] = w;
  b ^= kS1[B0(a)];
  c -= kS0[B3(a)];
  d = (d - kS1[B2(a)]) ^ kS0[B1(a)];
  a = Rotl32(a, 24);

  c ^= kS1[B0(b)];
  d -= kS0[B3(b)];
  a = (a - kS1[B2(b)]) ^ kS0[B1(b)];
  b = Rotl32(b, 24);

  c -= b;
  d ^= kS1[B0(c)];
  a -= kS0[B3(c)];
  b = (b - kS1[B2(c)]) ^ kS0[B1(c)];
  c = Rotl32(c, 24);

  d -= a;
  a ^= kS1[B0(d)];
  b -= kS0[B3(d)];
  c = (c - kS1[B2(d)]) ^ kS0[B1(d)];
  d = Rotl32(d, 24);
}
inline void UnBackwardMix(Words& w) {
  auto& [a, b, c, d] = w;
  d = Rotr32(d, 24);
  c = (c ^ kS0[B1(d)]) + kS1[B2(d)];
  b += kS0[B3(d)];
  a ^= kS1[B0(d)];
  d += a;

  c = Rotr32(c, 24);
  b = (b ^ kS0[B1(c)]) + kS1[B2(c)];
  a += kS0[B3(c)];
  d ^= kS1[B0(c)];
  c += b;

  b = Rotr32(b, 24);
  a = (a ^ kS0[B1(b)]) + kS1[B2(b)];
  d += kS0[B3(b)];
  c ^= kS1[B0(b)];

  a = Rotr32(a, 24);
  d = (d ^ kS0[B1(a)]) + kS1[B2(a)];
  c += kS0[B3(a)];
  b ^= kS1[B0(a)];
}

// N blocks side by side, one round group at a time, so that the S-box loads and multiplies
// of one block overlap the dependency chains of the others.
template <size_t N>
void EncryptN(const uint32_t* k, const uint8_t* in, uint8_t* out) {
  Words w[N];
  for (size_t j = 0; j < N; ++j, in += 16)
    w[j] = {LoadLe32(in) + k[0], LoadLe32(in + 4) + k[1], LoadLe32(in + 8) + k[2],
            LoadLe32(in + 12) + k[3]};
  for (int g = 0; g < 2; ++g)
    for (auto& x : w) ForwardMix(x);
  for (int g = 0; g < 2; ++g)
    for (auto& x : w) CoreForward(x, k + 4 + 8 * g);
  for (int g = 2; g < 4; ++g)
    for (auto& x : w) CoreBackward(x, k + 4 + 8 * g);
  for (int g = 0; g < 2; ++g)
    for (auto& x : w) BackwardMix(x);
  for (size_t j = 0; j < N; ++j, out += 16) {
    StoreLe32(out, w[j].a - k[36]);
    StoreLe32(out + 4, w[j].b - k[37]);
    StoreLe32(out + 8, w[j].c - k[38]);
    StoreLe32(out + 12, w[j].d - k[39]);
  }
}

template <size_t N>
void DecryptN(const uint32_t* k, const uint8_t* in, uint8_t* out) {
  Words w[N];
  for (size_t j = 0; j < N; ++j, in += 16)
    w[j] = {LoadLe32(in) + k[36], LoadLe32(in + 4) + k[37], LoadLe32(in + 8) + k[38],
            LoadLe32(in + 12) + k[39]};
  for (int g = 0; g < 2; ++g)
    for (auto& x : w) UnBackwardMix(x);
  for (int g = 3; g >= 2; --g)
    for (auto& x : w) UnCoreBackward(x, k + 4 + 8 * g);
  for (int g = 1; g >= 0; --g)
    for (auto& x : w) UnCoreForward(x, k + 4 + 8 * g);
  for (int g = 0; g < 2; ++g)
    for (auto& x : w) UnForwardMix(x);
  for (size_t j = 0; j < N; ++j, out += 16) {
    StoreLe32(out, w[j].a - k[0]);
    StoreLe32(out + 4, w[j].b - k[1]);
    StoreLe32(out + 8, w[j].c - k[2]);
    StoreLe32(out + 12, w[j].d - k[3]);
  }
}

}  // namespace

bool TCrypt_mars::ClassSelfCheck() {
  return KnownAnswer("3251b3dede96c2836b9e063938244c99", "3251b3dede96c2836b9e063938244c99",
                     "f94512a9b42d034ec4792204d708a69b") &&
         KnownAnswer("fba167983e7aef22317ce28c02aae1a3e8e5cc3cedbea82a99dbc39ad65e7227",
                     "1344aba4d3c44708a8a72116d4f49384", "ddaca167e36331be2c1c9f5fe38fa4b8");
}

void TCrypt_mars::ExpandKey(const uint32_t* key, size_t n, uint32_t subkeys[40]) {
  SecureBuffer<uint32_t, 47> t;
  for (int i = 0; i < 7; ++i) t[i] = kS[i];
  for (size_t i = 0; i < 39; ++i) t[i + 7] = Rotl32(t[i] ^ t[i + 5], 3) ^ key[i % n] ^ uint32_t(i);
  t[46] = uint32_t(n);
  for (int pass = 0; pass < 7; ++pass) {
    for (int i = 8; i < 47; ++i) t[i] = Rotl32(t[i] + kS[t[i - 1] & 511], 9);
    t[7] = Rotl32(t[7] + kS[t[46] & 511], 9);
  }
  for (int i = 0; i < 40; ++i) subkeys[(7 * i) % 40] = t[i + 7];

  // The multiplication keys must not hold long runs of equal bits.
  for (int i = 5; i <= 35; i += 2) {
    const uint32_t w = subkeys[i] | 3;
    const uint32_t p = Rotl32(kS[265 + (subkeys[i] & 3)], int(subkeys[i + 3] & 31));
    subkeys[i] = w ^ (p & LongRunMask(w));
  }
}

void TCrypt_mars::SetupKey(const uint8_t* key, unsigned bits) {
  const size_t n = bits / 32;
  if (n == 0) throw ECrypt_cipher(messages::kInvalidKeySize);
  SecureBuffer<uint32_t, kMaxKeySize / 32> words;
  for (size_t i = 0; i < n; ++i) words[i] = LoadLe32(key + 4 * i);
  ExpandKey(words, n, ks_->k);
}

void TCrypt_mars::LoadSubkeys(const uint32_t subkeys[40]) {
  std::memcpy(ks_->k, subkeys, sizeof ks_->k);
}

void TCrypt_mars::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  EncryptN<1>(ks_->k, in, out);
}

void TCrypt_mars::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  DecryptN<1>(ks_->k, in, out);
}

void TCrypt_mars::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 32, out += 32) EncryptN<2>(ks_->k, in, out);
  if (count) EncryptN<1>(ks_->k, in, out);
}

void TCrypt_mars::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 32, out += 32) DecryptN<2>(ks_->k, in, out);
  if (count) DecryptN<1>(ks_->k, in, out);
}

template class BlockCipher<TCrypt_mars, TCrypt_blockcipher128, MarsSchedule>;

}  // namespace velt::crypto
