// The -e and -d command line and files dropped on the main window, on real files.
#include "platform/command_line.h"

#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <iostream>

#include "batch/settings_store.h"
#include "tests/ui/list_fixture.h"

namespace velt::ui::test {
namespace {

using velt::test::ReadFile;

class CommandLineTest : public ListTest {
 protected:
  void OkWhenShown(QDialog* dialog, QPushButton* ok, std::function<void()> before = {}) {
    WhenShown(dialog, [=] {
      if (before) before();
      QTest::mouseClick(ok, Qt::LeftButton);
    });
  }
  bool Ended() { return !form().isVisible(); }
  std::string Starred(const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& p : paths) list += (list.empty() ? "*" : "|*") + p + "*";
    return list;
  }
};

TEST_F(CommandLineTest, EncryptingAFolderAndAFileEndsTheProgramAfterTheJob) {
  InstallQuick({{"enc", "dword:00000010"}, {"hash", "dword:00000006"}});
  MakeTree();
  const std::string single = Put("../single file.txt");
  const std::string list = Starred({tree, single});
  app = VeltApplication::Create(services, {"-e", list, "ignored"});
  ASSERT_TRUE(app);
  Tshellenc& dialog = *app->shellenc;
  OkWhenShown(&dialog, Control<QPushButton>(dialog, "Button1"), [&] {
    // The live settings are shown.
    EXPECT_EQ(Control<QComboBox>(dialog, "defencengine")->currentText(), "RIJNDAEL");
    EXPECT_EQ(Control<QComboBox>(dialog, "defhashengine")->currentText(), "SHA 256");
    EXPECT_TRUE(Control<QCheckBox>(dialog, "rec")->isChecked());
    EXPECT_FALSE(form().Busy());
  });
  prompts.NextInput(std::string("pw"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return shownCount[&dialog] == 1; }));
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_TRUE(Timed(prompts.Messages()[0].text, "6 Files encrypted in "))
      << prompts.Messages()[0].text;
  EXPECT_EQ(prompts.Questions().at(0).caption, "Encryption password");
  EXPECT_TRUE(engine::HasMetaInfo(single + ".VELT"));
  for (const std::string& name : Names())
    EXPECT_TRUE(name == ".secret/h.txt" || name.ends_with(".VELT")) << name;
  EXPECT_TRUE(Control<QCheckBox>(*app->Drag, "rec")->isChecked());  // copied from the dialog
  EXPECT_TRUE(Ended());
}

TEST_F(CommandLineTest, StarredItemsKeepTheirBlanksAndUnstarredOnesSplit) {
  InstallQuick();
  const std::string spaced = Put("My Files/a b.txt");
  const std::string plain = Put("plain.txt");
  // "tree/My Files/a b.txt" without stars is three items, none of them a file: the job
  // meets them, reports them and goes on with the others.
  const std::string list = "*" + spaced + "*|" + T("My Files/a b.txt") + "|" + plain;
  app = VeltApplication::Create(services, {"-e", list});
  OkWhenShown(app->shellenc.get(), Control<QPushButton>(*app->shellenc, "Button1"));
  prompts.NextInput(std::string("pw"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return shownCount[app->shellenc.get()] == 1; }));
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  const Shown shown = prompts.Messages()[0];
  EXPECT_EQ(shown.kind, MessageKind::Warning);
  EXPECT_TRUE(Timed(shown.text, "2 Files encrypted in ",
                    "\n3 Files could not be encrypted (see the details)"))
      << shown.text;
  for (const std::string& piece :
       {T("My"), "Files" + std::string(1, kSeparator) + "a", std::string("b.txt")})
    EXPECT_NE(shown.details.find(piece), std::string::npos) << shown.details;
  EXPECT_EQ(Names(), (std::vector<std::string>{"My Files/a b.txt.VELT", "plain.txt.VELT"}));
  EXPECT_TRUE(Ended());
}

TEST_F(CommandLineTest, ABareFileNameIsTakenFromTheCurrentFolder) {
  InstallQuick();
  Put("bare.txt");
  const std::string here = fs::current_path().string();
  ASSERT_EQ(::chdir(tree.c_str()), 0);
  app = VeltApplication::Create(services, {"-d", "bare.txt.VELT|other"});
  OkWhenShown(app->shelldec.get(), Control<QPushButton>(*app->shelldec, "Button1"));
  EncryptByEngine(T("bare.txt"), "pw");
  prompts.NextInput(std::string("pw"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return shownCount[app->shelldec.get()] == 1; }));
  WaitIdle();
  ASSERT_EQ(::chdir(here.c_str()), 0);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_TRUE(Timed(prompts.Messages()[0].text, "1 Files decrypted in "));
  EXPECT_EQ(prompts.Questions().at(0).caption, "Decryption password");
  EXPECT_EQ(Names(), std::vector<std::string>{"bare.txt"});
}

TEST_F(CommandLineTest, DecryptionTakesOnlyFilesWithMetaInformationUnlessTold) {
  // Files written without meta information by RC6 / RMD 160.
  InstallQuick({{"enc", "dword:0000000f"},
                {"hash", "dword:00000004"},
                {"com", "dword:00000000"},
                {"add", "dword:00000000"}});
  Start();
  const std::string plain = Put("old.doc");
  const auto plainBytes = ReadFile(plain);
  const std::string encrypted = EncryptByEngine(plain, "pw", app->veltoptions->Settings());
  app.reset();

  // With the filter: nothing is found, no password is asked, the program stays open. The
  // details say why the file was left out and how to decrypt it anyway.
  app = VeltApplication::Create(services, {"-d", Starred({encrypted})});
  OkWhenShown(app->shelldec.get(), Control<QPushButton>(*app->shelldec, "Button1"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return !app->job.CommandLinePending; }));
  EXPECT_EQ(
      prompts.Messages(),
      std::vector<Shown>{Error(
          "0 Files found",
          encrypted + ": left out, it has no VELT meta information (it is not a VELT file, or was "
                      "encrypted without meta information)\nTo decrypt such files anyway, untick "
                      "\"Only Decrypt Files if they contain VELT Meta Info\" and choose the "
                      "Decryption Engine and Hashing Engine they were encrypted with.")});
  EXPECT_TRUE(prompts.Questions().empty());
  EXPECT_FALSE(Ended());
  EXPECT_TRUE(fs::exists(encrypted));
  app.reset();

  // Without it: the engines and the delete box become available and are used.
  prompts.ClearRecord();
  app = VeltApplication::Create(services, {"-d", Starred({tree})});
  Tshelldec& d = *app->shelldec;
  OkWhenShown(&d, Control<QPushButton>(d, "Button1"), [&] {
    EXPECT_FALSE(Control<QComboBox>(d, "defencengine")->isEnabled());
    // The settings' engines are preselected.
    EXPECT_EQ(Control<QComboBox>(d, "defencengine")->currentText(), "RC6");
    EXPECT_EQ(Control<QComboBox>(d, "defhashengine")->currentText(), "RMD 160");
    Control<QCheckBox>(d, "deall")->setChecked(false);
    EXPECT_TRUE(Control<QComboBox>(d, "defencengine")->isEnabled());
    EXPECT_TRUE(Control<QCheckBox>(d, "deleteorig")->isEnabled());
    EXPECT_TRUE(Control<QCheckBox>(d, "deleteorig")->isChecked());
  });
  prompts.NextInput(std::string("pw"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return shownCount[&d] == 1; }));
  WaitIdle();
  // Freeing the ticked delete box warned at once, before the job.
  ASSERT_EQ(prompts.Messages().size(), 2u);
  EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Warning);
  EXPECT_TRUE(Timed(prompts.Messages()[1].text, "1 Files decrypted in "))
      << prompts.Messages()[1].text;
  EXPECT_EQ(ReadFile(plain), plainBytes);
  EXPECT_FALSE(fs::exists(encrypted));  // deleted, as the delete box said
  // The choices went to the drop dialog and the decryption options dialog.
  EXPECT_FALSE(Control<QCheckBox>(*app->Drag, "deall")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(*app->Form3, "deleteorig")->isChecked());
  EXPECT_EQ(Control<QComboBox>(*app->Form3, "defencengine")->currentText(), "RC6");
  EXPECT_TRUE(Ended());
}

// The line the shell starts the program with, as Windows hands it over: split at blanks outside
// double quotes, the quotes removed, every backslash kept (also one before a closing quote,
// which the C runtime's rule would read as a quote of the text).
TEST(CommandLineText, IsSplitAtBlanksOutsideQuotesAndKeepsEveryBackslash) {
  struct Row {
    std::string line;
    std::vector<std::string> arguments;
  };
  const std::vector<Row> rows = {
      {R"(-e "*C:\Folder with blank\file.txt*")", {"-e", R"(*C:\Folder with blank\file.txt*)"}},
      {R"(-d "C:\dir\" next)", {"-d", R"(C:\dir\)", "next"}},
      {R"(-e "C:\" "D:\a b\\")", {"-e", R"(C:\)", R"(D:\a b\\)"}},
      {R"(-e "\\server\share\a b\x.txt")", {"-e", R"(\\server\share\a b\x.txt)"}},
      {R"(-e *C:\a b*|D:\c)", {"-e", R"(*C:\a)", R"(b*|D:\c)"}},
      {R"(-e "*C:\a b*"|"*D:\c d*")", {"-e", R"(*C:\a b*|*D:\c d*)"}},
      {"  -e\t\"x\"  \r\n ", {"-e", "x"}},
      {R"(-e "" x)", {"-e", "", "x"}},
      {R"(-e "an unclosed quote)", {"-e", "an unclosed quote"}},
      {"-e \"C:\\Gr\xC3\xBC\xC3\x9F"
       "e\\\xE2\x82\xAC 1.txt\"",
       {"-e",
        "C:\\Gr\xC3\xBC\xC3\x9F"
        "e\\\xE2\x82\xAC 1.txt"}},
      {"", {}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(platform::SplitCommandLine(row.line), row.arguments) << row.line;
}

#ifdef _WIN32
// Run by the next test in a process of its own: prints the arguments its command line gives.
TEST(ProgramArguments, DISABLED_PrintedForTheParent) {
  for (const std::string& argument : platform::ProgramArguments())
    std::cout << "argument<" << argument << ">" << std::endl;
}

// The program's own command line as Windows keeps it, not Qt's reading of it.
TEST(ProgramArguments, ComeFromTheProcesssCommandLineByTheSameRule) {
  const QString filter = "--gtest_filter=ProgramArguments.DISABLED_PrintedForTheParent";
  QProcess child;
  child.setProgram(QCoreApplication::applicationFilePath());
  child.setNativeArguments("--gtest_also_run_disabled_tests " + filter +
                           R"( -e "C:\dir\" "*D:\a b*|\\server\share\x\"  C:\Gr)" +
                           QString::fromUtf8("\xC3\xBC\xC3\x9F") + "e");
  child.start();
  ASSERT_TRUE(child.waitForFinished(kLongWait));
  std::vector<std::string> arguments;
  for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
    if (line.startsWith("argument<"))
      arguments.push_back(line.mid(9, line.trimmed().size() - 10).toStdString());
  EXPECT_EQ(arguments,
            (std::vector<std::string>{"--gtest_also_run_disabled_tests", filter.toStdString(), "-e",
                                      R"(C:\dir\)", R"(*D:\a b*|\\server\share\x\)",
                                      "C:\\Gr\xC3\xBC\xC3\x9F"
                                      "e"}));
}
#endif

TEST_F(CommandLineTest, TheShellsLineWithAFolderBeforeAClosingQuoteAndANonAsciiName) {
  InstallQuick();
  MakeTree();
  // A name outside ASCII, with a blank (the test's paths are UTF-8, as the program's are).
  const std::string named = tree + kSeparator +
                            "Gr\xC3\xBC\xC3\x9F"
                            "e \xE2\x82\xAC.txt";
  velt::test::WriteFile(named, std::vector<uint8_t>(300, 7));
  // The folder with its separator last, right before the closing quote: on Windows "...\sub\".
  const std::string line = "-e \"*" + named + "*|" + T("sub") + kSeparator + "\"";
  app = VeltApplication::Create(services, platform::SplitCommandLine(line));
  OkWhenShown(app->shellenc.get(), Control<QPushButton>(*app->shellenc, "Button1"));
  prompts.NextInput(std::string("pw"));
  form().show();
  ASSERT_TRUE(WaitFor([&] { return shownCount[app->shellenc.get()] == 1; }));
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_TRUE(Timed(prompts.Messages()[0].text, "3 Files encrypted in "))
      << prompts.Messages()[0].text;
  EXPECT_TRUE(fs::exists(velt::test::PathOf(named + ".VELT")));
  EXPECT_TRUE(fs::exists(T("sub/b.txt.VELT")));
  EXPECT_TRUE(fs::exists(T("sub/deep/c.txt.VELT")));
  EXPECT_TRUE(fs::exists(T("a.txt")));
  EXPECT_TRUE(Ended());
}

TEST_F(CommandLineTest, OtherFirstArgumentsStartNormally) {
  InstallQuick();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"-x", "/tmp"}, {"-E", "/tmp"}, {"e", "/tmp"}, {"--screenshot"}}) {
    StartWith(args);
    QTest::qWait(50);
    EXPECT_EQ(shownCount[app->shellenc.get()] + shownCount[app->shelldec.get()], 0);
    EXPECT_FALSE(app->shellenc->isVisible());
    EXPECT_FALSE(app->shelldec->isVisible());
    EXPECT_FALSE(app->search->isVisible());
    EXPECT_TRUE(prompts.Messages().empty());
    app.reset();
  }
}

TEST_F(CommandLineTest, ChoicesAreLiveForTheRunButNotSaved) {
  InstallQuick();
  const std::string storeBefore = velt::test::SettingsStoreContents(hive);
  const std::string file = Put("x.txt");
  app = VeltApplication::Create(services, {"-e", file});
  Tshellenc& d = *app->shellenc;
  OkWhenShown(&d, Control<QPushButton>(d, "Button1"), [&] {
    Control<QComboBox>(d, "defencengine")->setCurrentIndex(9);
    Control<QLineEdit>(d, "deffileext")->setText("abc");
    Control<QCheckBox>(d, "deleteorig")->setChecked(false);
  });
  prompts.NextInput(std::nullopt);  // Cancel: no job, the program stays open
  form().show();
  ASSERT_TRUE(WaitFor([&] { return !app->job.CommandLinePending; }));
  EXPECT_FALSE(Ended());
  const engine::EngineSettings live = app->veltoptions->Settings();
  EXPECT_EQ(live.cipherIndex, 9);
  EXPECT_EQ(live.extension, "abc");
  EXPECT_FALSE(live.deleteOriginal);
  EXPECT_EQ(velt::test::SettingsStoreContents(hive), storeBefore);
  EXPECT_EQ(Names(), std::vector<std::string>{"x.txt"});
  EXPECT_TRUE(prompts.Messages().empty());

  // In a process started with -e, a later job from the menus ends the program too.
  Trencdir* picker = app->rencdir.get();
  WhenShown(picker, [=, this] {
    picker->SelectPath(tree);
    QTest::mouseClick(Control<QPushButton>(*picker, "Button1"), Qt::LeftButton);
  });
  prompts.NextInput(std::string("pw"));
  Control<QAction>(form(), "EncyptDirectory1")->trigger();
  WaitIdle();
  EXPECT_TRUE(Timed(prompts.Messages().at(0).text, "1 Files encrypted in "));
  EXPECT_TRUE(fs::exists(file + ".abc"));  // the run's own extension
  EXPECT_TRUE(Ended());
}

class DropTest : public CommandLineTest {
 protected:
  void SetUp() override {
    CommandLineTest::SetUp();
    InstallQuick();
    Start();
  }
  void Choose(QPushButton* button, std::function<void()> before = {}) {
    OkWhenShown(app->Drag.get(), button, std::move(before));
  }
};

TEST_F(DropTest, DroppedFoldersAndFilesAreEncryptedAndDecrypted) {
  MakeTree();
  const auto before = Snapshot();
  TDrag& drag = *app->Drag;
  Choose(Control<QPushButton>(drag, "Button1"), [&] {
    EXPECT_EQ(app->job.JobKind, std::nullopt);
    EXPECT_EQ(Control<QCheckBox>(drag, "deext")->text(),
              "Only attempt to Decrypt files with .VELT extension");
    Control<QCheckBox>(drag, "rec")->setChecked(false);
  });
  prompts.NextInput(std::string("pw"));
  Drop({T("sub"), T("a.txt")});
  EXPECT_EQ(app->job.JobKind, batch::ListJobKind::Encrypt);
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_TRUE(Timed(prompts.Messages()[0].text, "2 Files encrypted in "));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{".hidden.txt", ".secret/h.txt", "a.txt.VELT",
                                      "sub/b.txt.VELT", "sub/deep/c.txt", "with blank.doc"}));
  // A normal start: the program goes on after a dropped job.
  EXPECT_FALSE(Ended());

  prompts.ClearRecord();
  Choose(Control<QPushButton>(drag, "Button2"));
  prompts.NextInput(std::string("pw"));
  Drop({tree});
  WaitIdle();
  EXPECT_TRUE(Timed(prompts.Messages().at(0).text, "2 Files decrypted in "));
  EXPECT_EQ(prompts.Questions().at(0).caption, "Decryption password");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(DropTest, DroppedFileUrlsBecomeTheSystemsOwnPaths) {
  struct Row {
    const char* url;
    std::string path;  // empty: not a file, left out
  };
  const std::vector<Row> rows = {
#ifdef _WIN32
      {"file:///C:/a%20b/c.txt", R"(C:\a b\c.txt)"},
      {"file://server/share/folder%20x/d.txt", R"(\\server\share\folder x\d.txt)"},
      {"file:///C:/", R"(C:\)"},
      {"file:///D:/Gr%C3%BC%C3%9Fe/%E2%82%AC.txt",
       "D:\\Gr\xC3\xBC\xC3\x9F"
       "e\\\xE2\x82\xAC.txt"},
#else
      {"file:///tmp/a%20b/c.txt", "/tmp/a b/c.txt"},
      {"file:///tmp/Gr%C3%BC%C3%9Fe/%E2%82%AC.txt",
       "/tmp/Gr\xC3\xBC\xC3\x9F"
       "e/\xE2\x82\xAC.txt"},
#endif
      {"https://example.org/a.txt", ""},
  };
  std::vector<std::string> dropped;
  QObject::connect(&form(), &TForm1::FilesDropped,
                   [&](const std::vector<std::string>& paths) { dropped = paths; });
  for (const Row& row : rows) {
    SCOPED_TRACE(row.url);
    dropped = {};
    if (!row.path.empty()) Choose(Control<QPushButton>(*app->Drag, "Button3"));
    DropUrls({QUrl(QString::fromUtf8(row.url))});
    EXPECT_EQ(dropped,
              row.path.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.path});
  }
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(DropTest, ADroppedFileIsTakenAloneEvenWithRecursion) {
#ifdef _WIN32
  GTEST_SKIP() << "names that differ only in letter case are one file on Windows";
#endif
  // Same name in a subfolder, and the same name in other letter case beside it.
  const std::string chosen = EncryptByEngine(Put("Report.txt"), "pw");
  const std::string nested = EncryptByEngine(Put("sub/Report.txt"), "pw");
  const std::string otherCase = EncryptByEngine(Put("report.txt"), "pw");
  Choose(Control<QPushButton>(*app->Drag, "Button2"),
         [&] { EXPECT_TRUE(Control<QCheckBox>(*app->Drag, "rdec")->isChecked()); });
  prompts.NextInput(std::string("pw"));
  Drop({chosen});
  WaitIdle();
  EXPECT_TRUE(Timed(prompts.Messages().at(0).text, "1 Files decrypted in "));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"Report.txt", "report.txt.VELT", "sub/Report.txt.VELT"}));
  (void)nested;
  (void)otherCase;
}

TEST_F(DropTest, ADroppedHomeFolderIsAskedAboutAndLeftoversAreLeftOut) {
#ifdef _WIN32
  GTEST_SKIP() << "Qt takes the home folder from the user's profile on Windows, not from HOME";
#endif
  MakeTree();
  const auto before = Snapshot();
  {
    const HomeAt home(tree);
    Choose(Control<QPushButton>(*app->Drag, "Button1"));
    prompts.NextAnswer(false);
    Drop({T("a.txt"), tree});
    // Nothing is de-duplicated: a.txt is counted twice, as the job would have taken it.
    EXPECT_EQ(prompts.Confirmations(),
              std::vector<Shown>{Warning("6 Files were found in " + tree +
                                         ", your home folder. Encrypt every one of them?")});
    EXPECT_EQ(prompts.Questions().size(), 1u);
    EXPECT_EQ(Snapshot(), before);
  }
  // A leftover dropped by name is left out as one found by a search.
  const std::string leftover = Put("a.txt.tmp45123456789012en");
  prompts.ClearRecord();
  Choose(Control<QPushButton>(*app->Drag, "Button1"));
  prompts.NextInput(std::string("pw"));
  Drop({leftover, T("sub/b.txt")});
  WaitIdle();
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_TRUE(Timed(prompts.Messages()[0].text, "1 Files encrypted in ",
                    "\n1 temporary Files of an interrupted VELT run left out (see the details)"))
      << prompts.Messages()[0].text;
  EXPECT_NE(prompts.Messages()[0].details.find(leftover), std::string::npos);
  EXPECT_TRUE(prompts.Confirmations().empty());
  EXPECT_TRUE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(T("sub/b.txt.VELT")));
}

TEST_F(DropTest, ClosingOrCancellingTheDropDialogDoesNothing) {
  MakeTree();
  const auto before = Snapshot();
  TDrag& drag = *app->Drag;
  WhenShown(&drag, [&] { drag.close(); });  // its close box
  Drop({tree});
  EXPECT_EQ(app->job.JobKind, std::nullopt);
  Choose(Control<QPushButton>(drag, "Button3"));
  Drop({tree});
  EXPECT_EQ(app->job.JobKind, std::nullopt);
  // A choice made earlier does not survive the next showing: Escape after Encrypt last time.
  Choose(Control<QPushButton>(drag, "Button1"));
  prompts.NextInput(std::nullopt);
  Drop({tree});
  EXPECT_EQ(app->job.JobKind, batch::ListJobKind::Encrypt);
  WhenShown(&drag, [&] { QTest::keyClick(&drag, Qt::Key_Escape); });
  Drop({tree});
  EXPECT_EQ(app->job.JobKind, std::nullopt);
  EXPECT_EQ(shownCount[&drag], 4);
  EXPECT_EQ(prompts.Questions().size(), 1u);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_FALSE(form().Busy());
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(DropTest, WithoutTheMetaFilterTheDecryptionOptionsAreAskedForAllFiles) {
  engine::EngineSettings s;
  s.compress = false;
  s.addMetaInfo = false;
  s.cipherIndex = 5;
  const std::string plain = Put("legacy.bin");
  const auto plainBytes = ReadFile(plain);
  const std::string encrypted = EncryptByEngine(plain, "old", s);
  TForm3& f3 = *app->Form3;
  Choose(Control<QPushButton>(*app->Drag, "Button2"),
         [&] { Control<QCheckBox>(*app->Drag, "deall")->setChecked(false); });
  WhenShown(&f3, [&] {
    EXPECT_TRUE(Control<QCheckBox>(f3, "dontask")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(f3, "dontask")->isEnabled());
    Control<QComboBox>(f3, "defencengine")->setCurrentIndex(5);
    Control<QLineEdit>(f3, "password")->setText("old");
    QTest::mouseClick(Control<QPushButton>(f3, "Button1"), Qt::LeftButton);
  });
  Drop({encrypted});
  EXPECT_TRUE(prompts.Questions().empty());
  WaitIdle();
  EXPECT_TRUE(Timed(
      prompts.Messages().at(0).text, "1 Files decrypted in ",
      "\n1 encrypted Files kept as (orig): their password could not be checked (see the details)"))
      << prompts.Messages().at(0).text;
  EXPECT_EQ(ReadFile(plain), plainBytes);
}

}  // namespace
}  // namespace velt::ui::test
