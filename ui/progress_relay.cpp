#include "ui/progress_relay.h"

#include <QLabel>
#include <QProgressBar>

#include "ui/elided_label.h"

namespace velt::ui {

ProgressRelay::ProgressRelay(platform::WindowThread& window, ProgressPanel panel)
    : window_(window), shared_(std::make_shared<Shared>()) {
  shared_->panel = std::move(panel);
}

ProgressRelay::~ProgressRelay() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->alive = false;
}

template <typename F>
void ProgressRelay::Park(F&& change) {
  bool post;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    change(shared_->pending);
    post = !shared_->posted;
    shared_->posted = true;
  }
  // One call in flight at a time: it takes whatever is parked when it runs.
  if (post) window_.Post([shared = shared_] { Flush(shared); });
}

void ProgressRelay::Flush(const std::shared_ptr<Shared>& shared) {
  Pending p;
  {
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->posted = false;
    if (!shared->alive) return;
    std::swap(p, shared->pending);
  }
  const ProgressPanel& ui = shared->panel;
  auto text = [](const std::string& s) { return QString::fromStdString(s); };
  auto percent = [](int n) { return QString::number(n) + QLatin1Char('%'); };
  if (p.status && ui.singlemessage) ui.singlemessage->setText(text(*p.status));
  if (p.fileName && ui.filename) {
    if (auto* elided = dynamic_cast<ElidedLabel*>(ui.filename.data()))
      elided->SetFullText(text(*p.fileName), elided->toolTip());
    else
      ui.filename->setText(text(*p.fileName));
  }
  if (p.path && ui.filename) ui.filename->setToolTip(text(*p.path));
  if (p.bar && ui.pb) ui.pb->setValue(*p.bar);
  if (p.percent && ui.pos) ui.pos->setText(percent(*p.percent));
  if (p.totalPercent) {
    if (ui.totpb) ui.totpb->setValue(*p.totalPercent);
    if (ui.totpos) ui.totpos->setText(percent(*p.totalPercent));
  }
  if (p.total && ui.total) ui.total->setText(text(*p.total));
}

void ProgressRelay::ShowStatus(const std::string& text) {
  Park([&](Pending& p) { p.status = text; });
}

void ProgressRelay::ShowFileName(const std::string& name) {
  Park([&](Pending& p) { p.fileName = name; });
}

void ProgressRelay::ShowPercent(int n) {
  Park([&](Pending& p) {
    p.bar = n;
    p.percent = n;
  });
}

void ProgressRelay::ShowBar(int n) {
  // The label follows the bar: a stage that restarts or runs the bar down (an overwrite) must
  // not leave the previous stage's percentage beside it.
  Park([&](Pending& p) {
    p.bar = n;
    p.percent = n;
  });
}

void ProgressRelay::ShowPath(const std::string& path) {
  Park([&](Pending& p) { p.path = path; });
}

void ProgressRelay::ShowTotalPercent(int n) {
  Park([&](Pending& p) { p.totalPercent = n; });
}

void ProgressRelay::ShowTotalText(const std::string& text) {
  Park([&](Pending& p) { p.total = text; });
}

}  // namespace velt::ui
