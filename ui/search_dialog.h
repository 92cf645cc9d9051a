// Tsearch: the small modeless dialog of a search: the folder being searched, the count found,
// and Cancel. Opening it clears SearchCancelled and FoundCount; every close sets the flag.
#pragma once

#include <QDialog>
#include <string>

#include "platform/window_thread.h"
#include "ui/job_state.h"

class QLabel;
class QPushButton;

namespace velt::ui {

class ElidedLabel;

class Tsearch final : public QDialog {
 public:
  Tsearch(JobState& job, platform::WindowThread& window, QWidget* parent = nullptr);

  // Shows it (modeless) for a new search.
  void Open();
  // The search's own close once it has finished.
  void Close();
  // "Found <count> Files".
  void ShowCount(int32_t count);
  // The folder being searched; empty clears it.
  void ShowFolder(const std::string& folder);

 protected:
  void hideEvent(QHideEvent* event) override;
  // Cancel, Escape, and a close by the window system.
  void reject() override;

 private:
  void CancelPressed();

  JobState& job_;
  platform::WindowThread& window_;
  ElidedLabel* dir = nullptr;
  QLabel* found = nullptr;
  QPushButton* Button1 = nullptr;  // Cancel
};

}  // namespace velt::ui
