// Byte streams: a source that can only be read, a sink that can only be written, and the
// positioned stream that is both, which the cipher stream operations read from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// A stream over a growable byte vector, for tests, benchmarks and text operations.
class TMemoryStream final : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t n) override;
  void Write(const void* buffer, size_t n) override;
  uint64_t Size() override { return data_.size(); }
  uint64_t Position() override { return pos_; }
  void Seek(uint64_t position) override { pos_ = position; }

  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t>& Bytes() { return data_; }
  // Largest single read served; lets tests imitate short reads.
  void SetReadLimit(size_t limit) { readLimit_ = limit; }

 private:
  std::vector<uint8_t> data_;
  uint64_t pos_ = 0;
  size_t readLimit_ = SIZE_MAX;
};

}  // namespace velt::crypto
