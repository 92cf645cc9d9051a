// The session's end on Windows: a logout, a shutdown or an installer's restart asks every
// top-level window with WM_QUERYENDSESSION, which Qt's windows platform hands on as
// commitDataRequest. Windows ends the process soon after the answer (WM_ENDSESSION) without
// unwinding anything, so the job is stopped at its safe point and awaited before answering,
// and the program then quits by itself as on POSIX.
#include <QGuiApplication>
#include <QSessionManager>

#include "ui/session_end.h"

namespace velt::ui {

void SessionEnd::WatchTheSystem() {
  request_ = connect(qApp, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { EndBeforeReturning(); });
}

void SessionEnd::StopWatching() {
  disconnect(request_);
}

}  // namespace velt::ui
