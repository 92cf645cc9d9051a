// The single-file commands through the tool buttons, on real files.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <filesystem>

#include "engine/engine.h"
#include "engine/meta_info.h"
#include "tests/ui/ui_fixture.h"
#include "ui/session_end.h"

namespace velt::ui::test {
namespace {

namespace fs = std::filesystem;
using velt::test::ReadFile;
using Box = ScriptedPrompts::Box;

class SingleFileTest : public UiTest {
 protected:
  std::vector<QToolButton*> buttons() {
    TForm1& f = form();
    return {Control<QToolButton>(f, "SpeedButton1"), Control<QToolButton>(f, "SpeedButton2"),
            Control<QToolButton>(f, "SpeedButton3"), Control<QToolButton>(f, "SpeedButton4"),
            Control<QToolButton>(f, "SpeedButton5"), Control<QToolButton>(f, "SpeedButton6")};
  }
  std::vector<QMenu*> menus() {
    return {Control<QMenu>(form(), "File1"), Control<QMenu>(form(), "Encrypt1"),
            Control<QMenu>(form(), "Decrypt1"), Control<QMenu>(form(), "Help1")};
  }

  void ExpectBusy() {
    TForm1& f = form();
    EXPECT_TRUE(f.Busy());
    EXPECT_TRUE(Control<QLabel>(f, "Image1")->isVisible());
    for (QToolButton* b : buttons()) EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QMenu* m : menus()) EXPECT_FALSE(m->menuAction()->isEnabled()) << m->title().toStdString();
    EXPECT_TRUE(Control<QFrame>(f, "enc")->isVisible());
    EXPECT_FALSE(Control<QLabel>(f, "total")->isVisible());
    EXPECT_FALSE(Control<QProgressBar>(f, "totpb")->isVisible());
    EXPECT_FALSE(Control<QLabel>(f, "totpos")->isVisible());
    EXPECT_FALSE(Control<QPushButton>(f, "Button1")->isEnabled());
  }
  void ExpectIdle() {
    TForm1& f = form();
    EXPECT_FALSE(f.Busy());
    EXPECT_FALSE(Control<QLabel>(f, "Image1")->isVisible());
    for (QToolButton* b : buttons()) EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    for (QMenu* m : menus()) EXPECT_TRUE(m->menuAction()->isEnabled()) << m->title().toStdString();
    EXPECT_FALSE(Control<QFrame>(f, "enc")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(f, "Button1")->isEnabled());
  }
  void WaitIdle() {
    ASSERT_TRUE(WaitFor([&] { return !form().Busy(); }));
  }

  // "<prefix><seconds> secs" with seconds as a plain decimal number.
  static void ExpectTimed(const Shown& shown, const std::string& prefix) {
    EXPECT_EQ(shown.kind, MessageKind::Information);
    QRegularExpression re(QString::fromStdString("^" + prefix + "\\d+([.,]\\d+)? secs$"));
    EXPECT_TRUE(re.match(QString::fromStdString(shown.text)).hasMatch()) << shown.text;
  }

  // An encrypted file made directly by the engine.
  std::string EncryptedByEngine(const std::string& path, const std::string& password,
                                engine::EngineSettings s) {
    s.secureDelete = false;
    engine::NullProgressSink sink;
    engine::EncryptOneFile(path, password, s, sink);
    return path + "." + s.extension;
  }
};

TEST_F(SingleFileTest, EncryptAndDecryptAFileThroughTheButtons) {
  Install();
  Start();
  const std::string path = MakeFile("report.txt", 300000);
  const auto original = ReadFile(path);

  prompts.NextFile(path);
  prompts.NextInput(std::string("s3cret"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  // The start notification has run inside the click; the end one needs the event loop.
  ExpectBusy();
  EXPECT_FALSE(form().close());  // refused while the work runs, saying why
  EXPECT_TRUE(form().isVisible());
  WaitIdle();
  ExpectIdle();
  ASSERT_EQ(prompts.Messages().size(), 2u);
  EXPECT_EQ(prompts.Messages()[0].text,
            "VELT is working on a file and closes only when it is finished. Close the window "
            "then.");
  ExpectTimed(prompts.Messages()[1], "File encrypted in ");
  ASSERT_EQ(prompts.Questions().size(), 2u);
  EXPECT_EQ(prompts.Questions()[1].caption, "Encryption password");
  EXPECT_EQ(prompts.Questions()[1].prompt, "Enter password");
  EXPECT_EQ(prompts.Questions()[1].box, Box::NewPassword);  // masked, typed twice
  EXPECT_EQ(prompts.FileFilters(), std::vector<std::string>{"All Files|*.*"});
  const std::string encrypted = path + ".VELT";
  ASSERT_TRUE(fs::exists(encrypted));
  EXPECT_FALSE(fs::exists(path));  // "Delete original file" is on
  EXPECT_TRUE(engine::HasMetaInfo(encrypted));
  EXPECT_NE(ReadFile(encrypted), original);

  prompts.ClearRecord();
  prompts.NextFile(encrypted);
  prompts.NextInput(std::string("s3cret"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  ExpectBusy();
  WaitIdle();
  ExpectIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  ExpectTimed(prompts.Messages()[0], "File Decrypted in ");
  EXPECT_EQ(prompts.Questions()[1].caption, "Decryption password");
  EXPECT_EQ(prompts.Questions()[1].prompt, "Enter password");
  EXPECT_EQ(prompts.Questions()[1].box, Box::Password);  // masked, typed once
  // The file dialog opened where the last file was chosen.
  EXPECT_EQ(prompts.Questions()[0].prompt, dir.path() + kSeparator);
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_FALSE(fs::exists(encrypted));
  // After the work the window closes normally.
  EXPECT_TRUE(form().close());
}

TEST_F(SingleFileTest, AWrongPasswordIsReportedAndTheFileStaysAsItWas) {
  Install();
  Start();
  const std::string encrypted =
      EncryptedByEngine(MakeFile("data.bin", 5000), "right", app->veltoptions->Settings());
  const auto before = ReadFile(encrypted);
  prompts.NextFile(encrypted);
  prompts.NextInput(std::string("wrong"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  WaitIdle();
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Error("Decryption Password supplied was incorrect.")});
  EXPECT_EQ(ReadFile(encrypted), before);
  EXPECT_FALSE(fs::exists(dir / "data.bin"));
}

TEST_F(SingleFileTest, AnEncryptedFileIsNotEncryptedAgain) {
  Install();
  Start();
  const std::string encrypted =
      EncryptedByEngine(MakeFile("data.bin", 5000), "pw", app->veltoptions->Settings());
  const auto names = dir.Names();
  prompts.NextFile(encrypted);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Info("File is already encrypted")});
  EXPECT_EQ(prompts.Questions().size(), 1u);  // the file dialog only, no password
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(dir.Names(), names);
}

TEST_F(SingleFileTest, CancelAtAnyQuestionEndsTheCommandSilently) {
  Install();
  Start();
  const std::string path = MakeFile("a.txt", 100);
  prompts.NextFile(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  prompts.NextFile(path);
  prompts.NextInput(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  prompts.NextFile(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  EXPECT_FALSE(form().Busy());
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(prompts.ScriptUsed());
  EXPECT_EQ(prompts.Unexpected(), 0);
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"a.txt", "registry.reg"}));
}

TEST_F(SingleFileTest, AFileWithoutMetaInformationGoesThroughTheDecryptionOptions) {
  // Settings: RC6 with RMD 160; the file was made with them, without meta information.
  Install({{"enc", "dword:0000000f"},
           {"hash", "dword:00000004"},
           {"com", "dword:00000000"},
           {"add", "dword:00000000"}});
  Start();
  ASSERT_FALSE(app->veltoptions->Settings().addMetaInfo);
  const std::string path = MakeFile("plain.doc", 20000);
  const auto original = ReadFile(path);
  const std::string encrypted = EncryptedByEngine(path, "pw", app->veltoptions->Settings());
  ASSERT_FALSE(engine::HasMetaInfo(encrypted));

  TForm3& f3 = *app->Form3;
  // A choice left from earlier, which the single-file command must replace by the settings'.
  f3.SetEngines(2, 9);
  f3.SetDontAsk(true);
  Control<QCheckBox>(f3, "dontask")->setEnabled(true);

  prompts.NextFile(encrypted);
  WhenShown(&f3, [&] {
    EXPECT_EQ(
        prompts.Messages(),
        std::vector<Shown>{Info("File has no VILT Header, Please select Decryption Options.")});
    EXPECT_EQ(Control<QComboBox>(f3, "defencengine")->currentText(), "RC6");
    EXPECT_EQ(Control<QComboBox>(f3, "defhashengine")->currentText(), "RMD 160");
    EXPECT_FALSE(Control<QCheckBox>(f3, "dontask")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(f3, "dontask")->isEnabled());
    Control<QLineEdit>(f3, "password")->setText("pw");
    QTest::mouseClick(Control<QPushButton>(f3, "Button1"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  EXPECT_EQ(shownCount[&f3], 1);
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 3u);
  ExpectTimed(prompts.Messages()[1], "File Decrypted in ");
  EXPECT_EQ(ReadFile(path), original);
  // "Delete Oringial File after Decryption" was off: the encrypted file is kept aside, and the
  // engine's note after the message says where.
  EXPECT_TRUE(fs::exists(encrypted + "(orig)"));
  EXPECT_EQ(prompts.Messages()[2].kind, MessageKind::Information);
  EXPECT_NE(prompts.Messages()[2].text.find(encrypted + "(orig)"), std::string::npos)
      << prompts.Messages()[2].text;

  // A second time: the password typed before is still there; Cancel starts nothing.
  const std::string again =
      EncryptedByEngine(MakeFile("other.doc", 100), "pw2", app->veltoptions->Settings());
  const auto names = dir.Names();
  prompts.ClearRecord();
  prompts.NextFile(again);
  std::string shownPassword;
  WhenShown(&f3, [&] {
    shownPassword = Control<QLineEdit>(f3, "password")->text().toStdString();
    QTest::mouseClick(Control<QPushButton>(f3, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  EXPECT_EQ(shownPassword, "pw");
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(prompts.Messages().size(), 1u);  // the header message only
  EXPECT_EQ(dir.Names(), names);
}

TEST_F(SingleFileTest, AnErrorOfThePipelineIsShownAndNeverReportedAsSuccess) {
  Install();
  Start();
  const std::string missing = dir / "gone.txt";
  prompts.NextFile(missing);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  WaitIdle();
  ExpectIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Error);
  EXPECT_NE(prompts.Messages()[0].text.find(missing), std::string::npos)
      << prompts.Messages()[0].text;
  EXPECT_EQ(prompts.Messages()[0].text.find("encrypted in"), std::string::npos);
}

// A file of the user's own under the encrypted name is never replaced: the error names both.
TEST_F(SingleFileTest, APlainFileUnderTheEncryptedNameIsRefused) {
  Install();
  Start();
  const std::string doc = MakeFile("report", 3000), theirs = doc + ".VELT";
  velt::test::WriteFile(theirs, "somebody's own notes");
  const auto bytes = ReadFile(doc);
  prompts.NextFile(doc);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  const Shown& shown = prompts.Messages()[0];
  EXPECT_EQ(shown.kind, MessageKind::Error);
  EXPECT_NE(shown.text.find(doc + ":"), std::string::npos) << shown.text;
  EXPECT_NE(shown.text.find(theirs + " exists and is not a VELT file"), std::string::npos)
      << shown.text;
  EXPECT_EQ(ReadFile(doc), bytes);
  EXPECT_EQ(velt::test::ReadText(theirs), "somebody's own notes");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"registry.reg", "report", "report.VELT"}));
}

TEST_F(SingleFileTest, ProgressReachesThePanelAndCommandsWaitWhileBusy) {
  Install();
  Start();
  const std::string path = MakeFile("big.bin", 4 << 20);
  prompts.NextFile(path);
  prompts.NextInput(std::string("pw"));
  // Whenever the window looks, the percentage label reads what the bar shows.
  QTimer look;
  std::vector<std::string> disagreements;
  QObject::connect(&look, &QTimer::timeout, [&] {
    const QString label = Control<QLabel>(form(), "pos")->text();
    const int bar = Control<QProgressBar>(form(), "pb")->value();
    if (label != QString::number(bar) + QLatin1Char('%'))
      disagreements.push_back(label.toStdString() + " / " + std::to_string(bar));
  });
  look.start(1);
  Control<QAction>(form(), "EncryptFile1")->trigger();
  ASSERT_TRUE(form().Busy());
  // Commands arriving by shortcut or menu while busy do nothing: no question is asked.
  Control<QAction>(form(), "DecryptFile1")->trigger();
  Control<QAction>(form(), "VELTOptions1")->trigger();
  form().EncryptFile();
  EXPECT_EQ(prompts.Questions().size(), 2u);
  WaitIdle();
  look.stop();
  EXPECT_TRUE(disagreements.empty()) << disagreements.front();
  // The last values the pipeline reported are on the panel: the bar was emptied after the
  // cipher's 100%, and the label with it.
  EXPECT_EQ(Control<QProgressBar>(form(), "pb")->value(), 0);
  EXPECT_EQ(Control<QLabel>(form(), "pos")->text(), "0%");
  EXPECT_EQ(Control<QLabel>(form(), "filename")->text(), "big.bin");
  EXPECT_EQ(Control<QLabel>(form(), "filename")->toolTip().toStdString(), path);
  EXPECT_EQ(Control<QLabel>(form(), "singlemessage")->text(), "Encryption Complete");
  ASSERT_EQ(prompts.Messages().size(), 1u);
  ExpectTimed(prompts.Messages()[0], "File encrypted in ");
  EXPECT_TRUE(fs::exists(path + ".VELT"));
}

TEST_F(SingleFileTest, AnEmptyPasswordIsNeverUsedToEncrypt) {
  Install();
  Start();
  const std::string path = MakeFile("a.txt", 1000);
  const auto names = dir.Names();
  // The real box lets no empty new password through; one that comes anyway is refused.
  prompts.NextFile(path);
  prompts.NextInput(std::string());
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Error("Encryption needs a password, and the password given is "
                                     "empty. Nothing was changed.")});
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(dir.Names(), names);
}

TEST_F(SingleFileTest, AFileEncryptedAfterItWasChosenIsReportedAsAlreadyEncrypted) {
  Install();
  Start();
  const std::string path = MakeFile("data.bin", 5000);
  const std::string other =
      EncryptedByEngine(MakeFile("other.bin", 3000), "pw", app->veltoptions->Settings());
  const auto encrypted = ReadFile(other);
  // While the password is asked, an encrypted file takes the chosen file's place.
  prompts.WhileAsking = [&](const ScriptedPrompts::Asked&) { fs::rename(other, path); };
  prompts.NextFile(path);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  WaitIdle();
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Info("File is already encrypted")});
  EXPECT_EQ(ReadFile(path), encrypted);
  EXPECT_FALSE(fs::exists(path + ".VELT"));
  EXPECT_EQ(TemporariesUnder(dir.path()), std::vector<std::string>{});
}

TEST_F(SingleFileTest, WhatTheEngineNotesIsShownAfterTheMessage) {
  // Without compression a decryption cannot be checked well enough to delete the encrypted
  // file: it is kept as "(orig)", and a second box says so.
  Install({{"com", "dword:00000000"}});
  Start();
  const std::string path = MakeFile("notes.txt", 20000);
  const auto original = ReadFile(path);
  const std::string encrypted = EncryptedByEngine(path, "pw", app->veltoptions->Settings());
  prompts.NextFile(encrypted);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 2u);
  ExpectTimed(prompts.Messages()[0], "File Decrypted in ");
  EXPECT_EQ(prompts.Messages()[1].kind, MessageKind::Information);
  EXPECT_NE(prompts.Messages()[1].text.find("notes.txt"), std::string::npos)
      << prompts.Messages()[1].text;
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_TRUE(engine::HasMetaInfo(encrypted + "(orig)"));
}

#ifndef _WIN32
TEST_F(SingleFileTest, TheSessionEndingStopsTheFileAtASafePointAndQuits) {
  Install();
  Start();
  const std::string path = MakeFile("big.bin", 32 << 20);
  const auto original = ReadFile(path);
  bool quit = false;
  SessionEnd session(*app);
  QObject::connect(&session, &SessionEnd::Quit, [&] { quit = true; });
  prompts.NextFile(path);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  ASSERT_TRUE(form().Busy());
  ::raise(SIGTERM);  // a logout while the file runs
  ASSERT_TRUE(WaitFor([&] { return quit; }));
  EXPECT_FALSE(form().Busy());
  EXPECT_TRUE(prompts.Messages().empty());  // nobody is left to read a box
  EXPECT_EQ(TemporariesUnder(dir.path()), std::vector<std::string>{});
  if (fs::exists(path)) {
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(fs::exists(path + ".VELT"));
  } else {
    EXPECT_TRUE(engine::HasMetaInfo(path + ".VELT"));
  }
  // Commands start nothing any more.
  prompts.NextFile(path);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
  EXPECT_FALSE(form().Busy());
}
#endif

}  // namespace
}  // namespace velt::ui::test
