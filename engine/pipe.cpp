#include "engine/pipe.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace velt::engine {

Pipe::Pipe(size_t capacity) : ring_(capacity) {}

void Pipe::Write(const void* data, size_t n) {
  auto* p = static_cast<const uint8_t*>(data);
  std::unique_lock<std::mutex> lock(mutex_);
  while (n > 0) {
    changed_.wait(lock, [&] { return abandoned_ || used_ < ring_.size(); });
    if (abandoned_) throw Abandoned();
    size_t tail = (head_ + used_) % ring_.size();
    size_t k = std::min({n, ring_.size() - used_, ring_.size() - tail});
    std::memcpy(ring_.data() + tail, p, k);
    used_ += k;
    p += k;
    n -= k;
    changed_.notify_all();
  }
}

void Pipe::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

void Pipe::Fail(std::exception_ptr error) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = error;
  closed_ = true;
  changed_.notify_all();
}

size_t Pipe::Read(void* data, size_t n) {
  auto* p = static_cast<uint8_t*>(data);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return used_ > 0 || closed_; });
  if (used_ == 0) {
    if (error_) std::rethrow_exception(error_);
    return 0;
  }
  size_t k = std::min({n, used_, ring_.size() - head_});
  std::memcpy(p, ring_.data() + head_, k);
  head_ = (head_ + k) % ring_.size();
  used_ -= k;
  changed_.notify_all();
  return k;
}

void Pipe::Abandon() {
  std::lock_guard<std::mutex> lock(mutex_);
  abandoned_ = true;
  changed_.notify_all();
}

void RunPipeline(const std::function<void(crypto::TSink& out)>& produce,
                 const std::function<void(Pipe& in)>& consume, size_t capacity) {
  Pipe pipe(capacity);
  std::thread producer([&] {
    try {
      PipeWriter writer(pipe);
      produce(writer);
      pipe.Close();
    } catch (const Pipe::Abandoned&) {
      pipe.Close();
    } catch (...) {
      pipe.Fail(std::current_exception());
    }
  });
  try {
    consume(pipe);
  } catch (...) {
    pipe.Abandon();
    producer.join();
    throw;
  }
  // The consumer may stop before the end (data after a zlib stream is not its business).
  pipe.Abandon();
  producer.join();
  // An error of the producer that the consumer never read still counts.
  pipe.RethrowError();
}

void Pipe::RethrowError() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (error_) std::rethrow_exception(error_);
}

}  // namespace velt::engine
