// The options dialog's rules, Defaults, and OK saving through the settings store.
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
// After <windows.h>, which it needs.
#include <sddl.h>
#endif

#include "platform/errors.h"
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
      {Control<QCheckBox>(o, "addext"),
       {"Add default file extension to encrypted files",
        "This will add the Default File Extension to all encrypted files. If de-selected, "
        "original files will be deleted after encryption."}},
      {Control<QCheckBox>(o, "securedelete"),
       {"Use Data overwrite when deleting files (for Security)",
        "This will overwrite temporary files and the original file (if selected) with random "
        "data before deletion. (Warning - Slow)"}},
      {Control<QCheckBox>(o, "deleteorig"),
       {"Delete original file",
        "This will overwrite the original file with the new encrypted one."}},
      {Control<QCheckBox>(o, "addvelt"),
       {"Add VELT Meta Info to encrypted files",
        "This will add  Meta Information to encrypted file describing which Engines to use for "
        "de-encryption."}},
      {Control<QCheckBox>(o, "compressfile"),
       {"Compress file before Encrypting",
        "This will compress the file with the default compression engine before encrpytion."}},
  };
  for (const auto& [box, texts] : boxes) {
    EXPECT_EQ(box->text(), texts.first);
    EXPECT_EQ(box->toolTip(), texts.second);
    EXPECT_EQ(o.findChildren<QCheckBox*>(box->objectName()).size(), 1);  // one control per name
  }
  auto items = [](const QComboBox* list) {
    QStringList v;
    for (int i = 0; i < list->count(); ++i) v << list->itemText(i);
    return v;
  };
  EXPECT_EQ(items(Control<QComboBox>(o, "defencengine")),
            QStringList({"BlowFish", "TwoFish", "Cast 128", "Cast 256", "DES", "3DES", "ICE",
                         "ThinICE", "ICE2", "IDEA", "MARS", "MISTY 1", "RC2", "RC4", "RC5", "RC6",
                         "RIJNDAEL", "Serpent", "Tea"}));
  EXPECT_EQ(items(Control<QComboBox>(o, "defhashengine")),
            QStringList({"MD5", "MD4", "Haval", "RMD 128", "RMD 160", "SHA1", "SHA 256", "SHA 386",
                         "SHA 512", "Tiger"}));
  EXPECT_EQ(items(Control<QComboBox>(o, "defcomp")), QStringList({"ZLib"}));
  EXPECT_EQ(items(Control<QComboBox>(o, "defcompspeed")),
            QStringList({"Default", "Fastest <Least Compression>", "Best <Slowest Compression>"}));
  QStringList labels;
  for (const QLabel* l : o.findChildren<QLabel*>()) labels << l->text();
  for (const char* label :
       {"Default File Extension:", "Default De/Encryption Engine:", "Default Hashing Engine",
        "Default De/Compression Engine", "Default Compression Setting"})
    EXPECT_TRUE(labels.contains(label)) << label;
  EXPECT_EQ(o.findChild<QGroupBox*>()->title(), "Encryption options");
  EXPECT_EQ(Control<QPushButton>(o, "Button1")->text(), "OK");
  EXPECT_EQ(Control<QPushButton>(o, "Button2")->text(), "Defaults");
  EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->maxLength(), 5);
  // No Cancel button, but a close box that leaves without saving, as Escape does.
  EXPECT_TRUE(o.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(Control<QPushButton>(o, "Button1")->isDefault());
}

TEST_F(OptionsDialogTest, CompressRuleChecksTheMetaBoxAndFreesItOnlyWithoutCompression) {
  Tveltoptions& o = options();
  ASSERT_TRUE(Control<QCheckBox>(o, "compressfile")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "addvelt")->isEnabled());
  Control<QCheckBox>(o, "compressfile")->click();
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isChecked());
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isEnabled());
  Control<QCheckBox>(o, "addvelt")->click();
  EXPECT_FALSE(o.Settings().addMetaInfo);
  Control<QCheckBox>(o, "compressfile")->click();
  EXPECT_TRUE(Control<QCheckBox>(o, "addvelt")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "addvelt")->isEnabled());
  EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(OptionsDialogTest, UncheckingTheExtensionOffScreenChangesNothingElse) {
  Tveltoptions& o = options();
  ASSERT_FALSE(o.isVisible());
  Control<QCheckBox>(o, "deleteorig")->setChecked(false);
  Control<QCheckBox>(o, "addext")->setChecked(false);
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_TRUE(Control<QLineEdit>(o, "deffileext")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isEnabled());
  EXPECT_FALSE(Control<QCheckBox>(o, "deleteorig")->isChecked());
}

TEST_F(OptionsDialogTest, UncheckingTheExtensionOnScreenWarnsAndForcesDeletion) {
  Tveltoptions& o = options();
  ShowOnScreen();
  Control<QCheckBox>(o, "deleteorig")->click();
  ASSERT_FALSE(Control<QCheckBox>(o, "deleteorig")->isChecked());
  Control<QCheckBox>(o, "addext")->click();
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Warning("By not adding a new file extention to encrypted files, the "
                                       "original file will be overwritten (deleted).")});
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(o, "deleteorig")->isEnabled());
  EXPECT_FALSE(Control<QLineEdit>(o, "deffileext")->isEnabled());
  // Checking it again frees both, and the delete box keeps its state.
  Control<QCheckBox>(o, "addext")->click();
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isEnabled());
  EXPECT_TRUE(Control<QLineEdit>(o, "deffileext")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isChecked());
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
    Control<QLineEdit>(o, "deffileext")->setFocus();
    ASSERT_TRUE(WaitFor([&] { return Control<QLineEdit>(o, "deffileext")->hasFocus(); }, 5000));
    Control<QLineEdit>(o, "deffileext")->setText(QString::fromLatin1(c.typed));
    EXPECT_TRUE(prompts.Messages().empty());  // checked on leaving, not while typing
    Control<QComboBox>(o, "defencengine")->setFocus();
    ASSERT_TRUE(WaitFor([&] { return !Control<QLineEdit>(o, "deffileext")->hasFocus(); }, 5000));
    QCoreApplication::processEvents();  // the check runs once the focus has moved
    if (c.warning) {
      EXPECT_EQ(prompts.Messages(), std::vector<Shown>{Warning(c.warning)});
      EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->text(), "VELT");
    } else {
      EXPECT_TRUE(prompts.Messages().empty());
      EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->text(), c.typed);
    }
  }
  // At most five characters are taken from the keyboard.
  Control<QLineEdit>(o, "deffileext")->clear();
  Control<QLineEdit>(o, "deffileext")->setFocus();
  QTest::keyClicks(Control<QLineEdit>(o, "deffileext"), "abcdefgh");
  EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->text(), "abcde");
  o.hide();
}

TEST_F(OptionsDialogTest, OkWithAnEmptyExtensionWarnsOnceAndStoresTheDefaultOne) {
  Tveltoptions& o = options();
  ShowOnScreen();
  Control<QLineEdit>(o, "deffileext")->setFocus();
  ASSERT_TRUE(WaitFor([&] { return Control<QLineEdit>(o, "deffileext")->hasFocus(); }, 5000));
  Control<QLineEdit>(o, "deffileext")->clear();
  QTest::mouseClick(Control<QPushButton>(o, "Button1"), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(prompts.Messages(),
            std::vector<Shown>{Warning("Default file extension must be atleast 1 character.")});
  EXPECT_FALSE(o.isVisible());
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("VELT")));
}

TEST_F(OptionsDialogTest, DefaultsThenOkStoresTheDefaults) {
  Tveltoptions& o = options();
  Control<QLineEdit>(o, "deffileext")->setText("abc");
  Control<QComboBox>(o, "defencengine")->setCurrentIndex(7);
  Control<QComboBox>(o, "defhashengine")->setCurrentIndex(9);
  Control<QComboBox>(o, "defcompspeed")->setCurrentIndex(2);
  Control<QCheckBox>(o, "securedelete")->setChecked(false);
  Control<QCheckBox>(o, "compressfile")->setChecked(false);
  Control<QCheckBox>(o, "addvelt")->setChecked(false);
  ShowOnScreen();
  Control<QCheckBox>(o, "addext")->click();  // unchecked on screen: delete forced and greyed
  prompts.ClearRecord();

  QTest::mouseClick(Control<QPushButton>(o, "Button2"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(o, "deffileext")->text(), "VELT");
  for (const QComboBox* list :
       {Control<QComboBox>(o, "defencengine"), Control<QComboBox>(o, "defhashengine"),
        Control<QComboBox>(o, "defcomp"), Control<QComboBox>(o, "defcompspeed")})
    EXPECT_EQ(list->currentIndex(), 0);
  for (const QCheckBox* box :
       {Control<QCheckBox>(o, "addext"), Control<QCheckBox>(o, "securedelete"),
        Control<QCheckBox>(o, "deleteorig"), Control<QCheckBox>(o, "addvelt"),
        Control<QCheckBox>(o, "compressfile")})
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
  EXPECT_FALSE(Control<QCheckBox>(o, "addvelt")->isEnabled());
  EXPECT_TRUE(Control<QLineEdit>(o, "deffileext")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(o, "deleteorig")->isEnabled());
  // Nothing is written before OK.
  EXPECT_EQ(Stored("sec"), RegistryValue(int32_t(0)));

  QTest::mouseClick(Control<QPushButton>(o, "Button1"), Qt::LeftButton);
  EXPECT_FALSE(o.isVisible());
  EXPECT_TRUE(prompts.Messages().empty());
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("VELT")));
  for (const char* name : {"enc", "hash", "comp", "compspeed"})
    EXPECT_EQ(Stored(name), RegistryValue(int32_t(0))) << name;
  for (const char* name : {"ext", "sec", "del", "com", "add"})
    EXPECT_EQ(Stored(name), RegistryValue(int32_t(-1))) << name;
  EXPECT_EQ(Stored("Path"), RegistryValue(std::string("/opt/velt")));  // left as it was
#ifndef _WIN32
  // The hive's text as an export writes it.
  const std::string text = velt::test::ReadText(hive);
  EXPECT_NE(text.find("\"def\"=\"VELT\""), std::string::npos);
  EXPECT_NE(text.find("\"sec\"=dword:ffffffff"), std::string::npos);
#endif
}

TEST_F(OptionsDialogTest, OkStoresTheUsersChoicesAsTheyAre) {
  Tveltoptions& o = options();
  Control<QLineEdit>(o, "deffileext")->setText("Doc");
  Control<QComboBox>(o, "defencengine")->setCurrentIndex(16);
  Control<QComboBox>(o, "defhashengine")->setCurrentIndex(8);
  Control<QCheckBox>(o, "compressfile")->setChecked(false);
  Control<QCheckBox>(o, "addvelt")->setChecked(false);
  o.Ok();
  EXPECT_EQ(Stored("def"), RegistryValue(std::string("Doc")));
  EXPECT_EQ(Stored("enc"), RegistryValue(int32_t(16)));
  EXPECT_EQ(Stored("hash"), RegistryValue(int32_t(8)));
  EXPECT_EQ(Stored("com"), RegistryValue(int32_t(0)));
  EXPECT_EQ(Stored("add"), RegistryValue(int32_t(0)));
  EXPECT_EQ(Stored("sec"), RegistryValue(int32_t(0)));
}

TEST_F(OptionsDialogTest, OkThatCannotSaveSaysWhereAndWhySavesNothingAndKeepsTheValues) {
  Tveltoptions& o = options();
#ifdef _WIN32
  const std::string before = velt::test::SettingsStoreContents(hive);
  // The key as a user who is not an administrator meets it: readable, but no value may be set
  // (Wine lets everyone write HKEY_LOCAL_MACHINE, so the key's own permissions say so).
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\VELT", 0, WRITE_DAC, &key),
            ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  LocalFree(readOnly);
  RegCloseKey(key);
  const std::string expected =
      platform::ErrorText(ERROR_ACCESS_DENIED) +
      "\n\nThe settings could not be saved to HKEY_LOCAL_MACHINE\\Software\\VELT: writing there "
      "needs administrator rights. To save them, run VELT as administrator, or reinstall VELT.\n"
      "Nothing was saved. The settings chosen stay in use until VELT ends.";
#else
  // A store that cannot be written, whatever the rights of the user running the test.
  std::filesystem::remove(hive);
  std::filesystem::create_directory(hive);
#endif
  Control<QComboBox>(o, "defencengine")->setCurrentIndex(17);
  Control<QCheckBox>(o, "securedelete")->setChecked(true);
  bool closed = false;
  WhenShown(&o, [&] {
    QTest::mouseClick(Control<QPushButton>(o, "Button1"), Qt::LeftButton);
    closed = !o.isVisible();
  });
  form().ShowOptions();
  EXPECT_EQ(shownCount[&o], 1);
  EXPECT_TRUE(closed);
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Error);
  const std::string& text = prompts.Messages()[0].text;
#ifdef _WIN32
  EXPECT_EQ(text, expected);
  EXPECT_EQ(velt::test::SettingsStoreContents(hive), before);
#else
  EXPECT_EQ(text.rfind("The configuration registry key could not be written.", 0), 0u) << text;
  EXPECT_NE(text.find("\n\nThe settings could not be saved to "
                      "HKEY_LOCAL_MACHINE\\Software\\VELT (in " +
                      hive + ").\nNothing was saved."),
            std::string::npos)
      << text;
#endif
  EXPECT_EQ(o.Settings().cipherIndex, 17);
  EXPECT_TRUE(o.Settings().secureDelete);
}

TEST_F(OptionsDialogTest, EscapeOrTheCloseBoxLeavesWithoutSavingAndTakesTheChangesBack) {
  Tveltoptions& o = options();
  const RegistryValue storedCipher = Stored("enc");
  const engine::EngineSettings before = o.Settings();
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"Escape", [&] { QTest::keyClick(&o, Qt::Key_Escape); }},
      {"close box", [&] { o.close(); }},
  };
  for (const auto& [name, leave] : ways) {
    SCOPED_TRACE(name);
    prompts.ClearRecord();
    bool left = false;
    WhenShown(&o, [&] {
      Control<QComboBox>(o, "defencengine")->setCurrentIndex(11);
      Control<QCheckBox>(o, "compressfile")->setChecked(false);
      Control<QCheckBox>(o, "addvelt")->setChecked(false);
      Control<QCheckBox>(o, "addext")->setChecked(false);  // warns while on screen
      Control<QLineEdit>(o, "deffileext")->setText("x");
      leave();
      QTest::qWait(20);
      left = !o.isVisible();
    });
    form().ShowOptions();
    EXPECT_TRUE(left);
    EXPECT_EQ(o.Settings(), before);
    EXPECT_TRUE(Control<QLineEdit>(o, "deffileext")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(o, "addvelt")->isEnabled());
    EXPECT_EQ(Stored("enc"), storedCipher);
    // Only the warning of unchecking on screen; putting the box back says nothing.
    EXPECT_EQ(prompts.Messages().size(), 1u);
  }
}

TEST_F(OptionsDialogTest, EnterPressesOkAfterTheExtensionFieldsCheck) {
  Tveltoptions& o = options();
  struct Row {
    const char* typed;
    const char* stored;
    size_t warnings;
  };
  for (const Row& row : {Row{"abc", "abc", 0}, Row{"a b", "VELT", 1}}) {
    SCOPED_TRACE(row.typed);
    prompts.ClearRecord();
    bool closed = false;
    WhenShown(&o, [&] {
      QLineEdit* field = Control<QLineEdit>(o, "deffileext");
      field->setFocus();
      field->selectAll();
      QTest::keyClicks(field, row.typed);
      QTest::keyClick(field, Qt::Key_Return);
      QTest::qWait(20);
      closed = !o.isVisible();
    });
    form().ShowOptions();
    EXPECT_TRUE(closed);
    EXPECT_EQ(Stored("def"), RegistryValue(std::string(row.stored)));
    EXPECT_EQ(prompts.Messages().size(), row.warnings);
  }
}

}  // namespace
}  // namespace velt::ui::test
