// TForm1: the main window and the owner of all work. It reads the installation folder, offers
// the commands (menus, six tool buttons, hover texts), runs the single-file commands on their
// worker components, shows the progress panel and refuses to close while work runs.
#pragma once

#include <QMainWindow>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/file_search.h"
#include "batch/work_thread.h"
#include "engine/engine.h"
#include "engine/settings.h"
#include "ui/job_state.h"
#include "ui/open_dialog.h"
#include "ui/progress_relay.h"
#include "ui/services.h"
#include "ui/windows.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace velt::ui {

class ElidedLabel;

class TForm1 final : public QMainWindow {
  Q_OBJECT

  // What the workers use lives longer than they do, so it comes first.
  Services services_;
  Windows& windows_;
  JobState& job_;
  std::unique_ptr<ProgressRelay> progress_;
  // What the running single-file work reads: copies taken on the window thread at its start.
  engine::EngineSettings jobSettings_;
  engine::DecryptionOptions jobDecryption_;
  // What the engine tells about the single file besides its result; read after the run.
  engine::FileReport jobReport_;

 public:
  // Reads "Path"; when it is missing or empty shows the error box and leaves Installed() false,
  // and the program is to end without going on.
  TForm1(const Services& services, Windows& windows, JobState& job);
  ~TForm1() override;

  bool Installed() const { return installed_; }
  const std::string& HelpFile() const { return helpFile_; }
  // True while any worker component runs.
  bool Busy() const;

  // The commands, as the menus and tool buttons run them.
  void EncryptFile();
  void DecryptFile();
  void EncryptDirectory();
  void DecryptDirectory();
  void ShowOptions();
  void ExitProgram();
  void ShowAbout();
  void ShowHelp();

  // Components without a face.
  TOpenDialog od1;
  batch::TWorkThread singenc1, singdec1, renc1, rdec1;
  batch::TFileSearch ff1, ff2, genff;
  ProgressRelay& Progress() { return *progress_; }

  void EnterBusy();
  void EnterIdle();
  // The progress panel of a list job: with its totals row and an enabled Stop, and back.
  void ShowListPanel();
  void HideListPanel();
  // The totals row of a list job that ran to its end: full, with `text`.
  void ShowFinalTotals(const std::string& text);
  // The totals row as given, for a job that ended early.
  void ShowTotals(int percent, const std::string& text);
  // While a list command is searching or asking, another command would meet its file list:
  // it is refused with a message (true).
  bool RefusedWhileListCommand();

 signals:
  // What the command-line and drop handling take on.
  void CommandLineEntered();  // once, just after the first show
  void EncryptDirectoryChosen();
  void DecryptDirectoryChosen();
  void FilesDropped(const std::vector<std::string>& paths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildFace();
  void BuildPanel(QWidget* face);
  void FitHeight();
  void SingleFileStart();
  // The end message of a single-file run, then the engine's notes, unless the session ends.
  void SingleFileReport(const std::exception_ptr& error, const std::function<void()>& report);
  void SingleFileEnd();
  void StopPressed();
  void ShowError(const std::string& text);
  void ShowInformation(const std::string& text);

  // Controls, under their objectName.
  QToolButton *SpeedButton1 = nullptr, *SpeedButton2 = nullptr, *SpeedButton3 = nullptr,
              *SpeedButton4 = nullptr, *SpeedButton5 = nullptr, *SpeedButton6 = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* message = nullptr;
  QFrame* enc = nullptr;
  QLabel *singlemessage = nullptr, *pos = nullptr, *total = nullptr, *totpos = nullptr;
  ElidedLabel* filename = nullptr;
  QProgressBar *pb = nullptr, *totpb = nullptr;
  QPushButton* Button1 = nullptr;  // Stop
  QMenu *File1 = nullptr, *Encrypt1 = nullptr, *Decrypt1 = nullptr, *Help1 = nullptr;
  QAction *VELTOptions1 = nullptr, *Exit1 = nullptr, *EncryptFile1 = nullptr,
          *EncyptDirectory1 = nullptr, *DecryptFile1 = nullptr, *DecryptDirectory1 = nullptr,
          *AboutVelt1 = nullptr, *VELTHelp1 = nullptr;

  bool installed_ = false;
  bool firstShow_ = true;
  bool helpInsteadTold_ = false;
  std::string helpFile_;
};

}  // namespace velt::ui
