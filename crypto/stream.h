// Byte streams: a source that can only be read, a sink that can only be written, and the
// positioned stream that is both, which the cipher stream operations read from.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velt::crypto {

class TSource {
 public:
  virtual ~TSource() = default;
  // Reads up to n bytes at the current position; returns how many were read (0 at the end).
  virtual size_t Read(void* buffer, size_t n) = 0;
};

class TSink {
 public:
  virtual ~TSink() = default;
  // Writes all n bytes or throws; a positioned stream writes them at its position.
  virtual void Write(const void* buffer, size_t n) = 0;
};

class TStream : public TSource, public TSink {
 public:
  // Size of the whole stream; does not move the position.
  virtual uint64_t Size() = 0;
  virtual uint64_t Position() = 0;
  virtual void Seek(uint64_t position) = 0;
};

}  // namespace velt::crypto
