// RC2 (RFC 2268): 16 mixing and 2 mashing rounds over four little-endian 16-bit words.
#include "crypto/ciphers/rc2.h"

#include <algorithm>
#include <bit>

namespace velt::crypto {

namespace {

const uint8_t kPiTable[256] = {
#include "crypto/tables/generated/rc2_pitable_PITABLE.inc"
};

// R[i] += K[j] + (R[i-1] & R[i-2]) + (~R[i-1] & R[i-3]), then rotate; the two terms select
// bits from disjoint masks, so their sum is a bitwise select.
inline uint16_t Mix(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t k, int s) {
  return std::rotl(uint16_t(a + k + ((d & c) | (~d & b))), s);
}
inline uint16_t Unmix(uint16_t a, uint16_t b, uint16_t c, uint16_t d, uint16_t k, int s) {
  return uint16_t(std::rotr(a, s) - k - ((d & c) | (~d & b)));
}

template <int N>
inline void EncryptN(const uint16_t* k, const uint8_t* in, uint8_t* out) {
  uint16_t r0[N], r1[N], r2[N], r3[N];
  for (int j = 0; j < N; ++j) {
    r0[j] = uint16_t(in[8 * j] | in[8 * j + 1] << 8);
    r1[j] = uint16_t(in[8 * j + 2] | in[8 * j + 3] << 8);
    r2[j] = uint16_t(in[8 * j + 4] | in[8 * j + 5] << 8);
    r3[j] = uint16_t(in[8 * j + 6] | in[8 * j + 7] << 8);
  }
  auto mixing = [&](int i) {
    for (int j = 0; j < N; ++j) {
      r0[j] = Mix(r0[j], r1[j], r2[j], r3[j], k[4 * i], 1);
      r1[j] = Mix(r1[j], r2[j], r3[j], r0[j], k[4 * i + 1], 2);
      r2[j] = Mix(r2[j], r3[j], r0[j], r1[j], k[4 * i + 2], 3);
      r3[j] = Mix(r3[j], r0[j], r1[j], r2[j], k[4 * i + 3], 5);
    }
  };
  auto mashing = [&] {
    for (int j = 0; j < N; ++j) {
      r0[j] = uint16_t(r0[j] + k[r3[j] & 63]);
      r1[j] = uint16_t(r1[j] + k[r0[j] & 63]);
      r2[j] = uint16_t(r2[j] + k[r1[j] & 63]);
      r3[j] = uint16_t(r3[j] + k[r2[j] & 63]);
    }
  };
  for (int i = 0; i < 5; ++i) mixing(i);
  mashing();
  for (int i = 5; i < 11; ++i) mixing(i);
  mashing();
  for (int i = 11; i < 16; ++i) mixing(i);
  for (int j = 0; j < N; ++j) {
    uint16_t w[4] = {r0[j], r1[j], r2[j], r3[j]};
    for (int i = 0; i < 4; ++i) {
      out[8 * j + 2 * i] = uint8_t(w[i]);
      out[8 * j + 2 * i + 1] = uint8_t(w[i] >> 8);
    }
  }
}

template <int N>
inline void DecryptN(const uint16_t* k, const uint8_t* in, uint8_t* out) {
  uint16_t r0[N], r1[N], r2[N], r3[N];
  for (int j = 0; j < N; ++j) {
    r0[j] = uint16_t(in[8 * j] | in[8 * j + 1] << 8);
    r1[j] = uint16_t(in[8 * j + 2] | in[8 * j + 3] << 8);
    r2[j] = uint16_t(in[8 * j + 4] | in[8 * j + 5] << 8);
    r3[j] = uint16_t(in[8 * j + 6] | in[8 * j + 7] << 8);
  }
  auto unmixing = [&](int i) {
    for (int j = 0; j < N; ++j) {
      r3[j] = Unmix(r3[j], r0[j], r1[j], r2[j], k[4 * i + 3], 5);
      r2[j] = Unmix(r2[j], r3[j], r0[j], r1[j], k[4 * i + 2], 3);
      r1[j] = Unmix(r1[j], r2[j], r3[j], r0[j], k[4 * i + 1], 2);
      r0[j] = Unmix(r0[j], r1[j], r2[j], r3[j], k[4 * i], 1);
    }
  };
  auto unmashing = [&] {
    for (int j = 0; j < N; ++j) {
      r3[j] = uint16_t(r3[j] - k[r2[j] & 63]);
      r2[j] = uint16_t(r2[j] - k[r1[j] & 63]);
      r1[j] = uint16_t(r1[j] - k[r0[j] & 63]);
      r0[j] = uint16_t(r0[j] - k[r3[j] & 63]);
    }
  };
  for (int i = 15; i >= 11; --i) unmixing(i);
  unmashing();
  for (int i = 10; i >= 5; --i) unmixing(i);
  unmashing();
  for (int i = 4; i >= 0; --i) unmixing(i);
  for (int j = 0; j < N; ++j) {
    uint16_t w[4] = {r0[j], r1[j], r2[j], r3[j]};
    for (int i = 0; i < 4; ++i) {
      out[8 * j + 2 * i] = uint8_t(w[i]);
      out[8 * j + 2 * i + 1] = uint8_t(w[i] >> 8);
    }
  }
}

}  // namespace

bool TCrypt_rc2::ClassSelfCheck() {
  return KnownAnswer("000102030405060708090a0b0c0d0e0f", "0000000000000000", "50dc0162bd757f31");
}

void TCrypt_rc2::SetupKey(const uint8_t* key, unsigned bits) {
  // A key shorter than one byte (4 bits) has no whole byte to expand; it runs as one zero byte,
  // as the fixed-length ciphers zero-fill theirs.
  size_t t = std::max<size_t>(bits / 8, 1);
  SecureBuffer<uint8_t, 128> l;
  std::copy_n(key, bits / 8, l.data());
  for (size_t i = t; i < 128; ++i) l[i] = kPiTable[uint8_t(l[i - 1] + l[i - t])];
  // Reduce the search space to the effective key length; at 1024 bits only L[0] changes.
  unsigned t1 = std::clamp(effectiveBits_, 1u, 1024u);
  size_t t8 = (t1 + 7) / 8;
  uint8_t tm = uint8_t(0xff >> (8 * t8 - t1));
  l[128 - t8] = kPiTable[l[128 - t8] & tm];
  for (size_t i = 128 - t8; i-- > 0;) l[i] = kPiTable[l[i + 1] ^ l[i + t8]];
  for (int i = 0; i < 64; ++i) ks_->k[i] = uint16_t(l[2 * i] | l[2 * i + 1] << 8);
}

void TCrypt_rc2::EncryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  EncryptN<1>(ks_->k, in, out);
}

void TCrypt_rc2::DecryptBlockRaw(const uint8_t* in, uint8_t* out) const {
  DecryptN<1>(ks_->k, in, out);
}

void TCrypt_rc2::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 16, out += 16) EncryptN<2>(ks_->k, in, out);
  if (count) EncryptN<1>(ks_->k, in, out);
}

void TCrypt_rc2::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 16, out += 16) DecryptN<2>(ks_->k, in, out);
  if (count) DecryptN<1>(ks_->k, in, out);
}

template class BlockCipher<TCrypt_rc2, TCrypt_blockcipher64, Rc2Schedule>;

}  // namespace velt::crypto
