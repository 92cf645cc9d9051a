// The window thread over Qt's event loop: posted calls become queued calls on the thread that
// made this object, timers are QTimers, pending input is Qt's event processing.
#pragma once

#include <QObject>
#include <deque>
#include <map>
#include <mutex>

#include "platform/window_thread.h"

class QTimer;

namespace velt::platform {

class QtWindowThread final : public QObject, public WindowThread {
 public:
  // Make it on the thread that runs the QApplication's event loop.
  explicit QtWindowThread(QObject* parent = nullptr);
  ~QtWindowThread() override;

  void Post(Call call) override;
  void ProcessPendingInput() override;
  bool IsWindowThread() const override;
  TimerId StartTimer(std::chrono::milliseconds interval, Call tick) override;
  void StopTimer(TimerId id) override;

 protected:
  void customEvent(QEvent* event) override;

 private:
  void RunOnePosted();

  // Calls cross threads through this queue under a standard mutex; Qt's event only says "one
  // more is waiting". So the hand-over is visible to thread checkers that cannot see into Qt.
  std::mutex mutex_;
  std::deque<Call> posted_;
  std::map<TimerId, QTimer*> timers_;
  TimerId nextTimer_ = 1;
};

}  // namespace velt::platform
