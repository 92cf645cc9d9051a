#include <algorithm>
#include <cstring>

#include "crypto/stream.h"

namespace velt::crypto {

size_t TMemoryStream::Read(void* buffer, size_t n) {
  if (pos_ >= data_.size()) return 0;
  size_t k = std::min({n, readLimit_, size_t(data_.size() - pos_)});
  std::memcpy(buffer, data_.data() + pos_, k);
  pos_ += k;
  return k;
}

void TMemoryStream::Write(const void* buffer, size_t n) {
  if (n == 0) return;
  if (pos_ + n > data_.size()) data_.resize(pos_ + n);
  std::memcpy(data_.data() + pos_, buffer, n);
  pos_ += n;
}

}  // namespace velt::crypto
