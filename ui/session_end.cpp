#include "ui/session_end.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>

#include "ui/startup.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace velt::ui {

namespace {

constexpr int kSettleIntervalMs = 50;
// How long a session manager's request may keep the session from ending.
constexpr int kLongestWaitMs = 20000;

#ifndef _WIN32
// [0] is read by the window thread, [1] written by the handler.
int wake[2] = {-1, -1};
struct sigaction previous;

extern "C" void OnTerminate(int) {
  const int saved = errno;
  const char byte = 1;
  // Non-blocking: a full socket already says enough.
  [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
  errno = saved;
}
#endif

}  // namespace

SessionEnd::SessionEnd(VeltApplication& app) : app_(app) {
  timer_ = new QTimer(this);
  timer_->setInterval(kSettleIntervalMs);
  connect(timer_, &QTimer::timeout, this, &SessionEnd::Settle);
#ifndef _WIN32
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, wake) == 0) {
    for (int fd : wake) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(wake[1], F_SETFL, ::fcntl(wake[1], F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(wake[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
      char bytes[16];
      [[maybe_unused]] const ssize_t read = ::read(wake[0], bytes, sizeof bytes);
      End();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previous);
  }
#endif
#if QT_CONFIG(sessionmanager)
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
    End();
    WaitForTheJob();
  });
#endif
}

SessionEnd::~SessionEnd() {
#ifndef _WIN32
  if (notifier_) {
    ::sigaction(SIGTERM, &previous, nullptr);
    delete notifier_;
    for (int& fd : wake) {
      ::close(fd);
      fd = -1;
    }
  }
#endif
}

void SessionEnd::End() {
  JobState& job = app_.job;
  if (job.Ending) return;
  job.Ending = true;
  job.StopRequested = true;
  job.Cancel = true;
  timer_->start();
  Settle();
}

void SessionEnd::Settle() {
  if (quitting_) return;
  // A question on screen is answered Cancel; the command that asked it then ends, and a job it
  // would have started is refused because the session is ending.
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
      // Some have no Cancel of their own (only OK closes them).
      if (dialog->isVisible()) dialog->done(QDialog::Rejected);
    } else {
      modal->close();
    }
    return;
  }
  if (app_.search && app_.search->isVisible()) {
    app_.search->Close();
    return;
  }
  if (app_.Form1->Busy()) return;
  quitting_ = true;
  timer_->stop();
  emit Quit();
}

void SessionEnd::WaitForTheJob() {
  if (!app_.Form1->Busy()) return;
  QEventLoop wait;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &wait, [&] {
    if (!app_.Form1->Busy()) wait.quit();
  });
  poll.start(kSettleIntervalMs);
  QTimer::singleShot(kLongestWaitMs, &wait, &QEventLoop::quit);
  wait.exec();
}

}  // namespace velt::ui
