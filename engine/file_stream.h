// A byte stream over an open file, with a buffer so that the 8192-byte chunks of the cipher
// stage do not each cost a system call. Written data reaches the file on Flush, Seek or Size.
#pragma once

#include <memory>
#include <vector>

#include "crypto/stream.h"
#include "platform/file.h"

namespace velt::engine {

class FileStream final : public crypto::TStream {
 public:
  static constexpr size_t kBufferSize = 256 * 1024;

  explicit FileStream(platform::File& file);
  ~FileStream() override;  // drops unwritten data: call Flush to keep it

  size_t Read(void* buffer, size_t n) override;
  void Write(const void* buffer, size_t n) override;
  uint64_t Size() override;
  uint64_t Position() override;
  void Seek(uint64_t position) override;
  // Writes what is buffered to the file (not to the storage device: see File::Flush).
  void Flush();

 private:
  void DropReadAhead();

  platform::File& file_;
  std::vector<uint8_t> buffer_;
  size_t readPos_ = 0, readLen_ = 0;  // unread bytes buffer_[readPos_, readLen_)
  size_t pending_ = 0;                // bytes waiting to be written
};

}  // namespace velt::engine
