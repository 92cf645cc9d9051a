// CAST-256 (RFC 2612): 12 quad-rounds on big-endian words, the key zero-filled to 256 bits.
#include "crypto/ciphers/cast256.h"

namespace velt::crypto {

namespace {

// The round-function S-boxes, shared with CAST-128.
const uint32_t kS[4][256] = {
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
};

inline uint32_t F1(uint32_t d, uint32_t km, unsigned kr) {
  uint32_t i = Rotl32(km + d, int(kr));
  return ((kS[0][i >> 24] ^ kS[1][(i >> 16) & 0xff]) - kS[2][(i >> 8) & 0xff]) + kS[3][i & 0xff];
}
inline uint32_t F2(uint32_t d, uint32_t km, unsigned kr) {
  uint32_t i = Rotl32(km ^ d, int(kr));
  return ((kS[0][i >> 24] - kS[1][(i >> 16) & 0xff]) + kS[2][(i >> 8) & 0xff]) ^ kS[3][i & 0xff];
}
inline uint32_t F3(uint32_t d, uint32_t km, unsigned kr) {
  uint32_t i = Rotl32(km - d, int(kr));
  return ((kS[0][i >> 24] + kS[1][(i >> 16) & 0xff]) ^ kS[2][(i >> 8) & 0xff]) - kS[3][i & 0xff];
}

struct Words {
  uint32_t a, b, c, d;
};

// Q and its inverse QBAR; each undoes the other under the same keys.
inline void Quad(Words& w, const uint32_t* km, const uint8_t* kr) {
  w.c ^= F1(w.d, km[0], kr[0]);
  w.b ^= F2(w.c, km[1], kr[1]);
  w.a ^= F3(w.b, km[2], kr[2]);
  w.d ^= F1(w.a, km[3], kr[3]);
}
inline void QuadBar(Words& w, const uint32_t* km, const uint8_t* kr) {
  w.d ^= F1(w.a, km[3], kr[3]);
  w.a ^= F3(w.b, km[2], kr[2]);
  w.b ^= F2(w.c, km[1], kr[1]);
  w.c ^= F1(w.d, km[0], kr[0]);
}

// N blocks side by side, one quad-round at a time, so that the S-box loads of one block
// overlap the dependency chain of the others.
template <size_t N>
void EncryptRounds(const Cast256Schedule& ks, Words (&w)[N]) {
  for (int i = 0; i < 6; ++i)
    for (auto& x : w) Quad(x, ks.km[i], ks.kr[i]);
  for (int i = 6; i < 12; ++i)
    for (auto& x : w) QuadBar(x, ks.km[i], ks.kr[i]);
}

template <size_t N>
void EncryptN(const Cast256Schedule& ks, const uint8_t* in, uint8_t* out) {
  Words w[N];
  for (size_t j = 0; j < N; ++j, in += 16)
    w[j] = {LoadBe32(in), LoadBe32(in + 4), LoadBe32(in + 8), LoadBe32(in + 12)};
  EncryptRounds(ks, w);
  for (size_t j = 0; j < N; ++j, out += 16) {
    StoreBe32(out, w[j].a);
    StoreBe32(out + 4, w[j].b);
    StoreBe32(out + 8, w[j].c);
    StoreBe32(out + 12, w[j].d);
  }
}

template <size_t N>
void DecryptN(const Cast256Schedule& ks, const uint8_t* in, uint8_t* out) {
  Words w[N];
  for (size_t j = 0; j < N; ++j, in += 16)
    w[j] = {LoadBe32(in), LoadBe32(in + 4), LoadBe32(in + 8), LoadBe32(in + 12)};
  for (int i = 11; i >= 6; --i)
    for (auto& x : w) Quad(x, ks.km[i], ks.kr[i]);
  for (int i = 5; i >= 0; --i)
    for (auto& x : w) QuadBar(x, ks.km[i], ks.kr[i]);
  for (size_t j = 0; j < N; ++j, out += 16) {
    StoreBe32(out, w[j].a);
    StoreBe32(out + 4, w[j].b);
    StoreBe32(out + 8, w[j].c);
    StoreBe32(out + 12, w[j].d);
  }
}

}  // namespace

bool TCrypt_cast256::ClassSelfCheck() {
  return KnownAnswer("2342bb9efa38542c0af75647f29f615d", "0000000000000000000000000c9b2807",
                     "963a8a50ceb54d08e0dee0f1d0413dcf");
}

void TCrypt_cast256::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 32> padded;
  std::memcpy(padded, key, bits / 8);
  SecureBuffer<uint32_t, 8> k;  // kappa = A..H
  for (int i = 0; i < 8; ++i) k[i] = LoadBe32(padded + 4 * i);

  // The masking and rotation constants of the key schedule's 24 octaves.
  uint32_t cm = 0x5A827999;        // 2^30 * sqrt(2)
  const uint32_t mm = 0x6ED9EBA1;  // 2^30 * sqrt(3)
  unsigned cr = 19;
  const unsigned mr = 17;
  auto octave = [&] {
    uint32_t tm[8];
    unsigned tr[8];
    for (int j = 0; j < 8; ++j) {
      tm[j] = cm;
      cm += mm;
      tr[j] = cr;
      cr = (cr + mr) % 32;
    }
    // G, F, E, D, C, B, A, H in turn, each from its right neighbour (cyclically).
    k[6] ^= F1(k[7], tm[0], tr[0]);
    k[5] ^= F2(k[6], tm[1], tr[1]);
    k[4] ^= F3(k[5], tm[2], tr[2]);
    k[3] ^= F1(k[4], tm[3], tr[3]);
    k[2] ^= F2(k[3], tm[4], tr[4]);
    k[1] ^= F3(k[2], tm[5], tr[5]);
    k[0] ^= F1(k[1], tm[6], tr[6]);
    k[7] ^= F2(k[0], tm[7], tr[7]);
  };
  for (int i = 0; i < 12; ++i) {
    octave();
    octave();
    ks_->kr[i][0] = uint8_t(k[0] & 31);
    ks_->kr[i][1] = uint8_t(k[2] & 31);
    ks_->kr[i][2] = uint8_t(k[4] & 31);
    ks_->kr[i][3] = uint8_t(k[6] & 31);
    ks_->km[i][0] = k[7];
    ks_->km[i][1] = k[5];
    ks_->km[i][2] = k[3];
    ks_->km[i][3] = k[1];
  }
}

void TCrypt_cast256::EncryptWords(uint32_t (&w)[4]) const {
  Words x[1] = {{w[0], w[1], w[2], w[3]}};
  EncryptRounds(*ks_, x);
  w[0] = x[0].a, w[1] = x[0].b, w[2] = x[0].c, w[3] = x[0].d;
}

void TCrypt_cast256::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  EncryptN<1>(*ks_, in, out);
}

void TCrypt_cast256::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  DecryptN<1>(*ks_, in, out);
}

void TCrypt_cast256::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 32, out += 32) EncryptN<2>(*ks_, in, out);
  if (count) EncryptN<1>(*ks_, in, out);
}

void TCrypt_cast256::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 32, out += 32) DecryptN<2>(*ks_, in, out);
  if (count) DecryptN<1>(*ks_, in, out);
}

template class BlockCipher<TCrypt_cast256, TCrypt_blockcipher128, Cast256Schedule>;

}  // namespace velt::crypto
