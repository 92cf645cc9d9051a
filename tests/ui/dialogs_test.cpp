// The decryption options dialog, the password box, the seconds of the messages, and the
// progress hand-over.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <future>
#include <thread>

#include "batch/password_strength.h"
#include "platform/qt/password_box_qt.h"
#include "platform/qt/prompts_qt.h"
#include "tests/ui/ui_fixture.h"
#include "ui/elided_label.h"
#include "ui/password_prompt.h"
#include "ui/progress_relay.h"
#include "ui/seconds_text.h"

namespace velt::ui::test {
namespace {

TEST(SecondsText, WritesMillisecondsAsPlainSeconds) {
  const QLocale c = QLocale::c();
  const QLocale german(QLocale::German, QLocale::Germany);
  const struct {
    double ms;
    const QLocale* locale;
    const char* text;
  } cases[] = {
      {1250, &c, "1.25"},
      {2000, &c, "2"},
      {0, &c, "0"},
      {1, &c, "0.001"},
      {10, &c, "0.01"},
      {999, &c, "0.999"},
      {123456789, &c, "123456.789"},
      {1250, &german, "1,25"},
      {1234567, &german, "1234,567"},
      {3600000, &german, "3600"},
  };
  for (const auto& t : cases) EXPECT_EQ(SecondsText(t.ms, *t.locale).toStdString(), t.text) << t.ms;
}

class DecryptionOptionsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Install();
    Start();
    prompts.ClearRecord();
  }
};

TEST_F(DecryptionOptionsTest, ControlsStartAsDesigned) {
  TForm3& f = *app->Form3;
  EXPECT_EQ(Control<QComboBox>(f, "defencengine")->currentText(), "BlowFish");
  EXPECT_EQ(Control<QComboBox>(f, "defencengine")->count(), 19);
  EXPECT_EQ(Control<QComboBox>(f, "defhashengine")->currentText(), "MD5");
  EXPECT_EQ(Control<QComboBox>(f, "defhashengine")->count(), 10);
  EXPECT_EQ(Control<QCheckBox>(f, "deleteorig")->text(), "Delete Oringial File after Decryption");
  EXPECT_FALSE(Control<QCheckBox>(f, "deleteorig")->isChecked());
  EXPECT_EQ(Control<QCheckBox>(f, "dontask")->text(),
            "Use these Settings for all Files (Don't Ask Again)");
  EXPECT_FALSE(Control<QCheckBox>(f, "dontask")->isChecked());
  EXPECT_TRUE(Control<QLineEdit>(f, "password")->text().isEmpty());
  EXPECT_EQ(Control<QLineEdit>(f, "password")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(f.findChild<QGroupBox*>()->title(), "Decryption options");
  QStringList labels;
  for (const QLabel* l : f.findChildren<QLabel*>()) labels << l->text();
  for (const char* label : {"Decryption Engine:", "Hashing Engine", "Decryption Password:"})
    EXPECT_TRUE(labels.contains(label)) << label;
  EXPECT_EQ(Control<QPushButton>(f, "Button1")->text(), "OK");
  EXPECT_EQ(Control<QPushButton>(f, "Button2")->text(), "Cancel");
}

TEST_F(DecryptionOptionsTest, CheckingDeletionWarnsEachTimeItBecomesChecked) {
  TForm3& f = *app->Form3;
  const Shown warning = Warning(
      "As no VELT header is available, VELT cannot check if the file is valid after decryption. "
      "If you supply an Incorrect Decryption Password, the file will be irrecoverably corrupted "
      "and the original file lost.");
  Control<QCheckBox>(f, "deleteorig")->click();
  Control<QCheckBox>(f, "deleteorig")->click();
  Control<QCheckBox>(f, "deleteorig")->click();
  EXPECT_EQ(prompts.Messages(), (std::vector<Shown>{warning, warning}));
  EXPECT_TRUE(Control<QCheckBox>(f, "deleteorig")->isChecked());
  EXPECT_TRUE(f.Options().deleteOriginal);
}

TEST_F(DecryptionOptionsTest, EveryFieldKeepsItsValueFromOneShowingToTheNext) {
  TForm3& f = *app->Form3;
  WhenShown(&f, [&] {
    Control<QComboBox>(f, "defencengine")->setCurrentIndex(10);
    Control<QComboBox>(f, "defhashengine")->setCurrentIndex(5);
    Control<QCheckBox>(f, "deleteorig")->setChecked(true);
    QTest::keyClicks(Control<QLineEdit>(f, "password"), "my pass");
    QTest::mouseClick(Control<QPushButton>(f, "Button1"), Qt::LeftButton);
  });
  EXPECT_TRUE(f.Execute());

  engine::DecryptionOptions seen;
  WhenShown(&f, [&] {
    seen = f.Options();
    QTest::keyClick(&f, Qt::Key_Escape);  // Escape is Cancel
  });
  EXPECT_FALSE(f.Execute());
  EXPECT_EQ(seen.cipherIndex, 10);
  EXPECT_EQ(seen.hashIndex, 5);
  EXPECT_TRUE(seen.deleteOriginal);
  EXPECT_EQ(seen.password, "my pass");
  // Accepted without any check: an empty password too.
  WhenShown(&f, [&] {
    Control<QLineEdit>(f, "password")->clear();
    QTest::mouseClick(Control<QPushButton>(f, "Button1"), Qt::LeftButton);
  });
  EXPECT_TRUE(f.Execute());
  EXPECT_EQ(f.Options().password, "");
}

// Counts the calls posted to the window thread.
class CountingWindow final : public platform::WindowThread {
 public:
  explicit CountingWindow(platform::WindowThread& inner) : inner_(inner) {}
  void Post(Call call) override {
    ++posts;
    inner_.Post(std::move(call));
  }
  void Synchronize(Call call) override { inner_.Synchronize(std::move(call)); }
  void ProcessPendingInput() override { inner_.ProcessPendingInput(); }
  bool IsWindowThread() const override { return inner_.IsWindowThread(); }
  TimerId StartTimer(std::chrono::milliseconds i, Call tick) override {
    return inner_.StartTimer(i, std::move(tick));
  }
  void StopTimer(TimerId id) override { inner_.StopTimer(id); }
  std::atomic<int> posts{0};

 private:
  platform::WindowThread& inner_;
};

struct Panel {
  QLabel singlemessage, pos, total, totpos;
  ElidedLabel filename;
  QProgressBar pb, totpb;
  ProgressPanel refs() { return {&singlemessage, &filename, &pos, &total, &totpos, &pb, &totpb}; }
};

TEST(ProgressRelay, TheWorkerNeverWaitsAndTheNewestValuesWin) {
  platform::QtWindowThread window;
  CountingWindow counting(window);
  Panel panel;
  ProgressRelay relay(counting, panel.refs());
  // The window thread is busy in this test and handles nothing while the worker reports; a
  // worker that waited for it would never finish.
  auto worker = std::async(std::launch::async, [&] {
    relay.ShowFileName("first.txt");
    for (int i = 0; i <= 100000; ++i) relay.ShowPercent(i % 101);
    relay.ShowStatus("Encrypting");
    relay.ShowFileName("second.txt");
    relay.ShowPercent(40);
    relay.ShowBar(70);
    relay.ShowTotalPercent(25);
    relay.ShowTotalText("Completed (1 of 4 Files");
  });
  ASSERT_EQ(worker.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(counting.posts, 1);     // one call in flight carries everything
  EXPECT_EQ(panel.pos.text(), "");  // nothing shown before the window thread runs
  QCoreApplication::processEvents();
  EXPECT_EQ(panel.singlemessage.text(), "Encrypting");
  EXPECT_EQ(panel.filename.text(), "second.txt");
  EXPECT_EQ(panel.pb.value(), 70);     // the bar follows the last of ShowPercent and ShowBar
  EXPECT_EQ(panel.pos.text(), "70%");  // and so does the label: they never disagree
  EXPECT_EQ(panel.totpb.value(), 25);
  EXPECT_EQ(panel.totpos.text(), "25%");
  EXPECT_EQ(panel.total.text(), "Completed (1 of 4 Files");
  // The next value starts a new hand-over.
  relay.ShowPercent(90);
  QCoreApplication::processEvents();
  EXPECT_EQ(counting.posts, 2);
  EXPECT_EQ(panel.pos.text(), "90%");
  // A long name loses its middle, keeping the end that tells files apart; the path is the
  // tooltip, before and after the name arrives.
  panel.filename.resize(160, 18);
  panel.filename.show();
  const std::string name = std::string(80, 'n') + "-copy-7.doc";
  relay.ShowPath("/some/folder/" + name);
  relay.ShowFileName(name);
  QCoreApplication::processEvents();
  // The name's own start and end around the ellipsis (how much of each fits depends on the font).
  const QString shown = panel.filename.text();
  const qsizetype cut = shown.indexOf(QChar(0x2026));
  ASSERT_GT(cut, 0) << shown.toStdString();
  EXPECT_TRUE(QString::fromStdString(name).startsWith(shown.left(cut))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(".doc") && QString::fromStdString(name).endsWith(shown.mid(cut + 1)))
      << shown.toStdString();
  EXPECT_EQ(panel.filename.toolTip().toStdString(), "/some/folder/" + name);
  panel.filename.resize(2000, 18);
  EXPECT_EQ(panel.filename.text().toStdString(), name);
  relay.ShowPath("/other/short.txt");
  relay.ShowFileName("short.txt");
  QCoreApplication::processEvents();
  EXPECT_EQ(panel.filename.text(), "short.txt");
  EXPECT_EQ(panel.filename.toolTip(), "/other/short.txt");
}

TEST(ProgressRelay, AValueStillOnItsWayWhenTheWindowGoesIsDropped) {
  platform::QtWindowThread window;
  auto panel = std::make_unique<Panel>();
  auto relay = std::make_unique<ProgressRelay>(window, panel->refs());
  relay->ShowPercent(10);
  relay.reset();
  panel.reset();
  QCoreApplication::processEvents();  // must not touch the gone panel
  Panel other;
  ProgressRelay second(window, other.refs());
  second.ShowPercent(20);
  panel = nullptr;
  QCoreApplication::processEvents();
  EXPECT_EQ(other.pos.text(), "20%");
}

class PasswordBoxTest : public ::testing::Test {
 protected:
  // The box as encryption shows it, on screen.
  std::unique_ptr<platform::PasswordBox> Show(bool confirm) {
    auto box = std::make_unique<platform::PasswordBox>(
        "Encryption password", "Enter password", confirm,
        confirm ? platform::PasswordAdvisor(NewPasswordAdvice) : platform::PasswordAdvisor());
    box->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    return box;
  }
  static void Type(QLineEdit* field, const char* text) {
    field->clear();
    QTest::keyClicks(field, QString::fromLatin1(text));
  }
  static std::string Shown(const QLabel* label) {
    return label->isHidden() ? std::string() : label->text().toStdString();
  }
  // Runs `action` on the next modal window, once it is up; what it leaves open is closed, so
  // that a failed check cannot hang the test.
  static void WhenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      timer->stop();
      timer->deleteLater();
      action(modal);
      if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
        dialog->done(QDialog::Rejected);
    });
    timer->start();
  }
};

TEST_F(PasswordBoxTest, ANewPasswordIsMaskedConfirmedAndNeverEmpty) {
  const auto box = Show(true);
  EXPECT_EQ(box->windowTitle(), "Encryption password");
  ASSERT_NE(Control<QLineEdit>(*box, "confirm"), nullptr);
  for (QLineEdit* field :
       {Control<QLineEdit>(*box, "password"), Control<QLineEdit>(*box, "confirm")}) {
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(field->text().isEmpty());
  }
  EXPECT_FALSE(Control<QCheckBox>(*box, "show")->isChecked());
  const std::string empty = "Encryption needs a password: an empty one is refused.";
  const std::string mismatch = "The two passwords do not match.";
  const struct {
    const char *password, *confirm;
    bool ok;
    std::string note;
  } cases[] = {
      {"", "", false, empty},
      {"", "x", false, empty},
      {"correct horse", "", false, ""},  // still typing the second one
      {"correct horse", "correct hors", false, mismatch},
      {"correct horse", "Correct horse", false, mismatch},
      {"correct horse", "correct horse", true, ""},
      {"a", "a", true, ""},
  };
  for (const auto& c : cases) {
    Type(Control<QLineEdit>(*box, "password"), c.password);
    Type(Control<QLineEdit>(*box, "confirm"), c.confirm);
    EXPECT_EQ(Control<QPushButton>(*box, "ok")->isEnabled(), c.ok)
        << c.password << " / " << c.confirm;
    EXPECT_EQ(Shown(Control<QLabel>(*box, "note")), c.note) << c.password << " / " << c.confirm;
  }
  // Enter does nothing while OK is greyed.
  Type(Control<QLineEdit>(*box, "confirm"), "");
  QTest::keyClick(Control<QLineEdit>(*box, "confirm"), Qt::Key_Return);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->result(), QDialog::Rejected);

  // Show unmasks both fields, and masks them again.
  Control<QCheckBox>(*box, "show")->click();
  EXPECT_TRUE(Control<QCheckBox>(*box, "show")->isChecked());
  EXPECT_EQ(Control<QLineEdit>(*box, "password")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(Control<QLineEdit>(*box, "confirm")->echoMode(), QLineEdit::Normal);
  Control<QCheckBox>(*box, "show")->setChecked(false);
  EXPECT_EQ(Control<QLineEdit>(*box, "password")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Control<QLineEdit>(*box, "confirm")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Control<QLineEdit>(*box, "password")->maxLength(), 255);
}

TEST_F(PasswordBoxTest, TheEstimateFollowsTheTypingAndWarnsForAWeakPassword) {
  if (!batch::EstimatePasswordStrength("x").available) GTEST_SKIP() << "built without zxcvbn";
  const auto box = Show(true);
  EXPECT_EQ(Shown(Control<QLabel>(*box, "strength")), "");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "warning")), "");
  Type(Control<QLineEdit>(*box, "password"), "password1");
  const std::string weak = Shown(Control<QLabel>(*box, "strength"));
  EXPECT_EQ(weak, batch::EstimatePasswordStrength("password1").text);
  EXPECT_NE(weak.find("Strength: "), std::string::npos) << weak;
  EXPECT_EQ(Shown(Control<QLabel>(*box, "warning")), batch::kWeakPasswordWarning);
  Type(Control<QLineEdit>(*box, "password"), "vivid-umbrella-03-grazing-saxophone");
  const std::string strong = Shown(Control<QLabel>(*box, "strength"));
  EXPECT_NE(strong, weak);
  EXPECT_EQ(strong, batch::EstimatePasswordStrength("vivid-umbrella-03-grazing-saxophone").text);
  EXPECT_EQ(Shown(Control<QLabel>(*box, "warning")), "");
  // Each character counts: the estimate changes as the password grows.
  Type(Control<QLineEdit>(*box, "password"), "passwor");
  const std::string shorter = Shown(Control<QLabel>(*box, "strength"));
  QTest::keyClicks(Control<QLineEdit>(*box, "password"), "d1");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "strength")), weak);
  EXPECT_NE(shorter, "");
  Type(Control<QLineEdit>(*box, "password"), "");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "strength")), "");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "warning")), "");
}

TEST_F(PasswordBoxTest, AKnownPasswordIsAskedOnceAndMayBeEmpty) {
  const auto box = Show(false);
  EXPECT_EQ(box->findChild<QLineEdit*>("confirm"), nullptr);
  EXPECT_EQ(Control<QLineEdit>(*box, "password")->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(Control<QPushButton>(*box, "ok")->isEnabled());
  Type(Control<QLineEdit>(*box, "password"), "password1");
  // Nothing is estimated for a password that already protects a file.
  EXPECT_EQ(Shown(Control<QLabel>(*box, "strength")), "");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "warning")), "");
  EXPECT_EQ(Shown(Control<QLabel>(*box, "note")), "");
  QTest::keyClick(Control<QLineEdit>(*box, "password"), Qt::Key_Return);
  EXPECT_EQ(box->result(), QDialog::Accepted);
  EXPECT_EQ(box->Password(), "password1");
}

TEST_F(PasswordBoxTest, ThePromptsAnswerWithWhatWasTypedOrCancel) {
  platform::QtPrompts real;
  std::string value = "left over";
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<platform::PasswordBox*>(modal);
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(Control<QLineEdit>(*box, "password"), "s3cret pass");
    QTest::keyClicks(Control<QLineEdit>(*box, "confirm"), "s3cret pass");
    QTest::keyClick(Control<QLineEdit>(*box, "confirm"), Qt::Key_Return);
  });
  EXPECT_TRUE(AskPassword(real, PasswordUse::Encrypt, "Encryption password", value));
  EXPECT_EQ(value, "s3cret pass");

  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(AskPassword(real, PasswordUse::Decrypt, "Decryption password", value));
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<platform::PasswordBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Decryption password");
    EXPECT_TRUE(Control<QLineEdit>(*box, "password")->text().isEmpty());  // never the last answer
    QTest::mouseClick(Control<QPushButton>(*box, "ok"), Qt::LeftButton);
  });
  EXPECT_TRUE(AskPassword(real, PasswordUse::Decrypt, "Decryption password", value));
  EXPECT_EQ(value, "");

  // A Yes/No question: Enter is No; only Yes itself is Yes.
  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  EXPECT_FALSE(real.Confirm(platform::MessageKind::Warning, "Go on?"));
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Go on?");
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(real.Confirm(platform::MessageKind::Warning, "Go on?"));
}

}  // namespace
}  // namespace velt::ui::test
