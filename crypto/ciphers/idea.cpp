// IDEA (Lai and Massey, 1991): 8.5 rounds over 16-bit words, key zero-filled to 16 bytes.
#include "crypto/ciphers/idea.h"

#include <algorithm>

namespace velt::crypto {

namespace {

// Multiplication modulo 2^16 + 1, where 0 stands for 2^16. Without branches, so the time taken
// does not tell whether an operand was zero. A zero product means a zero operand; the normal
// path then yields 0 and the other case's value is added in.
inline uint32_t Mul(uint32_t a, uint32_t b) {
  uint32_t p = a * b;
  uint32_t lo = p & 0xffff, hi = p >> 16;
  uint32_t r = lo - hi + (lo < hi);  // a borrow means adding 2^16 + 1
  uint32_t zero = 0u - uint32_t(p == 0);
  return (r + ((1 - a - b) & zero)) & 0xffff;
}

uint32_t MulInverse(uint32_t x) {
  if (x <= 1) return x;  // 1, and 2^16 = -1, are their own inverses
  // x^(p-2) mod p, p = 65537.
  uint64_t result = 1, base = x;
  for (uint32_t e = 65535; e; e >>= 1) {
    if (e & 1) result = result * base % 65537;
    base = base * base % 65537;
  }
  return uint32_t(result);
}

inline uint32_t Negate(uint32_t x) {
  return (0x10000 - x) & 0xffff;
}

// The rounds and the output transformation over N blocks' words, in place.
template <int N>
inline void CryptWords(const uint32_t* key, uint32_t* x1, uint32_t* x2, uint32_t* x3,
                       uint32_t* x4) {
  const uint32_t* k = key;
  for (int r = 0; r < 8; ++r, k += 6) {
    for (int j = 0; j < N; ++j) {
      uint32_t a = Mul(x1[j], k[0]);
      uint32_t b = (x2[j] + k[1]) & 0xffff;
      uint32_t c = (x3[j] + k[2]) & 0xffff;
      uint32_t d = Mul(x4[j], k[3]);
      uint32_t t0 = Mul(k[4], a ^ c);
      uint32_t t1 = Mul(k[5], (t0 + (b ^ d)) & 0xffff);
      t0 = (t0 + t1) & 0xffff;
      x1[j] = a ^ t1;
      x4[j] = d ^ t0;
      x2[j] = c ^ t1;
      x3[j] = b ^ t0;
    }
  }
  // The output transformation undoes the last round's swap of the middle words.
  for (int j = 0; j < N; ++j) {
    uint32_t y2 = (x3[j] + k[1]) & 0xffff;
    x3[j] = (x2[j] + k[2]) & 0xffff;
    x2[j] = y2;
    x1[j] = Mul(x1[j], k[0]);
    x4[j] = Mul(x4[j], k[3]);
  }
}

template <int N>
inline void CryptN(const uint32_t* key, const uint8_t* in, uint8_t* out) {
  uint32_t x1[N], x2[N], x3[N], x4[N];
  for (int j = 0; j < N; ++j) {
    x1[j] = LoadBe16(in + 8 * j);
    x2[j] = LoadBe16(in + 8 * j + 2);
    x3[j] = LoadBe16(in + 8 * j + 4);
    x4[j] = LoadBe16(in + 8 * j + 6);
  }
  CryptWords<N>(key, x1, x2, x3, x4);
  for (int j = 0; j < N; ++j) {
    StoreBe16(out + 8 * j, uint16_t(x1[j]));
    StoreBe16(out + 8 * j + 2, uint16_t(x2[j]));
    StoreBe16(out + 8 * j + 4, uint16_t(x3[j]));
    StoreBe16(out + 8 * j + 6, uint16_t(x4[j]));
  }
}

void CryptBlocks(const uint32_t* k, const uint8_t* in, uint8_t* out, size_t count) {
  for (; count >= 4; count -= 4, in += 32, out += 32) CryptN<4>(k, in, out);
  for (; count; --count, in += 8, out += 8) CryptN<1>(k, in, out);
}

}  // namespace

bool TCrypt_idea::ClassSelfCheck() {
  return KnownAnswer("3a984e2000195db32ee501c8c47cea60", "0102030405060708", "97bcd8200780da86");
}

void TCrypt_idea::SetupKey(const uint8_t* key, unsigned bits) {
  SecureBuffer<uint8_t, 16> bytes;
  std::copy_n(key, bits / 8, bytes.data());
  // The 128-bit key is read as eight words, rotated left by 25 bits, read again, and so on.
  uint64_t hi = LoadBe64(bytes), lo = LoadBe64(bytes + 8);
  uint32_t* e = ks_->enc;
  for (int i = 0; i < 52; ++i) {
    int j = i % 8;
    e[i] = uint32_t((j < 4 ? hi : lo) >> (48 - 16 * (j % 4))) & 0xffff;
    if (j == 7) {
      uint64_t h = hi << 25 | lo >> 39;
      lo = lo << 25 | hi >> 39;
      hi = h;
    }
  }
  // Decryption runs the same rounds with the inverse keys in reverse order. The middle rounds
  // exchange the additive keys, because every round but the last swaps the middle words.
  uint32_t* d = ks_->dec;
  for (int r = 0; r <= 8; ++r) {
    const uint32_t* src = e + 6 * (8 - r);
    bool swapped = r != 0 && r != 8;
    d[6 * r] = MulInverse(src[0]);
    d[6 * r + 1] = Negate(src[swapped ? 2 : 1]);
    d[6 * r + 2] = Negate(src[swapped ? 1 : 2]);
    d[6 * r + 3] = MulInverse(src[3]);
    if (r < 8) {
      d[6 * r + 4] = src[-2];
      d[6 * r + 5] = src[-1];
    }
  }
}

void TCrypt_idea::EncryptWords(uint32_t (&w)[2]) const {
  uint32_t x1 = w[0] >> 16, x2 = w[0] & 0xffff, x3 = w[1] >> 16, x4 = w[1] & 0xffff;
  CryptWords<1>(ks_->enc, &x1, &x2, &x3, &x4);
  w[0] = x1 << 16 | x2;
  w[1] = x3 << 16 | x4;
}

void TCrypt_idea::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  CryptN<1>(ks_->enc, in, out);
}

void TCrypt_idea::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  CryptN<1>(ks_->dec, in, out);
}

void TCrypt_idea::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  CryptBlocks(ks_->enc, in, out, count);
}

void TCrypt_idea::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  CryptBlocks(ks_->dec, in, out, count);
}

template class BlockCipher<TCrypt_idea, TCrypt_blockcipher64, IdeaSchedule>;

}  // namespace velt::crypto
