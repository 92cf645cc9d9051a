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
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
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
// own with the window's caption, drawn at the window's scale so that a scaled picture stays sharp.
QImage Framed(QPixmap content, const QString& caption, qreal scale) {
  constexpr int kBar = 28;
  content.setDevicePixelRatio(scale);
  const QSizeF size = content.deviceIndependentSize();
  QImage framed(
      QSize(qRound((size.width() + 2) * scale), qRound((size.height() + kBar + 1) * scale)),
      QImage::Format_RGB32);
  framed.setDevicePixelRatio(scale);
  framed.fill(QColor(0x2b, 0x3a, 0x4a));
  QPainter p(&framed);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawPixmap(QRect(8, 6, 16, 16), QPixmap(QStringLiteral(":/velt/velt.png")));
  QFont font = QGuiApplication::font();
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(32, 0, size.width() - 38, kBar), Qt::AlignVCenter | Qt::AlignLeft, caption);
  p.drawPixmap(QPointF(1, kBar), content);
  return framed;
}

QImage Picture(QWidget* window) {
  window->raise();
  window->activateWindow();
  WaitUntil([&] { return window->windowHandle() && window->windowHandle()->isExposed(); }, 5000);
  Settle(400);
  QPixmap picture;
  if (QScreen* screen = window->screen()) picture = screen->grabWindow(window->winId());
  if (picture.isNull() || picture.size().isEmpty()) picture = window->grab();
  return Framed(picture, window->windowTitle(), window->devicePixelRatioF());
}

bool SaveImage(const QImage& image, const QString& file) {
  if (!image.save(file)) {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
    return false;
  }
  std::printf("%s\n", qPrintable(file));
  return true;
}

bool Save(QWidget* window, const QString& file) {
  return SaveImage(Picture(window), file);
}

// Windows side by side on a plain ground, top-aligned, in one picture.
QImage SideBySide(QImage left, QImage right) {
  const qreal scale = left.devicePixelRatio();
  // Placed pixel for pixel: the ground is as sharp as the windows.
  left.setDevicePixelRatio(1);
  right.setDevicePixelRatio(1);
  constexpr int kGap = 16;
  QImage both(left.width() + right.width() + 3 * qRound(kGap * scale),
              std::max(left.height(), right.height()) + 2 * qRound(kGap * scale),
              QImage::Format_RGB32);
  both.fill(QColor(0xe8, 0xec, 0xf0));
  QPainter p(&both);
  const int gap = qRound(kGap * scale);
  p.drawImage(QPoint(gap, gap), left);
  p.drawImage(QPoint(2 * gap + left.width(), gap), right);
  return both;
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

// Encrypts a file of `name` made in `folder` and grabs the main window while the bar is on the
// way; a larger file where the work ended before that.
bool BusyScreenshot(TForm1& main, test::ScriptedPrompts& prompts, const QString& folder,
                    const QString& name, const QString& file) {
  for (size_t megabytes : {48, 160, 400}) {
    QDir(folder).mkpath(QStringLiteral("."));
    const std::string sample = QDir(folder).filePath(name).toStdString();
    WriteSample(sample, megabytes);
    prompts.NextFile(sample);
    prompts.NextInput(std::string("screenshot"));
    Control<QToolButton>(main, "SpeedButton1")->click();
    const QProgressBar* pb = Control<QProgressBar>(main, "pb");
    WaitUntil([&] { return !main.Busy() || (pb->value() >= 20 && pb->value() <= 80); }, 120000);
    bool taken = false;
    if (main.Busy()) taken = Save(&main, file);
    WaitUntil([&] { return !main.Busy(); }, 600000);
    QDir(folder).removeRecursively();
    if (taken) return true;
  }
  return false;
}

// The main window and the options dialog side by side, at the scale the program runs at.
int ScaledScreenshot(const QDir& dir, VeltApplication& app) {
  app.Form1->show();
  const QImage main = Picture(app.Form1.get());
  app.veltoptions->show();
  const QImage options = Picture(app.veltoptions.get());
  app.veltoptions->hide();
  const qreal scale = app.Form1->devicePixelRatioF();
  const QString name = QStringLiteral("scale-%1.png").arg(scale);
  return SaveImage(SideBySide(main, options), dir.filePath(name)) ? 0 : 1;
}

int RunScreenshots(const std::string& folder, bool scaledOnly) {
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
  if (scaledOnly) return ScaledScreenshot(dir, *app);
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

  // Busy: a real encryption, grabbed while its bar is on the way; then one of a file deep in
  // folders with a long name, whose middle gives way.
  QTemporaryDir work;
  ok &= BusyScreenshot(main, prompts, work.path(), QStringLiteral("sample.dat"),
                       dir.filePath(QStringLiteral("main-busy.png")));
  QTemporaryDir deep;
  ok &= BusyScreenshot(main, prompts,
                       deep.filePath(QStringLiteral(
                           "Documents/Projects/Regional Board Annual Report 2024/Appendices and "
                           "supporting material/Correspondence with the auditors")),
                       QStringLiteral("Quarterly financial statements, final version as approved "
                                      "by the board in December.dat"),
                       dir.filePath(QStringLiteral("long-name.png")));

  ok &= ListScreenshots(*app, prompts, dir, work.path());
  for (const auto& m : prompts.Messages()) std::printf("message: %s\n", m.text.c_str());
  return ok ? 0 : 1;
}

// A dark palette on the Fusion style, to see that no window paints against the palette.
void UseDarkPalette() {
  QApplication::setStyle(QStringLiteral("Fusion"));
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x35, 0x37, 0x3b));
  dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Base, QColor(0x24, 0x26, 0x29));
  dark.setColor(QPalette::AlternateBase, QColor(0x30, 0x32, 0x36));
  dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Button, QColor(0x3c, 0x3f, 0x44));
  dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::ToolTipBase, QColor(0x24, 0x26, 0x29));
  dark.setColor(QPalette::ToolTipText, QColor(0xe6, 0xe6, 0xe6));
  dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xc7));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::Light, QColor(0x50, 0x53, 0x58));
  dark.setColor(QPalette::Midlight, QColor(0x46, 0x49, 0x4e));
  dark.setColor(QPalette::Mid, QColor(0x2c, 0x2e, 0x31));
  dark.setColor(QPalette::Dark, QColor(0x1e, 0x1f, 0x22));
  dark.setColor(QPalette::Shadow, Qt::black);
  dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  QApplication::setPalette(dark);
}

}  // namespace

}  // namespace velt::ui

// velt-screenshots FOLDER [scaled] [dark]: "scaled" takes only the main window and the options
// dialog side by side, as scale-N.png for the QT_SCALE_FACTOR it runs at; "dark" draws every
// window in a dark palette.
int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/velt/velt.png")));
  bool scaledOnly = false;
  bool dark = false;
  bool known = argc >= 2;
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    scaledOnly |= word == "scaled";
    dark |= word == "dark";
    known &= word == "scaled" || word == "dark";
  }
  if (!known) {
    std::fprintf(stderr, "usage: velt-screenshots FOLDER [scaled] [dark]\n");
    return 2;
  }
  if (dark) velt::ui::UseDarkPalette();
  return velt::ui::RunScreenshots(argv[1], scaledOnly);
}
