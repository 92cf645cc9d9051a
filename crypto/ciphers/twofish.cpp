// Twofish (Schneier, Kelsey, Whiting, Wagner, Hall, Ferguson, 1998): 16 rounds, 128-bit block.
#include "crypto/ciphers/twofish.h"

namespace velt::crypto {

namespace {

const uint8_t kQ0[256] = {
#include "crypto/tables/generated/twofish_q_tables_Q0.inc"
};
const uint8_t kQ1[256] = {
#include "crypto/tables/generated/twofish_q_tables_Q1.inc"
};
const uint8_t kMds[4][4] = {
#include "crypto/tables/generated/twofish_q_tables_MDS.inc"
};
const uint8_t kRs[4][8] = {
#include "crypto/tables/generated/twofish_q_tables_RS.inc"
};

constexpr unsigned kMdsPoly = 0x169;
constexpr unsigned kRsPoly = 0x14d;

uint8_t GfMul(uint8_t a, uint8_t b, unsigned poly) {
  unsigned r = 0, x = a;
  for (; b; b >>= 1) {
    if (b & 1) r ^= x;
    x <<= 1;
    if (x & 0x100) x ^= poly;
  }
  return uint8_t(r);
}

// The q permutations of h, per byte position, from the innermost (used only with 256-bit
// keys) to the outermost.
const uint8_t* const kQStage4[4] = {kQ1, kQ0, kQ0, kQ1};
const uint8_t* const kQStage3[4] = {kQ1, kQ1, kQ0, kQ0};
const uint8_t* const kQStage2[4] = {kQ0, kQ1, kQ0, kQ1};
const uint8_t* const kQStage1[4] = {kQ0, kQ0, kQ1, kQ1};
const uint8_t* const kQFinal[4] = {kQ1, kQ0, kQ1, kQ0};

// MDS column j times the last q permutation of byte position j; the same for every key.
struct MdsTables {
  uint32_t t[4][256];
  MdsTables() {
    for (int j = 0; j < 4; ++j)
      for (int x = 0; x < 256; ++x) {
        uint8_t v = kQFinal[j][x];
        uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w |= uint32_t(GfMul(kMds[i][j], v, kMdsPoly)) << (8 * i);
        t[j][x] = w;
      }
  }
};

const MdsTables& SharedMdsTables() {
  static const MdsTables tables;  // built by the first caller, safely across threads
  return tables;
}

uint8_t ByteOf(uint32_t w, int j) {
  return uint8_t(w >> (8 * j));
}

// The key-dependent q chain of h for byte position j, before the last q and the MDS.
uint8_t QChain(int j, uint8_t y, const uint32_t* l, int words) {
  if (words == 4) y = kQStage4[j][y] ^ ByteOf(l[3], j);
  if (words >= 3) y = kQStage3[j][y] ^ ByteOf(l[2], j);
  y = kQStage2[j][y] ^ ByteOf(l[1], j);
  return kQStage1[j][y] ^ ByteOf(l[0], j);
}

uint32_t H(uint32_t x, const uint32_t* l, int words, const MdsTables& mds) {
  uint32_t z = 0;
  for (int j = 0; j < 4; ++j) z ^= mds.t[j][QChain(j, ByteOf(x, j), l, words)];
  return z;
}

// The published 49-step chain: each key is the previous block followed by the start of the
// previous key.
bool ChainCheck(unsigned bits, const char* expectedHex) {
  uint8_t key[32] = {}, block[16] = {}, before[16];
  TCrypt_twofish c;
  for (int step = 0; step < 49; ++step) {
    c.InitWithKey(key, bits, nullptr);
    std::memcpy(before, block, 16);
    std::memmove(key + 16, key, bits / 8 - 16);
    std::memcpy(key, block, 16);
    c.EncryptBlock(block, block);
  }
  auto expected = FromHex(expectedHex);
  if (std::memcmp(block, expected.data(), 16) != 0) return false;
  c.DecryptBlock(block, block);
  return std::memcmp(block, before, 16) == 0;
}

}  // namespace

TCrypt_twofish::TCrypt_twofish() {
  SharedMdsTables();
}

bool TCrypt_twofish::ClassSelfCheck() {
  return ChainCheck(128, "5d9d4eeffa9151575524f115815a12e0") &&
         ChainCheck(192, "e75449212beef9f4a390bd860a640941") &&
         ChainCheck(256, "37fe26ff1cf66175f5ddf4c33b97a205");
}

void TCrypt_twofish::SetupKey(const uint8_t* key, unsigned bits) {
  const MdsTables& mds = SharedMdsTables();
  // A 160-bit key runs as a 192-bit key whose last four bytes are zero.
  const int words = bits <= 128 ? 2 : bits <= 192 ? 3 : 4;
  SecureBuffer<uint8_t, 32> k;
  if (bits >= 8) std::memcpy(k, key, bits / 8);  // a 4-bit key may come without bytes
  SecureBuffer<uint32_t, 4> even, odd, sbox;
  for (int i = 0; i < words; ++i) {
    even[i] = LoadLe32(k + 8 * i);
    odd[i] = LoadLe32(k + 8 * i + 4);
    uint32_t s = 0;
    for (int r = 0; r < 4; ++r) {
      uint8_t v = 0;
      for (int c = 0; c < 8; ++c) v ^= GfMul(kRs[r][c], k[8 * i + c], kRsPoly);
      s |= uint32_t(v) << (8 * r);
    }
    sbox[words - 1 - i] = s;  // the S words enter h in reverse order
  }
  for (int i = 0; i < 20; ++i) {
    uint32_t a = H(uint32_t(2 * i) * 0x01010101u, even, words, mds);
    uint32_t b = Rotl32(H(uint32_t(2 * i + 1) * 0x01010101u, odd, words, mds), 8);
    ks_->k[2 * i] = a + b;
    ks_->k[2 * i + 1] = Rotl32(a + 2 * b, 9);
  }
  for (int j = 0; j < 4; ++j)
    for (int x = 0; x < 256; ++x) ks_->s[j][x] = mds.t[j][QChain(j, uint8_t(x), sbox, words)];
}

}  // namespace velt::crypto
