// The session's end on POSIX: SIGTERM (a logout, a shutdown, `kill`) and, where the desktop has
// one, the session manager's request.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "ui/session_end.h"

namespace velt::ui {

namespace {

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

}  // namespace

void SessionEnd::WatchTheSystem() {
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
#if QT_CONFIG(sessionmanager)
  request_ = connect(qApp, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { EndBeforeReturning(); });
#endif
}

void SessionEnd::StopWatching() {
  disconnect(request_);
  if (!notifier_) return;
  ::sigaction(SIGTERM, &previous, nullptr);
  delete notifier_;
  notifier_ = nullptr;
  for (int& fd : wake) {
    ::close(fd);
    fd = -1;
  }
}

}  // namespace velt::ui
