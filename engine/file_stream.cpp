#include "engine/file_stream.h"

#include <algorithm>
#include <cstring>

namespace velt::engine {

FileStream::FileStream(platform::File& file) : file_(file), buffer_(kBufferSize) {}

FileStream::~FileStream() = default;

size_t FileStream::Read(void* out, size_t n) {
  Flush();
  auto* p = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < n) {
    if (readPos_ == readLen_) {
      // Large reads go straight to the caller's buffer.
      if (n - done >= buffer_.size()) {
        done += file_.Read(p + done, n - done);
        break;
      }
      readPos_ = 0;
      readLen_ = file_.Read(buffer_.data(), buffer_.size());
      if (readLen_ == 0) break;
    }
    size_t k = std::min(n - done, readLen_ - readPos_);
    std::memcpy(p + done, buffer_.data() + readPos_, k);
    readPos_ += k;
    done += k;
  }
  return done;
}

void FileStream::Write(const void* in, size_t n) {
  DropReadAhead();
  auto* p = static_cast<const uint8_t*>(in);
  if (pending_ + n > buffer_.size()) {
    Flush();
    if (n >= buffer_.size()) {
      file_.Write(p, n);
      return;
    }
  }
  std::memcpy(buffer_.data() + pending_, p, n);
  pending_ += n;
}

uint64_t FileStream::Size() {
  Flush();
  return file_.Size();
}

uint64_t FileStream::Position() {
  return file_.Position() + pending_ - (readLen_ - readPos_);
}

void FileStream::Seek(uint64_t position) {
  if (position == Position()) return;  // keeps the buffers of a stream moved back and forth
  Flush();
  readPos_ = readLen_ = 0;
  file_.Seek(position);
}

void FileStream::Flush() {
  if (pending_ == 0) return;
  size_t n = pending_;
  pending_ = 0;  // a failed write is not retried by a later Flush
  file_.Write(buffer_.data(), n);
}

void FileStream::DropReadAhead() {
  if (readPos_ == readLen_) return;
  file_.Seek(file_.Position() - (readLen_ - readPos_));
  readPos_ = readLen_ = 0;
}

}  // namespace velt::engine
