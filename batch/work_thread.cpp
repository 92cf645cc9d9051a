#include "batch/work_thread.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace velt::batch {

struct TWorkThread::Run {
  TWorkExecuteThread thread;
  void* data = nullptr;
  std::thread os;
  std::atomic<bool> forgotten{false};
  std::atomic<bool> exited{false};
};

namespace {
// Thread priorities as nice values (on Windows the system's own levels, which they are named
// after); raising above normal needs rights we may not have, and a refusal is not an error.
void ApplyPriority(TThreadPriority p) {
#ifdef __linux__
  static const int nice[] = {19, 10, 5, 0, -5, -10, -20};
  ::setpriority(PRIO_PROCESS, pid_t(::syscall(SYS_gettid)), nice[p]);
#elif defined(_WIN32)
  static const int level[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                              THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                              THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                              THREAD_PRIORITY_TIME_CRITICAL};
  ::SetThreadPriority(::GetCurrentThread(), level[p]);
#else
  (void)p;
#endif
}
}  // namespace

void TWorkExecuteThread::Checkpoint() {
  std::unique_lock<std::mutex> lock(mutex_);
  resumed_.wait(lock, [&] { return !suspended_ || terminated_.load(); });
}

TWorkThread::TWorkThread(platform::WindowThread& window) : window_(window) {}

TWorkThread::~TWorkThread() {
  destroying_ = true;
  TimerOff();
  if (auto run = thread_) {
    run->thread.terminated_ = true;
    Resume();
    // The end call now only forgets the thread (see EndOfRun); wait for it on the window thread.
    while (!run->forgotten) {
      window_.ProcessPendingInput();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  JoinFinished(true);
}

void TWorkThread::JoinFinished(bool all) {
  // A run's thread returns right after its end call; OnTerminate may start the next run
  // while the previous thread still waits for that call, so only finished ones are joined.
  for (auto it = finishing_.begin(); it != finishing_.end();) {
    if (all || (*it)->exited) {
      if ((*it)->os.joinable()) (*it)->os.join();
      it = finishing_.erase(it);
    } else {
      ++it;
    }
  }
}

void TWorkThread::Start(void* data) {
  if (thread_) return;
  JoinFinished(false);
  auto run = std::make_shared<Run>();
  run->data = data;
  thread_ = run;
  lastTerminated_ = false;
  TThreadPriority priority = priority_;
  run->os = std::thread([this, run, priority] {
    {
      // Made suspended: nothing runs before OnStart has returned on the window thread.
      std::unique_lock<std::mutex> lock(run->thread.mutex_);
      run->thread.resumed_.wait(lock, [&] { return run->thread.started_; });
    }
    ApplyPriority(priority);
    if (OnExecute) {
      try {
        OnExecute(*this, run->thread, run->data);
      } catch (...) {
        run->thread.error_ = std::current_exception();
      }
    }
    window_.Synchronize([this, run] { EndOfRun(run); });
    run->exited = true;
  });
  if (OnStart) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    OnStart(*this, run->thread, run->data);
  }
  {
    std::lock_guard<std::mutex> lock(run->thread.mutex_);
    run->thread.started_ = true;
  }
  run->thread.resumed_.notify_all();
  TimerOn();
}

void TWorkThread::EndOfRun(const std::shared_ptr<Run>& run) {
  // Runs on the window thread while the worker waits for it.
  finishing_.push_back(run);
  if (destroying_) {
    thread_.reset();
    run->forgotten = true;
    return;
  }
  TimerOff();
  thread_.reset();
  run->forgotten = true;
  lastTerminated_ = run->thread.Terminated();
  if (OnTerminate) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    OnTerminate(*this, run->thread, run->data);
  }
}

void TWorkThread::Stop() {
  if (!thread_) return;
  Resume();
  thread_->thread.terminated_ = true;
  thread_->thread.resumed_.notify_all();
}

void TWorkThread::Suspend() {
  if (!thread_) return;
  std::lock_guard<std::mutex> lock(thread_->thread.mutex_);
  thread_->thread.suspended_ = true;
}

void TWorkThread::Resume() {
  if (!thread_) return;
  {
    std::lock_guard<std::mutex> lock(thread_->thread.mutex_);
    thread_->thread.suspended_ = false;
  }
  thread_->thread.resumed_.notify_all();
}

void TWorkThread::SetPriority(TThreadPriority p) {
  priority_ = p;
}

void TWorkThread::SetUpdateEnabled(bool on) {
  if (on == updateEnabled_) return;
  updateEnabled_ = on;
  if (on)
    TimerOn();
  else
    TimerOff();
}

void TWorkThread::SetRefreshInterval(std::chrono::milliseconds interval) {
  refresh_ = interval;
  if (timer_) {
    TimerOff();
    TimerOn();
  }
}

void TWorkThread::TimerOn() {
  // Ticks with no run or nobody to tell would only wake an idle program.
  if (timer_ || !thread_ || !OnUpdate || !updateEnabled_) return;
  timer_ = window_.StartTimer(refresh_, [this] { DoUpdate(); });
}

void TWorkThread::TimerOff() {
  if (timer_) window_.StopTimer(timer_);
  timer_ = 0;
}

void TWorkThread::DoUpdate() {
  auto run = thread_;
  if (!run || !OnUpdate) return;
  std::lock_guard<std::recursive_mutex> lock(lock_);
  OnUpdate(*this, run->thread, run->data, run->thread.Percent.load());
}

}  // namespace velt::batch
