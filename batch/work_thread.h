// TWorkThread runs one piece of work on a thread of its own and tells the window thread when
// it starts and when it has ended. At most one run at a time per component.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/window_thread.h"

namespace velt::batch {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TWorkThread;

// The thread of one run, as the handlers see it.
class TWorkExecuteThread {
 public:
  // Set by Stop (or by destruction of the component); the work should look at it and return.
  bool Terminated() const { return terminated_.load(); }
  // The work may publish a percentage here; OnUpdate reads it on each timer tick.
  std::atomic<int32_t> Percent{0};
  // Where a suspended run waits; work that wants Suspend to take effect calls it now and then.
  void Checkpoint();
  // What escaped OnExecute, if anything (kept, never reported).
  std::exception_ptr Error() const { return error_; }

 private:
  friend class TWorkThread;
  std::atomic<bool> terminated_{false};
  std::mutex mutex_;
  std::condition_variable resumed_;
  bool started_ = false;
  bool suspended_ = false;
  std::exception_ptr error_;
};

using TWorkThreadDataNotifyEvent =
    std::function<void(TWorkThread& sender, TWorkExecuteThread& thread, void*& data)>;
using TWorkThreadUpdateNotifyEvent = std::function<void(
    TWorkThread& sender, TWorkExecuteThread& thread, void*& data, int32_t percent)>;

class TWorkThread {
 public:
  explicit TWorkThread(platform::WindowThread& window);
  // Waits for a running work to return (letting window input through meanwhile) and raises no
  // OnTerminate.
  ~TWorkThread();
  TWorkThread(const TWorkThread&) = delete;
  TWorkThread& operator=(const TWorkThread&) = delete;

  TWorkThreadDataNotifyEvent OnExecute;    // on the worker thread
  TWorkThreadDataNotifyEvent OnStart;      // on the window thread, before the work runs
  TWorkThreadDataNotifyEvent OnTerminate;  // on the window thread, after the work returned
  // On the window thread, every RefreshInterval while a run goes on; set before Start.
  TWorkThreadUpdateNotifyEvent OnUpdate;

  // Begins a run unless one is running. Window thread.
  void Start(void* data = nullptr);
  // True from Start until the end-of-run handling has begun.
  bool Running() const { return thread_ != nullptr; }
  // Asks the running work to stop (sets Terminated) and resumes it if suspended.
  void Stop();
  void Suspend();
  void Resume();

  TThreadPriority Priority() const { return priority_; }
  void SetPriority(TThreadPriority p);
  bool UpdateEnabled() const { return updateEnabled_; }
  void SetUpdateEnabled(bool on);
  std::chrono::milliseconds RefreshInterval() const { return refresh_; }
  void SetRefreshInterval(std::chrono::milliseconds interval);
  // Whether the last run ended with its termination requested.
  bool LastRunTerminated() const { return lastTerminated_; }

 private:
  struct Run;
  void TimerOn();
  void TimerOff();
  void DoUpdate();
  void EndOfRun(const std::shared_ptr<Run>& run);
  // Joins the threads of earlier runs that have returned (all of them when `all`).
  void JoinFinished(bool all);

  platform::WindowThread& window_;
  std::shared_ptr<Run> thread_;                  // the current run; null when idle
  std::vector<std::shared_ptr<Run>> finishing_;  // ended runs whose threads may still return
  std::recursive_mutex lock_;                    // held around OnStart, OnUpdate and OnTerminate
  TThreadPriority priority_ = tpNormal;
  bool updateEnabled_ = false;
  std::chrono::milliseconds refresh_{100};
  platform::WindowThread::TimerId timer_ = 0;
  bool lastTerminated_ = false;
  bool destroying_ = false;
};

}  // namespace velt::batch
