// TFileSearch over real folder trees.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <map>

#include "batch/file_search.h"
#include "tests/support/temp_dir.h"

namespace velt::batch {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

struct Recorder {
  std::vector<std::pair<std::string, std::string>> files;  // (path, name)
  std::vector<std::string> dirs;
  int finished = 0;
  void attach(TFileSearch& s) {
    s.OnPerformeFileAction = [this](TFileSearch&, const std::string& p, const std::string& n) {
      files.emplace_back(p, n);
    };
    s.OnPerformeDirAction = [this](TFileSearch&, const std::string& p, const std::string& n) {
      EXPECT_TRUE(n.empty());
      dirs.push_back(p);
    };
    s.OnPerformeFinished = [this](TFileSearch&, const std::string& p, const std::string& n) {
      EXPECT_TRUE(p.empty() && n.empty());
      ++finished;
    };
  }
  std::vector<std::string> full() const {
    std::vector<std::string> v;
    for (auto& [p, n] : files) v.push_back(p + n);
    return v;
  }
};

class FileSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    SearchCancelled = false;
    // root: a.txt, b.velt, .hidden, noext, sub.VELT/ (a folder matching the mask),
    //       A/x.txt, A/B/y.txt, A/.h/z.txt (hidden folder), .hiddendir/w.txt
    for (const char* f : {"a.txt", "b.velt", ".hidden", "noext"}) WriteFile(dir / f, "x");
    fs::create_directories(dir / "sub.VELT");
    fs::create_directories(dir / "A/B");
    fs::create_directories(dir / "A/.h");
    fs::create_directories(dir / ".hiddendir");
    WriteFile(dir / "A/x.txt", "x");
    WriteFile(dir / "A/B/y.txt", "x");
    WriteFile(dir / "A/.h/z.txt", "x");
    WriteFile(dir / ".hiddendir/w.txt", "x");
    for (const char* hidden : {".hidden", "A/.h", ".hiddendir"}) test::MakeHidden(dir / hidden);
  }
  TempDir dir;
  std::string root() const { return dir / ""; }  // with its separator
};

TEST_F(FileSearch, WalksDepthFirstFilesBeforeSubfolders) {
  TFileSearch s;
  Recorder r;
  r.attach(s);
  s.Search(dir.path(), "*.*", TFileSearch::kAnyFile, true);
  auto got = r.full();
  // Every file of the root comes before any file of A, and A's before A/B's.
  std::map<std::string, size_t> at;
  for (size_t i = 0; i < got.size(); ++i) at[got[i]] = i;
  for (const char* f : {"a.txt", "b.velt", ".hidden", "noext"}) ASSERT_TRUE(at.count(dir / f)) << f;
  ASSERT_TRUE(at.count(dir / "A/x.txt"));
  ASSERT_TRUE(at.count(dir / "A/B/y.txt"));
  EXPECT_LT(at[dir / "noext"], at[dir / "A/x.txt"]);
  EXPECT_LT(at[dir / "A/x.txt"], at[dir / "A/B/y.txt"]);
  // Hidden folders are never entered; folders matching the mask are not files.
  EXPECT_EQ(got.size(), 6u);
  EXPECT_EQ(at.count(dir / "A/.h/z.txt"), 0u);
  EXPECT_EQ(at.count(dir / ".hiddendir/w.txt"), 0u);
  // The directory event only for the root's direct, visible subfolders.
  std::sort(r.dirs.begin(), r.dirs.end());
  EXPECT_EQ(r.dirs, (std::vector<std::string>{dir / "A", dir / "sub.VELT"}));
  EXPECT_EQ(r.finished, 1);
  for (auto& [p, n] : r.files) EXPECT_EQ(p.back(), platform::kPathSeparator);
}

TEST_F(FileSearch, MasksAttributesAndRootForms) {
  struct Case {
    std::string mask;
    uint32_t attributes;
    std::vector<std::string> expected;
  };
  for (const Case& c :
       {Case{"*.VELT", 63, {"b.velt"}},                // case-insensitive; the folder is no file
        Case{"*.*", 0, {"a.txt", "b.velt", "noext"}},  // hidden left out
        Case{"*.txt", 63, {"a.txt"}}, Case{"?.txt", 63, {"a.txt"}}, Case{"noext", 63, {"noext"}},
        Case{"*", 2, {".hidden", "a.txt", "b.velt", "noext"}}}) {
    for (const std::string& rootForm : {dir.path(), root()}) {
      TFileSearch s;
      Recorder r;
      r.attach(s);
      s.Search(rootForm, c.mask, c.attributes, false);
      std::vector<std::string> names;
      for (auto& [p, n] : r.files) {
        EXPECT_EQ(p, root());  // same Path with or without the trailing separator
        names.push_back(n);
      }
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, c.expected) << c.mask;
      EXPECT_TRUE(r.dirs.empty());
      EXPECT_EQ(r.finished, 1);
    }
  }
}

TEST_F(FileSearch, FinishIsRaisedOnceWhenNothingMatchesAndOnMissingRoots) {
  for (const std::string& where : {dir.path(), dir / "missing"}) {
    TFileSearch s;
    Recorder r;
    r.attach(s);
    s.Search(where, "*.none", 63, true);
    EXPECT_TRUE(r.files.empty());
    EXPECT_EQ(r.finished, 1);
  }
}

TEST_F(FileSearch, CancellationStopsTheWalkButStillFinishes) {
  TFileSearch s;
  Recorder r;
  r.attach(s);
  s.OnPerformeFileAction = [&](TFileSearch&, const std::string& p, const std::string& n) {
    r.files.emplace_back(p, n);
    SearchCancelled = true;  // as the dialog's Cancel would, from the input a handler lets in
  };
  s.Search(dir.path(), "*.*", 63, true);
  EXPECT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.finished, 1);

  // Cancelled by a directory event: the remaining folders are skipped.
  SearchCancelled = false;
  Recorder r2;
  r2.attach(s);
  s.OnPerformeDirAction = [&](TFileSearch&, const std::string& p, const std::string&) {
    r2.dirs.push_back(p);
    SearchCancelled = true;
  };
  s.Search(dir.path(), "*.*", 63, true);
  EXPECT_EQ(r2.dirs.size(), 1u);
  EXPECT_EQ(r2.files.size(), 4u);  // only the root's own files
  EXPECT_EQ(r2.finished, 1);
  SearchCancelled = false;
}

TEST_F(FileSearch, ErrorsOfTheComponentAndOfHandlers) {
  TFileSearch s;
  try {
    s.CloseSearch();
    ADD_FAILURE();
  } catch (const ESearchError& e) {
    EXPECT_STREQ(e.what(), kNotSearching);
  }
  s.OpenSearch(dir.path(), "*.*", 63);
  try {
    s.OpenSearch(dir.path(), "*.*", 63);
    ADD_FAILURE();
  } catch (const ESearchError& e) {
    EXPECT_STREQ(e.what(), kAlreadySearching);
  }
  // A second search started from inside a handler is refused while the listing is open.
  s.CloseSearch();
  bool refused = false;
  s.OnPerformeFileAction = [&](TFileSearch& sender, const std::string&, const std::string&) {
    if (&sender != &s) return;
    try {
      s.Search(dir.path(), "*.*", 63, false);
    } catch (const ESearchError&) {
      refused = true;
    }
  };
  s.Search(dir.path(), "*.*", 63, false);
  EXPECT_TRUE(refused);

  // A handler's error reaches the caller and leaves the component ready for the next search.
  s.OnPerformeFileAction = [](TFileSearch&, const std::string&, const std::string&) {
    throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(s.Search(dir.path(), "*.*", 63, false), std::runtime_error);
  EXPECT_FALSE(s.Searching());
  Recorder r;
  r.attach(s);
  s.Search(dir.path(), "*.*", 63, false);
  EXPECT_EQ(r.files.size(), 4u);

  // Inside a subfolder, an error is dropped and the next folder is walked.
  fs::create_directories(dir / "C");
  WriteFile(dir / "C/c.txt", "x");
  std::vector<std::string> seen;
  s.OnPerformeFileAction = [&](TFileSearch&, const std::string& p, const std::string& n) {
    seen.push_back(p + n);
    if (n == "x.txt" || n == "c.txt") throw std::runtime_error("one folder fails");
  };
  s.Search(dir.path(), "*.txt", 63, true);
  EXPECT_NE(std::find(seen.begin(), seen.end(), dir / "C/c.txt"), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), dir / "A/x.txt"), seen.end());
}

#ifndef _WIN32
// POSIX links: Wine cannot make Windows ones.
TEST_F(FileSearch, SymbolicLinksAreNotFollowed) {
  // A loop back to the root and a link out of the tree.
  TempDir outside;
  WriteFile(outside / "secret.txt", "not chosen by the user");
  ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "A/loop").c_str()), 0);
  ASSERT_EQ(::symlink(outside.path().c_str(), (dir / "out").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "a.txt").c_str(), (dir / "link.txt").c_str()), 0);
  TFileSearch s;
  Recorder r;
  r.attach(s);
  s.Search(dir.path(), "*.*", 63, true);
  EXPECT_EQ(r.files.size(), 6u);
  for (auto& f : r.full()) {
    EXPECT_EQ(f.find("secret"), std::string::npos);
    EXPECT_EQ(f.find("loop"), std::string::npos);
    EXPECT_EQ(f.find("link.txt"), std::string::npos);
  }
}
#endif

}  // namespace
}  // namespace velt::batch
