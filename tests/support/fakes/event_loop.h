// A window thread without a windowing system, for the tests of the components that need one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "platform/window_thread.h"

namespace velt::test {

// A window thread of its own: the thread that constructs it is the window thread, and Run
// handles posted calls and timers there until Quit.
class EventLoop final : public platform::WindowThread {
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

}  // namespace velt::test
