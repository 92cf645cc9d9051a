// A stream over a growable byte vector, for tests, fuzz targets and benchmarks: whole files in
// memory, and short reads on request.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "crypto/stream.h"

namespace velt::test {

class TMemoryStream final : public crypto::TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  size_t Read(void* buffer, size_t n) override {
    if (pos_ >= data_.size()) return 0;
    const size_t k = std::min({n, readLimit_, size_t(data_.size() - pos_)});
    std::memcpy(buffer, data_.data() + pos_, k);
    pos_ += k;
    return k;
  }
  void Write(const void* buffer, size_t n) override {
    if (n == 0) return;
    if (pos_ + n > data_.size()) data_.resize(pos_ + n);
    std::memcpy(data_.data() + pos_, buffer, n);
    pos_ += n;
  }
  uint64_t Size() override { return data_.size(); }
  uint64_t Position() override { return pos_; }
  void Seek(uint64_t position) override { pos_ = position; }

  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t>& Bytes() { return data_; }
  // Largest single read served, to imitate short reads.
  void SetReadLimit(size_t limit) { readLimit_ = limit; }

 private:
  std::vector<uint8_t> data_;
  uint64_t pos_ = 0;
  size_t readLimit_ = SIZE_MAX;
};

}  // namespace velt::test
