// The main window's face: menus and shortcuts, tool buttons and hover texts, help and About.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>

#include "tests/ui/ui_fixture.h"
#include "ui/elided_label.h"

namespace velt::ui::test {
namespace {

class MainWindowTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Install();
    Start();
  }
};

TEST_F(MainWindowTest, MenusCarryTheirEntriesAndShortcuts) {
  struct Entry {
    const char* menu;
    const char* text;
    QKeySequence keys;
  };
  const Entry entries[] = {
      {"File", "VELT Options...", QKeySequence("Ctrl+O")},
      {"File", "Exit", QKeySequence("Ctrl+F4")},
      {"Encrypt", "Encrypt File...", QKeySequence("Ctrl+F")},
      {"Encrypt", "Encypt Directory", QKeySequence("Ctrl+D")},
      {"Decrypt", "Decrypt File...", QKeySequence("Ctrl+Alt+F")},
      {"Decrypt", "Decrypt Directory", QKeySequence("Ctrl+Alt+D")},
      {"Help", "About Velt", QKeySequence()},
      {"Help", "VELT Help", QKeySequence("F1")},
  };
  QStringList titles;
  for (QAction* a : form().menuBar()->actions()) titles << a->text();
  // Each opens with Alt and its first letter.
  EXPECT_EQ(titles, QStringList({"&File", "&Encrypt", "&Decrypt", "&Help"}));
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.text);
    QAction* found = nullptr;
    for (QAction* top : form().menuBar()->actions())
      if (top->text() == QLatin1Char('&') + QLatin1String(e.menu))
        for (QAction* a : top->menu()->actions())
          if (a->text() == e.text) found = a;
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->shortcut(), e.keys);
  }
  // A separator stands before "Exit" and before "VELT Help".
  EXPECT_TRUE(Control<QMenu>(form(), "File1")->actions().at(1)->isSeparator());
  EXPECT_TRUE(Control<QMenu>(form(), "Help1")->actions().at(1)->isSeparator());
}

TEST_F(MainWindowTest, TheFaceStartsIdleWithTheDesignTexts) {
  TForm1& f = form();
  EXPECT_EQ(Control<QLabel>(f, "message")->text(), "Select Option");
  EXPECT_FALSE(Control<QLabel>(f, "Image1")->isVisible());
  EXPECT_FALSE(Control<QFrame>(f, "enc")->isVisible());
  EXPECT_EQ(Control<QLabel>(f, "singlemessage")->text(), "Encrypting:");
  EXPECT_EQ(Control<QLabel>(f, "pos")->text(), "0%");
  EXPECT_EQ(Control<QLabel>(f, "total")->text(), "Total (14 of 1024 files)");
  EXPECT_EQ(Control<QLabel>(f, "totpos")->text(), "100%");
  EXPECT_EQ(Control<QPushButton>(f, "Button1")->text(), "Stop");
  EXPECT_EQ(Control<QProgressBar>(f, "pb")->minimum(), 0);
  EXPECT_EQ(Control<QProgressBar>(f, "pb")->maximum(), 100);
  EXPECT_EQ(Control<QProgressBar>(f, "totpb")->maximum(), 100);
  for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4",
                           "SpeedButton5", "SpeedButton6"}) {
    auto* b = f.findChild<QToolButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_TRUE(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
    // The keyboard and screen readers reach it; its hover text is also its tooltip and name.
    EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << name;
    EXPECT_FALSE(b->toolTip().isEmpty()) << name;
    EXPECT_EQ(b->accessibleName(), b->toolTip()) << name;
    EXPECT_FALSE(b->icon().isNull()) << name;
    EXPECT_EQ(b->width(), b->height()) << name;
  }
  // The banner covers the button row exactly, at any width; the height follows the panel.
  for (int width : {400, 640}) {
    f.resize(width, f.height());
    QTest::qWait(20);
    EXPECT_EQ(Control<QLabel>(f, "Image1")->geometry(),
              Control<QToolButton>(f, "SpeedButton1")
                  ->geometry()
                  .united(Control<QToolButton>(f, "SpeedButton6")->geometry()));
    EXPECT_EQ(Control<QToolButton>(f, "SpeedButton1")->x(),
              f.centralWidget()->width() -
                  Control<QToolButton>(f, "SpeedButton6")->geometry().right() - 1);
  }
  EXPECT_EQ(f.minimumHeight(), f.maximumHeight());
}

TEST_F(MainWindowTest, HoverTextsFollowTheMouse) {
  TForm1& f = form();
  const std::pair<QToolButton*, const char*> hovers[] = {
      {Control<QToolButton>(f, "SpeedButton1"), "Encrypt a file"},
      {Control<QToolButton>(f, "SpeedButton2"), "Decrypt a file"},
      {Control<QToolButton>(f, "SpeedButton3"), "Encrypt an entire Directory"},
      {Control<QToolButton>(f, "SpeedButton4"), "Decrypt an entire Directory"},
      {Control<QToolButton>(f, "SpeedButton5"), "Edit VELT Options"},
  };
  // Left of the button row, on the window itself.
  const QPoint bare(Control<QToolButton>(f, "SpeedButton1")->x() / 2,
                    Control<QToolButton>(f, "SpeedButton1")->geometry().center().y());
  for (const auto& [button, text] : hovers) {
    QTest::mouseMove(button);
    EXPECT_TRUE(WaitFor([&] { return Control<QLabel>(f, "message")->text() == text; }, 5000))
        << text << " / " << Control<QLabel>(f, "message")->text().toStdString();
    QTest::mouseMove(f.centralWidget(), bare);
    EXPECT_TRUE(
        WaitFor([&] { return Control<QLabel>(f, "message")->text() == "Select Option"; }, 5000))
        << Control<QLabel>(f, "message")->text().toStdString();
  }
  // The exit button says what it does only when a mouse button goes down on it.
  QTest::mouseMove(Control<QToolButton>(f, "SpeedButton6"));
  QTest::qWait(20);
  EXPECT_EQ(Control<QLabel>(f, "message")->text(), "Select Option");
  QTest::mousePress(Control<QToolButton>(f, "SpeedButton6"), Qt::LeftButton);
  EXPECT_EQ(Control<QLabel>(f, "message")->text(), "Exit VELT");
  // Released away from the button: no click, the program goes on.
  QTest::mouseRelease(Control<QToolButton>(f, "SpeedButton6"), Qt::LeftButton, {},
                      QPoint(-30, -30));
  EXPECT_TRUE(f.isVisible());
}

TEST_F(MainWindowTest, TheOptionsButtonOpensOnTheReleaseOfAnyMouseButton) {
  Tveltoptions& o = *app->veltoptions;
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    WhenShown(&o, [&] { QTest::mouseClick(Control<QPushButton>(o, "Button1"), Qt::LeftButton); });
    QTest::mousePress(Control<QToolButton>(form(), "SpeedButton5"), button);
    QTest::qWait(30);
    EXPECT_FALSE(o.isVisible());  // not on the press
    QTest::mouseRelease(Control<QToolButton>(form(), "SpeedButton5"), button);
    EXPECT_TRUE(WaitFor([&] { return shownCount[&o] > 0 && !o.isVisible(); }));
    shownCount[&o] = 0;
  }
}

TEST_F(MainWindowTest, ShortcutsRunTheirCommands) {
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  Tveltoptions& o = *app->veltoptions;
  WhenShown(&o, [&] { QTest::mouseClick(Control<QPushButton>(o, "Button1"), Qt::LeftButton); });
  QTest::keyClick(&form(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return shownCount[&o] == 1 && !o.isVisible(); }));
  // Ctrl+F and Ctrl+Alt+F open the file dialog (answered with Cancel).
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  prompts.NextFile(std::nullopt);
  prompts.NextFile(std::nullopt);
  QTest::keyClick(&form(), Qt::Key_F, Qt::ControlModifier);
  QTest::keyClick(&form(), Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(WaitFor([&] { return prompts.ScriptUsed(); }, 5000));
  EXPECT_EQ(prompts.Questions().size(), 2u);
  // F1 opens the help.
  QTest::keyClick(&form(), Qt::Key_F1);
  EXPECT_EQ(help.shown, std::vector<std::string>{installedHelp});
  // F10 moves into the menu bar at "File"; Escape leaves it.
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  QTest::keyClick(&form(), Qt::Key_F10);
  EXPECT_EQ(form().menuBar()->activeAction(), Control<QMenu>(form(), "File1")->menuAction());
  QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                    : static_cast<QWidget*>(form().menuBar()),
                  Qt::Key_Escape);
}

TEST_F(MainWindowTest, TabReachesEveryToolButtonAndTheKeyboardPressesThem) {
  TForm1& f = form();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  const std::pair<const char*, const char*> order[] = {
      {"SpeedButton1", "Encrypt a file"},
      {"SpeedButton2", "Decrypt a file"},
      {"SpeedButton3", "Encrypt an entire Directory"},
      {"SpeedButton4", "Decrypt an entire Directory"},
      {"SpeedButton5", "Edit VELT Options"},
      {"SpeedButton6", "Exit VELT"},
  };
  Control<QToolButton>(f, "SpeedButton6")->setFocus();
  for (const auto& [name, hover] : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control<QToolButton>(f, name)) << name;
    EXPECT_EQ(Control<QLabel>(f, "message")->text(), hover) << name;  // the keyboard's hover
  }
  // Space and Enter open the options from its button, which the mouse opens on release.
  Tveltoptions& o = *app->veltoptions;
  for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
    WhenShown(&o, [&] { QTest::keyClick(&o, Qt::Key_Escape); });
    QTest::keyClick(Control<QToolButton>(f, "SpeedButton5"), key);
    EXPECT_TRUE(WaitFor([&] { return shownCount[&o] == 1 && !o.isVisible(); })) << key;
    shownCount[&o] = 0;
  }
  // Enter on the encrypt-file button runs its command (the file dialog, answered Cancel).
  prompts.NextFile(std::nullopt);
  QTest::keyClick(Control<QToolButton>(f, "SpeedButton1"), Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return prompts.ScriptUsed(); }, 5000));
}

TEST_F(MainWindowTest, TheAboutBoxShowsTheVersionAndClosesWithOk) {
  TForm7& about = *app->Form7;
  QStringList texts;
  bool okClosed = false;
  WhenShown(&about, [&] {
    for (const QLabel* l : about.findChildren<QLabel*>()) texts << l->text();
    QTest::mouseClick(Control<QPushButton>(about, "Button1"), Qt::LeftButton);
    okClosed = !about.isVisible();
  });
  Control<QAction>(form(), "AboutVelt1")->trigger();
  EXPECT_TRUE(okClosed);
  for (const char* line : {"VELT V1.2a", "Version Major: 1", "Version Minor: 22",
                           "Build Number: 321", "Build Date: 12/05/05"})
    EXPECT_TRUE(texts.contains(line)) << line;
  EXPECT_EQ(Control<QLabel>(about, "Image1")->size(), QSize(96, 96));
  EXPECT_FALSE(Control<QLabel>(about, "Image1")->pixmap().isNull());
  EXPECT_TRUE(about.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(MainWindowTest, AHelpFileThatCannotBeOpenedIsReported) {
  help.result = false;
  Control<QAction>(form(), "VELTHelp1")->trigger();
  EXPECT_EQ(help.shown, std::vector<std::string>{installedHelp});
  const std::string copy = installedHelp.substr(0, installedHelp.size() - 3) + "html";
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Error("The help file could not be opened: " + installedHelp +
                                     "\nIt is missing or no viewer for it was found, and its "
                                     "HTML copy could not be opened either: " +
                                     copy)});
  // Shown through its HTML copy: said once a run, naming both.
  help.result = true;
  help.opened = copy;
  prompts.ClearRecord();
  for (int i = 0; i < 2; ++i) Control<QAction>(form(), "VELTHelp1")->trigger();
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Info("The help file " + installedHelp +
                                                        " cannot be shown here; its HTML copy " +
                                                        copy + " was opened instead.")});
}

TEST_F(MainWindowTest, StopAsksTheListJobToEndAfterTheCurrentFile) {
  TForm1& f = form();
  Control<QFrame>(f, "enc")->show();
  QTest::mouseClick(Control<QPushButton>(f, "Button1"), Qt::LeftButton);
  EXPECT_TRUE(app->job.StopRequested);
  EXPECT_FALSE(Control<QPushButton>(f, "Button1")->isEnabled());
  EXPECT_EQ(Control<QPushButton>(f, "Button1")->text(), "Stopping");
}

TEST_F(MainWindowTest, DroppedFilesReachTheDropEntry) {
  std::vector<std::string> dropped;
  QObject::disconnect(&form(), &TForm1::FilesDropped, app->commands.get(), nullptr);
  QObject::connect(&form(), &TForm1::FilesDropped,
                   [&](const std::vector<std::string>& paths) { dropped = paths; });
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/tmp/a b.txt"), QUrl::fromLocalFile("/tmp/dir")});
  const QPoint at = form().rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form(), &drop);
  EXPECT_EQ(dropped, (std::vector<std::string>{
                         std::filesystem::path("/tmp/a b.txt").make_preferred().string(),
                         std::filesystem::path("/tmp/dir").make_preferred().string()}));
}

// A large font (a font setting, or a screen with more dots per inch) cuts no line of the panel
// and no option of the folder pickers, whose sizes were chosen for the usual font.
class LargeFontTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    QFont large = usual_;
    large.setPointSizeF(usual_.pointSizeF() * 2);
    QApplication::setFont(large);
    Install();
    Start();
  }
  void TearDown() override {
    UiTest::TearDown();
    QApplication::setFont(usual_);
  }
  const QFont usual_ = QApplication::font();
};

TEST_F(LargeFontTest, NoTextIsCut) {
  // The panel as a job shows it, with a name in its line: an empty label asks for the font's
  // line spacing, which exceeds any text's height by the font's leading (Windows' fonts have one).
  Control<ElidedLabel>(form(), "filename")->SetFullText(QStringLiteral("Ågy report.txt"));
  for (QLabel* line : form().findChildren<QLabel*>()) {
    if (line->objectName() == "Image1") continue;  // the banner, a picture
    EXPECT_GE(line->height(), line->sizeHint().height()) << line->objectName().toStdString();
  }
  auto* stop = Control<QPushButton>(form(), "Button1");
  EXPECT_GE(stop->width(), stop->sizeHint().width());
  EXPECT_GE(stop->height(), stop->fontMetrics().height());
  for (QWidget* picker :
       std::initializer_list<QWidget*>{app->rencdir.get(), app->dencdir.get(), app->search.get()}) {
    EXPECT_GE(picker->width(), picker->minimumSizeHint().width())
        << picker->objectName().toStdString();
    EXPECT_GE(picker->height(), picker->minimumSizeHint().height())
        << picker->objectName().toStdString();
  }
}

}  // namespace
}  // namespace velt::ui::test
