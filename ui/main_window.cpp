#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>

#include "batch/settings_store.h"
#include "engine/engine.h"
#include "engine/meta_info.h"
#include "platform/file_system.h"
#include "platform/help_viewer.h"
#include "platform/registry.h"
#include "ui/about_dialog.h"
#include "ui/decryption_options_dialog.h"
#include "ui/elided_label.h"
#include "ui/messages.h"
#include "ui/options_dialog.h"
#include "ui/password_prompt.h"
#include "ui/seconds_text.h"
#include "ui/widget_makers.h"

namespace velt::ui {

namespace {

// The application's style, with Alt alone moving into the menu bar whatever the style's habit.
class AltKeyStyle final : public QProxyStyle {
 public:
  explicit AltKeyStyle(QObject* owner) { setParent(owner); }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }
};

std::string ErrorText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return messages::kUnknownError;
  }
}

// Found by the engine on the locked file: it became encrypted after it was chosen.
bool AlreadyEncrypted(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const engine::AlreadyEncryptedError&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

TForm1::TForm1(const Services& services, Windows& windows, JobState& job)
    : services_(services),
      windows_(windows),
      job_(job),
      od1(messages::kOpenFilter),
      singenc1(services.window),
      singdec1(services.window),
      renc1(services.window),
      rdec1(services.window) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(L(messages::kMainCaption));
  BuildMenus();
  BuildFace();
  progress_ = std::make_unique<ProgressRelay>(
      services.window, ProgressPanel{singlemessage, filename, pos, total, totpos, pb, totpb});

  for (batch::TWorkThread* worker : {&singenc1, &singdec1, &renc1, &rdec1})
    worker->SetUpdateEnabled(true);
  singenc1.OnStart = singdec1.OnStart = [this](batch::TWorkThread&, batch::TWorkExecuteThread&,
                                               void*&) { SingleFileStart(); };
  singenc1.OnExecute = [this](batch::TWorkThread&, batch::TWorkExecuteThread&, void*&) {
    engine::EncryptOptions options;
    options.cancel = &job_.Cancel;
    options.report = &jobReport_;
    job_.JobElapsedMs = double(engine::EncryptOneFile(job_.SingleFileName, job_.JobPassword,
                                                      jobSettings_, *progress_, options));
  };
  singdec1.OnExecute = [this](batch::TWorkThread&, batch::TWorkExecuteThread&, void*&) {
    engine::DecryptOptions options;
    options.cancel = &job_.Cancel;
    options.report = &jobReport_;
    const engine::DecryptResult result =
        engine::DecryptOneFile(job_.SingleFileName, job_.JobPassword, job_.SingleFileHasMeta != 0,
                               jobSettings_, jobDecryption_, *progress_, options);
    job_.SingleFileOutcome = result.outcome;
    job_.JobElapsedMs = double(result.elapsedMs);
  };
  singenc1.OnTerminate = [this](batch::TWorkThread&, batch::TWorkExecuteThread& thread, void*&) {
    SingleFileReport(thread.Error(), [this] {
      ShowInformation(messages::kFileEncryptedIn + SecondsText(job_.JobElapsedMs).toStdString() +
                      messages::kSecs);
    });
  };
  singdec1.OnTerminate = [this](batch::TWorkThread&, batch::TWorkExecuteThread& thread, void*&) {
    SingleFileReport(thread.Error(), [this] {
      switch (job_.SingleFileOutcome) {
        case engine::DecryptOutcome::WrongPassword:
          ShowError(messages::kWrongPassword);
          break;
        case engine::DecryptOutcome::Decrypted:
          ShowInformation(messages::kFileDecryptedIn +
                          SecondsText(job_.JobElapsedMs).toStdString() + messages::kSecs);
          break;
      }
    });
  };

  const std::string path = batch::InstallationFolder();
  if (path.empty()) {
    services_.prompts.ShowMessage(
        platform::MessageKind::Error, messages::kNotInstalled,
        messages::kPathNotFound +
            platform::RegistryKeyName(platform::RegistryRoot::LocalMachine, batch::kSettingsKey) +
            ".");
    return;
  }
  const bool separated = path.back() == '/' || path.back() == '\\';
#ifdef _WIN32
  helpFile_ = path + (separated ? "" : "\\") + messages::kHelpFileName;
#else
  helpFile_ = path + (separated ? "" : "/") + messages::kHelpFileName;
#endif
  installed_ = true;
  job_.CommandLinePending = true;
  setAcceptDrops(true);
}

TForm1::~TForm1() {
  // The workers end before the panel and the relay they report to.
  for (batch::TWorkThread* worker : {&singenc1, &singdec1, &renc1, &rdec1}) worker->Stop();
}

void TForm1::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const char* text, QKeySequence keys,
                    void (TForm1::*command)()) {
    QAction* action = menu->addAction(L(text));
    action->setObjectName(L(name));
    if (!keys.isEmpty()) action->setShortcut(keys);
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  auto menu = [this](const char* name, const char* title) {
    // The title's first letter, with Alt, opens it.
    QMenu* m = menuBar()->addMenu(QLatin1Char('&') + L(title));
    m->setObjectName(L(name));
    return m;
  };
  File1 = menu("File1", messages::kMenuFile);
  VELTOptions1 = add(File1, "VELTOptions1", messages::kMenuOptions,
                     QKeySequence(Qt::CTRL | Qt::Key_O), &TForm1::ShowOptions);
  File1->addSeparator();
  Exit1 = add(File1, "Exit1", messages::kMenuExit, QKeySequence(Qt::CTRL | Qt::Key_F4),
              &TForm1::ExitProgram);
  Encrypt1 = menu("Encrypt1", messages::kMenuEncrypt);
  EncryptFile1 = add(Encrypt1, "EncryptFile1", messages::kMenuEncryptFile,
                     QKeySequence(Qt::CTRL | Qt::Key_F), &TForm1::EncryptFile);
  EncyptDirectory1 = add(Encrypt1, "EncyptDirectory1", messages::kMenuEncryptDir,
                         QKeySequence(Qt::CTRL | Qt::Key_D), &TForm1::EncryptDirectory);
  Decrypt1 = menu("Decrypt1", messages::kMenuDecrypt);
  DecryptFile1 = add(Decrypt1, "DecryptFile1", messages::kMenuDecryptFile,
                     QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F), &TForm1::DecryptFile);
  DecryptDirectory1 = add(Decrypt1, "DecryptDirectory1", messages::kMenuDecryptDir,
                          QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D), &TForm1::DecryptDirectory);
  Help1 = menu("Help1", messages::kMenuHelp);
  AboutVelt1 = add(Help1, "AboutVelt1", messages::kMenuAbout, {}, &TForm1::ShowAbout);
  Help1->addSeparator();
  VELTHelp1 =
      add(Help1, "VELTHelp1", messages::kMenuHelpFile, QKeySequence(Qt::Key_F1), &TForm1::ShowHelp);

  // Alt alone and F10 move the keyboard into the menu bar, as on every desktop.
  // (The style outlives the bar: it is made after it, and children go in the order made.)
  menuBar()->setStyle(new AltKeyStyle(this));
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this, [this] {
    if (File1->menuAction()->isEnabled()) menuBar()->setActiveAction(File1->menuAction());
  });
}

bool TForm1::Busy() const {
  return singenc1.Running() || singdec1.Running() || renc1.Running() || rdec1.Running();
}

void TForm1::EnterBusy() {
  // The hover line spoke of the button last pointed at; while work runs it has nothing to say.
  message->clear();
  Image1->show();
  Image1->raise();
  for (QToolButton* b :
       {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6})
    b->setEnabled(false);
  for (QMenu* m : {File1, Encrypt1, Decrypt1, Help1}) {
    m->setEnabled(false);
    m->menuAction()->setEnabled(false);
  }
}

void TForm1::EnterIdle() {
  for (QToolButton* b :
       {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6})
    b->setEnabled(true);
  Image1->hide();
  message->setText(L(messages::kSelectOption));
  menuBar()->setEnabled(true);
  for (QMenu* m : {File1, Encrypt1, Decrypt1, Help1}) {
    m->setEnabled(true);
    m->menuAction()->setEnabled(true);
  }
}

void TForm1::SingleFileStart() {
  progress_->ShowPath(job_.SingleFileName);
  EnterBusy();
  totpb->hide();
  totpos->hide();
  total->hide();
  Button1->setEnabled(false);
  enc->show();
  FitHeight();
}

void TForm1::SingleFileReport(const std::exception_ptr& error,
                              const std::function<void()>& report) {
  // The session is ending: nobody is left to read a box, and the program quits.
  if (!job_.Ending) {
    if (!error)
      report();
    else if (AlreadyEncrypted(error))
      ShowInformation(messages::kAlreadyEncrypted);
    else
      ShowError(ErrorText(error));
    std::string notes;
    for (const std::string& note : jobReport_.notes) notes += (notes.empty() ? "" : "\n") + note;
    if (!notes.empty()) ShowInformation(notes);
  }
  jobReport_ = {};
  SingleFileEnd();
}

void TForm1::SingleFileEnd() {
  EnterIdle();
  Button1->setEnabled(true);
  enc->hide();
  FitHeight();
}

void TForm1::ShowListPanel() {
  EnterBusy();
  totpb->show();
  totpos->show();
  total->show();
  enc->show();
  Button1->setEnabled(true);
  Button1->setText(L(messages::kStop));
  FitHeight();
}

void TForm1::HideListPanel() {
  EnterIdle();
  enc->hide();
  Button1->setEnabled(true);
  Button1->setText(L(messages::kStop));
  FitHeight();
}

void TForm1::ShowFinalTotals(const std::string& text) {
  ShowTotals(100, text);
}

void TForm1::ShowTotals(int percent, const std::string& text) {
  totpb->setValue(percent);
  totpos->setText(QString::number(percent) + QLatin1Char('%'));
  total->setText(QString::fromStdString(text));
}

bool TForm1::RefusedWhileListCommand() {
  if (!job_.CommandActive) return false;
  ShowInformation(messages::kBusyRefused);
  return true;
}

void TForm1::EncryptFile() {
  if (Busy() || RefusedWhileListCommand()) return;
  if (!od1.Execute(services_.prompts)) return;
  const std::string path = od1.FileName;
  if (engine::HasMetaInfo(path)) {
    ShowInformation(messages::kAlreadyEncrypted);
    return;
  }
  std::string password;
  if (!AskPassword(services_.prompts, PasswordUse::Encrypt, messages::kEncryptionPassword,
                   password))
    return;
  if (job_.Ending) return;
  if (password.empty()) {
    ShowError(messages::kEmptyPasswordRefused);
    return;
  }
  job_.JobPassword = password;
  job_.SingleFileName = path;
  job_.JobElapsedMs = 0;
  jobSettings_ = windows_.veltoptions->Settings();
  singenc1.Start();
}

void TForm1::DecryptFile() {
  if (Busy() || RefusedWhileListCommand()) return;
  if (!od1.Execute(services_.prompts)) return;
  const std::string path = od1.FileName;
  if (engine::HasMetaInfo(path)) {
    std::string password;
    if (!AskPassword(services_.prompts, PasswordUse::Decrypt, messages::kDecryptionPassword,
                     password))
      return;
    job_.JobPassword = password;
    job_.SingleFileName = path;
    job_.JobElapsedMs = 0;
    job_.SingleFileHasMeta = 1;
  } else {
    job_.SingleFileName = path;
    job_.JobElapsedMs = 0;
    job_.SingleFileHasMeta = 0;
    ShowInformation(messages::kNoHeader);
    const engine::EngineSettings settings = windows_.veltoptions->Settings();
    TForm3& form3 = *windows_.Form3;
    form3.SetEngines(settings.cipherIndex, settings.hashIndex);
    form3.SetDontAsk(false);
    const bool accepted = form3.Execute();
    job_.JobPassword = form3.Options().password;
    if (!accepted) return;
  }
  if (job_.Ending) return;
  jobSettings_ = windows_.veltoptions->Settings();
  jobDecryption_ = windows_.Form3->Options();
  singdec1.Start();
}

void TForm1::EncryptDirectory() {
  if (Busy() || RefusedWhileListCommand()) return;
  emit EncryptDirectoryChosen();
}

void TForm1::DecryptDirectory() {
  if (Busy() || RefusedWhileListCommand()) return;
  emit DecryptDirectoryChosen();
}

void TForm1::ShowOptions() {
  if (Busy()) return;
  windows_.veltoptions->exec();
}

void TForm1::ExitProgram() {
  if (Busy()) return;  // the command is greyed then; its shortcut must not get past that
  QCoreApplication::exit(0);
}

void TForm1::ShowAbout() {
  if (Busy()) return;
  windows_.Form7->exec();
}

void TForm1::ShowHelp() {
  if (Busy()) return;
  if (!services_.help.ShowHelp(helpFile_)) {
    ShowError(messages::kHelpNotOpened + helpFile_ + messages::kHelpNorCopy +
              platform::HtmlCopyOf(helpFile_));
    return;
  }
  // Told once a run: the help shown is not the file named in the installation.
  const std::string opened = services_.help.Opened();
  if (!helpInsteadTold_ && !opened.empty() && opened != helpFile_) {
    helpInsteadTold_ = true;
    ShowInformation(messages::kHelpInstead + helpFile_ + messages::kHelpInsteadCopy + opened +
                    messages::kHelpInsteadOpened);
  }
}

void TForm1::StopPressed() {
  job_.StopRequested = true;
  Button1->setEnabled(false);
  Button1->setText(L(messages::kStopping));
  message->setText(L(messages::kStoppingExplained));
}

void TForm1::ShowError(const std::string& text) {
  services_.prompts.ShowMessage(platform::MessageKind::Error, text);
}

void TForm1::ShowInformation(const std::string& text) {
  services_.prompts.ShowMessage(platform::MessageKind::Information, text);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  static const std::pair<QToolButton * TForm1::*, const char*> kHover[] = {
      {&TForm1::SpeedButton1, messages::kHoverEncryptFile},
      {&TForm1::SpeedButton2, messages::kHoverDecryptFile},
      {&TForm1::SpeedButton3, messages::kHoverEncryptDir},
      {&TForm1::SpeedButton4, messages::kHoverDecryptDir},
      {&TForm1::SpeedButton5, messages::kHoverOptions},
  };
  // While work runs the banner covers the buttons and the line tells about the work.
  if ((type == QEvent::Enter || type == QEvent::MouseMove) && Image1->isHidden()) {
    for (const auto& [button, text] : kHover)
      if (watched == this->*button) message->setText(L(text));
    if (watched == centralWidget() && type == QEvent::MouseMove)
      message->setText(L(messages::kSelectOption));
  }
  if (watched == SpeedButton6 && type == QEvent::MouseButtonPress)
    message->setText(L(messages::kHoverExit));
  const auto tabbed = [event] {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
  };
  // Disabling the row as work starts moves the focus along it: the line stays the work's.
  if (type == QEvent::FocusIn && tabbed() && Image1->isHidden()) {
    // The keyboard's hover: the line under the buttons names the one Tab moved to.
    for (const auto& [button, text] : kHover)
      if (watched == this->*button) message->setText(L(text));
    if (watched == SpeedButton6) message->setText(L(messages::kHoverExit));
  }
  if (type == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* button = qobject_cast<QToolButton*>(watched);
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter ||
                       (key == Qt::Key_Space && watched == SpeedButton5);
    if (button && press && button->isEnabled()) {
      // The options button answers the mouse on release only; the keyboard opens it here.
      if (button == SpeedButton5)
        QMetaObject::invokeMethod(this, &TForm1::ShowOptions, Qt::QueuedConnection);
      else
        button->click();
      return true;
    }
  }
  if (watched == SpeedButton5 && type == QEvent::MouseButtonRelease && SpeedButton5->isEnabled()) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (SpeedButton5->rect().contains(mouse->position().toPoint()))
      // After the button has seen its release, so it is not left looking pressed under the
      // modal dialog.
      QMetaObject::invokeMethod(this, &TForm1::ShowOptions, Qt::QueuedConnection);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (!Busy() && !job_.CommandActive) {
    QMainWindow::closeEvent(event);
    return;
  }
  event->ignore();
  // A command's own dialog is in front and answers for it; an ending session asks nobody.
  if (!Busy() || job_.Ending) return;
  if (!renc1.Running() && !rdec1.Running())
    ShowInformation(messages::kCloseRefusedFile);  // one file cannot be stopped halfway
  else if (job_.StopRequested)
    ShowInformation(messages::kCloseRefusedStopping);
  else if (services_.prompts.Confirm(platform::MessageKind::Warning, messages::kCloseRefusedList) &&
           Busy() && !job_.StopRequested)
    StopPressed();
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  // Once the window is on screen, so that the entry's own dialogs open over it.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (job_.CommandLinePending) emit CommandLineEntered();
        job_.CommandLinePending = false;
      },
      Qt::QueuedConnection);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile())
      paths.push_back(QDir::toNativeSeparators(url.toLocalFile()).toStdString());
  event->acceptProposedAction();
  if (!paths.empty()) emit FilesDropped(paths);
}

}  // namespace velt::ui
