// DES (FIPS 46-3) and triple DES in encrypt-decrypt-encrypt form (SP 800-67).
#include "crypto/ciphers/des.h"

#include <algorithm>
#include <array>
#include <bit>

namespace velt::crypto {

namespace {

// The standard's tables: 1-based bit numbers, bit 1 being the most significant.
constexpr uint8_t kIP[64] = {
#include "crypto/tables/generated/des_tables_IP.inc"
};
constexpr uint8_t kFP[64] = {
#include "crypto/tables/generated/des_tables_FP.inc"
};
constexpr uint8_t kP[32] = {
#include "crypto/tables/generated/des_tables_P.inc"
};
constexpr uint8_t kPC1[56] = {
#include "crypto/tables/generated/des_tables_PC1.inc"
};
constexpr uint8_t kPC2[48] = {
#include "crypto/tables/generated/des_tables_PC2.inc"
};
constexpr uint8_t kShifts[16] = {
#include "crypto/tables/generated/des_tables_SHIFTS.inc"
};
constexpr uint8_t kS[8][64] = {
    {
#include "crypto/tables/generated/des_tables_S1.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S2.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S3.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S4.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S5.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S6.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S7.inc"
    },
    {
#include "crypto/tables/generated/des_tables_S8.inc"
    },
};

// Bit `pos` (1-based from the top) of a `width`-bit value.
constexpr uint64_t BitAt(uint64_t v, int width, int pos) {
  return (v >> (width - pos)) & 1;
}

// Output bit i+1 is input bit table[i].
constexpr uint64_t Permute(uint64_t in, int inWidth, const uint8_t* table, int outWidth) {
  uint64_t out = 0;
  for (int i = 0; i < outWidth; ++i) out = out << 1 | BitAt(in, inWidth, table[i]);
  return out;
}

// The rounds keep both halves rotated left by one bit, so that each S-box's six input bits
// (E's overlapping groups) sit in one byte of either the half or the half rotated by four.
// SP[i][x] is then P applied to S-box i's output for input x, in the same rotated form.
constexpr std::array<std::array<uint32_t, 64>, 8> MakeSp() {
  std::array<std::array<uint32_t, 64>, 8> sp{};
  for (int i = 0; i < 8; ++i) {
    for (int x = 0; x < 64; ++x) {
      int row = (x >> 4 & 2) | (x & 1), col = x >> 1 & 15;
      uint32_t s = uint32_t(kS[i][row * 16 + col]) << (28 - 4 * i);
      sp[size_t(i)][size_t(x)] = std::rotl(uint32_t(Permute(s, 32, kP, 32)), 1);
    }
  }
  return sp;
}
constexpr auto kSp = MakeSp();

// IP as a sequence of bit-group swaps; leaves the halves in the rotated form of the rounds.
constexpr void InitialPermutation(uint32_t& l, uint32_t& r) {
  uint32_t w = ((l >> 4) ^ r) & 0x0f0f0f0f;
  r ^= w;
  l ^= w << 4;
  w = ((l >> 16) ^ r) & 0x0000ffff;
  r ^= w;
  l ^= w << 16;
  w = ((r >> 2) ^ l) & 0x33333333;
  l ^= w;
  r ^= w << 2;
  w = ((r >> 8) ^ l) & 0x00ff00ff;
  l ^= w;
  r ^= w << 8;
  r = std::rotl(r, 1);
  w = (l ^ r) & 0xaaaaaaaa;
  l ^= w;
  r ^= w;
  l = std::rotl(l, 1);
}

// The same steps undone in reverse order: FP is the inverse of IP.
constexpr void FinalPermutation(uint32_t& l, uint32_t& r) {
  l = std::rotr(l, 1);
  uint32_t w = (l ^ r) & 0xaaaaaaaa;
  l ^= w;
  r ^= w;
  r = std::rotr(r, 1);
  w = ((r >> 8) ^ l) & 0x00ff00ff;
  l ^= w;
  r ^= w << 8;
  w = ((r >> 2) ^ l) & 0x33333333;
  l ^= w;
  r ^= w << 2;
  w = ((l >> 16) ^ r) & 0x0000ffff;
  r ^= w;
  l ^= w << 16;
  w = ((l >> 4) ^ r) & 0x0f0f0f0f;
  r ^= w;
  l ^= w << 4;
}

// The swap networks must be the standard's permutations (and their rotated halves what the
// SP tables expect); both are linear, so single bits prove it.
constexpr bool SwapNetworksMatchTables() {
  for (int b = 0; b < 64; ++b) {
    uint64_t x = uint64_t(1) << b;
    uint32_t l = uint32_t(x >> 32), r = uint32_t(x);
    InitialPermutation(l, r);
    uint64_t ip = Permute(x, 64, kIP, 64);
    if (l != std::rotl(uint32_t(ip >> 32), 1) || r != std::rotl(uint32_t(ip), 1)) return false;
    l = std::rotl(uint32_t(x >> 32), 1);
    r = std::rotl(uint32_t(x), 1);
    FinalPermutation(l, r);
    if ((uint64_t(l) << 32 | r) != Permute(x, 64, kFP, 64)) return false;
  }
  return true;
}
static_assert(SwapNetworksMatchTables());

inline uint32_t F(uint32_t r, const uint32_t* k) {
  uint32_t a = std::rotr(r, 4) ^ k[0], b = r ^ k[1];
  return kSp[0][a >> 24 & 63] ^ kSp[2][a >> 16 & 63] ^ kSp[4][a >> 8 & 63] ^ kSp[6][a & 63] ^
         kSp[1][b >> 24 & 63] ^ kSp[3][b >> 16 & 63] ^ kSp[5][b >> 8 & 63] ^ kSp[7][b & 63];
}

// 16 rounds per pass. Leaving the halves swapped after each pass is the standard's final swap,
// and between passes it is also what the cancelled FP/IP pair would have left.
template <int Passes>
inline void CryptWords(const uint32_t* k, uint32_t& l0, uint32_t& r0) {
  uint32_t l = l0, r = r0;
  InitialPermutation(l, r);
  for (int p = 0; p < Passes; ++p) {
    for (int i = 0; i < 8; ++i, k += 4) {
      l ^= F(r, k);
      r ^= F(l, k + 2);
    }
    std::swap(l, r);
  }
  FinalPermutation(l, r);
  l0 = l, r0 = r;
}

template <int Passes>
inline void CryptOne(const uint32_t* k, const uint8_t* in, uint8_t* out) {
  uint32_t l = LoadBe32(in), r = LoadBe32(in + 4);
  CryptWords<Passes>(k, l, r);
  StoreBe32(out, l);
  StoreBe32(out + 4, r);
}

// Two independent blocks, so that one block's table loads overlap the other's.
template <int Passes>
inline void CryptTwo(const uint32_t* k, const uint8_t* in, uint8_t* out) {
  uint32_t l0 = LoadBe32(in), r0 = LoadBe32(in + 4);
  uint32_t l1 = LoadBe32(in + 8), r1 = LoadBe32(in + 12);
  InitialPermutation(l0, r0);
  InitialPermutation(l1, r1);
  for (int p = 0; p < Passes; ++p) {
    for (int i = 0; i < 8; ++i, k += 4) {
      l0 ^= F(r0, k);
      l1 ^= F(r1, k);
      r0 ^= F(l0, k + 2);
      r1 ^= F(l1, k + 2);
    }
    std::swap(l0, r0);
    std::swap(l1, r1);
  }
  FinalPermutation(l0, r0);
  FinalPermutation(l1, r1);
  StoreBe32(out, l0);
  StoreBe32(out + 4, r0);
  StoreBe32(out + 8, l1);
  StoreBe32(out + 12, r1);
}

template <int Passes>
void CryptBlocks(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count) {
  for (; count >= 2; count -= 2, in += 16, out += 16) CryptTwo<Passes>(k, in, out);
  if (count) CryptOne<Passes>(k, in, out);
}

}  // namespace

void TCrypt_customdes::ExpandKey(const uint8_t* key, uint32_t* enc, uint32_t* dec) {
  uint64_t cd = Permute(LoadBe64(key), 64, kPC1, 56);  // parity bits fall out here
  uint32_t c = uint32_t(cd >> 28), d = uint32_t(cd & 0xfffffff);
  for (int round = 0; round < 16; ++round) {
    int s = kShifts[round];
    c = ((c << s) | (c >> (28 - s))) & 0xfffffff;
    d = ((d << s) | (d >> (28 - s))) & 0xfffffff;
    uint64_t k = Permute(uint64_t(c) << 28 | d, 56, kPC2, 48);
    // Six-bit groups 0, 2, 4, 6 go with the half rotated by four, 1, 3, 5, 7 with the half.
    uint32_t even = 0, odd = 0;
    for (int g = 0; g < 8; g += 2) {
      even = even << 8 | uint32_t(k >> (42 - 6 * g) & 63);
      odd = odd << 8 | uint32_t(k >> (36 - 6 * g) & 63);
    }
    enc[2 * round] = even;
    enc[2 * round + 1] = odd;
    dec[30 - 2 * round] = even;
    dec[31 - 2 * round] = odd;
  }
}

void TCrypt_customdes::Crypt1(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count) {
  CryptBlocks<1>(k, in, out, count);
}

void TCrypt_customdes::Crypt3(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count) {
  CryptBlocks<3>(k, in, out, count);
}

void TCrypt_des::EncryptWords(uint32_t (&w)[2]) const {
  CryptWords<1>(ks_->enc, w[0], w[1]);
}

void TCrypt_3des::EncryptWords(uint32_t (&w)[2]) const {
  CryptWords<3>(ks_->enc, w[0], w[1]);
}

bool TCrypt_des::ClassSelfCheck() {
  return KnownAnswer("0170f175468fb5e6", "0756d8e0774761d2", "0cd3da020021dc09");
}

void TCrypt_des::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 8> k;
  std::copy_n(key, bits / 8, k.data());
  ExpandKey(k, ks_->enc, ks_->dec);
}

bool TCrypt_3des::ClassSelfCheck() {
  return KnownAnswer("0123456789abcdeffedcba987654321089abcdef01234567", "0123456789abcde7",
                     "de0b7c06ae5e0ed5");
}

void TCrypt_3des::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 24> k;
  std::copy_n(key, bits / 8, k.data());
  // Two-key triple DES for keys up to 128 bits; longer keys are zero-filled to three.
  if (bits <= 128) std::memcpy(k + 16, k, 8);
  SecureBuffer<uint32_t[32], 3> e, d;
  for (int i = 0; i < 3; ++i) ExpandKey(k + 8 * i, e[i], d[i]);
  // E(K1) D(K2) E(K3), and for decryption D(K3) E(K2) D(K1).
  std::memcpy(ks_->enc, e[0], sizeof e[0]);
  std::memcpy(ks_->enc + 32, d[1], sizeof d[1]);
  std::memcpy(ks_->enc + 64, e[2], sizeof e[2]);
  std::memcpy(ks_->dec, d[2], sizeof d[2]);
  std::memcpy(ks_->dec + 32, e[1], sizeof e[1]);
  std::memcpy(ks_->dec + 64, d[0], sizeof d[0]);
}

template class BlockCipher<TCrypt_des, TCrypt_customdes, DesSchedule>;
template class BlockCipher<TCrypt_3des, TCrypt_customdes, TripleDesSchedule>;

}  // namespace velt::crypto
