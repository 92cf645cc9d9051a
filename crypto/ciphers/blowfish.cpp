// Blowfish (Schneier, 1993): 16 rounds, big-endian halves, key cycled over the P-array.
#include "crypto/ciphers/blowfish.h"

namespace velt::crypto {

namespace {

// The fractional hex digits of pi.
const uint32_t kInitP[18] = {
#include "crypto/tables/generated/blowfish_init_P.inc"
};
const uint32_t kInitS[4][256] = {
    {
#include "crypto/tables/generated/blowfish_init_S1.inc"
    },
    {
#include "crypto/tables/generated/blowfish_init_S2.inc"
    },
    {
#include "crypto/tables/generated/blowfish_init_S3.inc"
    },
    {
#include "crypto/tables/generated/blowfish_init_S4.inc"
    },
};

}  // namespace

bool TCrypt_blowfish::ClassSelfCheck() {
  return KnownAnswer("7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b");
}

void TCrypt_blowfish::SetupKey(const uint8_t* key, unsigned bits) {
  size_t len = (bits + 7) / 8;  // a 4-bit key still has one (partial) byte to cycle
  std::memcpy(ks_->p, kInitP, sizeof kInitP);
  std::memcpy(ks_->s, kInitS, sizeof kInitS);
  size_t k = 0;
  for (int i = 0; i < 18; ++i) {
    uint32_t w = 0;
    for (int j = 0; j < 4; ++j) {
      w = w << 8 | key[k];
      k = (k + 1) % len;
    }
    ks_->p[i] ^= w;
  }
  SecureBuffer<uint8_t, 8> block;
  for (int i = 0; i < 18; i += 2) {
    EncryptBlockRaw(block, block);
    ks_->p[i] = LoadBe32(block);
    ks_->p[i + 1] = LoadBe32(block + 4);
  }
  for (auto& box : ks_->s) {
    for (int i = 0; i < 256; i += 2) {
      EncryptBlockRaw(block, block);
      box[i] = LoadBe32(block);
      box[i + 1] = LoadBe32(block + 4);
    }
  }
}

void TCrypt_blowfish::DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const {
  for (; count >= 2; count -= 2, in += 16, out += 16) {
    uint32_t l0 = LoadBe32(in), r0 = LoadBe32(in + 4);
    uint32_t l1 = LoadBe32(in + 8), r1 = LoadBe32(in + 12);
    for (int i = 16; i > 0; i -= 2) {
      l0 ^= ks_->p[i + 1];
      l1 ^= ks_->p[i + 1];
      r0 ^= F(l0);
      r1 ^= F(l1);
      r0 ^= ks_->p[i];
      r1 ^= ks_->p[i];
      l0 ^= F(r0);
      l1 ^= F(r1);
    }
    StoreBe32(out, r0 ^ ks_->p[0]);
    StoreBe32(out + 4, l0 ^ ks_->p[1]);
    StoreBe32(out + 8, r1 ^ ks_->p[0]);
    StoreBe32(out + 12, l1 ^ ks_->p[1]);
  }
  if (count) DecryptBlockRaw(in, out);
}

}  // namespace velt::crypto
