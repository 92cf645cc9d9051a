#include "platform/qt/window_thread_qt.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace velt::platform {

QtWindowThread::QtWindowThread(QObject* parent) : QObject(parent) {}

QtWindowThread::~QtWindowThread() {
  for (auto& [id, timer] : timers_) delete timer;
}

void QtWindowThread::Post(Call call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(std::move(call));
  }
  // One event per call, so a call that opens a modal dialog does not hold up the rest. A plain
  // event that nobody of ours reads, rather than a queued call: the call object that
  // invokeMethod makes here would be read on the window thread before our mutex is taken,
  // ordered only by Qt's own locks, which the thread checker cannot see.
  QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

void QtWindowThread::customEvent(QEvent*) {
  RunOnePosted();
}

void QtWindowThread::RunOnePosted() {
  Call call;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (posted_.empty()) return;
    call = std::move(posted_.front());
    posted_.pop_front();
  }
  call();
}

void QtWindowThread::ProcessPendingInput() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtWindowThread::IsWindowThread() const {
  return QThread::currentThread() == thread();
}

WindowThread::TimerId QtWindowThread::StartTimer(std::chrono::milliseconds interval, Call tick) {
  auto* timer = new QTimer(this);
  timer->setInterval(interval);
  connect(timer, &QTimer::timeout, this, std::move(tick));
  timer->start();
  TimerId id = nextTimer_++;
  timers_[id] = timer;
  return id;
}

void QtWindowThread::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  // A timer may be stopped from its own tick; it goes once that has returned.
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

}  // namespace velt::platform
