// The dialogs of the list commands on their own: captions, hints, initial states and rules.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "batch/file_search.h"
#include "tests/ui/list_fixture.h"

namespace velt::ui::test {
namespace {

class ListDialogsTest : public ListTest {
 protected:
  void SetUp() override {
    ListTest::SetUp();
    InstallQuick();
    Start();
  }
  static QStringList Labels(const QWidget* w) {
    QStringList texts;
    for (const QLabel* l : w->findChildren<QLabel*>()) texts << l->text();
    return texts;
  }
  struct Box {
    QCheckBox* box;
    const char* caption;
    const char* hint;
    bool checked;
    bool enabled;
  };
  static void ExpectBoxes(const std::vector<Box>& boxes) {
    for (const Box& b : boxes) {
      SCOPED_TRACE(b.caption);
      EXPECT_EQ(b.box->text().toStdString(), b.caption);
      EXPECT_EQ(b.box->toolTip().toStdString(), b.hint);
      EXPECT_EQ(b.box->isChecked(), b.checked);
      EXPECT_EQ(b.box->isEnabled(), b.enabled);
    }
  }
};

TEST_F(ListDialogsTest, FolderPickersShowFoldersOnlyAndStartChecked) {
  Trencdir& e = *app->rencdir;
  Tdencdir& d = *app->dencdir;
  EXPECT_EQ(e.windowTitle(), "Select Directory");
  EXPECT_EQ(e.findChild<QGroupBox*>()->title(), "Encryption options");
  EXPECT_EQ(d.findChild<QGroupBox*>()->title(), "Decryption Options");
  ExpectBoxes({
      {Control<QCheckBox>(e, "rec"), "Recursively Encrypt files in sub-Directories",
       "This recursivey encrypt all files in this directory and any nested sub-directories.", true,
       true},
      {Control<QCheckBox>(d, "rec"), "Recursively Decrypt files in sub-Directories",
       "This will recursively decrypt files in the selected directory and any nested "
       "sub-directories.",
       true, true},
      {Control<QCheckBox>(d, "deall"), "Only Decrypt Files if they contain VELT Meta Info",
       "This will only attempt to decrypt files that contain VELT Meta Infomation.", true, true},
      {Control<QCheckBox>(d, "deext"), "Only attempt to Decrypt files with .VELT extension",
       "This will only attempt to decrypt files that match the given file extension.", true, true},
  });
  for (TFolderPicker* p : std::initializer_list<TFolderPicker*>{&e, &d}) {
    EXPECT_EQ(Control<QPushButton>(*p, "Button1")->text(), "OK");
    EXPECT_FALSE(Control<QPushButton>(*p, "Button1")->isEnabled());
    EXPECT_EQ(Control<QPushButton>(*p, "Button2")->text(), "Cancel");
    EXPECT_EQ(p->minimumSize(), p->maximumSize());
  }
  // Folders only: a file beside a folder is no row of the tree.
  Put("sub/inner/x.txt");
  Put("sub/file.txt");
  auto* view = Control<QTreeView>(e, "ShellTreeView1");
  const QModelIndex sub = view->model()->index(0, 0);  // something is shown
  EXPECT_TRUE(sub.isValid());
  e.SelectPath(T("sub/inner"));
  const QModelIndex inner = view->currentIndex();
  ASSERT_TRUE(inner.isValid());
  ASSERT_TRUE(WaitFor([&] { return view->model()->rowCount(inner.parent()) == 1; }, 10000))
      << view->model()->rowCount(inner.parent());
}

TEST_F(ListDialogsTest, TheSearchDialogCountsAndCancels) {
  Tsearch& s = *app->search;
  EXPECT_EQ(s.windowTitle(), "Searching...");
  EXPECT_EQ(Control<QLabel>(s, "dir")->text(), "Dir");
  EXPECT_EQ(Control<QLabel>(s, "found")->text(), "Found 0 Files");
  EXPECT_EQ(Control<QPushButton>(s, "Button1")->text(), "Cancel");
  EXPECT_TRUE(s.windowFlags() & Qt::WindowCloseButtonHint);  // Cancel, as Escape is
  batch::SearchCancelled = true;
  app->job.FoundCount = 7;
  s.Open();
  EXPECT_TRUE(s.isVisible());
  EXPECT_FALSE(s.isModal());
  EXPECT_FALSE(batch::SearchCancelled);
  EXPECT_EQ(app->job.FoundCount, 0);
  s.ShowCount(1);
  EXPECT_EQ(Control<QLabel>(s, "found")->text(), "Found 1 Files");  // no singular
  // A long folder loses its middle: its root and the ending that tells folders apart stay, the
  // whole is the tooltip, and the dialog keeps its width.
  const int width = s.width();
  const std::string deep = tree + std::string(40, 'x') + kSeparator + std::string(60, 'y') +
                           kSeparator + "the-last-part-0042";
  s.ShowFolder(deep);
  const QString shown = Control<QLabel>(s, "dir")->text();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("part-0042")) << shown.toStdString();
  EXPECT_TRUE(shown.startsWith(QString::fromStdString(tree.substr(0, 4)))) << shown.toStdString();
  EXPECT_EQ(Control<QLabel>(s, "dir")->toolTip().toStdString(), deep);
  EXPECT_EQ(s.width(), width);
  s.ShowFolder(tree);
  // A folder that fits is shown whole (a temporary folder on Windows may not fit).
  const QLabel* dir = Control<QLabel>(s, "dir");
  if (dir->fontMetrics().horizontalAdvance(QString::fromStdString(tree)) <= dir->width()) {
    EXPECT_EQ(dir->text().toStdString(), tree);
  }
  EXPECT_EQ(dir->toolTip().toStdString(), tree);
  QTest::mouseClick(Control<QPushButton>(s, "Button1"), Qt::LeftButton);
  EXPECT_FALSE(s.isVisible());
  EXPECT_TRUE(batch::SearchCancelled);
  // Any close counts, the search's own too.
  s.Open();
  s.Close();
  EXPECT_TRUE(batch::SearchCancelled);
}

TEST_F(ListDialogsTest, TheDropDialogOffersThreeWaysAndACloseBox) {
  TDrag& d = *app->Drag;
  EXPECT_EQ(d.windowTitle(), "Drag and Drop Options");
  EXPECT_TRUE(d.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Control<QGroupBox>(d, "dragenc")->title(), "Encryption options");
  EXPECT_EQ(Control<QGroupBox>(d, "dragdec")->title(), "Decryption Options");
  EXPECT_EQ(Control<QPushButton>(d, "Button1")->text(), "Encrypt Dragged Files");
  EXPECT_EQ(Control<QPushButton>(d, "Button2")->text(), "Decrypt Dragged Files");
  EXPECT_EQ(Control<QPushButton>(d, "Button3")->text(), "Cancel Drag and Drop");
  ExpectBoxes({
      {Control<QCheckBox>(d, "rec"), "Recursively Encrypt files in sub-Directories",
       "This will recursively encrypt all files in this directory and any nested "
       "sub-directorys.",
       true, true},
      {Control<QCheckBox>(d, "rdec"), "Recursively Decrypt files in sub-Directories",
       "This will recursively Decrypt all files in this directory and any nested "
       "sub-directorys.",
       true, true},
      {Control<QCheckBox>(d, "deall"), "Only Decrypt Files if they contain VELT Meta Info",
       "This will only attempt to decrpt files that contain have VELT Meta Infomation.", true,
       true},
      {Control<QCheckBox>(d, "deext"), "Only attempt to Decrypt files with .VELT extension",
       "This will only attempt to decrypt files that match the given file extension.", true, true},
  });
  WhenShown(&d, [&] {
    EXPECT_EQ(Control<QCheckBox>(d, "deext")->text(),
              "Only attempt to Decrypt files with .ab1 extension");
    QTest::mouseClick(Control<QPushButton>(d, "Button2"), Qt::LeftButton);
  });
  EXPECT_EQ(d.Execute("ab1"), batch::ListJobKind::Decrypt);
}

TEST_F(ListDialogsTest, TheCommandLineEncryptionDialogFollowsTheOptionsRules) {
  Tshellenc& d = *app->shellenc;
  EXPECT_EQ(d.windowTitle(), "Encryption options");
  EXPECT_TRUE(d.windowFlags() & Qt::WindowCloseButtonHint);
  for (const char* label : {"Default File Extension:", "Encryption Engine", "Hashing Engine",
                            "Compression Engine", "Default Compression Setting"})
    EXPECT_TRUE(Labels(&d).contains(label)) << label;
  EXPECT_EQ(Control<QComboBox>(d, "defcomp")->count(), 1);
  EXPECT_EQ(Control<QComboBox>(d, "defcomp")->itemText(0), "ZLib");
  ExpectBoxes({
      {Control<QCheckBox>(d, "compressfile"), "Compress file before Encrypting",
       "This will compress the file with the selected compression engine before encryption.", true,
       true},
      {Control<QCheckBox>(d, "addvelt"), "Add VELT Meta Info to encrypted files",
       "This will add Meta Information to the encrypted file describing which Engines to use "
       "for decryption.",
       true, false},
      {Control<QCheckBox>(d, "rec"), "Recursively Encrypt Folders",
       "This will recursively encrypt selected directories and any nested sub-directories.", true,
       true},
  });
  // The live settings copied in, the meta box with its checked and enabled state.
  engine::EngineSettings s;
  s.extension = "dat";
  s.cipherIndex = 3;
  s.hashIndex = 9;
  s.compressionSpeed = 2;
  s.compress = false;
  s.addMetaInfo = false;
  s.secureDelete = false;
  s.deleteOriginal = false;
  d.SetSettings(s);
  EXPECT_EQ(d.Settings(), s);
  EXPECT_TRUE(Control<QCheckBox>(d, "addvelt")->isEnabled());
  EXPECT_TRUE(prompts.Messages().empty());

  // The extension is checked on every change: emptying it warns at once and puts "VELT" back.
  Control<QLineEdit>(d, "deffileext")->clear();
  EXPECT_EQ(Control<QLineEdit>(d, "deffileext")->text(), "VELT");
  Control<QLineEdit>(d, "deffileext")->selectAll();
  QTest::keyClicks(Control<QLineEdit>(d, "deffileext"), "a*");
  EXPECT_EQ(Control<QLineEdit>(d, "deffileext")->text(), "VELT");
  Control<QLineEdit>(d, "deffileext")->setText("ok1");
  EXPECT_EQ(prompts.Messages(),
            (std::vector<Shown>{Warning("Default file extension must be atleast 1 character."),
                                Warning("Default file extension cannot contain / \\ : * ? > < "
                                        "\" | or [Space] characters.")}));
  EXPECT_EQ(Control<QLineEdit>(d, "deffileext")->text(), "ok1");

  Control<QCheckBox>(d, "rec")->setChecked(false);
  QTest::mouseClick(Control<QPushButton>(d, "Button2"), Qt::LeftButton);  // Defaults
  EXPECT_EQ(d.Settings(), engine::EngineSettings{});
  EXPECT_TRUE(Control<QCheckBox>(d, "rec")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(d, "addvelt")->isEnabled());
  // Escape and the close box leave it as Cancel; Enter is OK.
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"Escape", [&] { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"close box", [&] { d.close(); }},
      {"Enter", [&] { QTest::keyClick(Control<QLineEdit>(d, "deffileext"), Qt::Key_Return); }},
  };
  for (const auto& [name, leave] : ways) {
    WhenShown(&d, leave);
    EXPECT_EQ(d.Execute(), std::string(name) == "Enter") << name;
    EXPECT_FALSE(d.isVisible()) << name;
  }
  d.show();
  // Unchecking "add extension" on screen warns and forces deletion, as in the options dialog.
  prompts.ClearRecord();
  Control<QCheckBox>(d, "addext")->setChecked(false);
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Warning("By not adding a new file extention to encrypted files, "
                                       "the original file will be overwritten (deleted).")});
  EXPECT_FALSE(Control<QCheckBox>(d, "deleteorig")->isEnabled());
  EXPECT_FALSE(Control<QLineEdit>(d, "deffileext")->isEnabled());
  QTest::mouseClick(Control<QPushButton>(d, "Button1"), Qt::LeftButton);
  EXPECT_FALSE(d.isVisible());
}

TEST_F(ListDialogsTest, TheCommandLineDecryptionDialogUnlocksItsEnginesWithoutTheMetaFilter) {
  Tshelldec& d = *app->shelldec;
  EXPECT_EQ(d.windowTitle(), "Decryption options");
  EXPECT_TRUE(d.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(Labels(&d).contains("Decryption Engine:"));
  EXPECT_TRUE(Labels(&d).contains("Hashing Engine"));
  EXPECT_FALSE(Control<QComboBox>(d, "defencengine")->isEnabled());
  EXPECT_FALSE(Control<QComboBox>(d, "defhashengine")->isEnabled());
  ExpectBoxes({
      {Control<QCheckBox>(d, "rec"), "Recursively Decrypt files in sub-Directories",
       "This will recursively decrypt files in the selected directory and any nested "
       "sub-directories.",
       true, true},
      {Control<QCheckBox>(d, "deall"), "Only Decrypt Files if they contain VELT Meta Info",
       "This will only attempt to decrypt files that contain VELT Meta Infomation.", true, true},
      {Control<QCheckBox>(d, "deleteorig"), "Delete Oringial File after Decryption",
       "This will Delete the files after Decryption. (If VELT Meta info is used, the file will "
       "only be deleted if successfully decrypted)",
       true, false},
  });
  const Shown warning = Warning(
      "When decrypting files without VELT Meta Infmation, VELT cannot check if the file is valid "
      "after decryption. If you supply an Incorrect Decryption Password, the file will be "
      "irrecoverably corrupted and the original file will be lost.");
  // Unticking the meta filter off screen frees the ticked delete box without a word...
  Control<QCheckBox>(d, "deall")->setChecked(false);
  EXPECT_TRUE(Control<QComboBox>(d, "defencengine")->isEnabled());
  EXPECT_TRUE(Control<QComboBox>(d, "defhashengine")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(d, "deleteorig")->isEnabled());
  EXPECT_TRUE(prompts.Messages().empty());
  // ...and on screen warns at once: the deletion it brings comes into force there.
  Control<QCheckBox>(d, "deall")->setChecked(true);
  d.show();
  Control<QCheckBox>(d, "deall")->setChecked(false);
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{warning});
  d.hide();
  prompts.ClearRecord();
  Control<QCheckBox>(d, "deleteorig")->setChecked(false);
  Control<QCheckBox>(d, "deleteorig")
      ->setChecked(true);  // warns when it becomes checked while enabled
  Control<QCheckBox>(d, "deleteorig")->setChecked(false);
  Control<QComboBox>(d, "defencengine")->setCurrentIndex(4);
  Control<QCheckBox>(d, "rec")->setChecked(false);
  Control<QCheckBox>(d, "deext")->setChecked(false);
  EXPECT_EQ(prompts.Messages(), std::vector<Shown>{warning});
  QTest::mouseClick(Control<QPushButton>(d, "Button2"), Qt::LeftButton);  // Defaults
  EXPECT_EQ(prompts.Messages(), (std::vector<Shown>{warning, warning}));
  EXPECT_EQ(Control<QComboBox>(d, "defencengine")->currentIndex(), 0);
  for (QCheckBox* b : {Control<QCheckBox>(d, "rec"), Control<QCheckBox>(d, "deall"),
                       Control<QCheckBox>(d, "deext"), Control<QCheckBox>(d, "deleteorig")})
    EXPECT_TRUE(b->isChecked());
  EXPECT_FALSE(Control<QComboBox>(d, "defencengine")->isEnabled());
  EXPECT_FALSE(Control<QCheckBox>(d, "deleteorig")->isEnabled());
  // Checking it while disabled says nothing.
  Control<QCheckBox>(d, "deleteorig")->setChecked(false);
  Control<QCheckBox>(d, "deleteorig")->setChecked(true);
  EXPECT_EQ(prompts.Messages().size(), 2u);

  WhenShown(&d, [&] {
    EXPECT_EQ(Control<QComboBox>(d, "defencengine")->currentText(), "Tea");
    EXPECT_EQ(Control<QComboBox>(d, "defhashengine")->currentText(), "Tiger");
    EXPECT_EQ(Control<QCheckBox>(d, "deext")->text(),
              "Only attempt to Decrypt files with .xy extension");
    QTest::mouseClick(Control<QPushButton>(d, "Button1"), Qt::LeftButton);
  });
  EXPECT_TRUE(d.Execute(18, 9, "xy"));
  EXPECT_EQ(shownCount[&d], 1);
  WhenShown(&d, [&] { QTest::keyClick(&d, Qt::Key_Escape); });
  EXPECT_FALSE(d.Execute(18, 9, "xy"));
}

}  // namespace
}  // namespace velt::ui::test
