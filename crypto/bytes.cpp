#include "crypto/bytes.h"

namespace velt::crypto {

void SecureFill(void* p, size_t n, uint8_t value) {
#if defined(__GNUC__) || defined(__clang__)
  std::memset(p, value, n);
  // The empty asm claims to read the memory, so the stores above cannot be dropped as dead.
  __asm__ __volatile__("" : : "r"(p) : "memory");
#else
  volatile uint8_t* v = static_cast<volatile uint8_t*>(p);
  for (size_t i = 0; i < n; ++i) v[i] = value;
#endif
}

}  // namespace velt::crypto
