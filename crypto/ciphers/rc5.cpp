// RC5-32/12/b (Rivest, 1994; RFC 2040): 32-bit words, 12 rounds, little-endian.
#include "crypto/ciphers/rc5.h"

#include <algorithm>

namespace velt::crypto {

bool TCrypt_rc5::ClassSelfCheck() {
  return KnownAnswer("dc49db1375a5584f6485b413b5f12baf", "2f42b3b70369fc92", "65c178b284d197cc");
}

void TCrypt_rc5::SetupKey(const uint8_t* key, unsigned bits) {
  constexpr uint32_t kP = 0xB7E15163, kQ = 0x9E3779B9;
  constexpr int t = 2 * kRounds + 2;
  const size_t len = bits / 8;
  SecureBuffer<uint32_t, 64> l;
  const int c = std::max<int>(1, int((len + 3) / 4));
  for (size_t i = len; i-- > 0;) l[i / 4] = (l[i / 4] << 8) | key[i];
  ks_->s[0] = kP;
  for (int i = 1; i < t; ++i) ks_->s[i] = ks_->s[i - 1] + kQ;
  uint32_t a = 0, b = 0;
  for (int k = 0, i = 0, j = 0; k < 3 * std::max(t, c); ++k) {
    a = ks_->s[i] = Rotl32(ks_->s[i] + a + b, 3);
    b = l[j] = Rotl32(l[j] + a + b, int((a + b) & 31));
    i = (i + 1) % t;
    j = (j + 1) % c;
  }
}

namespace {

template <size_t N>
void EncryptN(const uint32_t* s, const uint8_t* in, uint8_t* out) {
  uint32_t a[N], b[N];
  for (size_t k = 0; k < N; ++k) {
    a[k] = LoadLe32(in + 8 * k) + s[0];
    b[k] = LoadLe32(in + 8 * k + 4) + s[1];
  }
  for (int i = 1; i <= TCrypt_rc5::kRounds; ++i) {
    for (size_t k = 0; k < N; ++k) a[k] = Rotl32(a[k] ^ b[k], int(b[k] & 31)) + s[2 * i];
    for (size_t k = 0; k < N; ++k) b[k] = Rotl32(b[k] ^ a[k], int(a[k] & 31)) + s[2 * i + 1];
  }
  for (size_t k = 0; k < N; ++k) {
    StoreLe32(out + 8 * k, a[k]);
    StoreLe32(out + 8 * k + 4, b[k]);
  }
}

template <size_t N>
void DecryptN(const uint32_t* s, const uint8_t* in, uint8_t* out) {
  uint32_t a[N], b[N];
  for (size_t k = 0; k < N; ++k) {
    a[k] = LoadLe32(in + 8 * k);
    b[k] = LoadLe32(in + 8 * k + 4);
  }
  for (int i = TCrypt_rc5::kRounds; i >= 1; --i) {
    for (size_t k = 0; k < N; ++k) b[k] = Rotr32(b[k] - s[2 * i + 1], int(a[k] & 31)) ^ a[k];
    for (size_t k = 0; k < N; ++k) a[k] = Rotr32(a[k] - s[2 * i], int(b[k] & 31)) ^ b[k];
  }
  for (size_t k = 0; k < N; ++k) {
    StoreLe32(out + 8 * k, a[k] - s[0]);
    StoreLe32(out + 8 * k + 4, b[k] - s[1]);
  }
}

}  // namespace

void TCrypt_rc5::EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 4; count -= 4, in += 32, out += 32) EncryptN<4>(ks_->s, in, out);
  for (; count; --count, in += 8, out += 8) EncryptBlockRaw(in, out);
}

void TCrypt_rc5::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 4; count -= 4, in += 32, out += 32) DecryptN<4>(ks_->s, in, out);
  for (; count; --count, in += 8, out += 8) DecryptBlockRaw(in, out);
}

}  // namespace velt::crypto
