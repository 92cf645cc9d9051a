// The encrypt-directory and decrypt-directory commands on real folder trees: picker, search,
// password, the job's totals, Stop, the statistics, and every way out, the end of the session
// included.
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <csignal>

#include "batch/file_search.h"
#include "batch/password_strength.h"
#include "tests/ui/list_fixture.h"
#include "ui/session_end.h"

namespace velt::ui::test {
namespace {

using velt::test::ReadFile;

class DirectoryJobTest : public ListTest {
 protected:
  void PickToEncrypt(const std::string& folder, bool recursive) {
    Trencdir* p = app->rencdir.get();
    WhenShown(p, [p, folder, recursive] {
      p->SelectPath(folder);
      Control<QCheckBox>(*p, "rec")->setChecked(recursive);
      QTest::mouseClick(Control<QPushButton>(*p, "Button1"), Qt::LeftButton);
    });
  }
  void PickToDecrypt(const std::string& folder, bool recursive, bool onlyWithMeta = true,
                     bool onlyExtension = true) {
    Tdencdir* p = app->dencdir.get();
    WhenShown(p, [=] {
      p->SelectPath(folder);
      Control<QCheckBox>(*p, "rec")->setChecked(recursive);
      Control<QCheckBox>(*p, "deall")->setChecked(onlyWithMeta);
      Control<QCheckBox>(*p, "deext")->setChecked(onlyExtension);
      QTest::mouseClick(Control<QPushButton>(*p, "Button1"), Qt::LeftButton);
    });
  }
  void EncryptDirectory(const std::string& folder, bool recursive, const std::string& password) {
    PickToEncrypt(folder, recursive);
    prompts.NextInput(password);
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  }
  void DecryptDirectory(const std::string& folder, bool recursive, const std::string& password) {
    PickToDecrypt(folder, recursive);
    prompts.NextInput(password);
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  }
  Shown OnlyMessage() {
    EXPECT_EQ(prompts.Messages().size(), 1u);
    return prompts.Messages().empty() ? Shown{} : prompts.Messages().back();
  }
};

TEST_F(DirectoryJobTest, ATreeIsEncryptedAndDecryptedRecursivelyHiddenFilesIncluded) {
  InstallQuick();
  Start();
  MakeTree();
  const auto before = Snapshot();

  EncryptDirectory(tree, true, "pw");
  EXPECT_FALSE(app->search->isVisible());
  EXPECT_EQ(Control<QLabel>(*app->search, "found")->text(), "Found 5 Files");
  WaitIdle();
  Shown shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Information);
  EXPECT_TRUE(Timed(shown.text, "5 Files encrypted in ")) << shown.text;
  ASSERT_EQ(prompts.Questions().size(), 1u);
  EXPECT_EQ(prompts.Questions()[0].caption, "Encryption password");
  EXPECT_EQ(prompts.Questions()[0].prompt, "Enter password");
  // Hidden files are taken; a hidden folder is never entered.
  EXPECT_EQ(Names(), (std::vector<std::string>{".hidden.txt.VELT", ".secret/h.txt", "a.txt.VELT",
                                               "sub/b.txt.VELT", "sub/deep/c.txt.VELT",
                                               "with blank.doc.VELT"}));
  EXPECT_TRUE(engine::HasMetaInfo(T("sub/deep/c.txt.VELT")));
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed 5 of 5 Files");
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "100%");
  EXPECT_FALSE(Control<QFrame>(form(), "enc")->isVisible());
  EXPECT_TRUE(app->job.FileList.empty());

  prompts.ClearRecord();
  DecryptDirectory(tree, true, "pw");
  WaitIdle();
  shown = OnlyMessage();
  EXPECT_TRUE(Timed(shown.text, "5 Files decrypted in ")) << shown.text;
  // The directory decryption asks under the encryption title, as users know it.
  EXPECT_EQ(prompts.Questions().at(0).caption, "Encryption password");
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed (5 of 5 Files");
}

TEST_F(DirectoryJobTest, WithoutRecursionOnlyTheFolderItselfIsTaken) {
  InstallQuick();
  Start();
  MakeTree();
  EncryptDirectory(tree, false, "pw");
  WaitIdle();
  EXPECT_TRUE(Timed(OnlyMessage().text, "3 Files encrypted in "));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{".hidden.txt.VELT", ".secret/h.txt", "a.txt.VELT",
                                      "sub/b.txt", "sub/deep/c.txt", "with blank.doc.VELT"}));
  // The folder of the last use is still selected, and the box keeps its state.
  EXPECT_EQ(app->rencdir->SelectedPath(), tree);
  EXPECT_FALSE(Control<QCheckBox>(*app->rencdir, "rec")->isChecked());

  // Decrypting sub recursively finds nothing with the extension: "0 Files found".
  prompts.ClearRecord();
  PickToDecrypt(T("sub"), true);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Error("0 Files found")});
  EXPECT_TRUE(prompts.Questions().empty());
  EXPECT_FALSE(form().Busy());
}

TEST_F(DirectoryJobTest, FourFilesShowTheirTotalsWhileTheJobRuns) {
  InstallQuick();
  Start();
  for (const char* f : {"1.bin", "2.bin", "3.bin", "4.bin"}) Put(f);
  const auto before = Snapshot();
  UseGate();
  EncryptDirectory(tree, true, "pw");
  ASSERT_TRUE(form().Busy());
  EXPECT_TRUE(Control<QFrame>(form(), "enc")->isVisible());
  EXPECT_TRUE(Control<QLabel>(form(), "total")->isVisible());
  EXPECT_TRUE(Control<QProgressBar>(form(), "totpb")->isVisible());
  EXPECT_TRUE(Control<QPushButton>(form(), "Button1")->isEnabled());
  EXPECT_EQ(Control<QPushButton>(form(), "Button1")->text(), "Stop");
  EXPECT_FALSE(Control<QToolButton>(form(), "SpeedButton1")->isEnabled());
  // A button of the covered row that gets the focus names nothing on the line.
  QFocusEvent tabbed(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(Control<QToolButton>(form(), "SpeedButton6"), &tabbed);
  EXPECT_EQ(Control<QLabel>(form(), "message")->text().toStdString(), "");
  for (int i = 0; i < 4; ++i) {
    ExpectTotalsAt(i, "Completed (" + std::to_string(i) + " of 4 Files", i * 25);
    gate.Allow(i);
  }
  WaitIdle();
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed 4 of 4 Files");
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "100%");
  EXPECT_EQ(Control<QProgressBar>(form(), "totpb")->value(), 100);
  EXPECT_TRUE(Timed(OnlyMessage().text, "4 Files encrypted in "));

  gate.Reset();
  prompts.ClearRecord();
  DecryptDirectory(tree, false, "pw");
  for (int i = 0; i < 4; ++i) {
    ExpectTotalsAt(i, "Completed " + std::to_string(i) + " of 4 Files", i * 25);
    gate.Allow(i);
  }
  WaitIdle();
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed (4 of 4 Files");
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "100%");
  EXPECT_TRUE(Timed(OnlyMessage().text, "4 Files decrypted in "));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(DirectoryJobTest, EightFilesRunTheTotalInEighthsRoundedHalvesToEven) {
  InstallQuick();
  Start();
  for (const char* name : {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7"}) Put(name, 100);
  UseGate();
  EncryptDirectory(tree, false, "pw");
  const int expected[] = {0, 12, 25, 38, 50, 62, 75, 88};
  for (int i = 0; i < 8; ++i) {
    ExpectTotalsAt(i, "Completed (" + std::to_string(i) + " of 8 Files", expected[i]);
    gate.Allow(i);
  }
  WaitIdle();
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "100%");
}

TEST_F(DirectoryJobTest, StopDuringTheLastFileFinishesItAndReportsTheStop) {
  InstallQuick();
  Start();
  for (const char* f : {"1.bin", "2.bin", "3.bin", "4.bin"}) Put(f);
  UseGate();
  EncryptDirectory(tree, false, "pw");
  gate.Allow(2);
  ExpectTotalsAt(3, "Completed (3 of 4 Files", 75);
  // The hover line was cleared when the job started (the picker's button was last pointed at).
  EXPECT_EQ(Control<QLabel>(form(), "message")->text().toStdString(), "");
  QTest::mouseClick(Control<QPushButton>(form(), "Button1"), Qt::LeftButton);
  EXPECT_TRUE(app->job.StopRequested);
  EXPECT_FALSE(Control<QPushButton>(form(), "Button1")->isEnabled());
  EXPECT_EQ(Control<QPushButton>(form(), "Button1")->text(), "Stopping");
  EXPECT_EQ(Control<QLabel>(form(), "message")->text(),
            "Stopping: the job ends when the current file is finished.");
  // Closing now is refused with the reason.
  EXPECT_FALSE(form().close());
  EXPECT_EQ(OnlyMessage(), Info("VELT is stopping: the job ends when the current file is "
                                "finished. Close the window then."));
  prompts.ClearRecord();
  gate.Allow(3);
  WaitIdle();
  EXPECT_EQ(Control<QLabel>(form(), "message")->text(), "Select Option");
  const Shown shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Information);
  EXPECT_TRUE(Timed(shown.text, "Process stopped by user at ",
                    "\n4 Files encrypted, 0 Files not started (left as they were)"))
      << shown.text;
  // The file in progress was finished, and the totals count it.
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"1.bin.VELT", "2.bin.VELT", "3.bin.VELT", "4.bin.VELT"}));
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed (4 of 4 Files");
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "100%");
  EXPECT_TRUE(Control<QPushButton>(form(), "Button1")->isEnabled());
  EXPECT_EQ(Control<QPushButton>(form(), "Button1")->text(), "Stop");
  EXPECT_FALSE(Control<QFrame>(form(), "enc")->isVisible());

  // Stop during the second of four decryptions, asked for by closing the window: the last two
  // stay encrypted. Answering No first lets the job go on.
  gate.Reset();
  prompts.ClearRecord();
  DecryptDirectory(tree, false, "pw");
  gate.Allow(0);
  ExpectTotalsAt(1, "Completed 1 of 4 Files", 25);
  for (bool yes : {false, true}) {
    prompts.NextAnswer(yes);
    EXPECT_FALSE(form().close());
    EXPECT_EQ(app->job.StopRequested, yes);
  }
  ASSERT_EQ(prompts.Confirmations().size(), 2u);
  EXPECT_EQ(prompts.Confirmations()[0].text,
            "VELT is working on a list of files and closes only when the job has ended. Stop the "
            "job? (The file being worked on is finished first; the files after it are left as "
            "they are.)");
  EXPECT_EQ(Control<QPushButton>(form(), "Button1")->text(), "Stopping");
  gate.Open();
  WaitIdle();
  EXPECT_TRUE(Timed(OnlyMessage().text, "Process stopped by user at ",
                    "\n2 Files decrypted, 2 Files not started (left as they were)"))
      << OnlyMessage().text;
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed 2 of 4 Files");
  EXPECT_EQ(Control<QLabel>(form(), "totpos")->text(), "50%");
  int encrypted = 0;
  for (const std::string& name : Names()) encrypted += name.ends_with(".VELT");
  EXPECT_EQ(encrypted, 2);
}

TEST_F(DirectoryJobTest, SkippedFilesAreCountedInTheStatistics) {
  InstallQuick();
  Start();
  for (const char* f : {"a", "b", "c"}) EncryptByEngine(Put(f), "first");
  const auto before = Snapshot();
  EncryptDirectory(tree, false, "pw");
  WaitIdle();
  // Counted are the files done; each skipped one is named in the details.
  const Shown all = OnlyMessage();
  EXPECT_EQ(all.text,
            "0 Files encrypted in 0 secs (3 Files Skipped due to allready being encrypted)");
  for (const char* f : {"a", "b", "c"})
    EXPECT_NE(all.details.find(tree + kSeparator + f + ".VELT: skipped, it is already encrypted"),
              std::string::npos)
        << all.details;
  EXPECT_EQ(Snapshot(), before);

  // One file under another password: left encrypted and counted as skipped.
  EncryptByEngine(Put("d"), "second");
  prompts.ClearRecord();
  DecryptDirectory(tree, false, "first");
  WaitIdle();
  const Shown shown = OnlyMessage();
  EXPECT_TRUE(Timed(shown.text, "3 Files decrypted in ",
                    " (1 Files Skipped due to incorrect password according to VELT Header)"))
      << shown.text;
  EXPECT_EQ(shown.details, tree + kSeparator +
                               "d.VELT: skipped, the password does not match its VELT Header "
                               "(left encrypted)");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d.VELT"}));
}

TEST_F(DirectoryJobTest, AFileThatFailsIsReportedAndTheJobGoesOn) {
  InstallQuick();
  Start();
  for (const char* f : {"1.bin", "2.bin", "3.bin"}) Put(f);
  std::string vanished;
  // The second file disappears between the search and its turn.
  app->commands->BeforeEachFile = [&](size_t i) {
    if (i == 1) {
      vanished = app->job.FileList[1];
      fs::remove(vanished);
    }
  };
  EncryptDirectory(tree, false, "pw");
  WaitIdle();
  const Shown shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Warning);
  EXPECT_TRUE(Timed(shown.text, "2 Files encrypted in ",
                    "\n1 Files could not be encrypted (see the details)"))
      << shown.text;
  EXPECT_NE(shown.details.find(vanished), std::string::npos) << shown.details;
  EXPECT_EQ(Names().size(), 2u);
  for (const std::string& name : Names()) EXPECT_TRUE(name.ends_with(".VELT")) << name;
  EXPECT_EQ(Control<QLabel>(form(), "total")->text(), "Completed 3 of 3 Files");
}

TEST_F(DirectoryJobTest, WithoutTheMetaFilterTheDecryptionOptionsApplyToEveryFile) {
  // Written with RC6 and RMD 160 and no meta information.
  InstallQuick({{"enc", "dword:0000000f"},
                {"hash", "dword:00000004"},
                {"com", "dword:00000000"},
                {"add", "dword:00000000"}});
  Start();
  const auto plain = Put("x.doc");
  const auto plainBytes = ReadFile(plain);
  engine::EngineSettings s = app->veltoptions->Settings();
  const std::string encrypted = EncryptByEngine(plain, "pw", s);
  ASSERT_FALSE(engine::HasMetaInfo(encrypted));

  TForm3& f3 = *app->Form3;
  f3.SetEngines(15, 4);
  PickToDecrypt(tree, false, /*onlyWithMeta=*/false);
  bool dontAskShown = false;
  WhenShown(&f3, [&] {
    dontAskShown = Control<QCheckBox>(f3, "dontask")->isChecked() &&
                   !Control<QCheckBox>(f3, "dontask")->isEnabled();
    // The engines of its last showing are still there.
    EXPECT_EQ(Control<QComboBox>(f3, "defencengine")->currentText(), "RC6");
    Control<QLineEdit>(f3, "password")->setText("pw");
    QTest::mouseClick(Control<QPushButton>(f3, "Button1"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_TRUE(dontAskShown);
  EXPECT_TRUE(prompts.Questions().empty());  // no password box on this path
  WaitIdle();
  const Shown shown = OnlyMessage();
  EXPECT_TRUE(Timed(
      shown.text, "1 Files decrypted in ",
      "\n1 encrypted Files kept as (orig): their password could not be checked (see the details)"))
      << shown.text;
  EXPECT_EQ(ReadFile(plain), plainBytes);
  // Its delete box was off: the encrypted file is kept aside, counted, and named in the details.
  EXPECT_TRUE(fs::exists(encrypted + "(orig)"));
  EXPECT_NE(shown.details.find(encrypted + "(orig)"), std::string::npos) << shown.details;
}

TEST_F(DirectoryJobTest, EveryWayOutLeavesTheDiskAsItWas) {
  InstallQuick();
  Start();
  MakeTree();
  EncryptByEngine(Put("enc.bin"), "pw");
  const auto before = Snapshot();
  Trencdir& rencdir = *app->rencdir;
  Tdencdir& dencdir = *app->dencdir;

  // Cancel in the picker, and a close through its frame.
  WhenShown(&rencdir, [&] {
    rencdir.SelectPath(tree);
    QTest::mouseClick(Control<QPushButton>(rencdir, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  WhenShown(&dencdir, [&] {
    dencdir.SelectPath(tree);
    dencdir.close();
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_FALSE(app->search->isVisible());

  // Cancel in the search dialog, pressed while the search runs.
  PickToEncrypt(tree, true);
  app->commands->BeforeEachFile = [](size_t) { ADD_FAILURE() << "a job started"; };
  bool cancelled = false;
  const auto entered = form().ff1.OnPerformeDirAction;
  form().ff1.OnPerformeDirAction = [&](batch::TFileSearch& s, const std::string& path,
                                       const std::string& name) {
    if (!cancelled)
      QTest::mouseClick(Control<QPushButton>(*app->search, "Button1"), Qt::LeftButton);
    cancelled = true;
    entered(s, path, name);
  };
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  form().ff1.OnPerformeDirAction = entered;
  EXPECT_TRUE(cancelled);
  EXPECT_TRUE(batch::SearchCancelled);
  EXPECT_FALSE(app->search->isVisible());

  // Cancel in the password box, in both commands.
  PickToEncrypt(tree, true);
  prompts.NextInput(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  PickToDecrypt(tree, true, true, false);
  prompts.NextInput(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  // Cancel in the decryption options dialog.
  PickToDecrypt(tree, true, false, false);
  WhenShown(app->Form3.get(), [&] {
    QTest::mouseClick(Control<QPushButton>(*app->Form3, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_EQ(shownCount[app->Form3.get()], 1);

  EXPECT_EQ(prompts.Questions().size(), 2u);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(app->job.CommandActive);

  // The next command starts with a fresh list.
  app->commands->BeforeEachFile = nullptr;
  EncryptDirectory(T("sub"), false, "pw");
  WaitIdle();
  EXPECT_TRUE(Timed(prompts.Messages().back().text, "1 Files encrypted in "));
}

TEST_F(DirectoryJobTest, OkIsOnlyForAnExistingFolderAndTheCaptionNamesTheExtension) {
  InstallQuick({{"def", "\"sec\""}});
  Start();
  Tdencdir& picker = *app->dencdir;
  EXPECT_EQ(picker.windowTitle(), "Select Directory");
  EXPECT_FALSE(Control<QPushButton>(picker, "Button1")->isEnabled());
  picker.SelectPath(tree);
  EXPECT_TRUE(Control<QPushButton>(picker, "Button1")->isEnabled());
  Put("file.txt");
  picker.SelectPath(T("file.txt"));  // the tree shows folders only: no such node
  EXPECT_FALSE(Control<QPushButton>(picker, "Button1")->isEnabled());
  picker.SelectPath(tree);
  EXPECT_TRUE(Control<QPushButton>(picker, "Button1")->isEnabled());
  fs::remove_all(tree);
  picker.SelectPath(tree);
  // Wine does not tell Qt's folder model that a folder went away behind its back.
  if (!velt::test::UnderWine()) {
    EXPECT_FALSE(Control<QPushButton>(picker, "Button1")->isEnabled());
  }

  WhenShown(&picker, [&] {
    EXPECT_EQ(Control<QCheckBox>(picker, "deext")->text(),
              "Only attempt to Decrypt files with .sec extension");
    QTest::mouseClick(Control<QPushButton>(picker, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_EQ(shownCount[&picker], 1);
}

TEST_F(DirectoryJobTest, ASecondCommandOrADropWhileACommandRunsIsRefused) {
  InstallQuick();
  Start();
  MakeTree();
  const std::string other = Put("../other.txt");
  int refusals = 0;
  // While the password is asked, the user drops a file and clicks the other commands.
  prompts.WhileAsking = [&](const ScriptedPrompts::Asked&) {
    const auto list = app->job.FileList;
    Drop({other});
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
    form().EncryptFile();
    EXPECT_EQ(app->job.FileList, list);
    EXPECT_FALSE(form().close());
    for (const auto& m : prompts.Messages())
      refusals += m.text ==
                  "VELT is already working on a list of files. Wait until it has "
                  "finished, then try again.";
  };
  EncryptDirectory(tree, true, "pw");
  prompts.WhileAsking = nullptr;
  WaitIdle();
  EXPECT_EQ(refusals, 3);
  EXPECT_EQ(shownCount[app->Drag.get()], 0);
  EXPECT_EQ(shownCount[app->dencdir.get()], 0);
  // And while the job runs: the drop is refused, the job goes on with its own list.
  UseGate();
  prompts.ClearRecord();
  EncryptDirectory(T("sub"), true, "pw2");
  ASSERT_TRUE(WaitFor([&] { return gate.Reached() == 0; }));
  Drop({other});
  EXPECT_EQ(prompts.Messages().size(), 1u);
  gate.Open();
  WaitIdle();
  EXPECT_TRUE(fs::exists(other));
}

TEST_F(DirectoryJobTest, EnterAsThePickerOpensStartsNothing) {
  InstallQuick();
  Start();
  MakeTree();
  const auto before = Snapshot();
  // A folder chosen at an earlier showing is not chosen at the next one.
  WhenShown(app->rencdir.get(), [&] {
    app->rencdir->SelectPath(tree);
    EXPECT_TRUE(Control<QPushButton>(*app->rencdir, "Button1")->isDefault());
    QTest::mouseClick(Control<QPushButton>(*app->rencdir, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);

  // As a window manager does it: the picker activated and its tree given the focus, then Enter.
  for (TFolderPicker* picker :
       std::initializer_list<TFolderPicker*>{app->rencdir.get(), app->dencdir.get()}) {
    SCOPED_TRACE(picker->objectName().toStdString());
    bool stayed = false, okEnabled = true, okDefault = true, current = true;
    std::string chosen = "?";
    WhenShown(picker, [&] {
      picker->activateWindow();
      QApplication::setActiveWindow(picker);
      EXPECT_TRUE(QTest::qWaitForWindowActive(picker));
      Control<QTreeView>(*picker, "ShellTreeView1")->setFocus(Qt::ActiveWindowFocusReason);
      EXPECT_TRUE(Control<QTreeView>(*picker, "ShellTreeView1")->hasFocus());
      QTest::keyClick(Control<QTreeView>(*picker, "ShellTreeView1"), Qt::Key_Return);
      QTest::keyClick(picker, Qt::Key_Enter);
      QTest::qWait(20);
      stayed = picker->isVisible();
      okEnabled = Control<QPushButton>(*picker, "Button1")->isEnabled();
      okDefault = Control<QPushButton>(*picker, "Button1")->isDefault();
      current = Control<QTreeView>(*picker, "ShellTreeView1")->currentIndex().isValid();
      chosen = picker->SelectedPath();
      QTest::keyClick(picker, Qt::Key_Escape);
    });
    QTest::mouseClick(picker == app->rencdir.get() ? Control<QToolButton>(form(), "SpeedButton3")
                                                   : Control<QToolButton>(form(), "SpeedButton4"),
                      Qt::LeftButton);
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(okDefault);
    EXPECT_FALSE(current);
    EXPECT_EQ(chosen, "");
  }
  EXPECT_FALSE(app->search->isVisible());
  EXPECT_TRUE(prompts.Questions().empty());
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(Snapshot(), before);

  // Once a folder is chosen, Enter is OK: the command goes on to the password (Cancel there).
  WhenShown(app->rencdir.get(), [&] {
    Control<QTreeView>(*app->rencdir, "ShellTreeView1")->setFocus(Qt::ActiveWindowFocusReason);
    app->rencdir->SelectPath(tree);
    QTest::keyClick(Control<QTreeView>(*app->rencdir, "ShellTreeView1"), Qt::Key_Return);
  });
  prompts.NextInput(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  ASSERT_EQ(prompts.Questions().size(), 1u);
  EXPECT_EQ(prompts.Questions()[0].box, ScriptedPrompts::Box::NewPassword);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(DirectoryJobTest, AJobOverAWholeFileSystemOrHomeFolderIsAskedAboutOnceMore) {
  InstallQuick();
  Start();
#ifdef _WIN32
  GTEST_SKIP() << "Qt takes the home folder from the user's profile on Windows, not from HOME";
#endif
  MakeTree();
  const auto before = Snapshot();
  const HomeAt home(tree);
  using Box = ScriptedPrompts::Box;

  // No ends the command before the password.
  PickToEncrypt(tree, true);
  prompts.NextAnswer(false);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  EXPECT_EQ(prompts.Confirmations(),
            std::vector<Shown>{Warning("5 Files were found in " + tree +
                                       ", your home folder. Encrypt every one of them?")});
  ASSERT_EQ(prompts.Questions().size(), 1u);
  EXPECT_EQ(prompts.Questions()[0].box, Box::Question);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(app->job.CommandActive);

  // Yes goes on to the password; the decryption asks under its own word.
  prompts.ClearRecord();
  PickToDecrypt(tree, false, /*onlyWithMeta=*/false, /*onlyExtension=*/false);
  prompts.NextAnswer(true);
  WhenShown(app->Form3.get(), [&] {
    QTest::mouseClick(Control<QPushButton>(*app->Form3, "Button2"), Qt::LeftButton);
  });
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  EXPECT_EQ(prompts.Confirmations(),
            std::vector<Shown>{Warning("3 Files were found in " + tree +
                                       ", your home folder. Decrypt every one of them?")});
  EXPECT_EQ(shownCount[app->Form3.get()], 1);

  // A folder inside the home folder is not asked about.
  prompts.ClearRecord();
  PickToEncrypt(T("sub"), true);
  prompts.NextInput(std::nullopt);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  EXPECT_TRUE(prompts.Confirmations().empty());
  EXPECT_EQ(prompts.Questions().size(), 1u);

  // The root of the file system, without sub-folders (only its own files are searched).
  size_t atRoot = 0;
  for (const auto& e : fs::directory_iterator("/")) atRoot += e.is_regular_file() ? 1 : 0;
  if (atRoot > 0) {
    prompts.ClearRecord();
    PickToEncrypt("/", false);
    prompts.NextAnswer(false);
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
    ASSERT_EQ(prompts.Confirmations().size(), 1u);
    const std::string text = prompts.Confirmations()[0].text;
    EXPECT_TRUE(
        text.ends_with(" Files were found in /, the whole file system. Encrypt every one "
                       "of them?"))
        << text;
    EXPECT_EQ(prompts.Questions().size(), 1u);
  }
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(prompts.Unexpected(), 0);
}

TEST_F(DirectoryJobTest, TemporaryFilesOfAnInterruptedRunAreLeftOutAndListed) {
  InstallQuick();
  Start();
  Put("a.txt");
  Put("sub/b.txt");
  // A working copy, an encrypted output, and a decrypted one that carries meta information.
  std::vector<std::string> leftovers = {Put("a.txt.tmp45123456789012"),
                                        Put("sub/b.txt.tmp45123456789013en")};
  const std::string withMeta = EncryptByEngine(Put("c.txt"), "pw");
  leftovers.push_back(T("sub/c.txt.VELT.tmp45123456789014dc"));
  fs::rename(withMeta, leftovers.back());
  std::map<std::string, std::vector<uint8_t>> kept;
  for (const auto& path : leftovers) kept[path] = ReadFile(path);
  auto expectDetails = [&](const std::string& details) {
    for (const auto& path : leftovers)
      EXPECT_NE(details.find(path + ": left out, a temporary file of an interrupted run"),
                std::string::npos)
          << details;
  };

  EncryptDirectory(tree, true, "pw");
  WaitIdle();
  Shown shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Information);
  EXPECT_TRUE(Timed(shown.text, "2 Files encrypted in ",
                    "\n3 temporary Files of an interrupted VELT run left out (see the details)"))
      << shown.text;
  expectDetails(shown.details);
  EXPECT_TRUE(fs::exists(T("a.txt.VELT")));
  EXPECT_TRUE(fs::exists(T("sub/b.txt.VELT")));

  // Decryption by meta information alone, whatever the extension.
  prompts.ClearRecord();
  PickToDecrypt(tree, true, /*onlyWithMeta=*/true, /*onlyExtension=*/false);
  prompts.NextInput(std::string("pw"));
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton4"), Qt::LeftButton);
  WaitIdle();
  shown = OnlyMessage();
  EXPECT_TRUE(Timed(shown.text, "2 Files decrypted in ",
                    "\n3 temporary Files of an interrupted VELT run left out (see the details)"))
      << shown.text;
  expectDetails(shown.details);
  for (const auto& [path, bytes] : kept) EXPECT_EQ(ReadFile(path), bytes) << path;

  // Nothing but leftovers: nothing to do, and the box says why.
  fs::create_directories(T("only"));
  fs::rename(leftovers[0], T("only/a.txt.tmp45123456789012"));
  leftovers = {T("only/a.txt.tmp45123456789012")};
  prompts.ClearRecord();
  PickToEncrypt(T("only"), true);
  QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton3"), Qt::LeftButton);
  shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Error);
  EXPECT_EQ(shown.text, "0 Files found");
  expectDetails(shown.details);
  EXPECT_TRUE(prompts.Questions().empty());
}

TEST_F(DirectoryJobTest, ThePasswordIsNewForEncryptionKnownForDecryptionAndNeverEmptyToEncrypt) {
  InstallQuick();
  Start();
  MakeTree();
  const auto before = Snapshot();
  using Box = ScriptedPrompts::Box;
  // The real box lets no empty new password through; one that comes anyway is refused.
  EncryptDirectory(tree, true, "");
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Error("Encryption needs a password, and the password given is "
                                     "empty. Nothing was changed.")});
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(Snapshot(), before);
  ASSERT_EQ(prompts.Questions().size(), 1u);
  EXPECT_EQ(prompts.Questions()[0].box, Box::NewPassword);

  prompts.ClearRecord();
  EncryptDirectory(tree, true, "password1");
  WaitIdle();
  EXPECT_EQ(prompts.Questions().at(0).box, Box::NewPassword);
  // The box was told how strong the password is as it was typed.
  if (batch::EstimatePasswordStrength("x").available) {
    ASSERT_EQ(prompts.Advice().size(), 1u);
    EXPECT_NE(prompts.Advice()[0].estimate.find("Strength: "), std::string::npos);
    EXPECT_EQ(prompts.Advice()[0].warning, batch::kWeakPasswordWarning);
  }

  // Decryption asks once, with no estimate, and takes an empty password: a wrong one here.
  prompts.ClearRecord();
  DecryptDirectory(tree, true, "");
  WaitIdle();
  EXPECT_EQ(prompts.Questions().at(0).box, Box::Password);
  EXPECT_TRUE(prompts.Advice().empty());
  EXPECT_TRUE(Timed(OnlyMessage().text, "0 Files decrypted in ",
                    " (5 Files Skipped due to incorrect password according to VELT Header)"));
}

TEST_F(DirectoryJobTest, FilesKeptAsOrigAreCountedAndTheEngineNotesListed) {
  // Without compression a decryption cannot be checked well enough to delete the encrypted
  // file: it is kept as "(orig)".
  InstallQuick({{"com", "dword:00000000"}});
  Start();
  for (const char* f : {"1.bin", "2.bin"}) Put(f);
  const auto before = Snapshot();
  EncryptDirectory(tree, false, "pw");
  WaitIdle();
  prompts.ClearRecord();
  DecryptDirectory(tree, false, "pw");
  WaitIdle();
  const Shown shown = OnlyMessage();
  EXPECT_EQ(shown.kind, MessageKind::Information);
  EXPECT_TRUE(Timed(shown.text, "2 Files decrypted in ",
                    "\n2 encrypted Files kept as (orig): their password could not be checked "
                    "(see the details)"))
      << shown.text;
  for (const char* f : {"1.bin", "2.bin"}) {
    EXPECT_EQ(ReadFile(T(f)), before.at(f));
    EXPECT_TRUE(engine::HasMetaInfo(T(std::string(f) + ".VELT(orig)")));
    EXPECT_NE(shown.details.find(f), std::string::npos) << shown.details;
  }
}

#ifndef _WIN32
TEST_F(DirectoryJobTest, TheSessionEndingStopsTheJobAtASafePointAndQuits) {
  InstallQuick();
  Start();
  Put("one.bin", 32 << 20);
  Put("two.bin", 32 << 20);
  const auto before = Snapshot();
  bool quit = false;
  SessionEnd session(*app);
  QObject::connect(&session, &SessionEnd::Quit, [&] { quit = true; });
  UseGate();
  EncryptDirectory(tree, false, "pw");
  ASSERT_TRUE(WaitFor([&] { return gate.Reached() == 0; }));
  const std::string first = fs::path(app->job.FileList.at(0)).filename().string();
  const std::string second = first == "one.bin" ? "two.bin" : "one.bin";
  gate.Open();
  ::raise(SIGTERM);  // a logout while the first file runs
  ASSERT_TRUE(WaitFor([&] { return quit; }));
  EXPECT_FALSE(form().Busy());
  EXPECT_TRUE(prompts.Messages().empty());  // nobody is left to read a box
  EXPECT_EQ(TemporariesUnder(tree), std::vector<std::string>{});
  const auto now = Snapshot();
  if (now.count(first)) {
    EXPECT_EQ(now.at(first), before.at(first));
    EXPECT_EQ(now.count(first + ".VELT"), 0u);
  } else {
    EXPECT_TRUE(engine::HasMetaInfo(T(first + ".VELT")));
  }
  EXPECT_EQ(now.at(second), before.at(second));
  EXPECT_EQ(now.count(second + ".VELT"), 0u);
  // Nothing starts any more.
  Drop({tree});
  EXPECT_EQ(shownCount[app->Drag.get()], 0);
}

TEST_F(DirectoryJobTest, TheSessionEndingWhileThePasswordIsAskedStartsNothing) {
  InstallQuick();
  Start();
  MakeTree();
  const auto before = Snapshot();
  bool quit = false;
  SessionEnd session(*app);
  QObject::connect(&session, &SessionEnd::Quit, [&] { quit = true; });
  prompts.WhileAsking = [&](const ScriptedPrompts::Asked&) {
    ::raise(SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return quit; }));
  };
  // The password arrives all the same, as one typed just as the session ended.
  EncryptDirectory(tree, true, "pw");
  prompts.WhileAsking = nullptr;
  EXPECT_TRUE(quit);
  EXPECT_FALSE(form().Busy());
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(Snapshot(), before);
}
#endif

}  // namespace
}  // namespace velt::ui::test
