// The window thread as the batch components need it: calls posted to it, calls made on it while
// the caller waits, pending input let through, repeating timers. The GUI fills this with its
// event loop; EventLoop below is a loop of its own for tests and the command line.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

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

// A window thread of its own: the thread that constructs it is the window thread, and Run
// handles posted calls and timers there until Quit.
class EventLoop final : public WindowThread {
 public:
  EventLoop();
  void Post(Call call) override;
  void ProcessPendingInput() override;
  bool IsWindowThread() const override;
  TimerId StartTimer(std::chrono::milliseconds interval, Call tick) override;
  void StopTimer(TimerId id) override;

  // Runs until Quit is called (from any thread, or from a call on this one).
  void Run();
  // Runs until `done` answers true (checked after each call), or the time is up; returns done().
  bool RunUntil(const std::function<bool()>& done,
                std::chrono::milliseconds limit = std::chrono::seconds(30));
  void Quit();

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    std::chrono::milliseconds interval;
    Clock::time_point next;
    Call tick;
  };
  // Runs one posted call or due timer, waiting up to `wait` for one; false if none came.
  bool RunOne(std::chrono::milliseconds wait);

  std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Call> calls_;
  std::map<TimerId, Timer> timers_;
  TimerId nextTimer_ = 1;
  bool quit_ = false;
};

}  // namespace velt::platform
