#include "cli/stop_request.h"

#include <chrono>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velt::cli {

void StopRequest::Request(int signalNumber) noexcept {
  int none = 0;
  signal.compare_exchange_strong(none, signalNumber);
  count.fetch_add(1);
  requested.store(true);
}

namespace {

StopRequest* target = nullptr;

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      target->Request(SIGINT);
      return TRUE;
    case CTRL_CLOSE_EVENT:
      // The process is ended when this returns: give the files in progress the few seconds
      // Windows allows to clean up.
      target->Request(SIGINT);
      for (int i = 0; i < 45 && !target->finished.load(); ++i) Sleep(100);
      return TRUE;
  }
  return FALSE;
}

#else

void OnSignal(int signalNumber) {
  target->Request(signalNumber);
}

#endif

}  // namespace

bool StopSignalled() noexcept {
  return target && target->requested.load();
}

void CatchStopSignals(StopRequest& stop) {
  target = &stop;
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a read from the terminal returns
  for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
#endif
}

SecondRequestNotice::SecondRequestNotice(const StopRequest& stop,
                                         std::function<void(const std::string&)> say) {
  watcher_ = std::thread([this, &stop, say = std::move(say)] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      if (stop.count.load() >= 2) {
        say(kStillCleaningUp);
        return;
      }
      wake_.wait_for(lock, std::chrono::milliseconds(100));
    }
  });
}

SecondRequestNotice::~SecondRequestNotice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  wake_.notify_all();
  watcher_.join();
}

}  // namespace velt::cli
