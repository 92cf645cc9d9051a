// Serpent (Anderson, Biham, Knudsen, 1998): 32 rounds, bitsliced over four 32-bit words.
#include "crypto/ciphers/serpent.h"

#include "crypto/ciphers/serpent_sbox_circuits.h"

namespace velt::crypto {

namespace {

namespace sc = serpent_circuits;

const uint8_t kSbox[8][16] = {
    {
#include "crypto/tables/generated/serpent_sboxes_S0.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S1.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S2.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S3.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S4.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S5.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S6.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S7.inc"
    },
};
const uint8_t kSboxInv[8][16] = {
    {
#include "crypto/tables/generated/serpent_sboxes_S0INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S1INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S2INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S3INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S4INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S5INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S6INV.inc"
    },
    {
#include "crypto/tables/generated/serpent_sboxes_S7INV.inc"
    },
};

constexpr uint32_t kPhi = 0x9e3779b9;

#if defined(__GNUC__) || defined(__clang__)
// Four blocks side by side, word i of each block in lane n of vector i: SSE2 on x86-64,
// NEON on ARM, plain code elsewhere.
#define VELT_SERPENT_VECTORS 1
typedef uint32_t V4 __attribute__((vector_size(16)));
#endif

template <class W>
inline W Rol(W x, int n) {
  return (x << n) | (x >> (32 - n));
}
template <class W>
inline W Ror(W x, int n) {
  return (x >> n) | (x << (32 - n));
}

template <int I, class W>
inline void Sbox(W& a, W& b, W& c, W& d) {
  if constexpr (I == 0) sc::Sbox0(a, b, c, d);
  if constexpr (I == 1) sc::Sbox1(a, b, c, d);
  if constexpr (I == 2) sc::Sbox2(a, b, c, d);
  if constexpr (I == 3) sc::Sbox3(a, b, c, d);
  if constexpr (I == 4) sc::Sbox4(a, b, c, d);
  if constexpr (I == 5) sc::Sbox5(a, b, c, d);
  if constexpr (I == 6) sc::Sbox6(a, b, c, d);
  if constexpr (I == 7) sc::Sbox7(a, b, c, d);
}

template <int I, class W>
inline void SboxInv(W& a, W& b, W& c, W& d) {
  if constexpr (I == 0) sc::Sbox0Inv(a, b, c, d);
  if constexpr (I == 1) sc::Sbox1Inv(a, b, c, d);
  if constexpr (I == 2) sc::Sbox2Inv(a, b, c, d);
  if constexpr (I == 3) sc::Sbox3Inv(a, b, c, d);
  if constexpr (I == 4) sc::Sbox4Inv(a, b, c, d);
  if constexpr (I == 5) sc::Sbox5Inv(a, b, c, d);
  if constexpr (I == 6) sc::Sbox6Inv(a, b, c, d);
  if constexpr (I == 7) sc::Sbox7Inv(a, b, c, d);
}

template <class W>
inline void SboxAny(int i, W& a, W& b, W& c, W& d) {
  switch (i) {
    case 0:
      Sbox<0>(a, b, c, d);
      break;
    case 1:
      Sbox<1>(a, b, c, d);
      break;
    case 2:
      Sbox<2>(a, b, c, d);
      break;
    case 3:
      Sbox<3>(a, b, c, d);
      break;
    case 4:
      Sbox<4>(a, b, c, d);
      break;
    case 5:
      Sbox<5>(a, b, c, d);
      break;
    case 6:
      Sbox<6>(a, b, c, d);
      break;
    default:
      Sbox<7>(a, b, c, d);
      break;
  }
}

template <class W>
inline void SboxInvAny(int i, W& a, W& b, W& c, W& d) {
  switch (i) {
    case 0:
      SboxInv<0>(a, b, c, d);
      break;
    case 1:
      SboxInv<1>(a, b, c, d);
      break;
    case 2:
      SboxInv<2>(a, b, c, d);
      break;
    case 3:
      SboxInv<3>(a, b, c, d);
      break;
    case 4:
      SboxInv<4>(a, b, c, d);
      break;
    case 5:
      SboxInv<5>(a, b, c, d);
      break;
    case 6:
      SboxInv<6>(a, b, c, d);
      break;
    default:
      SboxInv<7>(a, b, c, d);
      break;
  }
}

template <class W>
inline void Transform(W& a, W& b, W& c, W& d) {
  a = Rol(a, 13);
  c = Rol(c, 3);
  b ^= a ^ c;
  d ^= c ^ (a << 3);
  b = Rol(b, 1);
  d = Rol(d, 7);
  a ^= b ^ d;
  c ^= d ^ (b << 7);
  a = Rol(a, 5);
  c = Rol(c, 22);
}

template <class W>
inline void TransformInv(W& a, W& b, W& c, W& d) {
  c = Ror(c, 22);
  a = Ror(a, 5);
  c ^= d ^ (b << 7);
  a ^= b ^ d;
  d = Ror(d, 7);
  b = Ror(b, 1);
  d ^= c ^ (a << 3);
  b ^= a ^ c;
  c = Ror(c, 3);
  a = Ror(a, 13);
}

template <class W>
inline void AddKey(W& a, W& b, W& c, W& d, const uint32_t* k) {
  a ^= k[0];
  b ^= k[1];
  c ^= k[2];
  d ^= k[3];
}

template <int I, class W>
inline void EncRound(W& a, W& b, W& c, W& d, const uint32_t (*k)[4], int r) {
  AddKey(a, b, c, d, k[r + I]);
  Sbox<I>(a, b, c, d);
  Transform(a, b, c, d);
}

template <int I, class W>
inline void DecRound(W& a, W& b, W& c, W& d, const uint32_t (*k)[4], int r) {
  TransformInv(a, b, c, d);
  SboxInv<I>(a, b, c, d);
  AddKey(a, b, c, d, k[r + I]);
}

// The state is copied into locals: through the references it could alias the key words, and
// the compiler would then keep it in memory.
template <class W>
VELT_FORCE_INLINE void EncryptState(W& a0, W& b0, W& c0, W& d0, const uint32_t (*k)[4]) {
  W a = a0, b = b0, c = c0, d = d0;
  for (int r = 0; r < 24; r += 8) {
    EncRound<0>(a, b, c, d, k, r);
    EncRound<1>(a, b, c, d, k, r);
    EncRound<2>(a, b, c, d, k, r);
    EncRound<3>(a, b, c, d, k, r);
    EncRound<4>(a, b, c, d, k, r);
    EncRound<5>(a, b, c, d, k, r);
    EncRound<6>(a, b, c, d, k, r);
    EncRound<7>(a, b, c, d, k, r);
  }
  EncRound<0>(a, b, c, d, k, 24);
  EncRound<1>(a, b, c, d, k, 24);
  EncRound<2>(a, b, c, d, k, 24);
  EncRound<3>(a, b, c, d, k, 24);
  EncRound<4>(a, b, c, d, k, 24);
  EncRound<5>(a, b, c, d, k, 24);
  EncRound<6>(a, b, c, d, k, 24);
  // the last round has a key addition in place of the linear transformation
  AddKey(a, b, c, d, k[31]);
  Sbox<7>(a, b, c, d);
  AddKey(a, b, c, d, k[32]);
  a0 = a, b0 = b, c0 = c, d0 = d;
}

template <class W>
inline void DecryptState(W& a0, W& b0, W& c0, W& d0, const uint32_t (*k)[4]) {
  W a = a0, b = b0, c = c0, d = d0;
  AddKey(a, b, c, d, k[32]);
  SboxInv<7>(a, b, c, d);
  AddKey(a, b, c, d, k[31]);
  DecRound<6>(a, b, c, d, k, 24);
  DecRound<5>(a, b, c, d, k, 24);
  DecRound<4>(a, b, c, d, k, 24);
  DecRound<3>(a, b, c, d, k, 24);
  DecRound<2>(a, b, c, d, k, 24);
  DecRound<1>(a, b, c, d, k, 24);
  DecRound<0>(a, b, c, d, k, 24);
  for (int r = 16; r >= 0; r -= 8) {
    DecRound<7>(a, b, c, d, k, r);
    DecRound<6>(a, b, c, d, k, r);
    DecRound<5>(a, b, c, d, k, r);
    DecRound<4>(a, b, c, d, k, r);
    DecRound<3>(a, b, c, d, k, r);
    DecRound<2>(a, b, c, d, k, r);
    DecRound<1>(a, b, c, d, k, r);
    DecRound<0>(a, b, c, d, k, r);
  }
  a0 = a, b0 = b, c0 = c, d0 = d;
}

#if VELT_SERPENT_VECTORS
inline V4 Load4(const uint8_t* in) {
  return V4{LoadLe32(in), LoadLe32(in + 16), LoadLe32(in + 32), LoadLe32(in + 48)};
}
inline void Store4(uint8_t* out, V4 v) {
  for (int n = 0; n < 4; ++n) StoreLe32(out + 16 * n, v[n]);
}
#endif

// Each circuit run once over the 16 inputs at once: bit t of word k is bit k of input t.
template <class Apply>
bool CircuitMatches(const uint8_t* table, Apply apply) {
  uint32_t x[4] = {0xAAAA, 0xCCCC, 0xF0F0, 0xFF00};
  apply(x[0], x[1], x[2], x[3]);
  for (int t = 0; t < 16; ++t) {
    int y = 0;
    for (int k = 0; k < 4; ++k) y |= int(x[k] >> t & 1) << k;
    if (y != table[t]) return false;
  }
  return true;
}

}  // namespace

bool TCrypt_serpent::CircuitsMatchTables() {
  for (int i = 0; i < 8; ++i) {
    if (!CircuitMatches(kSbox[i], [i](uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
          SboxAny(i, a, b, c, d);
        }))
      return false;
    if (!CircuitMatches(kSboxInv[i], [i](uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
          SboxInvAny(i, a, b, c, d);
        }))
      return false;
  }
  return true;
}

bool TCrypt_serpent::ClassSelfCheck() {
  return CircuitsMatchTables() &&
         KnownAnswer("ffeeddccbbaa99887766554433221100", "1032547698badcfeefcdab8967452301",
                     "d5baa00a4bb9d8a7c981c8dc90d89d92") &&
         KnownAnswer("00112233445566778899aabbccddeeffffeeddccbbaa99887766554433221100",
                     "1032547698badcfeefcdab8967452301", "93df9a3cafe387bd999eebe393a17fca");
}

void TCrypt_serpent::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 32> k;
  if (bits >= 8) std::memcpy(k, key, bits / 8);  // a 4-bit key may come without bytes
  SecureBuffer<uint32_t, 140> w;
  for (int i = 0; i < 8; ++i) w[i] = LoadLe32(k + 4 * i);
  // A short key is padded with a single 1 bit just above its last bit.
  if (bits < 256) w[bits / 32] |= 1u << (bits % 32);
  for (uint32_t i = 0; i < 132; ++i)
    w[i + 8] = Rol(w[i] ^ w[i + 3] ^ w[i + 5] ^ w[i + 7] ^ kPhi ^ i, 11);
  for (int r = 0; r < 33; ++r) {
    const uint32_t* p = w + 8 + 4 * r;
    uint32_t a = p[0], b = p[1], c = p[2], d = p[3];
    SboxAny((35 - r) % 8, a, b, c, d);
    ks_->k[r][0] = a;
    ks_->k[r][1] = b;
    ks_->k[r][2] = c;
    ks_->k[r][3] = d;
  }
}

void TCrypt_serpent::EncryptWords(uint32_t (&w)[4]) const {
  EncryptState(w[0], w[1], w[2], w[3], ks_->k);
}

void TCrypt_serpent::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  uint32_t a = LoadLe32(in), b = LoadLe32(in + 4), c = LoadLe32(in + 8), d = LoadLe32(in + 12);
  EncryptState(a, b, c, d, ks_->k);
  StoreLe32(out, a);
  StoreLe32(out + 4, b);
  StoreLe32(out + 8, c);
  StoreLe32(out + 12, d);
}

void TCrypt_serpent::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  uint32_t a = LoadLe32(in), b = LoadLe32(in + 4), c = LoadLe32(in + 8), d = LoadLe32(in + 12);
  DecryptState(a, b, c, d, ks_->k);
  StoreLe32(out, a);
  StoreLe32(out + 4, b);
  StoreLe32(out + 8, c);
  StoreLe32(out + 12, d);
}

void TCrypt_serpent::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
#if VELT_SERPENT_VECTORS
  for (; count >= 4; count -= 4, in += 64, out += 64) {
    V4 a = Load4(in), b = Load4(in + 4), c = Load4(in + 8), d = Load4(in + 12);
    EncryptState(a, b, c, d, ks_->k);
    Store4(out, a);
    Store4(out + 4, b);
    Store4(out + 8, c);
    Store4(out + 12, d);
  }
#endif
  for (; count > 0; --count, in += 16, out += 16) EncryptBlockRaw(in, out);
}

void TCrypt_serpent::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
#if VELT_SERPENT_VECTORS
  for (; count >= 4; count -= 4, in += 64, out += 64) {
    V4 a = Load4(in), b = Load4(in + 4), c = Load4(in + 8), d = Load4(in + 12);
    DecryptState(a, b, c, d, ks_->k);
    Store4(out, a);
    Store4(out + 4, b);
    Store4(out + 8, c);
    Store4(out + 12, d);
  }
#endif
  for (; count > 0; --count, in += 16, out += 16) DecryptBlockRaw(in, out);
}

template class BlockCipher<TCrypt_serpent, TCrypt_blockcipher128, SerpentSchedule>;

}  // namespace velt::crypto
