// The options dialog's rules, Defaults, and OK saving through the settings store.
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "tests/ui/ui_fixture.h"

namespace velt::ui::test {
namespace {

using platform::ReadRegistryValue;
using platform::RegistryRoot;
using platform::RegistryValue;

class OptionsDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Install();
    Start();
    prompts.ClearRecord();
  }
  Tveltoptions& options() { return *app->veltoptions; }
  // Shows the dialog the way the rules see it "on screen", with the keyboard focus in it.
  void ShowOnScreen() {
    options().show();
    options().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&options()));
  }
  RegistryValue Stored(const char* name) {
    return ReadRegistryValue(RegistryRoot::LocalMachine, "\\Software\\VELT", name);
  }
};

TEST_F(OptionsDialogTest, ControlsCarryTheirCaptionsHintsAndItems) {
  Tveltoptions& o = options();
  const std::vector<std::pair<QCheckBox*, std::pair<const char*, const char*>>> boxes = {
      {o.addext,
       {"Add default file extension to encrypted files",
        "This will add the Default File Extension to all encrypted files. If de-selected, "
        "original files will be deleted after encryption."}},
      {o.securedelete,
       {"Use Data overwrite when deleting files (for Security)",
        "This will overwrite temporary files and the original file (if selected) with random "
        "data before deletion. (Warning - Slow)"}},
      {o.deleteorig,
       {"Delete original file",
        "This will overwrite the original file with the new encrypted one."}},
      {o.addvelt,
       {"Add VELT Meta Info to encrypted files",
        "This will add  Meta Information to encrypted file describing which Engines to use for "
        "de-encryption."}},
      {o.compressfile,
       {"Compress file before Encrypting",
        "This will compress the file with the default compression engine before encrpytion."}},
  };
  for (const auto& [box, texts] : boxes) {
    EXPECT_EQ(box->text(), texts.first);
    EXPECT_EQ(box->toolTip(), texts.second);
    EXPECT_EQ(o.findChild<QCheckBox*>(box->objectName()), box);
  }
  auto items = [](const QComboBox* list) {
    QStringList v;
    for (int i = 0; i < list->count(); ++i) v << list->itemText(i);
    return v;
  };
  EXPECT_EQ(items(o.defencengine),
            QStringList({"BlowFish", "TwoFish", "Cast 128", "Cast 256", "DES", "3DES", "ICE",
                         "ThinICE", "ICE2", "IDEA", "MARS", "MISTY 1", "RC2", "RC4", "RC5", "RC6",
                         "RIJNDAEL", "Serpent", "Tea"}));
  EXPECT_EQ(items(o.defhashengine),
            QStringList({"MD5", "MD4", "Haval", "RMD 128", "RMD 160", "SHA1", "SHA 256", "SHA 386",
                         "SHA 512", "Tiger"}));
  EXPECT_EQ(items(o.defcomp), QStringList({"ZLib"}));
  EXPECT_EQ(items(o.defcompspeed),
            QStringList({"Default", "Fastest <Least Compression>", "Best <Slowest Compression>"}));
  QStringList labels;
  for (const QLabel* l : o.findChildren<QLabel*>()) labels << l->text();
  for (const char* label :
       {"Default File Extension:", "Default De/Encryption Engine:", "Default Hashing Engine",
        "Default De/Compression Engine", "Default Compression Setting"})
    EXPECT_TRUE(labels.contains(label)) << label;
  EXPECT_EQ(o.findChild<QGroupBox*>()->title(), "Encryption options");
  EXPECT_EQ(o.Button1->text(), "OK");
  EXPECT_EQ(o.Button2->text(), "Defaults");
  EXPECT_EQ(o.deffileext->maxLength(), 5);
  // No close box and no Cancel: OK is the only way out.
  EXPECT_FALSE(o.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(OptionsDialogTest, CompressRuleChecksTheMetaBoxAndFreesItOnlyWithoutCompression) {
  Tveltoptions& o = options();
  ASSERT_TRUE(o.compressfile->isChecked());
  EXPECT_TRUE(o.addvelt->isChecked());
  EXPECT_FALSE(o.addvelt->isEnabled());
  o.compressfile->click();
  EXPECT_TRUE(o.addvelt->isChecked());
  EXPECT_TRUE(o.addvelt->isEnabled());
  o.addvelt->click();
  EXPECT_FALSE(o.Settings().addMetaInfo);
  o.compressfile->click();
  EXPECT_TRUE(o.addvelt->isChecked());
  EXPECT_FALSE(o.addvelt->isEnabled());
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(OptionsDialogTest, UncheckingTheExtensionOffScreenChangesNothingElse) {
  Tveltoptions& o = options();
  ASSERT_FALSE(o.isVisible());
  o.deleteorig->setChecked(false);
  o.addext->setChecked(false);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(o.deffileext->isEnabled());
  EXPECT_TRUE(o.deleteorig->isEnabled());
  EXPECT_FALSE(o.deleteorig->isChecked());
}

TEST_F(OptionsDialogTest, UncheckingTheExtensionOnScreenWarnsAndForcesDeletion) {
  Tveltoptions& o = options();
  ShowOnScreen();
  o.deleteorig->click();
  ASSERT_FALSE(o.deleteorig->isChecked());
  o.addext->click();
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Warning("By not adding a new file extention to encrypted files, the "
                                       "original file will be overwritten (deleted).")});
  EXPECT_TRUE(o.deleteorig->isChecked());
  EXPECT_FALSE(o.deleteorig->isEnabled());
  EXPECT_FALSE(o.deffileext->isEnabled());
  // Checking it again frees both, and the delete box keeps its state.
  o.addext->click();
  EXPECT_TRUE(o.deleteorig->isEnabled());
  EXPECT_TRUE(o.deffileext->isEnabled());
  EXPECT_TRUE(o.deleteorig->isChecked());
  EXPECT_EQ(prompts.Messages().size(), 1u);
  o.hide();
}

TEST_F(OptionsDialogTest, LeavingTheExtensionFieldChecksIt) {
  const char* forbidden =
      "Default file extension cannot contain / \\ : * ? > < \" | or [Space] characters.";
  const char* empty = "Default file extension must be atleast 1 character.";
  struct Case {
    const char* typed;
    const char* warning;  // null: stays as typed
  };
  const Case cases[] = {
      {"a b", forbidden},  {" ab", forbidden}, {"ab ", forbidden},  {"a*", forbidden},
      {"a|b", forbidden},  {"a/b", forbidden}, {"a\\b", forbidden}, {"a:b", forbidden},
      {"a?b", forbidden},  {"a>b", forbidden}, {"a<b", forbidden},  {"a\"b", forbidden},
      {"\tab", forbidden}, {"", empty},        {"abc", nullptr},    {"x1", nullptr},
      {"Doc", nullptr},    {"12345", nullptr},
  };
  Tveltoptions& o = options();
  ShowOnScreen();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    prompts.ClearRecord();
    o.deffileext->setFocus();
    ASSERT_TRUE(WaitFor([&] { return o.deffileext->hasFocus(); }, 5000));
    o.deffileext->setText(QString::fromLatin1(c.typed));
    EXPECT_TRUE(prompts.Messages().empty());  // checked on leaving, not while typing
    o.defencengine->setFocus();
    ASSERT_TRUE(WaitFor([&] { return !o.deffileext->hasFocus(); }, 5000));
    QCoreApplication::processEvents();  // the check runs once the focus has moved
    if (c.warning) {
      EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Warning(c.warning)});
      EXPECT_EQ(o.deffileext->text(), "VELT");
    } else {
      EXPECT_TRUE(prompts.Messages().empty());
      EXPECT_EQ(o.deffileext->text(), c.typed);
    }
  }
  // At most five characters are taken from the keyboard.
  o.deffileext->clear();
  o.deffileext->setFocus();
  QTest::keyClicks(o.deffileext, "abcdefgh");
  EXPECT_EQ(o.deffileext->text(), "abcde");
  o.hide();
}

TEST_F(OptionsDialogTest, OkWithAnEmptyExtensionWarnsOnceAndStoresTheDefaultOne) {
  Tveltoptions& o = options();
  ShowOnScreen();
  o.deffileext->setFocus();
  ASSERT_TRUE(WaitFor([&] { return o.deffileext->hasFocus(); }, 5000));
  o.deffileext->clear();
  QTest::mouseClick(o.Button1, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Warning("Default file extension must be atleast 1 character.")});
  EXPECT_FALSE(o.isVisible());
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("VELT")));
}

TEST_F(OptionsDialogTest, DefaultsThenOkStoresTheDefaults) {
  Tveltoptions& o = options();
  o.deffileext->setText("abc");
  o.defencengine->setCurrentIndex(7);
  o.defhashengine->setCurrentIndex(9);
  o.defcompspeed->setCurrentIndex(2);
  o.securedelete->setChecked(false);
  o.compressfile->setChecked(false);
  o.addvelt->setChecked(false);
  ShowOnScreen();
  o.addext->click();  // unchecked on screen: delete forced and greyed
  prompts.ClearRecord();

  QTest::mouseClick(o.Button2, Qt::LeftButton);
  EXPECT_EQ(o.deffileext->text(), "VELT");
  for (const QComboBox* list : {o.defencengine, o.defhashengine, o.defcomp, o.defcompspeed})
    EXPECT_EQ(list->currentIndex(), 0);
  for (const QCheckBox* box : {o.addext, o.securedelete, o.deleteorig, o.addvelt, o.compressfile})
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_FALSE(o.addvelt->isEnabled());
  EXPECT_TRUE(o.deffileext->isEnabled());
  EXPECT_TRUE(o.deleteorig->isEnabled());
  // Nothing is written before OK.
  EXPECT_EQ(Stored("sec"), RegistryValue(int32_t(0)));

  QTest::mouseClick(o.Button1, Qt::LeftButton);
  EXPECT_FALSE(o.isVisible());
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("VELT")));
  for (const char* name : {"enc", "hash", "comp", "compspeed"})
    EXPECT_EQ(Stored(name), RegistryValue(int32_t(0))) << name;
  for (const char* name : {"ext", "sec", "del", "com", "add"})
    EXPECT_EQ(Stored(name), RegistryValue(int32_t(-1))) << name;
  const std::string text = velt::test::ReadText(hive);
  EXPECT_NE(text.find("\"def\"=\"VELT\""), std::string::npos);
  EXPECT_NE(text.find("\"sec\"=dword:ffffffff"), std::string::npos);
  EXPECT_NE(text.find("\"Path\"=\"/opt/velt\""), std::string::npos);  // left as it was
}

TEST_F(OptionsDialogTest, OkStoresTheUsersChoicesAsTheyAre) {
  Tveltoptions& o = options();
  o.deffileext->setText("Doc");
  o.defencengine->setCurrentIndex(16);
  o.defhashengine->setCurrentIndex(8);
  o.compressfile->setChecked(false);
  o.addvelt->setChecked(false);
  o.Ok();
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("Doc")));
  EXPECT_EQ(Stored("enc"), RegistryValue(int32_t(16)));
  EXPECT_EQ(Stored("hash"), RegistryValue(int32_t(8)));
  EXPECT_EQ(Stored("com"), RegistryValue(int32_t(0)));
  EXPECT_EQ(Stored("add"), RegistryValue(int32_t(0)));
  EXPECT_EQ(Stored("sec"), RegistryValue(int32_t(0)));
}

TEST_F(OptionsDialogTest, OkThatCannotSaveShowsWhyClosesAndKeepsTheValuesForThisRun) {
  Tveltoptions& o = options();
  // A store that cannot be written, whatever the rights of the user running the test.
  std::filesystem::remove(hive);
  std::filesystem::create_directory(hive);
  o.defencengine->setCurrentIndex(17);
  o.securedelete->setChecked(true);
  bool closed = false;
  WhenShown(&o, [&] {
    QTest::mouseClick(o.Button1, Qt::LeftButton);
    closed = !o.isVisible();
  });
  form().ShowOptions();
  EXPECT_EQ(shownCount[&o], 1);
  EXPECT_TRUE(closed);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Error);
  EXPECT_EQ(
      prompts.Messages()[0].text.rfind("The configuration registry key could not be written.", 0),
      0u)
      << prompts.Messages()[0].text;
  EXPECT_EQ(o.Settings().cipherIndex, 17);
  EXPECT_TRUE(o.Settings().secureDelete);
}

TEST_F(OptionsDialogTest, EscapeAndTheWindowSystemCannotCloseIt) {
  Tveltoptions& o = options();
  bool stillOpen = false;
  WhenShown(&o, [&] {
    QTest::keyClick(&o, Qt::Key_Escape);
    o.close();
    QTest::qWait(20);
    stillOpen = o.isVisible();
    QTest::mouseClick(o.Button1, Qt::LeftButton);
  });
  form().ShowOptions();
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(o.isVisible());
}

}  // namespace
}  // namespace velt::ui::test
