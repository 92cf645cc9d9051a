// SplitPathList on well-formed and malformed lists, and the desktop launcher's lists read back.
#include "batch/path_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace velt::batch {
namespace {

using List = std::vector<std::string>;

TEST(SplitPathList, ItemsInStarsKeepTheirBlanksOthersEndAtOne) {
  const struct {
    const char* text;
    List items;
  } cases[] = {
      {R"(*C:\My Files*|C:\a.txt)", {R"(C:\My Files)", R"(C:\a.txt)"}},
      {R"(C:\My Files)", {R"(C:\My)", "Files"}},
      {"*/home/u/My Documents*|*/tmp/a b.txt*", {"/home/u/My Documents", "/tmp/a b.txt"}},
      {"  /a  |\t/b \n", {"/a", "/b"}},
      {"/a|b c|*d e*", {"/a", "b", "c", "d e"}},
      // Leading and trailing blanks inside stars are part of the name.
      {"*  lead*|*trail  *", {"  lead", "trail  "}},
      // "|" inside stars is part of the name too.
      {"*/x|y*|/z", {"/x|y", "/z"}},
      // Text glued to a closing star starts the next item.
      {"*a b*c", {"a b", "c"}},
      {"/only", {"/only"}},
      // Bytes above 127 (UTF-8 names) are ordinary characters.
      {"*/tmp/Überweisung 1.pdf*|/tmp/日本", {"/tmp/Überweisung 1.pdf", "/tmp/日本"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitPathList(c.text), c.items) << c.text;
}

TEST(SplitPathList, MalformedListsHaveADefinedMeaning) {
  const struct {
    const char* text;
    List items;
  } cases[] = {
      // A star without its partner runs to the end, "|" and blanks included.
      {"*/a b|/c", {"/a b|/c"}},
      {"/a|*/b c", {"/a", "/b c"}},
      {"*", {}},
      // A doubled star ends the item; the second one opens the next.
      {"*/a**/b*", {"/a", "/b"}},
      {"*/a b**", {"/a b"}},
      {"**|/x", {"/x"}},
      // Empty items are left out wherever they are.
      {"/a||/b", {"/a", "/b"}},
      {"|/a", {"/a"}},
      {"/a|", {"/a"}},
      {"|", {}},
      {"||||", {}},
      {"", {}},
      {" \t\r\n", {}},
      {"/a | | /b", {"/a", "/b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitPathList(c.text), c.items) << c.text;
  // Every byte value in every position: never a crash, never an empty item.
  std::string text;
  for (int round = 0; round < 3; ++round)
    for (int c = 1; c < 256; ++c) {
      text += char(c);
      text += round == 1 ? '*' : '|';
      for (const std::string& item : SplitPathList(text)) ASSERT_FALSE(item.empty());
    }
}

TEST(SplitPathList, ABareNameIsTakenFromTheCurrentFolder) {
#ifdef _WIN32
  EXPECT_EQ(ListItemPath("report.txt", "C:\\Users\\u"), "C:\\Users\\u\\report.txt");
  EXPECT_EQ(ListItemPath("sub\\report.txt", "C:\\Users\\u\\"), "C:\\Users\\u\\sub\\report.txt");
  for (const char* absolute :
       {"D:\\abs\\report.txt", "\\\\server\\share\\r.txt", "\\root.txt", "D:r.txt"})
    EXPECT_EQ(ListItemPath(absolute, "C:\\Users\\u"), absolute);
  EXPECT_EQ(ListItemPath("", "C:\\Users\\u"), "");
#else
  EXPECT_EQ(ListItemPath("report.txt", "/home/u"), "/home/u/report.txt");
  EXPECT_EQ(ListItemPath("sub/report.txt", "/home/u/"), "/home/u/sub/report.txt");
  EXPECT_EQ(ListItemPath("/abs/report.txt", "/home/u"), "/abs/report.txt");
  EXPECT_EQ(ListItemPath("", "/home/u"), "");
#endif
}

#ifndef _WIN32
// The launcher of the desktop entries hands velt the selected paths as one list; read back
// with SplitPathList it must give exactly those paths.
TEST(DesktopLauncher, ItsListReadsBackAsTheSelectedPaths) {
  const std::filesystem::path launcher =
      std::filesystem::path(VELT_TEST_DATA_DIR).parent_path().parent_path() / "packaging" /
      "velt-launch";
  ASSERT_TRUE(std::filesystem::exists(launcher));
  velt::test::TempDir dir;
  // A stand-in for velt beside the launcher that writes its arguments, one per NUL.
  std::filesystem::copy_file(launcher, dir / "velt-launch");
  velt::test::WriteFile(dir / "velt",
                        "#!/bin/sh\nfor a; do printf '%s\\0' \"$a\"; done > \"$0.args\"\n");
  std::filesystem::permissions(dir / "velt", std::filesystem::perms::owner_all);

  auto run = [&](const List& args) {
    std::string command = "cd '" + dir.path() + "' && ./velt-launch";
    for (const std::string& a : args) {
      std::string quoted;
      for (char c : a) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
      command += " '" + quoted + "'";
    }
    command += " 2>/dev/null";
    std::remove((dir / "velt.args").c_str());
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    List got;
    std::string all = velt::test::ReadText(dir / "velt.args");
    for (size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
      got.push_back(all.substr(start, end - start));
    return got;
  };

  const List paths = {"/home/u/My Documents",   "/tmp/a b c.txt", "/tmp/x|y",
                      "/tmp/  padded  ",        "/tmp/it's",      "/tmp/star*name",
                      "/tmp/Überweisung 1.pdf", "/tmp/$HOME",     "/tmp/tab\there"};
  for (const char* mode : {"-e", "-d"}) {
    List args = {mode};
    args.insert(args.end(), paths.begin(), paths.end());
    const List got = run(args);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], mode);
    EXPECT_EQ(SplitPathList(got[1]), paths) << got[1];
  }
  // A relative name is taken from the folder the launcher runs in.
  EXPECT_EQ(SplitPathList(run({"-e", "local file.txt"}).at(1)),
            List{dir.path() + "/local file.txt"});
  // A name with both a star and a blank cannot be written in the list: it is left out.
  EXPECT_EQ(SplitPathList(run({"-d", "/tmp/a* b", "/tmp/ok"}).at(1)), List{"/tmp/ok"});
  // Without paths, or with another first argument, velt starts as usual.
  EXPECT_EQ(run({"-e"}), List{});
  EXPECT_EQ(run({"--other", "/tmp/a"}), List{});
}
#endif  // the launcher is a POSIX shell script

}  // namespace
}  // namespace velt::batch
