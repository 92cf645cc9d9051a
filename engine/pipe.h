// A bounded hand-over between two threads: one stage writes into it while another reads from
// it, so that two stages of a pipeline (the cipher and zlib) run on two processors at once.
// Memory stays at `capacity` bytes whatever the file size.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

#include "crypto/stream.h"

namespace velt::engine {

// A megabyte keeps both stages busy. Larger only costs: each file's ring is fresh memory, and
// the first touch of every page of it is a page fault (4 MiB cost a decryption of 64 MiB about
// an eighth of its time).
inline constexpr size_t kPipeCapacity = 1 << 20;

class Pipe {
 public:
  explicit Pipe(size_t capacity = kPipeCapacity);

  // Writer side. Blocks while the pipe is full; throws Abandoned once the reader has given up.
  void Write(const void* data, size_t n);
  // No more data will come.
  void Close();
  // The writer failed; the reader's next Read rethrows the error.
  void Fail(std::exception_ptr error);

  // Reader side. Blocks until data, the end or an error; returns 0 at the end.
  size_t Read(void* data, size_t n);
  // The reader stops reading; a blocked or later Write throws Abandoned.
  void Abandon();
  // Rethrows the writer's error, if it failed.
  void RethrowError();

  struct Abandoned : std::exception {
    const char* what() const noexcept override { return "the reading stage has stopped"; }
  };

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint8_t> ring_;
  size_t head_ = 0, used_ = 0;
  bool closed_ = false, abandoned_ = false;
  std::exception_ptr error_;
};

// The writer side of a pipe as a sink, for the cipher's stream operations.
class PipeWriter final : public crypto::TSink {
 public:
  explicit PipeWriter(Pipe& pipe) : pipe_(pipe) {}
  void Write(const void* data, size_t n) override { pipe_.Write(data, n); }

 private:
  Pipe& pipe_;
};

// Runs `produce` on a thread of its own, writing into a pipe, while `consume` reads the pipe on
// the calling thread. An error of either stage stops both and reaches the caller (the
// consumer's first).
void RunPipeline(const std::function<void(crypto::TSink& out)>& produce,
                 const std::function<void(Pipe& in)>& consume, size_t capacity = kPipeCapacity);

}  // namespace velt::engine
