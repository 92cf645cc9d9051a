#include "ui/session_end.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include "ui/startup.h"

namespace velt::ui {

namespace {

constexpr int kSettleIntervalMs = 50;
// How long a session manager's request may keep the session from ending.
constexpr int kLongestWaitMs = 20000;

}  // namespace

SessionEnd::SessionEnd(VeltApplication& app) : app_(app) {
  timer_ = new QTimer(this);
  timer_->setInterval(kSettleIntervalMs);
  connect(timer_, &QTimer::timeout, this, &SessionEnd::Settle);
  WatchTheSystem();
}

SessionEnd::~SessionEnd() {
  StopWatching();
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

void SessionEnd::EndBeforeReturning() {
  End();
  WaitForTheJob();
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
