// RC4 (Rivest, 1987): the standard key schedule and generator, restarted per call.
#include "crypto/ciphers/rc4.h"

#include <cstring>
#include <utility>

#include "crypto/bytes.h"
#include "crypto/hex.h"

namespace velt::crypto {

bool TCrypt_rc4::ClassSelfCheck() {
  auto key = FromHex("618a63d2fb"), plain = FromHex("dcee4cf92c"), expected = FromHex("f13829c9de");
  TCrypt_rc4 c;
  c.InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
  uint8_t buf[5];
  c.EncryptBytes(plain.data(), buf, 5);
  if (std::memcmp(buf, expected.data(), 5) != 0) return false;
  c.RestartChain();
  c.DecryptBytes(buf, buf, 5);
  return std::memcmp(buf, plain.data(), 5) == 0;
}

const CipherClass& TCrypt_rc4::Class() {
  static const CipherClass c{kId,
                             kAlgorithm,
                             kMaxKeySize,
                             -1,
                             [] { return std::unique_ptr<TCrypt_cipher>(new TCrypt_rc4); },
                             &ClassSelfCheck};
  return c;
}

void TCrypt_rc4::InitWithKey(const uint8_t* key, unsigned bits, const uint8_t* iv) {
  TCrypt_cipher::InitWithKey(key, bits, iv);
  // A key of under 8 bits has no whole byte: it runs as the single byte 0.
  static const uint8_t kZero = 0;
  size_t len = bits / 8;
  if (len == 0) {
    key = &kZero;
    len = 1;
  }
  for (uint32_t i = 0; i < 256; ++i) s_[i] = i;
  uint32_t j = 0;
  for (size_t i = 0, k = 0; i < 256; ++i) {
    j = (j + s_[i] + key[k]) & 0xff;
    std::swap(s_[i], s_[j]);
    if (++k == len) k = 0;
  }
  std::memcpy(saved_, s_, sizeof s_);
}

void TCrypt_rc4::Burn() {
  s_.clear();
  saved_.clear();
  TCrypt_cipher::Burn();
}

void TCrypt_rc4::RestartChain() {
  if (isKeyed_) std::memcpy(s_, saved_, sizeof s_);
}

namespace {

// One generator step at slot i. j is kept unmasked: only its low byte counts.
inline uint64_t Step(uint32_t* s, size_t i, size_t& j) {
  uint32_t si = s[i];
  j += si;
  uint32_t sj = s[j & 0xff];
  s[i] = sj;
  s[j & 0xff] = si;
  return s[(si + sj) & 0xff];
}

}  // namespace

void TCrypt_rc4::EncryptBytes(const uint8_t* in, uint8_t* out, size_t n) {
  RequireKey();
  uint32_t* const s = s_;
  size_t i = 0, j = 0;
  for (; n >= 16; n -= 16, in += 16, out += 16) {
    uint64_t ks[2] = {0, 0};
    if (i != 240) {
      // Sixteen steps with i at fixed offsets from p, and j never waiting on memory: the next
      // S[i] is read before this step's stores. S is a permutation, so S[j] equal to it means
      // j was that very slot, which now holds si.
      uint32_t* p = s + i + 1;
      uint32_t si = p[0];
      j += si;
#pragma GCC unroll 16
      for (size_t b = 0; b < 16; ++b) {
        size_t jm = j & 0xff;
        uint32_t sj = s[jm];
        uint32_t next = p[b + 1];
        s[jm] = si;
        p[b] = sj;
        ks[b / 8] |= uint64_t(s[(si + sj) & 0xff]) << (8 * (b % 8));
        if (sj == next) [[unlikely]]
          next = si;
        j += next;
        si = next;
      }
      j -= si;
    } else {
      for (size_t b = 0; b < 16; ++b) ks[b / 8] |= Step(s, (i + 1 + b) & 0xff, j) << (8 * (b % 8));
    }
    i = (i + 16) & 0xff;
    StoreLe64(out, LoadLe64(in) ^ ks[0]);
    StoreLe64(out + 8, LoadLe64(in + 8) ^ ks[1]);
  }
  for (size_t k = 0; k < n; ++k) {
    i = (i + 1) & 0xff;
    out[k] = uint8_t(in[k] ^ Step(s, i, j));
  }
}

void TCrypt_rc4::DecryptBytes(const uint8_t* in, uint8_t* out, size_t n) {
  EncryptBytes(in, out, n);
}

}  // namespace velt::crypto
