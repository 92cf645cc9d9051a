// Rijndael with the x86 AES instructions, for the CPUs that have them. Every function takes
// the schedule of RijndaelSchedule (little-endian column words), works on whole blocks only,
// allows in == out, and must only be called when CpuSupport() allows it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt::crypto::rijndael_aesni {

enum class Support : uint8_t {
  None,
  Aes,      // AES-NI on 128-bit registers
  AesWide,  // also VAES on 256-bit registers (two blocks per instruction)
};

// Checked once per process.
Support CpuSupport();

void EncryptBlocksRaw(const uint32_t* ek, int rounds, const uint8_t* in, uint8_t* out, size_t n);
void DecryptBlocksRaw(const uint32_t* dk, int rounds, const uint8_t* in, uint8_t* out, size_t n);

// The chain value cv (16 bytes) is read and left as the next one.
void CbcEncrypt(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n);
// wide: use the 256-bit instructions (only when CpuSupport() is AesWide).
void CbcDecrypt(const uint32_t* dk, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n, bool wide);
void CfbDecrypt(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n);
// cv is the big-endian counter of the next block.
void Ctr(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n);

}  // namespace velt::crypto::rijndael_aesni
