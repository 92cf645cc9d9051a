// The window thread as the batch components need it: calls posted to it, calls made on it while
// the caller waits, pending input let through, repeating timers. The GUI fills this with its
// event loop.
#pragma once

#include <chrono>
#include <functional>

namespace velt::platform {

class WindowThread {
 public:
  using Call = std::function<void()>;
  using TimerId = int;

  virtual ~WindowThread() = default;
  // Runs `call` on the window thread later; returns at once. Any thread.
  virtual void Post(Call call) = 0;
  // Runs `call` on the window thread and returns when it has run, passing on what it throws.
  // From another thread; on the window thread itself it simply runs it. Built on Post.
  virtual void Synchronize(Call call);
  // Lets pending input and posted calls run; on the window thread only.
  virtual void ProcessPendingInput() = 0;
  virtual bool IsWindowThread() const = 0;
  // A repeating timer whose ticks run on the window thread.
  virtual TimerId StartTimer(std::chrono::milliseconds interval, Call tick) = 0;
  virtual void StopTimer(TimerId id) = 0;
};

}  // namespace velt::platform
