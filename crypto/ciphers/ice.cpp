// ICE, Thin-ICE and ICE-2 (Kwan, FSE 1997): levels 0, 1 and 2 of the ICE family.
#include "crypto/ciphers/ice.h"

#include <algorithm>

namespace velt::crypto {

namespace {

// Moduli and XOR values of the four S-boxes, [box][row].
const uint16_t kSMod[4][4] = {
#include "crypto/tables/generated/ice_constants_SMOD.inc"
};
const uint8_t kSXor[4][4] = {
#include "crypto/tables/generated/ice_constants_SXOR.inc"
};
const uint32_t kPBox[32] = {
#include "crypto/tables/generated/ice_constants_PBOX.inc"
};
// Entries 0-7 for the forward half of each level's subkeys, 8-15 for the mirrored half.
const uint8_t kKeyRot[16] = {
#include "crypto/tables/generated/ice_constants_KEYROT.inc"
};

// Multiplication in GF(2^8) modulo the 9-bit polynomial m.
unsigned GfMul(unsigned a, unsigned b, unsigned m) {
  unsigned r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a <<= 1;
    b >>= 1;
    if (a >= 256) a ^= m;
  }
  return r;
}

unsigned GfPow7(unsigned b, unsigned m) {
  if (b == 0) return 0;
  unsigned x = GfMul(b, b, m);  // b^2
  x = GfMul(b, x, m);           // b^3
  x = GfMul(x, x, m);           // b^6
  return GfMul(b, x, m);        // b^7
}

uint32_t Permute(uint32_t x) {
  uint32_t r = 0;
  for (int i = 0; x; ++i, x >>= 1)
    if (x & 1) r |= kPBox[i];
  return r;
}

struct Tables {
  TCrypt_customice::SBoxes box;
  Tables() {
    for (unsigned i = 0; i < 1024; ++i) {
      // The outer two bits of the 10-bit input pick the row, the inner eight the column.
      unsigned col = (i >> 1) & 0xff;
      unsigned row = (i & 1) | ((i & 0x200) >> 8);
      for (int k = 0; k < 4; ++k)
        box[k][i] = Permute(uint32_t(GfPow7(col ^ kSXor[k][row], kSMod[k][row])) << (24 - 8 * k));
    }
  }
};

const TCrypt_customice::SBoxes& Sboxes() {
  static const Tables tables;  // thread-safe first use
  return tables.box;
}

// Eight subkeys from four 16-bit key words, consuming their bits in the rotation order.
void BuildEight(uint32_t (*sk)[3], uint16_t kb[4], const uint8_t* rot) {
  for (int i = 0; i < 8; ++i) {
    uint32_t* s = sk[i];
    s[0] = s[1] = s[2] = 0;
    for (int j = 0; j < 15; ++j) {
      uint32_t& cur = s[j % 3];
      for (int k = 0; k < 4; ++k) {
        uint16_t& w = kb[(rot[i] + k) & 3];
        unsigned bit = w & 1;
        cur = (cur << 1) | bit;
        w = uint16_t((w >> 1) | ((bit ^ 1) << 15));
      }
    }
  }
}

}  // namespace

TCrypt_customice::TCrypt_customice() : sbox_(&Sboxes()) {}

void TCrypt_customice::BuildSchedule(uint32_t (*sk)[3], int level, const uint8_t* key,
                                     unsigned bits) {
  SecureBuffer<uint8_t, 16> k;
  std::copy_n(key, bits / 8, k.data());
  SecureBuffer<uint16_t, 4> kb;
  int size = level == 0 ? 1 : level;
  int rounds = level == 0 ? 8 : 16 * level;
  for (int i = 0; i < size; ++i) {
    for (int j = 0; j < 4; ++j) kb[3 - j] = LoadBe16(k + 8 * i + 2 * j);
    BuildEight(sk + 8 * i, kb, kKeyRot);
    if (level == 0) break;
    // The mirrored half goes on from where the key words were left.
    BuildEight(sk + rounds - 8 - 8 * i, kb, kKeyRot + 8);
  }
}

bool TCrypt_ice::ClassSelfCheck() {
  return KnownAnswer("deadbeef01234567", "fedcba9876543210", "7d6ef1ef30d47a96");
}

bool TCrypt_thinice::ClassSelfCheck() {
  return KnownAnswer("deadbeef01234567", "fedcba9876543210", "de240d83a00a9cc0");
}

bool TCrypt_ice2::ClassSelfCheck() {
  return KnownAnswer("00112233445566778899aabbccddeeff", "fedcba9876543210", "f94840d86972f21c");
}

}  // namespace velt::crypto
