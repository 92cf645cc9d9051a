// The five chaining modes, written once for both block sizes. `Ops` is anything with
//   void EncryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
//   void DecryptBlocksRaw(const uint8_t* in, uint8_t* out, size_t count) const;
// where in and out may be the same buffer. Algorithm classes pass inline block functions so
// the loops run without a virtual call per block; the generic bases pass virtual ones.
//
// An algorithm may also give its block function over the block's 32-bit words, read in the
// byte order it names (WordCipher below). CBC encryption is then chained in registers: the
// chain value never goes through memory between blocks, and only the XOR with the next plain
// block lies between one encryption and the next.
//
// A trailing partial block of n < B bytes (CBC, CFB-block, OFB): CV = E(CV) and the bytes are
// XORed with the first n bytes of CV, in both directions. Output may overwrite input.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "crypto/bytes.h"

namespace velt::crypto {

enum class WordOrder { kLittle, kBig };

template <class C, size_t B>
concept WordCipher = requires(const C& c, uint32_t (&w)[B / 4]) {
  { C::kWordOrder } -> std::convertible_to<WordOrder>;
  c.EncryptWords(w);
};

template <WordOrder O>
inline uint32_t LoadWord(const uint8_t* p) {
  return O == WordOrder::kBig ? LoadBe32(p) : LoadLe32(p);
}
template <WordOrder O>
inline void StoreWord(uint8_t* p, uint32_t v) {
  if constexpr (O == WordOrder::kBig)
    StoreBe32(p, v);
  else
    StoreLe32(p, v);
}

template <WordOrder O, size_t N>
inline void LoadWords(uint32_t (&w)[N], const uint8_t* p) {
  for (size_t k = 0; k < N; ++k) w[k] = LoadWord<O>(p + 4 * k);
}
template <WordOrder O, size_t N>
inline void StoreWords(uint8_t* p, const uint32_t (&w)[N]) {
  for (size_t k = 0; k < N; ++k) StoreWord<O>(p + 4 * k, w[k]);
}

// A word cipher's block function over bytes, for its EncryptBlockRaw.
template <size_t B, class C>
inline void EncryptBlockByWords(const C& c, const uint8_t* in, uint8_t* out) {
  uint32_t w[B / 4];
  LoadWords<C::kWordOrder>(w, in);
  c.EncryptWords(w);
  StoreWords<C::kWordOrder>(out, w);
}

template <size_t B>
struct Modes {
  // Blocks handed to a bulk call at once: enough to keep several in flight, small enough to
  // stay on the stack.
  static constexpr size_t kBatch = 512 / B;

  static void XorBlock(uint8_t* out, const uint8_t* a, const uint8_t* b) {
    if constexpr (B == 8) {
      uint64_t x, y;
      std::memcpy(&x, a, 8);
      std::memcpy(&y, b, 8);
      x ^= y;
      std::memcpy(out, &x, 8);
    } else {
      uint64_t x[2], y[2];
      std::memcpy(x, a, 16);
      std::memcpy(y, b, 16);
      x[0] ^= y[0];
      x[1] ^= y[1];
      std::memcpy(out, x, 16);
    }
  }

  template <class Ops>
  static void Tail(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    ops.EncryptBlocksRaw(cv, cv, 1);
    XorBytes(out, in, cv, n);
  }

  template <class Ops>
  static void CbcEncrypt(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    for (; n >= B; n -= B, in += B, out += B) {
      XorBlock(cv, cv, in);
      ops.EncryptBlocksRaw(cv, cv, 1);
      std::memcpy(out, cv, B);
    }
    if (n) Tail(ops, cv, in, out, n);
  }

  template <class C>
  requires WordCipher<C, B>
  static void CbcEncryptWords(const C& c, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    constexpr WordOrder O = C::kWordOrder;
    uint32_t w[B / 4];
    LoadWords<O>(w, cv);
    for (; n >= B; n -= B, in += B, out += B) {
      for (size_t k = 0; k < B / 4; ++k) w[k] ^= LoadWord<O>(in + 4 * k);
      c.EncryptWords(w);
      StoreWords<O>(out, w);
    }
    StoreWords<O>(cv, w);
    if (n) Tail(c, cv, in, out, n);
  }

  template <class Ops>
  static void CbcDecrypt(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    uint8_t saved[kBatch * B];
    while (n >= B) {
      size_t k = std::min(n / B, kBatch);
      std::memcpy(saved, in, k * B);  // the cipher text is the next chain value, even in place
      ops.DecryptBlocksRaw(saved, out, k);
      XorBlock(out, out, cv);
      for (size_t i = 1; i < k; ++i) XorBlock(out + i * B, out + i * B, saved + (i - 1) * B);
      std::memcpy(cv, saved + (k - 1) * B, B);
      in += k * B;
      out += k * B;
      n -= k * B;
    }
    if (n) Tail(ops, cv, in, out, n);
  }

  template <class Ops>
  static void Cfb8(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n,
                   bool encrypt) {
    uint8_t t[B];
    for (size_t i = 0; i < n; ++i) {
      ops.EncryptBlocksRaw(cv, t, 1);
      uint8_t c = encrypt ? uint8_t(in[i] ^ t[0]) : in[i];
      out[i] = uint8_t(in[i] ^ t[0]);
      std::memmove(cv, cv + 1, B - 1);
      cv[B - 1] = c;
    }
  }

  template <class Ops>
  static void CfbBlockEncrypt(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out,
                              size_t n) {
    for (; n >= B; n -= B, in += B, out += B) {
      ops.EncryptBlocksRaw(cv, cv, 1);
      XorBlock(cv, cv, in);
      std::memcpy(out, cv, B);
    }
    if (n) Tail(ops, cv, in, out, n);
  }

  template <class Ops>
  static void CfbBlockDecrypt(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out,
                              size_t n) {
    uint8_t stream[kBatch * B];
    while (n >= B) {
      // Key stream block i is E of cipher block i-1 (E of CV for the first): all known now.
      size_t k = std::min(n / B, kBatch);
      std::memcpy(stream, cv, B);
      std::memcpy(stream + B, in, (k - 1) * B);
      std::memcpy(cv, in + (k - 1) * B, B);
      ops.EncryptBlocksRaw(stream, stream, k);
      for (size_t i = 0; i < k; ++i) XorBlock(out + i * B, in + i * B, stream + i * B);
      in += k * B;
      out += k * B;
      n -= k * B;
    }
    if (n) Tail(ops, cv, in, out, n);
  }

  template <class Ops>
  static void Ofb(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    for (; n >= B; n -= B, in += B, out += B) {
      ops.EncryptBlocksRaw(cv, cv, 1);
      XorBlock(out, in, cv);
    }
    if (n) Tail(ops, cv, in, out, n);
  }

  static void Increment(uint8_t* counter) {
    for (size_t i = B; i-- > 0;)
      if (++counter[i] != 0) break;
  }

  template <class Ops>
  static void Ctr(const Ops& ops, uint8_t* cv, const uint8_t* in, uint8_t* out, size_t n) {
    uint8_t stream[kBatch * B];
    while (n > 0) {
      size_t k = std::min((n + B - 1) / B, kBatch);
      for (size_t i = 0; i < k; ++i) {
        std::memcpy(stream + i * B, cv, B);
        Increment(cv);
      }
      ops.EncryptBlocksRaw(stream, stream, k);
      size_t bytes = std::min(n, k * B);
      XorBytes(out, in, stream, bytes);
      in += bytes;
      out += bytes;
      n -= bytes;
    }
  }
};

}  // namespace velt::crypto
