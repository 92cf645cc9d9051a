// Bad input through the desktop application's single-file commands: damaged, truncated, empty,
// huge-trailer-length and foreign files give a clear message and change nothing; files whose
// names hold blanks, quotes, "|", "*", non-ASCII letters or line breaks go through like any other.
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <map>

#include "crypto/bytes.h"
#include "engine/engine.h"
#include "tests/ui/ui_fixture.h"
#include "ui/decryption_options_dialog.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"

namespace velt::ui::test {
namespace {

namespace fs = std::filesystem;
using velt::test::ReadFile;
using velt::test::WriteFile;

class BadInputTest : public UiTest {
 protected:
  // The files of the folder with their bytes, the settings store left out.
  std::map<std::string, std::vector<uint8_t>> Snapshot() {
    std::map<std::string, std::vector<uint8_t>> s;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      std::string name = e.path().filename().string();
      if (name.rfind("registry.reg", 0) != 0) s[name] = ReadFile(e.path().string());
    }
    return s;
  }
  void WaitIdle() {
    ASSERT_TRUE(WaitFor([&] { return !form().Busy(); }));
  }
};

TEST_F(BadInputTest, DamagedAndForeignFilesAreReportedAndLeftAlone) {
  Install();
  Start();
  engine::EngineSettings s = app->veltoptions->Settings();
  s.secureDelete = false;
  const std::string source = MakeFile("source.bin", 100000);
  engine::NullProgressSink quiet;
  engine::EncryptOneFile(source, "pw", s, quiet);
  const auto good = ReadFile(source + ".VELT");
  fs::remove(source + ".VELT");

  auto at = [](std::vector<uint8_t> v, size_t fromEnd, uint32_t value) {
    crypto::StoreLe32(&v[v.size() - fromEnd], value);
    return v;
  };
  auto longer = good;
  longer.insert(longer.end(), {40, 0, 0, 0});  // points back at the signature: length 40
  std::vector<uint8_t> halved(good.begin(), good.begin() + long(good.size() / 2));
  halved.insert(halved.end(), good.end() - 36, good.end());

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error;  // shown in an error box; nullptr: taken for a file without a header
  };
  for (const Case& c :
       std::vector<Case>{{"length 40", longer, "damaged (record length 40"},
                         {"cipher 99", at(good, 20, 99), "damaged (cipher index 99"},
                         {"compression 7", at(good, 16, 7), "damaged (compression 7"},
                         {"halved", halved, "ends early"},
                         {"huge length", at(good, 4, 0x7FFFFFFF), nullptr},
                         {"empty", {}, nullptr},
                         {"three bytes", {'a', 'b', 'c'}, nullptr},
                         {"not ours", std::vector<uint8_t>(5000, 'x'), nullptr}}) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / (std::string(c.name) + ".VELT");
    WriteFile(path, c.bytes);
    const auto before = Snapshot();
    prompts.ClearRecord();
    prompts.NextFile(path);
    if (c.error) {
      prompts.NextInput(std::string("pw"));
    } else {
      // No header: the decryption options are asked for, and Cancel there ends it.
      TForm3& f3 = *app->Form3;
      WhenShown(&f3,
                [&] { QTest::mouseClick(Control<QPushButton>(f3, "Button2"), Qt::LeftButton); });
    }
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
    WaitIdle();
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const Shown& shown = prompts.Messages()[0];
    if (c.error) {
      EXPECT_EQ(shown.kind, MessageKind::Error);
      EXPECT_NE(shown.text.find(path), std::string::npos) << shown.text;
      EXPECT_NE(shown.text.find(c.error), std::string::npos) << shown.text;
    } else {
      EXPECT_EQ(shown, Info("File has no VILT Header, Please select Decryption Options."));
    }
    EXPECT_EQ(Snapshot(), before);
    fs::remove(path);
  }
}

TEST_F(BadInputTest, OddNamesGoThroughLikeAnyOther) {
  Install();
  Start();
  for (const std::string name :
       {"with  blanks", "\"quoted\" 'single'", "a|b", "star*name", "*starred*",
        "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac", "line\nbreak", " leading blank"}) {
#ifdef _WIN32
    // Windows allows no '"', '|', '*' or line break in a name.
    if (name.find_first_of("\"|*\n") != std::string::npos) continue;
#endif
    SCOPED_TRACE(name);
    const std::string path = MakeFile(name, 30000);
    const auto content = ReadFile(path);
    prompts.ClearRecord();
    prompts.NextFile(path);
    prompts.NextInput(std::string("pw"));
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton1"), Qt::LeftButton);
    WaitIdle();
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Information) << prompts.Messages()[0].text;
    EXPECT_EQ(Snapshot().size(), 1u);
    ASSERT_TRUE(fs::exists(velt::test::PathOf(path + ".VELT")));

    prompts.ClearRecord();
    prompts.NextFile(path + ".VELT");
    prompts.NextInput(std::string("pw"));
    QTest::mouseClick(Control<QToolButton>(form(), "SpeedButton2"), Qt::LeftButton);
    WaitIdle();
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].kind, MessageKind::Information) << prompts.Messages()[0].text;
    EXPECT_EQ(ReadFile(path), content);
    EXPECT_EQ(Snapshot().size(), 1u);
    fs::remove(velt::test::PathOf(path));
  }
}

}  // namespace
}  // namespace velt::ui::test
