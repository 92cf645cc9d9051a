// The windows of the program with a settings store of their own in a fresh folder, scripted
// prompts and help viewer, and Qt's event loop as the window thread.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/temp_file.h"
#include "platform/qt/window_thread_qt.h"
#include "platform/registry.h"
#include "tests/support/fakes/scripted_help_viewer.h"
#include "tests/support/fakes/scripted_prompts.h"
#include "tests/support/fakes/window_controls.h"
#include "tests/support/settings_sandbox.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wine.h"
#include "ui/messages.h"
#include "ui/startup.h"

namespace velt::ui::test {

using platform::MessageKind;
using velt::test::Control;
using velt::test::ScriptedHelpViewer;
using velt::test::ScriptedPrompts;
using Shown = ScriptedPrompts::Shown;

// Generous: the machine may be busy with other builds.
constexpr int kLongWait = 120000;
// The program joins folder and name with the system's separator.
constexpr char kSeparator = char(std::filesystem::path::preferred_separator);

inline Shown Info(const std::string& t) {
  return {MessageKind::Information, t};
}
inline Shown Warning(const std::string& t) {
  return {MessageKind::Warning, t};
}
inline Shown Error(const std::string& t, const std::string& details = {}) {
  return {MessageKind::Error, t, details};
}

// Files under `folder` named as VELT's temporary files: what no run may leave behind.
inline std::vector<std::string> TemporariesUnder(const std::string& folder) {
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    if (engine::IsTemporaryName(e.path().filename().string())) left.push_back(e.path().string());
  return left;
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { velt::test::UseSettingsStore(hive); }
  void TearDown() override {
    if (app) WaitFor([&] { return !app->Form1->Busy(); });
    app.reset();
    velt::test::DropSettingsStore();
  }

  // A store with these values under the settings key ("name" -> the right-hand side of a .reg
  // line, e.g. {"enc", "dword:00000005"} or {"def", "\"VELT\""}).
  void WriteStore(const std::map<std::string, std::string>& values) {
#ifdef _WIN32
    // The real key, emptied first; the right-hand sides used here are dwords and plain texts.
    RemoveStore();
    for (const auto& [name, value] : values) {
      if (value.rfind("dword:", 0) == 0)
        platform::WriteRegistryValue(platform::RegistryRoot::LocalMachine, "\\Software\\VELT", name,
                                     int32_t(std::stoul(value.substr(6), nullptr, 16)),
                                     platform::kRegDword);
      else
        platform::WriteRegistryValue(platform::RegistryRoot::LocalMachine, "\\Software\\VELT", name,
                                     value.substr(1, value.size() - 2), platform::kRegString);
    }
#endif
    // Written on Windows too, unread there, so that the folder holds the same names everywhere.
    std::string text =
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\VELT]\n";
    for (const auto& [name, value] : values) text += "\"" + name + "\"=" + value + "\n";
    velt::test::WriteFile(hive, text + "\n");
  }
  // No store at all: no hive file, no key.
  void RemoveStore() {
#ifdef _WIN32
    velt::test::DropSettingsStore();
#endif
    std::remove(hive.c_str());
  }
  // What an installation writes: "Path" and the ten defaults, with `changes` applied (an empty
  // value leaves that name out). Overwriting is slow and not what these tests are about.
  void Install(std::map<std::string, std::string> changes = {}) {
    std::map<std::string, std::string> v = {
        {"Path", "\"" + installFolder + "\""},
        {"def", "\"VELT\""},
        {"enc", "dword:00000000"},
        {"hash", "dword:00000000"},
        {"comp", "dword:00000000"},
        {"compspeed", "dword:00000000"},
        {"ext", "dword:ffffffff"},
        {"sec", "dword:00000000"},
        {"del", "dword:ffffffff"},
        {"com", "dword:ffffffff"},
        {"add", "dword:ffffffff"},
    };
    for (const auto& [name, value] : changes) {
      if (value.empty())
        v.erase(name);
      else
        v[name] = value;
    }
    WriteStore(v);
  }

  // Start-up as the program does it; the main window shown.
  void Start() {
    app = VeltApplication::Create(services, {});
    ASSERT_TRUE(app);
    app->Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->Form1.get()));
  }
  TForm1& form() {
    return *app->Form1;
  }

  static bool WaitFor(const std::function<bool()>& done, int milliseconds = kLongWait) {
    return QTest::qWaitFor(done, milliseconds);
  }

  // Runs `action` once `dialog` is up (the code under test opens it modally, which blocks the
  // test until it closes). Whatever the action leaves open is closed afterwards, so a failed
  // check cannot hang the test. An action may wait (QTest::qWait) after closing the dialog:
  // Windows' event dispatcher forgets a loop's request to end when a loop nested in it runs,
  // and the dialog's exec() would sleep until some later system message, so it is asked again.
  void WhenShown(QDialog* dialog, std::function<void()> action) {
    auto* timer = new QTimer(dialog);
    auto waited = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, dialog, [=, this] {
      if (!dialog->isVisible() || QApplication::activeModalWidget() != dialog) {
        if (++*waited > kLongWait / 10) timer->deleteLater();
        return;
      }
      timer->stop();
      timer->deleteLater();
      ++shownCount[dialog];
      action();
      if (dialog->isVisible()) dialog->done(QDialog::Rejected);
      QAbstractEventDispatcher::instance()->interrupt();
    });
    timer->start();
  }

  // A file of `size` bytes of varied content.
  std::string MakeFile(const std::string& name, size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = 2463534242u;
    for (auto& b : bytes) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      b = uint8_t(x >> 11);
    }
    std::string path = dir / name;
    velt::test::WriteFile(path, bytes);
    return path;
  }

  velt::test::TempDir dir;
  std::string hive = dir / "registry.reg";
  std::string installFolder = "/opt/velt";
  std::string installedHelp = installFolder + kSeparator + "Velt.chm";
  ScriptedPrompts prompts;
  ScriptedHelpViewer help;
  platform::QtWindowThread window;
  Services services{prompts, help, window};
  std::unique_ptr<VeltApplication> app;
  std::map<QDialog*, int> shownCount;
};

}  // namespace velt::ui::test
