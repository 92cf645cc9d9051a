// The Windows help viewer's choice between the compiled help file and its HTML copy. The help
// control and the shell are played by recorders: under Wine the control needs the HTML engine,
// which the test installation leaves out, so a real help window cannot be shown here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/help_viewer_win32.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wine.h"

namespace velt::platform {
namespace {

struct Recorder {
  bool helpFileShown = true, documentOpened = true;
  std::vector<std::wstring> helpFiles, documents;
  Win32HelpViewer Viewer() {
    return Win32HelpViewer({[this](const std::wstring& f) {
                              helpFiles.push_back(f);
                              return helpFileShown;
                            },
                            [this](const std::wstring& d) {
                              documents.push_back(d);
                              return documentOpened;
                            }});
  }
};

TEST(Win32HelpViewer, TheHelpControlShowsTheHelpFileAndTheShellItsCopyWhereItCannot) {
  struct Row {
    const char* what;
    bool chm, html;                      // which files are there
    bool helpFileShown, documentOpened;  // what the control and the shell answer
    bool toControl, toShell, shown;      // what happens
  };
  const std::vector<Row> rows = {
      {"both there, the control shows it", true, true, true, true, true, false, true},
      {"the control fails", true, true, false, true, true, true, true},
      {"no help file", false, true, true, true, false, true, true},
      {"neither file", false, false, true, true, false, false, false},
      {"the control and the shell fail", true, true, false, false, true, true, false},
      {"the control fails, no copy", true, false, false, true, true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // A folder outside ASCII with a blank, as an installation folder may be.
    test::TempDir dir;
    const std::string folder = dir /
                               "Programme \xC3\x9C"
                               "ber";
    std::filesystem::create_directory(test::PathOf(folder));
    const std::string chm = folder + "\\Velt.chm";
    if (row.chm) test::WriteFile(chm, "ITSF");
    if (row.html) test::WriteFile(folder + "\\Velt.html", "<html></html>");
    Recorder recorder;
    recorder.helpFileShown = row.helpFileShown;
    recorder.documentOpened = row.documentOpened;
    EXPECT_EQ(recorder.Viewer().ShowHelp(chm), row.shown);
    const std::wstring wideFolder = L"\\Programme \u00DCber\\";
    ASSERT_EQ(recorder.helpFiles.size(), row.toControl ? 1u : 0u);
    if (row.toControl) {
      EXPECT_TRUE(recorder.helpFiles[0].ends_with(wideFolder + L"Velt.chm"));
    }
    ASSERT_EQ(recorder.documents.size(), row.toShell ? 1u : 0u);
    if (row.toShell) {
      EXPECT_TRUE(recorder.documents[0].ends_with(wideFolder + L"Velt.html"));
    }
  }
}

TEST(Win32HelpViewer, AFolderNamedLikeTheHelpFileIsNotShown) {
  test::TempDir dir;
  std::filesystem::create_directory(test::PathOf(dir / "Velt.chm"));
  std::filesystem::create_directory(test::PathOf(dir / "Velt.html"));
  Recorder recorder;
  EXPECT_FALSE(recorder.Viewer().ShowHelp(dir / "Velt.chm"));
  EXPECT_TRUE(recorder.helpFiles.empty());
  EXPECT_TRUE(recorder.documents.empty());
}

// The help control itself: loaded from hhctrl.ocx when first needed, and a file it cannot read
// leaves the choice to the HTML copy (none here, so nothing is shown).
TEST(Win32HelpViewer, TheHelpControlIsLoadedAndRefusesAFileItCannotRead) {
  if (!test::UnderWine()) GTEST_SKIP() << "Windows's control shows an error box of its own";
  test::TempDir dir;
  test::WriteFile(dir / "Velt.chm", "ITSF, but no more");
  EXPECT_FALSE(Win32HelpViewer().ShowHelp(dir / "Velt.chm"));
}

}  // namespace
}  // namespace velt::platform
