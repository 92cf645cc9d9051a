// The main window's side of ProgressSink. The engine calls it on a worker thread; each value is
// parked here and one posted call shows the newest values on the window thread. The worker never
// waits for the window, and values that arrive faster than the window redraws simply replace
// each other. The percentage label always reads what the bar shows.
#pragma once

#include <QPointer>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "batch/list_job.h"
#include "engine/progress.h"
#include "platform/window_thread.h"

class QLabel;
class QProgressBar;

namespace velt::ui {

struct ProgressPanel {
  QPointer<QLabel> singlemessage, filename, pos, total, totpos;
  QPointer<QProgressBar> pb, totpb;
};

class ProgressRelay final : public engine::ProgressSink, public batch::TotalsSink {
 public:
  ProgressRelay(platform::WindowThread& window, ProgressPanel panel);
  ~ProgressRelay() override;

  void ShowStatus(const std::string& text) override;
  void ShowFileName(const std::string& name) override;
  void ShowPercent(int n) override;
  void ShowBar(int n) override;
  // The job totals of the list workers: bar and percentage label, and the totals text.
  void ShowTotalPercent(int n) override;
  void ShowTotalText(const std::string& text) override;
  // The whole path of the file whose name is shown, for the name's tooltip (any thread).
  void ShowPath(const std::string& path);

 private:
  struct Pending {
    std::optional<std::string> status, fileName, path, total;
    std::optional<int> bar, percent, totalPercent;
  };
  struct Shared {
    std::mutex mutex;
    Pending pending;
    bool posted = false;
    bool alive = true;  // false once the window side is gone; late calls then do nothing
    ProgressPanel panel;
  };
  template <typename F>
  void Park(F&& change);
  static void Flush(const std::shared_ptr<Shared>& shared);

  platform::WindowThread& window_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velt::ui
