// What the tests of the list commands share: a real folder tree, a snapshot of it to show that
// nothing changed, start-up with a command line, and a gate that holds a list job before a
// file so that its totals can be read while it runs.
#pragma once

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QUrl>
#include <climits>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>

#include "engine/engine.h"
#include "engine/meta_info.h"
#include "tests/ui/ui_fixture.h"

namespace velt::ui::test {

namespace fs = std::filesystem;

// Holds the job's worker before file i until the test lets it go on.
class Gate {
 public:
  void Arrive(size_t i) {
    std::unique_lock<std::mutex> lock(mutex_);
    reached_ = int(i);
    changed_.wait(lock, [&] { return allowed_ >= int(i); });
  }
  int Reached() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reached_;
  }
  void Allow(int i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      allowed_ = i;
    }
    changed_.notify_all();
  }
  void Open() { Allow(INT_MAX); }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    reached_ = allowed_ = -1;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int reached_ = -1;
  int allowed_ = -1;
};

// The user's home folder is `folder` while this lives.
class HomeAt {
 public:
  explicit HomeAt(const std::string& folder) {
    if (const char* home = std::getenv("HOME")) old_ = home;
    qputenv("HOME", QByteArray::fromStdString(folder));
  }
  ~HomeAt() {
    if (old_)
      qputenv("HOME", QByteArray::fromStdString(*old_));
    else
      qunsetenv("HOME");
  }
  HomeAt(const HomeAt&) = delete;
  HomeAt& operator=(const HomeAt&) = delete;

 private:
  std::optional<std::string> old_;
};

class ListTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    fs::create_directories(tree);
  }
  void TearDown() override {
    gate.Open();
    UiTest::TearDown();
  }

  // Installed with overwriting off, which only slows these tests down.
  void InstallQuick(std::map<std::string, std::string> changes = {}) {
    changes.emplace("sec", "dword:00000000");
    Install(changes);
  }
  // Start-up with these arguments after the program name; the main window shown.
  void StartWith(std::vector<std::string> arguments) {
    app = VeltApplication::Create(services, std::move(arguments));
    ASSERT_TRUE(app);
    app->Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app->Form1.get()));
  }
  void UseGate() {
    app->commands->BeforeEachFile = [this](size_t i) { gate.Arrive(i); };
  }

  // A file of the tree, made with its folders; content differs per name.
  std::string Put(const std::string& relative, size_t size = 2000) {
    const fs::path path = T(relative);
    fs::create_directories(path.parent_path());
    std::vector<uint8_t> bytes(size);
    uint32_t x = 2166136261u;
    for (char c : relative) x = (x ^ uint8_t(c)) * 16777619u;
    for (auto& b : bytes) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      b = uint8_t(x);
    }
    velt::test::WriteFile(path.string(), bytes);
    return path.string();
  }
  // tree: a.txt, .hidden.txt, "with blank.doc", sub/b.txt, sub/deep/c.txt, .secret/h.txt
  void MakeTree() {
    for (const char* f :
         {"a.txt", ".hidden.txt", "with blank.doc", "sub/b.txt", "sub/deep/c.txt", ".secret/h.txt"})
      Put(f);
  }
  // Every file under the tree with its content, by path relative to the tree.
  std::map<std::string, std::vector<uint8_t>> Snapshot() const {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& e : fs::recursive_directory_iterator(tree))
      if (e.is_regular_file())
        files[fs::relative(e.path(), tree).generic_string()] =
            velt::test::ReadFile(e.path().string());
    return files;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : Snapshot()) names.push_back(name);
    return names;
  }
  // `relative` may use '/'; the result has the system's separators, as the program reports it.
  std::string T(const std::string& relative) const {
    return (fs::path(tree) / relative).make_preferred().string();
  }

  // An encrypted file made directly by the engine with the store's settings.
  std::string EncryptByEngine(const std::string& path, const std::string& password,
                              engine::EngineSettings s = {}) {
    s.secureDelete = false;
    engine::NullProgressSink sink;
    engine::EncryptOneFile(path, password, s, sink);
    return path + "." + s.extension;
  }

  // Files dragged from a file manager and dropped on the main window.
  void Drop(const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    DropUrls(urls);
  }
  // As the window system hands them over (Qt turns Explorer's file list into file URLs).
  void DropUrls(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = form().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form(), &drop);
  }

  void WaitIdle() {
    ASSERT_TRUE(WaitFor([&] { return !form().Busy(); }));
  }
  // Waits for file `i` to be held at the gate with the totals shown.
  void ExpectTotalsAt(int i, const std::string& text, int percent) {
    ASSERT_TRUE(WaitFor([&] { return gate.Reached() == i; })) << i;
    EXPECT_TRUE(WaitFor([&] {
      return Control<QLabel>(form(), "total")->text().toStdString() == text &&
             Control<QProgressBar>(form(), "totpb")->value() == percent &&
             Control<QLabel>(form(), "totpos")->text() == QString::number(percent) + "%";
    })) << "file "
        << i << ": " << Control<QLabel>(form(), "total")->text().toStdString() << " "
        << Control<QLabel>(form(), "totpos")->text().toStdString();
  }

  // before + "<seconds> secs" + after, the seconds a plain decimal number.
  static bool Timed(const std::string& text, const std::string& before,
                    const std::string& after = "") {
    if (text.size() < before.size() + after.size()) return false;
    if (!text.starts_with(before) || !text.ends_with(after)) return false;
    // std::regex trips g++ 12's uninitialised-use warning under the sanitizers.
    const std::string middle =
        text.substr(before.size(), text.size() - before.size() - after.size());
    size_t i = 0;
    auto digits = [&] {
      const size_t start = i;
      while (i < middle.size() && middle[i] >= '0' && middle[i] <= '9') ++i;
      return i > start;
    };
    if (!digits()) return false;
    if (i < middle.size() && (middle[i] == '.' || middle[i] == ',')) {
      ++i;
      if (!digits()) return false;
    }
    return middle.substr(i) == " secs";
  }

  std::string tree = dir / "tree";
  Gate gate;
};

}  // namespace velt::ui::test
