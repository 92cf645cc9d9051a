// The main window's face: menus and shortcuts, tool buttons and hover texts, help and About.
#include <QAction>
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
      {"Help", "VELT Help", QKeySequence()},
  };
  QStringList titles;
  for (QAction* a : form().menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, QStringList({"File", "Encrypt", "Decrypt", "Help"}));
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.text);
    QAction* found = nullptr;
    for (QAction* top : form().menuBar()->actions())
      if (top->text() == e.menu)
        for (QAction* a : top->menu()->actions())
          if (a->text() == e.text) found = a;
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->shortcut(), e.keys);
  }
  // A separator stands before "Exit" and before "VELT Help".
  EXPECT_TRUE(form().File1->actions().at(1)->isSeparator());
  EXPECT_TRUE(form().Help1->actions().at(1)->isSeparator());
}

TEST_F(MainWindowTest, TheFaceStartsIdleWithTheDesignTexts) {
  TForm1& f = form();
  EXPECT_EQ(f.message->text(), "Select Option");
  EXPECT_FALSE(f.Image1->isVisible());
  EXPECT_FALSE(f.enc->isVisible());
  EXPECT_EQ(f.singlemessage->text(), "Encrypting:");
  EXPECT_EQ(f.pos->text(), "0%");
  EXPECT_EQ(f.total->text(), "Total (14 of 1024 files)");
  EXPECT_EQ(f.totpos->text(), "100%");
  EXPECT_EQ(f.Button1->text(), "Stop");
  EXPECT_EQ(f.pb->minimum(), 0);
  EXPECT_EQ(f.pb->maximum(), 100);
  EXPECT_EQ(f.totpb->maximum(), 100);
  for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4",
                           "SpeedButton5", "SpeedButton6"}) {
    auto* b = f.findChild<QToolButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    EXPECT_TRUE(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
    EXPECT_FALSE(b->icon().isNull()) << name;
    EXPECT_EQ(b->width(), b->height()) << name;
  }
  // The banner covers the button row exactly, at any width; the height follows the panel.
  for (int width : {400, 640}) {
    f.resize(width, f.height());
    QTest::qWait(20);
    EXPECT_EQ(f.Image1->geometry(), f.SpeedButton1->geometry().united(f.SpeedButton6->geometry()));
    EXPECT_EQ(f.SpeedButton1->x(),
              f.centralWidget()->width() - f.SpeedButton6->geometry().right() - 1);
  }
  EXPECT_EQ(f.minimumHeight(), f.maximumHeight());
}

TEST_F(MainWindowTest, HoverTextsFollowTheMouse) {
  TForm1& f = form();
  const std::pair<QToolButton*, const char*> hovers[] = {
      {f.SpeedButton1, "Encrypt a file"},
      {f.SpeedButton2, "Decrypt a file"},
      {f.SpeedButton3, "Encrypt an entire Directory"},
      {f.SpeedButton4, "Decrypt an entire Directory"},
      {f.SpeedButton5, "Edit VELT Options"},
  };
  // Left of the button row, on the window itself.
  const QPoint bare(f.SpeedButton1->x() / 2, f.SpeedButton1->geometry().center().y());
  for (const auto& [button, text] : hovers) {
    QTest::mouseMove(button);
    EXPECT_TRUE(WaitFor([&] { return f.message->text() == text; }, 5000))
        << text << " / " << f.message->text().toStdString();
    QTest::mouseMove(f.centralWidget(), bare);
    EXPECT_TRUE(WaitFor([&] { return f.message->text() == "Select Option"; }, 5000))
        << f.message->text().toStdString();
  }
  // The exit button says what it does only when a mouse button goes down on it.
  QTest::mouseMove(f.SpeedButton6);
  QTest::qWait(20);
  EXPECT_EQ(f.message->text(), "Select Option");
  QTest::mousePress(f.SpeedButton6, Qt::LeftButton);
  EXPECT_EQ(f.message->text(), "Exit VELT");
  // Released away from the button: no click, the program goes on.
  QTest::mouseRelease(f.SpeedButton6, Qt::LeftButton, {}, QPoint(-30, -30));
  EXPECT_TRUE(f.isVisible());
}

TEST_F(MainWindowTest, TheOptionsButtonOpensOnTheReleaseOfAnyMouseButton) {
  Tveltoptions& o = *app->veltoptions;
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    WhenShown(&o, [&] { QTest::mouseClick(o.Button1, Qt::LeftButton); });
    QTest::mousePress(form().SpeedButton5, button);
    QTest::qWait(30);
    EXPECT_FALSE(o.isVisible());  // not on the press
    QTest::mouseRelease(form().SpeedButton5, button);
    EXPECT_TRUE(WaitFor([&] { return shownCount[&o] > 0 && !o.isVisible(); }));
    shownCount[&o] = 0;
  }
}

TEST_F(MainWindowTest, ShortcutsRunTheirCommands) {
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
  Tveltoptions& o = *app->veltoptions;
  WhenShown(&o, [&] { QTest::mouseClick(o.Button1, Qt::LeftButton); });
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
}

TEST_F(MainWindowTest, TheAboutBoxShowsTheVersionAndClosesWithOk) {
  TForm7& about = *app->Form7;
  QStringList texts;
  bool okClosed = false;
  WhenShown(&about, [&] {
    for (const QLabel* l : about.findChildren<QLabel*>()) texts << l->text();
    QTest::mouseClick(about.Button1, Qt::LeftButton);
    okClosed = !about.isVisible();
  });
  form().AboutVelt1->trigger();
  EXPECT_TRUE(okClosed);
  for (const char* line : {"VELT V1.2a", "Version Major: 1", "Version Minor: 22",
                           "Build Number: 321", "Build Date: 12/05/05"})
    EXPECT_TRUE(texts.contains(line)) << line;
  EXPECT_EQ(about.Image1->size(), QSize(96, 96));
  EXPECT_FALSE(about.Image1->pixmap().isNull());
  EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(MainWindowTest, AHelpFileThatCannotBeOpenedIsReported) {
  help.result = false;
  form().VELTHelp1->trigger();
  EXPECT_EQ(help.shown, std::vector<std::string>{"/opt/velt/Velt.chm"});
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Error("The help file could not be opened: /opt/velt/Velt.chm")});
}

TEST_F(MainWindowTest, StopAsksTheListJobToEndAfterTheCurrentFile) {
  TForm1& f = form();
  f.enc->show();
  QTest::mouseClick(f.Button1, Qt::LeftButton);
  EXPECT_TRUE(app->job.StopRequested);
  EXPECT_FALSE(f.Button1->isEnabled());
  EXPECT_EQ(f.Button1->text(), "Stopping");
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
  EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/a b.txt", "/tmp/dir"}));
}

}  // namespace
}  // namespace velt::ui::test
