// velt-screenshots FOLDER: the pictures of the documentation, taken from the running program.
// Each window is shown as the user sees it and grabbed from the screen: the main window idle and
// busy, every dialog and a running directory job, a PNG of each. The prompts are scripted, so
// that the busy pictures show a real encryption of a file and of a folder under way without
// anybody at the keyboard.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <cstdio>
#include <fstream>
#include <random>

#include "platform/qt/password_box_qt.h"
#include "platform/qt/window_thread_qt.h"
#include "tests/support/fakes/scripted_help_viewer.h"
#include "tests/support/fakes/scripted_prompts.h"
#include "tests/support/fakes/window_controls.h"
#include "ui/messages.h"
#include "ui/password_prompt.h"
#include "ui/startup.h"

namespace velt::ui {

namespace {

using velt::test::Control;

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

void Settle(int milliseconds) {
  WaitUntil([] { return false; }, milliseconds);
}

// The virtual display has no window manager, so the pictures get a plain title bar of their
// own with the window's caption.
QImage Framed(const QPixmap& content, const QString& caption) {
  constexpr int kBar = 28;
  QImage framed(content.width() + 2, content.height() + kBar + 1, QImage::Format_RGB32);
  framed.fill(QColor(0x2b, 0x3a, 0x4a));
  QPainter p(&framed);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawPixmap(QRect(8, 6, 16, 16), QPixmap(QStringLiteral(":/velt/velt.png")));
  QFont font = QGuiApplication::font();
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(32, 0, framed.width() - 40, kBar), Qt::AlignVCenter | Qt::AlignLeft, caption);
  p.drawPixmap(1, kBar, content);
  return framed;
}

bool Save(QWidget* window, const QString& file) {
  window->raise();
  window->activateWindow();
  WaitUntil([&] { return window->windowHandle() && window->windowHandle()->isExposed(); }, 5000);
  Settle(400);
  QPixmap picture;
  if (QScreen* screen = window->screen()) picture = screen->grabWindow(window->winId());
  if (picture.isNull() || picture.size().isEmpty()) picture = window->grab();
  if (!Framed(picture, window->windowTitle()).save(file)) {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

// Pseudo-random content compresses badly, so the work runs long enough to be seen.
void WriteSample(const std::string& path, size_t megabytes) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 rng(7);
  std::vector<uint64_t> block(1 << 17);
  for (size_t i = 0; i < megabytes; ++i) {
    for (auto& w : block) w = rng();
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size() * 8));
  }
}

// Presses `button` once `dialog` is the active modal window (the code that opens it waits),
// after `before` has run.
void PressWhenShown(QDialog* dialog, QPushButton* button, std::function<void()> before = {}) {
  auto* timer = new QTimer(dialog);
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, dialog, [=] {
    if (QApplication::activeModalWidget() != dialog) return;
    timer->stop();
    timer->deleteLater();
    if (before) before();
    button->click();
  });
  timer->start();
}

// The dialogs of the list commands, and a directory job under way.
bool ListScreenshots(VeltApplication& app, test::ScriptedPrompts& prompts, const QDir& dir,
                     const QString& workFolder) {
  bool ok = true;
  const QDir work(workFolder);
  const QString documents = work.filePath(QStringLiteral("Documents"));
  for (const char* sub :
       {"Documents/Letters", "Documents/Projects", "Documents/Tax 2024", "Photos", "Music"})
    work.mkpath(QString::fromLatin1(sub));
  const std::string extension = app.veltoptions->Settings().extension;

  // The trees show the sample folder as the user's home, not the build machine's /tmp.
  auto showPicker = [&](TFolderPicker* picker, const QString& selected, const char* file) {
    QTreeView* tree = Control<QTreeView>(*picker, "ShellTreeView1");
    picker->SelectPath(selected.toStdString());
    tree->setRootIndex(tree->currentIndex().parent());
    tree->expand(tree->currentIndex());
    picker->show();
    Settle(800);  // the folders are listed in the background
    tree->scrollTo(tree->currentIndex());
    ok &= Save(picker, dir.filePath(QString::fromLatin1(file)));
    picker->hide();
  };
  showPicker(app.rencdir.get(), documents, "encrypt-directory.png");
  app.dencdir->SetExtension(extension);
  showPicker(app.dencdir.get(), work.filePath(QStringLiteral("Photos")), "decrypt-directory.png");

  app.search->Open();
  app.search->ShowFolder((QDir::homePath() + QStringLiteral("/Documents/Projects")).toStdString());
  app.search->ShowCount(37);
  ok &= Save(app.search.get(), dir.filePath(QStringLiteral("search.png")));
  app.search->Close();

  app.Drag->SetExtension(extension);
  app.Drag->show();
  ok &= Save(app.Drag.get(), dir.filePath(QStringLiteral("drag-and-drop.png")));
  app.Drag->hide();

  app.shellenc->SetSettings(app.veltoptions->Settings());
  app.shellenc->show();
  ok &= Save(app.shellenc.get(), dir.filePath(QStringLiteral("command-line-encrypt.png")));
  app.shellenc->hide();

  app.shelldec->show();
  ok &= Save(app.shelldec.get(), dir.filePath(QStringLiteral("command-line-decrypt.png")));
  app.shelldec->hide();

  // A directory job: the picker answered by its OK button, the password by the script.
  TForm1& main = *app.Form1;
  const char* names[] = {"Budget.xlsx", "Contract.pdf", "Minutes.docx", "Offer.pdf", "Plan.odt"};
  for (const char* name : names)
    WriteSample(QDir(documents).filePath(QString::fromLatin1(name)).toStdString(), 24);
  Control<QCheckBox>(*app.rencdir, "rec")->setChecked(false);
  // Each showing starts with no folder chosen.
  PressWhenShown(app.rencdir.get(), Control<QPushButton>(*app.rencdir, "Button1"),
                 [&] { app.rencdir->SelectPath(documents.toStdString()); });
  prompts.NextInput(std::string("screenshot"));
  Control<QToolButton>(main, "SpeedButton3")->click();
  bool taken = false;
  const QProgressBar* pb = Control<QProgressBar>(main, "pb");
  const QProgressBar* totpb = Control<QProgressBar>(main, "totpb");
  WaitUntil(
      [&] {
        return !main.Busy() || (totpb->value() >= 40 && pb->value() >= 20 && pb->value() <= 80);
      },
      600000);
  if (main.Busy()) taken = Save(&main, dir.filePath(QStringLiteral("directory-job.png")));
  WaitUntil([&] { return !main.Busy(); }, 600000);
  return ok && taken;
}

int RunScreenshots(const std::string& folder) {
  const QDir dir(QString::fromStdString(folder));
  if (!dir.exists() && !QDir().mkpath(dir.path())) return 2;
  test::ScriptedPrompts prompts;
  test::ScriptedHelpViewer help;
  platform::QtWindowThread window;
  const Services services{prompts, help, window};
  auto app = VeltApplication::Create(services, {});
  if (!app) {
    std::fprintf(stderr, "the settings store has no installation folder\n");
    return 1;
  }
  TForm1& main = *app->Form1;
  bool ok = true;

  main.show();
  ok &= Save(&main, dir.filePath(QStringLiteral("main-idle.png")));

  app->veltoptions->show();
  ok &= Save(app->veltoptions.get(), dir.filePath(QStringLiteral("options.png")));
  app->veltoptions->hide();

  const auto settings = app->veltoptions->Settings();
  app->Form3->SetEngines(settings.cipherIndex, settings.hashIndex);
  app->Form3->SetDontAsk(false);
  app->Form3->show();
  ok &= Save(app->Form3.get(), dir.filePath(QStringLiteral("decryption-options.png")));
  app->Form3->hide();

  app->Form7->show();
  ok &= Save(app->Form7.get(), dir.filePath(QStringLiteral("about.png")));
  app->Form7->hide();

  // The password box of an encryption, with a weak password typed twice.
  {
    platform::PasswordBox box(messages::kEncryptionPassword, messages::kEnterPassword, true,
                              NewPasswordAdvice);
    for (QLineEdit* field :
         {Control<QLineEdit>(box, "password"), Control<QLineEdit>(box, "confirm")})
      field->setText("password1");
    box.show();
    ok &= Save(&box, dir.filePath(QStringLiteral("password.png")));
  }

  // Busy: a real encryption, grabbed while its bar is on the way.
  QTemporaryDir work;
  bool busyTaken = false;
  for (size_t megabytes : {48, 160, 400}) {
    const std::string sample =
        QDir(work.path()).filePath(QStringLiteral("sample.dat")).toStdString();
    WriteSample(sample, megabytes);
    prompts.NextFile(sample);
    prompts.NextInput(std::string("screenshot"));
    Control<QToolButton>(main, "SpeedButton1")->click();
    const QProgressBar* pb = Control<QProgressBar>(main, "pb");
    WaitUntil([&] { return !main.Busy() || (pb->value() >= 20 && pb->value() <= 80); }, 120000);
    if (main.Busy()) {
      busyTaken = Save(&main, dir.filePath(QStringLiteral("main-busy.png")));
    }
    WaitUntil([&] { return !main.Busy(); }, 600000);
    for (const QString& name : QDir(work.path()).entryList(QDir::Files))
      QDir(work.path()).remove(name);
    if (busyTaken) break;
  }
  ok &= busyTaken;

  ok &= ListScreenshots(*app, prompts, dir, work.path());
  for (const auto& m : prompts.Messages()) std::printf("message: %s\n", m.text.c_str());
  return ok ? 0 : 1;
}

}  // namespace

}  // namespace velt::ui

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velt/velt.png")));
  if (argc != 2) {
    std::fprintf(stderr, "usage: velt-screenshots FOLDER\n");
    return 2;
  }
  return velt::ui::RunScreenshots(argv[1]);
}
