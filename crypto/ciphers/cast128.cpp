// CAST-128 (RFC 2144): 12 or 16 rounds, key zero-filled to 16 bytes, big-endian halves.
#include "crypto/ciphers/cast128.h"

#include <algorithm>
#include <bit>

namespace velt::crypto {

namespace {

// S1..S4 serve the rounds, S5..S8 the key schedule.
const uint32_t kS[8][256] = {
    {
#include "crypto/tables/generated/cast_sboxes_S1.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S2.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S3.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S4.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S5.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S6.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S7.inc"
    },
    {
#include "crypto/tables/generated/cast_sboxes_S8.inc"
    },
};
const auto& S1 = kS[0];
const auto& S2 = kS[1];
const auto& S3 = kS[2];
const auto& S4 = kS[3];
const auto& S5 = kS[4];
const auto& S6 = kS[5];
const auto& S7 = kS[6];
const auto& S8 = kS[7];

// The three round function types; round i (0-based) uses type i mod 3. The rotations are
// stored 16 more than the standard's, which moves the bytes for S1 and S2 (needed first) to
// the two low bytes, where they are extracted in one step.
inline uint32_t F1(uint32_t d, const Cast128Schedule& k, int i) {
  uint64_t x = std::rotl(k.km[i] + d, int(k.kr[i]));
  return ((S1[x >> 8 & 255] ^ S2[x & 255]) - S3[x >> 24]) + S4[x >> 16 & 255];
}
inline uint32_t F2(uint32_t d, const Cast128Schedule& k, int i) {
  uint64_t x = std::rotl(k.km[i] ^ d, int(k.kr[i]));
  return ((S1[x >> 8 & 255] - S2[x & 255]) + S3[x >> 24]) ^ S4[x >> 16 & 255];
}
inline uint32_t F3(uint32_t d, const Cast128Schedule& k, int i) {
  uint64_t x = std::rotl(k.km[i] - d, int(k.kr[i]));
  return ((S1[x >> 8 & 255] + S2[x & 255]) ^ S3[x >> 24]) - S4[x >> 16 & 255];
}

// One round over N blocks: a ^= F(b).
template <int N, class F>
inline void Round(uint32_t* a, const uint32_t* b, F f, const Cast128Schedule& k, int i) {
  for (int j = 0; j < N; ++j) a[j] ^= f(b[j], k, i);
}

// N independent blocks, round by round; the halves are swapped in place, so after an even
// number of rounds l and r hold L and R again and leave as R, L.
template <int N>
inline void EncryptHalves(const Cast128Schedule& k, uint32_t* l, uint32_t* r) {
  for (int i = 0; i < 12; i += 6) {
    Round<N>(l, r, F1, k, i);
    Round<N>(r, l, F2, k, i + 1);
    Round<N>(l, r, F3, k, i + 2);
    Round<N>(r, l, F1, k, i + 3);
    Round<N>(l, r, F2, k, i + 4);
    Round<N>(r, l, F3, k, i + 5);
  }
  if (k.rounds > 12) {
    Round<N>(l, r, F1, k, 12);
    Round<N>(r, l, F2, k, 13);
    Round<N>(l, r, F3, k, 14);
    Round<N>(r, l, F1, k, 15);
  }
}

template <int N>
inline void EncryptN(const Cast128Schedule& k, const uint8_t* in, uint8_t* out) {
  uint32_t l[N], r[N];
  for (int j = 0; j < N; ++j) l[j] = LoadBe32(in + 8 * j), r[j] = LoadBe32(in + 8 * j + 4);
  EncryptHalves<N>(k, l, r);
  for (int j = 0; j < N; ++j) StoreBe32(out + 8 * j, r[j]), StoreBe32(out + 8 * j + 4, l[j]);
}

template <int N>
inline void DecryptN(const Cast128Schedule& k, const uint8_t* in, uint8_t* out) {
  uint32_t l[N], r[N];
  for (int j = 0; j < N; ++j) l[j] = LoadBe32(in + 8 * j), r[j] = LoadBe32(in + 8 * j + 4);
  if (k.rounds > 12) {
    Round<N>(l, r, F1, k, 15);
    Round<N>(r, l, F3, k, 14);
    Round<N>(l, r, F2, k, 13);
    Round<N>(r, l, F1, k, 12);
  }
  for (int i = 6; i >= 0; i -= 6) {
    Round<N>(l, r, F3, k, i + 5);
    Round<N>(r, l, F2, k, i + 4);
    Round<N>(l, r, F1, k, i + 3);
    Round<N>(r, l, F3, k, i + 2);
    Round<N>(l, r, F2, k, i + 1);
    Round<N>(r, l, F1, k, i);
  }
  for (int j = 0; j < N; ++j) StoreBe32(out + 8 * j, r[j]), StoreBe32(out + 8 * j + 4, l[j]);
}

}  // namespace

bool TCrypt_cast128::ClassSelfCheck() {
  return KnownAnswer("0123456712345678234567893456789a", "0123456789abcdef", "238b4fe5847e44b2");
}

void TCrypt_cast128::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 16> bytes;
  std::copy_n(key, bits / 8, bytes.data());
  SecureBuffer<uint32_t, 4> x;
  SecureBuffer<uint32_t, 4> z;
  SecureBuffer<uint32_t, 32> k;
  for (int i = 0; i < 4; ++i) x[i] = LoadBe32(bytes + 4 * i);
  // Byte n of the 16-byte x or z, most significant first.
  auto X = [&](int n) { return x[n >> 2] >> (24 - 8 * (n & 3)) & 0xff; };
  auto Z = [&](int n) { return z[n >> 2] >> (24 - 8 * (n & 3)) & 0xff; };
  auto zFromX = [&] {
    z[0] = x[0] ^ S5[X(0xD)] ^ S6[X(0xF)] ^ S7[X(0xC)] ^ S8[X(0xE)] ^ S7[X(0x8)];
    z[1] = x[2] ^ S5[Z(0x0)] ^ S6[Z(0x2)] ^ S7[Z(0x1)] ^ S8[Z(0x3)] ^ S8[X(0xA)];
    z[2] = x[3] ^ S5[Z(0x7)] ^ S6[Z(0x6)] ^ S7[Z(0x5)] ^ S8[Z(0x4)] ^ S5[X(0x9)];
    z[3] = x[1] ^ S5[Z(0xA)] ^ S6[Z(0x9)] ^ S7[Z(0xB)] ^ S8[Z(0x8)] ^ S6[X(0xB)];
  };
  auto xFromZ = [&] {
    x[0] = z[2] ^ S5[Z(0x5)] ^ S6[Z(0x7)] ^ S7[Z(0x4)] ^ S8[Z(0x6)] ^ S7[Z(0x0)];
    x[1] = z[0] ^ S5[X(0x0)] ^ S6[X(0x2)] ^ S7[X(0x1)] ^ S8[X(0x3)] ^ S8[Z(0x2)];
    x[2] = z[1] ^ S5[X(0x7)] ^ S6[X(0x6)] ^ S7[X(0x5)] ^ S8[X(0x4)] ^ S5[Z(0x1)];
    x[3] = z[3] ^ S5[X(0xA)] ^ S6[X(0x9)] ^ S7[X(0xB)] ^ S8[X(0x8)] ^ S6[Z(0x3)];
  };
  // Sixteen masking keys, then sixteen more whose low five bits are the rotations.
  for (uint32_t* o = k; o != k + 32; o += 16) {
    zFromX();
    o[0] = S5[Z(0x8)] ^ S6[Z(0x9)] ^ S7[Z(0x7)] ^ S8[Z(0x6)] ^ S5[Z(0x2)];
    o[1] = S5[Z(0xA)] ^ S6[Z(0xB)] ^ S7[Z(0x5)] ^ S8[Z(0x4)] ^ S6[Z(0x6)];
    o[2] = S5[Z(0xC)] ^ S6[Z(0xD)] ^ S7[Z(0x3)] ^ S8[Z(0x2)] ^ S7[Z(0x9)];
    o[3] = S5[Z(0xE)] ^ S6[Z(0xF)] ^ S7[Z(0x1)] ^ S8[Z(0x0)] ^ S8[Z(0xC)];
    xFromZ();
    o[4] = S5[X(0x3)] ^ S6[X(0x2)] ^ S7[X(0xC)] ^ S8[X(0xD)] ^ S5[X(0x8)];
    o[5] = S5[X(0x1)] ^ S6[X(0x0)] ^ S7[X(0xE)] ^ S8[X(0xF)] ^ S6[X(0xD)];
    o[6] = S5[X(0x7)] ^ S6[X(0x6)] ^ S7[X(0x8)] ^ S8[X(0x9)] ^ S7[X(0x3)];
    o[7] = S5[X(0x5)] ^ S6[X(0x4)] ^ S7[X(0xA)] ^ S8[X(0xB)] ^ S8[X(0x7)];
    zFromX();
    o[8] = S5[Z(0x3)] ^ S6[Z(0x2)] ^ S7[Z(0xC)] ^ S8[Z(0xD)] ^ S5[Z(0x9)];
    o[9] = S5[Z(0x1)] ^ S6[Z(0x0)] ^ S7[Z(0xE)] ^ S8[Z(0xF)] ^ S6[Z(0xC)];
    o[10] = S5[Z(0x7)] ^ S6[Z(0x6)] ^ S7[Z(0x8)] ^ S8[Z(0x9)] ^ S7[Z(0x2)];
    o[11] = S5[Z(0x5)] ^ S6[Z(0x4)] ^ S7[Z(0xA)] ^ S8[Z(0xB)] ^ S8[Z(0x6)];
    xFromZ();
    o[12] = S5[X(0x8)] ^ S6[X(0x9)] ^ S7[X(0x7)] ^ S8[X(0x6)] ^ S5[X(0x3)];
    o[13] = S5[X(0xA)] ^ S6[X(0xB)] ^ S7[X(0x5)] ^ S8[X(0x4)] ^ S6[X(0x7)];
    o[14] = S5[X(0xC)] ^ S6[X(0xD)] ^ S7[X(0x3)] ^ S8[X(0x2)] ^ S7[X(0x8)];
    o[15] = S5[X(0xE)] ^ S6[X(0xF)] ^ S7[X(0x1)] ^ S8[X(0x0)] ^ S8[X(0xD)];
  }
  for (int i = 0; i < 16; ++i) {
    ks_->km[i] = k[i];
    ks_->kr[i] = (k[16 + i] + 16) & 31;
  }
  ks_->rounds = bits <= 80 ? 12 : 16;
}

void TCrypt_cast128::EncryptWords(uint32_t (&w)[2]) const {
  uint32_t l = w[0], r = w[1];
  EncryptHalves<1>(*ks_, &l, &r);
  w[0] = r;
  w[1] = l;
}

void TCrypt_cast128::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  EncryptN<1>(*ks_, in, out);
}

void TCrypt_cast128::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  DecryptN<1>(*ks_, in, out);
}

void TCrypt_cast128::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 16, out += 16) EncryptN<2>(*ks_, in, out);
  if (count) EncryptN<1>(*ks_, in, out);
}

void TCrypt_cast128::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 16, out += 16) DecryptN<2>(*ks_, in, out);
  if (count) DecryptN<1>(*ks_, in, out);
}

template class BlockCipher<TCrypt_cast128, TCrypt_blockcipher64, Cast128Schedule>;

}  // namespace velt::crypto
