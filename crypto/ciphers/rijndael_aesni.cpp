// Rijndael (AES, FIPS 197) with the x86 AES instructions. Only the functions here are compiled
// for them; the rest of the program stays baseline x86-64 and asks CpuSupport() first.
#include "crypto/ciphers/rijndael_aesni.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VELT_RIJNDAEL_AESNI 1
// Not on Windows: GCC there does not align the stack for 256-bit locals.
#if !defined(_WIN32)
#define VELT_RIJNDAEL_VAES 1
#endif
#endif

#if VELT_RIJNDAEL_AESNI
#include <cpuid.h>
#include <immintrin.h>

#include <type_traits>
#endif

namespace velt::crypto::rijndael_aesni {

#if VELT_RIJNDAEL_AESNI

#define VELT_AESNI __attribute__((target("aes,sse4.1")))
#define VELT_AESNI_INLINE __attribute__((target("aes,sse4.1"), always_inline)) inline

namespace {

// Blocks in flight for the parallel modes: enough to cover the instruction latency.
constexpr size_t kLanes = 8;

template <int Nr>
struct Keys {
  __m128i k[Nr + 1];
  VELT_AESNI_INLINE explicit Keys(const uint32_t* w) {
    for (int i = 0; i <= Nr; ++i)
      k[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 4 * i));
  }
};

VELT_AESNI_INLINE __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
VELT_AESNI_INLINE void Store(uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// x[i] has had the first round key added; `last[i]` is XORed in by the final round, which
// folds the mode's output XOR into it at no cost.
template <int Nr, size_t L>
VELT_AESNI_INLINE void EncryptLanes(const Keys<Nr>& k, __m128i (&x)[L], const __m128i (&last)[L]) {
  for (int r = 1; r < Nr; ++r)
    for (size_t i = 0; i < L; ++i) x[i] = _mm_aesenc_si128(x[i], k.k[r]);
  for (size_t i = 0; i < L; ++i) x[i] = _mm_aesenclast_si128(x[i], last[i]);
}

template <int Nr, size_t L>
VELT_AESNI_INLINE void DecryptLanes(const Keys<Nr>& k, __m128i (&x)[L], const __m128i (&last)[L]) {
  for (int r = 1; r < Nr; ++r)
    for (size_t i = 0; i < L; ++i) x[i] = _mm_aesdec_si128(x[i], k.k[r]);
  for (size_t i = 0; i < L; ++i) x[i] = _mm_aesdeclast_si128(x[i], last[i]);
}

template <int Nr, bool Encrypt>
VELT_AESNI void Ecb(const uint32_t* w, const uint8_t* in, uint8_t* out, size_t n) {
  const Keys<Nr> k(w);
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i x[kLanes], last[kLanes];
    for (size_t i = 0; i < kLanes; ++i) {
      x[i] = _mm_xor_si128(Load(in + 16 * i), k.k[0]);
      last[i] = k.k[Nr];
    }
    if constexpr (Encrypt)
      EncryptLanes<Nr>(k, x, last);
    else
      DecryptLanes<Nr>(k, x, last);
    for (size_t i = 0; i < kLanes; ++i) Store(out + 16 * i, x[i]);
  }
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i x[1] = {_mm_xor_si128(Load(in), k.k[0])}, last[1] = {k.k[Nr]};
    if constexpr (Encrypt)
      EncryptLanes<Nr>(k, x, last);
    else
      DecryptLanes<Nr>(k, x, last);
    Store(out, x[0]);
  }
}

// Serial by nature. The last round of block i also adds plain block i+1 and the first round
// key, so the chain carries only the AES rounds themselves.
template <int Nr>
VELT_AESNI void CbcEnc(const uint32_t* w, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
  if (n == 0) return;
  const Keys<Nr> k(w);
  __m128i x = _mm_xor_si128(_mm_xor_si128(Load(in), Load(cv)), k.k[0]);
  for (; n > 1; --n, in += 16, out += 16) {
    __m128i next = _mm_xor_si128(Load(in + 16), k.k[0]);
    for (int r = 1; r < Nr; ++r) x = _mm_aesenc_si128(x, k.k[r]);
    x = _mm_aesenclast_si128(x, _mm_xor_si128(k.k[Nr], next));
    Store(out, _mm_xor_si128(x, next));
  }
  for (int r = 1; r < Nr; ++r) x = _mm_aesenc_si128(x, k.k[r]);
  x = _mm_aesenclast_si128(x, k.k[Nr]);
  Store(out, x);
  Store(cv, x);
}

// The previous cipher block (or CV) is folded into the last round key of each lane.
template <int Nr>
VELT_AESNI void CbcDec(const uint32_t* w, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
  const Keys<Nr> k(w);
  __m128i prev = Load(cv);
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i c[kLanes], x[kLanes], last[kLanes];
    for (size_t i = 0; i < kLanes; ++i) {
      c[i] = Load(in + 16 * i);
      x[i] = _mm_xor_si128(c[i], k.k[0]);
    }
    last[0] = _mm_xor_si128(k.k[Nr], prev);
    for (size_t i = 1; i < kLanes; ++i) last[i] = _mm_xor_si128(k.k[Nr], c[i - 1]);
    prev = c[kLanes - 1];
    DecryptLanes<Nr>(k, x, last);
    for (size_t i = 0; i < kLanes; ++i) Store(out + 16 * i, x[i]);
  }
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i c = Load(in);
    __m128i x[1] = {_mm_xor_si128(c, k.k[0])}, last[1] = {_mm_xor_si128(k.k[Nr], prev)};
    DecryptLanes<Nr>(k, x, last);
    Store(out, x[0]);
    prev = c;
  }
  Store(cv, prev);
}

#if VELT_RIJNDAEL_VAES
#define VELT_VAES __attribute__((target("vaes,avx2,aes,sse4.1")))

VELT_VAES inline __m256i Load2(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Two blocks per register, sixteen in flight. The round keys stay in memory (there are only
// sixteen registers), read as operands. The chain values are read again from the cipher text
// after the rounds, which is safe in place because nothing of this run is stored before.
template <int Nr>
VELT_VAES void CbcDecWide(const uint32_t* w, uint8_t* cv, const uint8_t* in, uint8_t* out,
                          size_t n) {
  constexpr size_t L = 8;
  __m256i k[Nr + 1];
  for (int i = 0; i <= Nr; ++i)
    k[i] = _mm256_broadcastsi128_si256(Load(reinterpret_cast<const uint8_t*>(w + 4 * i)));
  __m128i prev = Load(cv);
  for (; n >= 2 * L; n -= 2 * L, in += 32 * L, out += 32 * L) {
    __m256i x[L];
    for (size_t i = 0; i < L; ++i) x[i] = _mm256_xor_si256(Load2(in + 32 * i), k[0]);
    for (int r = 1; r < Nr; ++r)
      for (size_t i = 0; i < L; ++i) x[i] = _mm256_aesdec_epi128(x[i], k[r]);
    x[0] =
        _mm256_aesdeclast_epi128(x[0], _mm256_xor_si256(k[Nr], _mm256_set_m128i(Load(in), prev)));
    for (size_t i = 1; i < L; ++i)
      x[i] = _mm256_aesdeclast_epi128(x[i], _mm256_xor_si256(k[Nr], Load2(in + 32 * i - 16)));
    prev = Load(in + 32 * L - 16);
    for (size_t i = 0; i < L; ++i)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * i), x[i]);
  }
  Store(cv, prev);
  if (n) CbcDec<Nr>(w, cv, in, out, n);
}
#endif

// Key stream block i is E(cipher block i-1), so all blocks of a run are known up front.
template <int Nr>
VELT_AESNI void CfbDec(const uint32_t* w, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
  const Keys<Nr> k(w);
  __m128i prev = Load(cv);
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i c[kLanes], x[kLanes], last[kLanes];
    for (size_t i = 0; i < kLanes; ++i) c[i] = Load(in + 16 * i);
    x[0] = _mm_xor_si128(prev, k.k[0]);
    for (size_t i = 1; i < kLanes; ++i) x[i] = _mm_xor_si128(c[i - 1], k.k[0]);
    for (size_t i = 0; i < kLanes; ++i) last[i] = _mm_xor_si128(k.k[Nr], c[i]);
    prev = c[kLanes - 1];
    EncryptLanes<Nr>(k, x, last);
    for (size_t i = 0; i < kLanes; ++i) Store(out + 16 * i, x[i]);
  }
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i c = Load(in);
    __m128i x[1] = {_mm_xor_si128(prev, k.k[0])}, last[1] = {_mm_xor_si128(k.k[Nr], c)};
    EncryptLanes<Nr>(k, x, last);
    Store(out, x[0]);
    prev = c;
  }
  Store(cv, prev);
}

inline uint64_t LoadBe64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = v << 8 | p[i];
  return v;
}
inline void StoreBe64(uint8_t* p, uint64_t v) {
  for (int i = 7; i >= 0; --i, v >>= 8) p[i] = uint8_t(v);
}

// The counter is kept as two native halves and byte-swapped into each block.
struct Counter {
  uint64_t hi, lo;
  VELT_AESNI_INLINE __m128i Next() {
    __m128i b = _mm_set_epi64x(int64_t(__builtin_bswap64(lo)), int64_t(__builtin_bswap64(hi)));
    if (++lo == 0) ++hi;
    return b;
  }
};

template <int Nr>
VELT_AESNI void CtrRun(const uint32_t* w, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
  const Keys<Nr> k(w);
  Counter ctr{LoadBe64(cv), LoadBe64(cv + 8)};
  for (; n >= kLanes; n -= kLanes, in += 16 * kLanes, out += 16 * kLanes) {
    __m128i x[kLanes], last[kLanes];
    for (size_t i = 0; i < kLanes; ++i) {
      x[i] = _mm_xor_si128(ctr.Next(), k.k[0]);
      last[i] = _mm_xor_si128(k.k[Nr], Load(in + 16 * i));
    }
    EncryptLanes<Nr>(k, x, last);
    for (size_t i = 0; i < kLanes; ++i) Store(out + 16 * i, x[i]);
  }
  for (; n > 0; --n, in += 16, out += 16) {
    __m128i x[1] = {_mm_xor_si128(ctr.Next(), k.k[0])};
    __m128i last[1] = {_mm_xor_si128(k.k[Nr], Load(in))};
    EncryptLanes<Nr>(k, x, last);
    Store(out, x[0]);
  }
  StoreBe64(cv, ctr.hi);
  StoreBe64(cv + 8, ctr.lo);
}

// Calls f with the round count of the schedule as a compile-time constant.
template <class F>
void ByRounds(int rounds, F f) {
  switch (rounds) {
    case 10:
      return f(std::integral_constant<int, 10>{});
    case 12:
      return f(std::integral_constant<int, 12>{});
    default:
      return f(std::integral_constant<int, 14>{});
  }
}

// CPUID directly: not every compiler's __builtin_cpu_supports knows VAES.
Support Detect() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return Support::None;
  const bool aes = c & (1u << 25), sse41 = c & (1u << 19);
  const bool osxsave = c & (1u << 27), avx = c & (1u << 28);
  if (!aes || !sse41) return Support::None;
#if VELT_RIJNDAEL_VAES
  if (osxsave && avx) {
    // The system must save the 256-bit registers (XCR0 bits 1 and 2) for them to be usable.
    unsigned lo, hi;
    __asm__("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    (void)hi;
    if ((lo & 6) == 6 && __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 5)) &&
        (c & (1u << 9)))
      return Support::AesWide;
  }
#else
  (void)osxsave;
  (void)avx;
#endif
  return Support::Aes;
}

}  // namespace

Support CpuSupport() {
  static const Support s = Detect();
  return s;
}

void EncryptBlocksRaw(const uint32_t* ek, int rounds, const uint8_t* in, uint8_t* out, size_t n) {
  ByRounds(rounds, [&](auto nr) { Ecb<nr, true>(ek, in, out, n); });
}

void DecryptBlocksRaw(const uint32_t* dk, int rounds, const uint8_t* in, uint8_t* out, size_t n) {
  ByRounds(rounds, [&](auto nr) { Ecb<nr, false>(dk, in, out, n); });
}

void CbcEncrypt(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n) {
  ByRounds(rounds, [&](auto nr) { CbcEnc<nr>(ek, cv, in, out, n); });
}

void CbcDecrypt(const uint32_t* dk, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n, bool wide) {
#if VELT_RIJNDAEL_VAES
  if (wide) return ByRounds(rounds, [&](auto nr) { CbcDecWide<nr>(dk, cv, in, out, n); });
#else
  (void)wide;
#endif
  ByRounds(rounds, [&](auto nr) { CbcDec<nr>(dk, cv, in, out, n); });
}

void CfbDecrypt(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out,
                size_t n) {
  ByRounds(rounds, [&](auto nr) { CfbDec<nr>(ek, cv, in, out, n); });
}

void Ctr(const uint32_t* ek, int rounds, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
  ByRounds(rounds, [&](auto nr) { CtrRun<nr>(ek, cv, in, out, n); });
}

#else  // no AES instructions on this target

Support CpuSupport() {
  return Support::None;
}
void EncryptBlocksRaw(const uint32_t*, int, const uint8_t*, uint8_t*, size_t) {}
void DecryptBlocksRaw(const uint32_t*, int, const uint8_t*, uint8_t*, size_t) {}
void CbcEncrypt(const uint32_t*, int, uint8_t*, const uint8_t*, uint8_t*, size_t) {}
void CbcDecrypt(const uint32_t*, int, uint8_t*, const uint8_t*, uint8_t*, size_t, bool) {}
void CfbDecrypt(const uint32_t*, int, uint8_t*, const uint8_t*, uint8_t*, size_t) {}
void Ctr(const uint32_t*, int, uint8_t*, const uint8_t*, uint8_t*, size_t) {}

#endif

}  // namespace velt::crypto::rijndael_aesni
