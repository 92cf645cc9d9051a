// Stopping on the user's word: Ctrl+C, a closed terminal or a kill (SIGINT, SIGHUP, SIGTERM;
// on Windows Ctrl+C, Ctrl+Break and closing the console). No new file is started, the engine
// stops the files in progress at their next safe point and cleans up after itself, and the
// process ends with 128 + the signal's number.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace velt::cli {

// Written from a signal handler, so only lock-free atomics.
struct StopRequest {
  std::atomic<bool> requested{false};
  std::atomic<int> signal{0};  // the first request's signal number
  std::atomic<int> count{0};   // requests so far
  // Set once the work has ended; the Windows console close waits for it.
  std::atomic<bool> finished{false};

  // What a signal handler does.
  void Request(int signalNumber) noexcept;
  int ExitStatus() const { return 128 + signal.load(); }
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// Routes the stop signals of this process to `stop` for the rest of its life. A blocking read
// is interrupted rather than restarted, so a password prompt ends too.
void CatchStopSignals(StopRequest& stop);

// Whether a stop signal has come since CatchStopSignals (false before it, and when none is
// caught).
bool StopSignalled() noexcept;

// While it lives, a second request (the user pressing Ctrl+C again while the files in progress
// are cleaned up) is answered once through `say`.
class SecondRequestNotice {
 public:
  SecondRequestNotice(const StopRequest& stop, std::function<void(const std::string&)> say);
  ~SecondRequestNotice();
  SecondRequestNotice(const SecondRequestNotice&) = delete;
  SecondRequestNotice& operator=(const SecondRequestNotice&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread watcher_;
};

inline constexpr const char* kStillCleaningUp = "still cleaning up, please wait";

}  // namespace velt::cli
