// The end of the user's session while VELT works: SIGTERM on POSIX (a logout, a shutdown), the
// session manager's request where there is one (WM_QUERYENDSESSION on Windows). The running job
// is stopped at its next safe point, where the engine removes its temporary files and leaves
// the file it was on as it was (or finished); open questions are answered Cancel; then the
// program quits. How the system says so is watched by posix/session_end_signal.cpp (the signal
// handler only writes a byte to a socket: everything else runs on the window thread) and
// win32/session_end_message.cpp.
#pragma once

#include <QObject>

class QTimer;
class QSocketNotifier;

namespace velt::ui {

class VeltApplication;

class SessionEnd final : public QObject {
  Q_OBJECT

 public:
  // One at a time per process: on POSIX it takes over SIGTERM, and gives it back as it was
  // when destroyed.
  explicit SessionEnd(VeltApplication& app);
  ~SessionEnd() override;
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;

  // What the end of the session leads to, on the window thread.
  void End();

 signals:
  // The work has stopped: the program is to end now.
  void Quit();

 private:
  // The system's side, one file per platform.
  void WatchTheSystem();
  void StopWatching();
  // For a request that ends the session once it returns: End, then wait for the job.
  void EndBeforeReturning();
  // Until the program can quit: closes what waits for an answer, and quits once no job runs.
  void Settle();
  // For a session manager that ends the session once its request returns.
  void WaitForTheJob();

  VeltApplication& app_;
  QTimer* timer_ = nullptr;
  QSocketNotifier* notifier_ = nullptr;  // POSIX: the signal's socket
  QMetaObject::Connection request_;
  bool quitting_ = false;
};

}  // namespace velt::ui
