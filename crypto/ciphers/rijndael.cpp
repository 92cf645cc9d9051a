// Rijndael with 128-bit blocks (AES, FIPS 197): table code, and the AES instructions where the
// CPU has them.
#include "crypto/ciphers/rijndael.h"

#include <algorithm>
#include <atomic>

#include "crypto/ciphers/rijndael_aesni.h"

namespace velt::crypto {

namespace {

// Columns are little-endian words: row r of a column sits in bits 8r..8r+7. te[0][x] is the
// MixColumns column of S(x) entering at row 0; te[r] is it rotated down r rows. td likewise
// for InvMixColumns over the inverse S-box.
struct Tables {
  uint8_t sbox[256];
  uint8_t inv[256];
  uint32_t te[4][256];
  uint32_t td[4][256];
};

uint8_t Xtime(uint8_t a) {
  return uint8_t(a << 1 ^ (a & 0x80 ? 0x1b : 0));
}

uint8_t Gmul(uint8_t a, uint8_t b) {
  uint8_t p = 0;
  for (; b; b >>= 1, a = Xtime(a))
    if (b & 1) p ^= a;
  return p;
}

Tables BuildTables() {
  Tables t{};
  // Powers of the generator 3 give logarithms, and with them the inverses.
  uint8_t exp[255], log[256] = {};
  uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    exp[i] = x;
    log[x] = uint8_t(i);
    x = uint8_t(x ^ Xtime(x));
  }
  for (int b = 0; b < 256; ++b) {
    uint8_t v = b ? exp[(255 - log[b]) % 255] : 0;
    uint8_t s =
        uint8_t(v ^ std::rotl(v, 1) ^ std::rotl(v, 2) ^ std::rotl(v, 3) ^ std::rotl(v, 4) ^ 0x63);
    t.sbox[b] = s;
    t.inv[s] = uint8_t(b);
  }
  for (int b = 0; b < 256; ++b) {
    uint8_t s = t.sbox[b], i = t.inv[b];
    uint32_t e =
        uint32_t(Gmul(s, 2)) | uint32_t(s) << 8 | uint32_t(s) << 16 | uint32_t(Gmul(s, 3)) << 24;
    uint32_t d = uint32_t(Gmul(i, 14)) | uint32_t(Gmul(i, 9)) << 8 | uint32_t(Gmul(i, 13)) << 16 |
                 uint32_t(Gmul(i, 11)) << 24;
    for (int r = 0; r < 4; ++r) {
      t.te[r][b] = Rotl32(e, 8 * r);
      t.td[r][b] = Rotl32(d, 8 * r);
    }
  }
  return t;
}

// Built on first use; C++ makes the initialisation thread-safe.
const Tables& SharedTables() {
  static const Tables t = BuildTables();
  return t;
}

std::atomic<TCrypt_rijndael::Engine> engineLimit{TCrypt_rijndael::Engine::AesWide};

}  // namespace

void TCrypt_rijndael::LimitEngine(Engine most) {
  engineLimit = most;
}

TCrypt_rijndael::Engine TCrypt_rijndael::ActiveEngine() {
  return std::min(rijndael_aesni::CpuSupport(), engineLimit.load());
}

TCrypt_rijndael::TCrypt_rijndael() : engine_(ActiveEngine()) {
  SharedTables();
}

bool TCrypt_rijndael::ClassSelfCheck() {
  return KnownAnswer("00010203050607080a0b0c0d0f101112", "506812a45f08c889b97f5980038b8359",
                     "d8f532538289ef7d06b506a4fd5be9c9");
}

void TCrypt_rijndael::SetupKey(const uint8_t* key, unsigned bits) {
  const Tables& t = SharedTables();
  size_t len = bits / 8;
  SecureBuffer<uint8_t, 32> k;
  std::memcpy(k, key, len);
  // A 160-bit key thus runs as a 192-bit one ending in four zero bytes.
  const int nk = len <= 16 ? 4 : len <= 24 ? 6 : 8;
  const int nr = nk + 6;
  const int words = 4 * (nr + 1);
  uint32_t* w = ks_->ek;
  for (int i = 0; i < nk; ++i) w[i] = LoadLe32(k + 4 * i);
  auto subWord = [&t](uint32_t v) {
    return uint32_t(t.sbox[v & 0xff]) | uint32_t(t.sbox[v >> 8 & 0xff]) << 8 |
           uint32_t(t.sbox[v >> 16 & 0xff]) << 16 | uint32_t(t.sbox[v >> 24]) << 24;
  };
  uint8_t rcon = 1;
  for (int i = nk; i < words; ++i) {
    uint32_t v = w[i - 1];
    if (i % nk == 0) {
      v = subWord(Rotr32(v, 8)) ^ rcon;
      rcon = Xtime(rcon);
    } else if (nk > 6 && i % nk == 4) {
      v = subWord(v);
    }
    w[i] = w[i - nk] ^ v;
  }
  uint32_t* d = ks_->dk;
  for (int j = 0; j < 4; ++j) {
    d[j] = w[4 * nr + j];
    d[4 * nr + j] = w[j];
  }
  for (int r = 1; r < nr; ++r) {
    for (int j = 0; j < 4; ++j) {
      uint32_t v = w[4 * (nr - r) + j];
      d[4 * r + j] = t.td[0][t.sbox[v & 0xff]] ^ t.td[1][t.sbox[v >> 8 & 0xff]] ^
                     t.td[2][t.sbox[v >> 16 & 0xff]] ^ t.td[3][t.sbox[v >> 24]];
    }
  }
  ks_->rounds = nr;
}

void TCrypt_rijndael::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  if (Hw()) return rijndael_aesni::EncryptBlocksRaw(ks_->ek, ks_->rounds, in, out, 1);
  const Tables& t = SharedTables();
  const uint32_t* rk = ks_->ek;
  uint32_t s0 = LoadLe32(in) ^ rk[0], s1 = LoadLe32(in + 4) ^ rk[1];
  uint32_t s2 = LoadLe32(in + 8) ^ rk[2], s3 = LoadLe32(in + 12) ^ rk[3];
  auto& te = t.te;
  for (int r = 1; r < ks_->rounds; ++r) {
    rk += 4;
    uint32_t t0 =
        te[0][s0 & 0xff] ^ te[1][s1 >> 8 & 0xff] ^ te[2][s2 >> 16 & 0xff] ^ te[3][s3 >> 24] ^ rk[0];
    uint32_t t1 =
        te[0][s1 & 0xff] ^ te[1][s2 >> 8 & 0xff] ^ te[2][s3 >> 16 & 0xff] ^ te[3][s0 >> 24] ^ rk[1];
    uint32_t t2 =
        te[0][s2 & 0xff] ^ te[1][s3 >> 8 & 0xff] ^ te[2][s0 >> 16 & 0xff] ^ te[3][s1 >> 24] ^ rk[2];
    uint32_t t3 =
        te[0][s3 & 0xff] ^ te[1][s0 >> 8 & 0xff] ^ te[2][s1 >> 16 & 0xff] ^ te[3][s2 >> 24] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  const uint8_t* S = t.sbox;
  auto last = [S](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return uint32_t(S[a & 0xff]) | uint32_t(S[b >> 8 & 0xff]) << 8 |
           uint32_t(S[c >> 16 & 0xff]) << 16 | uint32_t(S[d >> 24]) << 24;
  };
  StoreLe32(out, last(s0, s1, s2, s3) ^ rk[0]);
  StoreLe32(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
  StoreLe32(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
  StoreLe32(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

void TCrypt_rijndael::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  if (Hw()) return rijndael_aesni::DecryptBlocksRaw(ks_->dk, ks_->rounds, in, out, 1);
  const Tables& t = SharedTables();
  const uint32_t* rk = ks_->dk;
  uint32_t s0 = LoadLe32(in) ^ rk[0], s1 = LoadLe32(in + 4) ^ rk[1];
  uint32_t s2 = LoadLe32(in + 8) ^ rk[2], s3 = LoadLe32(in + 12) ^ rk[3];
  auto& td = t.td;
  for (int r = 1; r < ks_->rounds; ++r) {
    rk += 4;
    uint32_t t0 =
        td[0][s0 & 0xff] ^ td[1][s3 >> 8 & 0xff] ^ td[2][s2 >> 16 & 0xff] ^ td[3][s1 >> 24] ^ rk[0];
    uint32_t t1 =
        td[0][s1 & 0xff] ^ td[1][s0 >> 8 & 0xff] ^ td[2][s3 >> 16 & 0xff] ^ td[3][s2 >> 24] ^ rk[1];
    uint32_t t2 =
        td[0][s2 & 0xff] ^ td[1][s1 >> 8 & 0xff] ^ td[2][s0 >> 16 & 0xff] ^ td[3][s3 >> 24] ^ rk[2];
    uint32_t t3 =
        td[0][s3 & 0xff] ^ td[1][s2 >> 8 & 0xff] ^ td[2][s1 >> 16 & 0xff] ^ td[3][s0 >> 24] ^ rk[3];
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
  }
  rk += 4;
  const uint8_t* I = t.inv;
  auto last = [I](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return uint32_t(I[a & 0xff]) | uint32_t(I[b >> 8 & 0xff]) << 8 |
           uint32_t(I[c >> 16 & 0xff]) << 16 | uint32_t(I[d >> 24]) << 24;
  };
  StoreLe32(out, last(s0, s3, s2, s1) ^ rk[0]);
  StoreLe32(out + 4, last(s1, s0, s3, s2) ^ rk[1]);
  StoreLe32(out + 8, last(s2, s1, s0, s3) ^ rk[2]);
  StoreLe32(out + 12, last(s3, s2, s1, s0) ^ rk[3]);
}

void TCrypt_rijndael::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  if (Hw()) return rijndael_aesni::EncryptBlocksRaw(ks_->ek, ks_->rounds, in, out, count);
  for (size_t i = 0; i < count; ++i) EncryptBlockRaw(in + 16 * i, out + 16 * i);
}

void TCrypt_rijndael::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  if (Hw()) return rijndael_aesni::DecryptBlocksRaw(ks_->dk, ks_->rounds, in, out, count);
  for (size_t i = 0; i < count; ++i) DecryptBlockRaw(in + 16 * i, out + 16 * i);
}

// The trailing partial block of CBC and CFB: CV = E(CV), XORed over the n bytes left.
void TCrypt_rijndael::Tail(const uint8_t* in, uint8_t* out, size_t n) {
  EncryptBlockRaw(ChainVector, ChainVector);
  XorBytes(out, in, ChainVector, n);
}

void TCrypt_rijndael::CbcEncrypt(const uint8_t* in, uint8_t* out, size_t n) {
  if (!Hw()) return Base::CbcEncrypt(in, out, n);
  RequireKey();
  size_t full = n / 16 * 16;
  rijndael_aesni::CbcEncrypt(ks_->ek, ks_->rounds, ChainVector, in, out, full / 16);
  if (n > full) Tail(in + full, out + full, n - full);
}

void TCrypt_rijndael::CbcDecrypt(const uint8_t* in, uint8_t* out, size_t n) {
  if (!Hw()) return Base::CbcDecrypt(in, out, n);
  RequireKey();
  size_t full = n / 16 * 16;
  rijndael_aesni::CbcDecrypt(ks_->dk, ks_->rounds, ChainVector, in, out, full / 16,
                             engine_ == Engine::AesWide);
  if (n > full) Tail(in + full, out + full, n - full);
}

void TCrypt_rijndael::CfbBlockDecrypt(const uint8_t* in, uint8_t* out, size_t n) {
  if (!Hw()) return Base::CfbBlockDecrypt(in, out, n);
  RequireKey();
  size_t full = n / 16 * 16;
  rijndael_aesni::CfbDecrypt(ks_->ek, ks_->rounds, ChainVector, in, out, full / 16);
  if (n > full) Tail(in + full, out + full, n - full);
}

void TCrypt_rijndael::CtrEncrypt(const uint8_t* in, uint8_t* out, size_t n) {
  if (!Hw()) return Base::CtrEncrypt(in, out, n);
  RequireKey();
  size_t full = n / 16 * 16;
  rijndael_aesni::Ctr(ks_->ek, ks_->rounds, ChainVector, in, out, full / 16);
  if (n > full) {
    // The last counter block is used for its first bytes only, and still counted.
    SecureBuffer<uint8_t, 16> t;
    EncryptBlockRaw(ChainVector, t);
    Modes<16>::Increment(ChainVector);
    XorBytes(out + full, in + full, t, n - full);
  }
}

}  // namespace velt::crypto
