// Byte order, rotation and wiping helpers shared by every algorithm file.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velt::crypto {

// For a block function that the compiler would otherwise call out of line from a mode loop,
// leaving the loop's state in memory between blocks.
#define VELT_FORCE_INLINE [[gnu::always_inline]] inline

inline uint32_t LoadLe32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}
inline uint32_t LoadBe32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
  return v;
}
inline uint64_t LoadLe64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  return v;
}
inline uint64_t LoadBe64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}
inline uint16_t LoadBe16(const uint8_t* p) {
  return uint16_t(p[0] << 8 | p[1]);
}

inline void StoreLe32(uint8_t* p, uint32_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
  std::memcpy(p, &v, 4);
}
inline void StoreLe64(uint8_t* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}
inline void StoreBe64(uint8_t* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}
inline void StoreBe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}

inline uint32_t Rotl32(uint32_t v, int n) {
  return std::rotl(v, n);
}
inline uint32_t Rotr32(uint32_t v, int n) {
  return std::rotr(v, n);
}
inline uint64_t Rotl64(uint64_t v, int n) {
  return std::rotl(v, n);
}
inline uint64_t Rotr64(uint64_t v, int n) {
  return std::rotr(v, n);
}

// out = a XOR b over n bytes; any of the three may alias.
inline void XorBytes(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = uint8_t(a[i] ^ b[i]);
}

// Fills memory with a byte value in a way the optimiser may not drop, for key material
// that is about to go out of scope.
void SecureFill(void* p, size_t n, uint8_t value);
inline void SecureWipe(void* p, size_t n) {
  SecureFill(p, n, 0);
}

}  // namespace velt::crypto
