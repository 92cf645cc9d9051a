// RC6-32/20/b (Rivest, Robshaw, Sidney, Yin, 1998): little-endian words, 44 round keys.
#include "crypto/ciphers/rc6.h"

#include <algorithm>

namespace velt::crypto {

namespace {

constexpr int kRounds = 20;
constexpr uint32_t kP32 = 0xB7E15163;  // Odd((e - 2) * 2^32)
constexpr uint32_t kQ32 = 0x9E3779B9;  // Odd((phi - 1) * 2^32)

inline uint32_t Mix(uint32_t x) {
  return Rotl32(x * (2 * x + 1), 5);
}

}  // namespace

bool TCrypt_rc6::ClassSelfCheck() {
  return KnownAnswer("0123456789abcdef0112233445566778", "02132435465768798a9bacbdcedfe0f1",
                     "524e192f4715c6231f51f6367ea43f18");
}

void TCrypt_rc6::SetupKey(const uint8_t* key, unsigned bits) {
  const size_t bytes = bits / 8;
  const size_t c = std::max<size_t>(1, (bytes + 3) / 4);
  SecureBuffer<uint32_t, kMaxKeySize / 32> l;
  for (size_t i = 0; i < bytes; ++i) l[i / 4] |= uint32_t(key[i]) << (8 * (i % 4));

  uint32_t* s = ks_->s;
  s[0] = kP32;
  for (int i = 1; i < 2 * kRounds + 4; ++i) s[i] = s[i - 1] + kQ32;

  uint32_t a = 0, b = 0;
  size_t i = 0, j = 0;
  const size_t passes = 3 * std::max<size_t>(c, 2 * kRounds + 4);
  for (size_t k = 0; k < passes; ++k) {
    a = s[i] = Rotl32(s[i] + a + b, 3);
    b = l[j] = Rotl32(l[j] + a + b, int((a + b) & 31));
    i = (i + 1) % (2 * kRounds + 4);
    j = (j + 1) % c;
  }
}

VELT_FORCE_INLINE void TCrypt_rc6::EncryptWords(uint32_t (&w)[4]) const {
  const uint32_t* s = ks_->s;
  uint32_t a = w[0], b = w[1], c = w[2], d = w[3];
  b += s[0];
  d += s[1];
  // Four rounds per pass so the register rotation (a,b,c,d) = (b,c,d,a) costs no moves.
  for (int i = 1; i <= kRounds; i += 4) {
    uint32_t t, u;
    t = Mix(b), u = Mix(d);
    a = Rotl32(a ^ t, int(u & 31)) + s[2 * i];
    c = Rotl32(c ^ u, int(t & 31)) + s[2 * i + 1];
    t = Mix(c), u = Mix(a);
    b = Rotl32(b ^ t, int(u & 31)) + s[2 * i + 2];
    d = Rotl32(d ^ u, int(t & 31)) + s[2 * i + 3];
    t = Mix(d), u = Mix(b);
    c = Rotl32(c ^ t, int(u & 31)) + s[2 * i + 4];
    a = Rotl32(a ^ u, int(t & 31)) + s[2 * i + 5];
    t = Mix(a), u = Mix(c);
    d = Rotl32(d ^ t, int(u & 31)) + s[2 * i + 6];
    b = Rotl32(b ^ u, int(t & 31)) + s[2 * i + 7];
  }
  w[0] = a + s[2 * kRounds + 2];
  w[1] = b;
  w[2] = c + s[2 * kRounds + 3];
  w[3] = d;
}

void TCrypt_rc6::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  EncryptBlockByWords<16>(*this, in, out);
}

void TCrypt_rc6::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  const uint32_t* s = ks_->s;
  uint32_t a = LoadLe32(in), b = LoadLe32(in + 4), c = LoadLe32(in + 8), d = LoadLe32(in + 12);
  c -= s[2 * kRounds + 3];
  a -= s[2 * kRounds + 2];
  for (int i = kRounds; i >= 1; i -= 4) {
    uint32_t t, u;
    // Round i undone with (a,b,c,d) seen as (d,a,b,c) of its output, four at a time.
    t = Mix(a), u = Mix(c);
    b = Rotr32(b - s[2 * i + 1], int(t & 31)) ^ u;
    d = Rotr32(d - s[2 * i], int(u & 31)) ^ t;
    t = Mix(d), u = Mix(b);
    a = Rotr32(a - s[2 * i - 1], int(t & 31)) ^ u;
    c = Rotr32(c - s[2 * i - 2], int(u & 31)) ^ t;
    t = Mix(c), u = Mix(a);
    d = Rotr32(d - s[2 * i - 3], int(t & 31)) ^ u;
    b = Rotr32(b - s[2 * i - 4], int(u & 31)) ^ t;
    t = Mix(b), u = Mix(d);
    c = Rotr32(c - s[2 * i - 5], int(t & 31)) ^ u;
    a = Rotr32(a - s[2 * i - 6], int(u & 31)) ^ t;
  }
  d -= s[1];
  b -= s[0];
  StoreLe32(out, a);
  StoreLe32(out + 4, b);
  StoreLe32(out + 8, c);
  StoreLe32(out + 12, d);
}

void TCrypt_rc6::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  const uint32_t* s = ks_->s;
  for (; count >= 2; count -= 2, in += 32, out += 32) {
    uint32_t a[2], b[2], c[2], d[2];
    for (int j = 0; j < 2; ++j) {
      a[j] = LoadLe32(in + 16 * j) - s[2 * kRounds + 2];
      b[j] = LoadLe32(in + 16 * j + 4);
      c[j] = LoadLe32(in + 16 * j + 8) - s[2 * kRounds + 3];
      d[j] = LoadLe32(in + 16 * j + 12);
    }
    for (int i = kRounds; i >= 1; i -= 2) {
      for (int j = 0; j < 2; ++j) {
        uint32_t t = Mix(a[j]), u = Mix(c[j]);
        b[j] = Rotr32(b[j] - s[2 * i + 1], int(t & 31)) ^ u;
        d[j] = Rotr32(d[j] - s[2 * i], int(u & 31)) ^ t;
      }
      for (int j = 0; j < 2; ++j) {
        uint32_t t = Mix(d[j]), u = Mix(b[j]);
        a[j] = Rotr32(a[j] - s[2 * i - 1], int(t & 31)) ^ u;
        c[j] = Rotr32(c[j] - s[2 * i - 2], int(u & 31)) ^ t;
      }
      // Two rounds leave the roles shifted by two: (a,b,c,d) now stands where (c,d,a,b) was.
      for (int j = 0; j < 2; ++j) {
        std::swap(a[j], c[j]);
        std::swap(b[j], d[j]);
      }
    }
    for (int j = 0; j < 2; ++j) {
      StoreLe32(out + 16 * j, a[j]);
      StoreLe32(out + 16 * j + 4, b[j] - s[0]);
      StoreLe32(out + 16 * j + 8, c[j]);
      StoreLe32(out + 16 * j + 12, d[j] - s[1]);
    }
  }
  if (count) DecryptBlockRaw(in, out);
}

template class BlockCipher<TCrypt_rc6, TCrypt_blockcipher128, Rc6Schedule>;

}  // namespace velt::crypto
