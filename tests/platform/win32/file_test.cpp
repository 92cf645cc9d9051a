// The Windows file layer on a real (Wine) file system. "Another program" is played by handles
// opened with CreateFileW directly, as any program would open them.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/win32_handles.h"

namespace velt::platform {
namespace {

using test::ReadText;
using test::TempDir;
using test::Wide;
using test::WriteFile;

using Foreign = test::ForeignHandle;

DWORD AttributeBits(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str());
}

PlatformError ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const PlatformError& e) {
    return e;
  }
  ADD_FAILURE() << "no PlatformError";
  return PlatformError("", "", 0, "");
}

TEST(WindowsFile, AnExclusiveHandleKeepsOtherProgramsOutButLetsTheFileBeRenamed) {
  TempDir dir;
  const std::string p = dir / "doc";
  WriteFile(p, "content");
  for (OpenMode mode : {OpenMode::Read, OpenMode::ReadWrite}) {
    File f = File::Open(p, mode);
    // Neither readers nor writers, whatever they would share themselves.
    EXPECT_FALSE(
        Foreign(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE).IsOpen());
    EXPECT_FALSE(
        Foreign(p, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE).IsOpen());
    // A second exclusive open, even in this process, is a second VELT job on the file.
    PlatformError e = ErrorOf([&] { File::Open(p, OpenMode::Read); });
    EXPECT_EQ(e.Code(), ERROR_SHARING_VIOLATION);
    EXPECT_NE(std::string(e.what()).find("in use by another program"), std::string::npos)
        << e.what();
    // Renaming is shared: the engine renames the files it holds.
    ReplaceFile(p, dir / "moved");
    ReplaceFile(dir / "moved", p);
  }
  // And the other way round: a program holding the file keeps VELT out.
  Foreign reader(p, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(ErrorOf([&] { File::Open(p, OpenMode::Read); }).Code(), ERROR_SHARING_VIOLATION);
  // Without the lock VELT only reads beside a program that lets others read.
  File info = File::Open(p, OpenMode::Read, Locking::None);
  EXPECT_EQ(info.Size(), 7u);
  EXPECT_EQ(ErrorOf([&] { File::Open(p, OpenMode::ReadWrite, Locking::None); }).Code(),
            ERROR_SHARING_VIOLATION);
}

TEST(WindowsFile, AnUnlockedOpenReachesAFileThisProcessHolds) {
  TempDir dir;
  const std::string p = dir / "doc";
  WriteFile(p, "0123456789");
  File held = File::Open(p, OpenMode::Read);
  File other = File::Open(p, OpenMode::ReadWrite, Locking::None);
  other.WriteAt(2, "ab", 2);
  char buf[10];
  // Each File keeps a position of its own, as separate POSIX descriptors do.
  ASSERT_EQ(held.Read(buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "01ab");
  other.Seek(8);
  ASSERT_EQ(held.Read(buf, 2), 2u);
  EXPECT_EQ(std::string(buf, 2), "45");
  ASSERT_EQ(other.Read(buf, 10), 2u);
  EXPECT_EQ(std::string(buf, 2), "89");
  // Reading at an offset leaves the position where it was.
  ASSERT_EQ(held.ReadAt(0, buf, 3), 3u);
  EXPECT_EQ(held.Position(), 6u);
  other.Close();
  held.Close();
  // Once the holder is gone the file is no longer ours: an unlocked open is an ordinary one,
  // and another program's exclusive handle refuses it.
  Foreign foreign(p, GENERIC_READ, 0);
  ASSERT_TRUE(foreign.IsOpen());
  EXPECT_EQ(ErrorOf([&] { File::Open(p, OpenMode::Read, Locking::None); }).Code(),
            ERROR_SHARING_VIOLATION);
}

TEST(WindowsFile, CreateNewReadWriteTruncateAndFlush) {
  TempDir dir;
  const std::string p = dir / "new";
  {
    File f = File::Open(p, OpenMode::CreateNew);
    f.Write("hello world", 11);
    EXPECT_EQ(f.Size(), 11u);
    EXPECT_EQ(f.Position(), 11u);
    f.Truncate(5);
    EXPECT_EQ(f.Size(), 5u);
    f.Flush();
    char c;
    EXPECT_EQ(f.ReadAt(5, &c, 1), 0u);  // at the end: nothing, no error
  }
  EXPECT_EQ(ReadText(p), "hello");
  PlatformError e = ErrorOf([&] { File::Open(p, OpenMode::CreateNew); });
  EXPECT_TRUE(IsAlreadyExists(e)) << e.what();
  EXPECT_EQ(ReadText(p), "hello");
  EXPECT_TRUE(IsNotFound(ErrorOf([&] { File::Open(dir / "missing", OpenMode::Read); })));
  // A folder and a device name are no regular files.
  CreateDirectoryW(Wide(dir / "folder").c_str(), nullptr);
  EXPECT_NE(std::string(ErrorOf([&] { File::Open(dir / "folder", OpenMode::Read); }).what())
                .find("not a regular file"),
            std::string::npos);
  EXPECT_NE(std::string(ErrorOf([&] { File::Open("NUL", OpenMode::Read); }).what())
                .find("not a regular file"),
            std::string::npos);
  // Flushing a handle without write access is not an error.
  File r = File::Open(p, OpenMode::Read);
  r.Flush();
}

TEST(WindowsFile, CopyFromCopiesFromThePositionAndStopsAtTheEnd) {
  TempDir dir;
  std::string big(3 << 20, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
  WriteFile(dir / "src", big);
  File src = File::Open(dir / "src", OpenMode::Read);
  src.Seek(100);
  File dst = File::Open(dir / "dst", OpenMode::CreateNew);
  dst.CopyFrom(src, big.size());  // more than is left
  dst.Close();
  EXPECT_EQ(ReadText(dir / "dst"), big.substr(100));
}

TEST(WindowsFile, SameFileAsFollowsRenamesAndSeesReplacement) {
  TempDir dir;
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  File f = File::Open(dir / "a", OpenMode::Read);
  EXPECT_TRUE(f.SameFileAs(dir / "a"));
  EXPECT_FALSE(f.SameFileAs(dir / "b"));
  RenameNoReplace(dir / "a", dir / "c");
  EXPECT_TRUE(f.SameFileAs(dir / "c"));
  EXPECT_FALSE(f.SameFileAs(dir / "a"));
}

TEST(WindowsFileSystem, AttributesAreTheFileSystemsOwnBitsAndComeBackExactly) {
  TempDir dir;
  const std::string p = dir / "f";
  WriteFile(p, "x");
  const DWORD all = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                    FILE_ATTRIBUTE_ARCHIVE;
  // Wine reports every file as archived, so "cleared" is checked on the other three.
  const DWORD locking = all & ~DWORD(FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(SetFileAttributesW(Wide(p).c_str(), all));
  const Attributes saved = GetAttributes(p);
  EXPECT_EQ(saved.bits, uint32_t(kReadOnly | kHidden | kSystem | kArchive));
  // Cleared, the file can be written and deleted; then it gets its bits back.
  ClearAttributes(p);
  EXPECT_EQ(AttributeBits(p) & locking, 0u);
  EXPECT_EQ(GetAttributes(p).bits & (kReadOnly | kHidden | kSystem), 0u);
  WriteFile(p, "y");
  SetAttributes(p, saved);
  EXPECT_EQ(AttributeBits(p) & all, all);
  // Only the hidden bit: the others stay clear.
  ASSERT_TRUE(SetFileAttributesW(Wide(p).c_str(), FILE_ATTRIBUTE_HIDDEN));
  const Attributes hidden = GetAttributes(p);
  ClearAttributes(p);
  SetAttributes(p, hidden);
  EXPECT_EQ(AttributeBits(p) & locking, DWORD(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetAttributes(dir.path()).bits & kDirectory, uint32_t(kDirectory));
  EXPECT_THROW(GetAttributes(dir / "missing"), PlatformError);
}

TEST(WindowsFileSystem, ListingUsesOurWildcardRulesAndTheAttributeFilter) {
  TempDir dir;
  for (const char* f : {"a.txt", "B.TXT", "a.txtx", "noext", "hidden.txt", "system.txt"})
    WriteFile(dir / f, "x");
  CreateDirectoryW(Wide(dir / "sub.txt").c_str(), nullptr);
  SetFileAttributesW(Wide(dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(Wide(dir / "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  auto names = [&](const std::string& folder, const std::string& mask, uint32_t attrs) {
    std::vector<std::string> v;
    for (const auto& e : ListDirectory(folder, mask, attrs)) v.push_back(e.name);
    std::sort(v.begin(), v.end());
    return v;
  };
  using V = std::vector<std::string>;
  // "*.txt" never matches "a.txtx" (Windows' own matching would, through its short name).
  EXPECT_EQ(names(dir.path(), "*.txt", 0), (V{"B.TXT", "a.txt"}));
  EXPECT_EQ(names(dir.path() + "\\", "*.txt", kHidden), (V{"B.TXT", "a.txt", "hidden.txt"}));
  EXPECT_EQ(names(dir.path(), "*.txt", kSystem | kDirectory),
            (V{"B.TXT", "a.txt", "sub.txt", "system.txt"}));
  EXPECT_EQ(names(dir.path(), "*.*", 0), (V{"B.TXT", "a.txt", "a.txtx", "noext"}));
  EXPECT_EQ(names(dir.path(), "?.TXT", 0), (V{"B.TXT", "a.txt"}));
  EXPECT_EQ(names(dir.path(), "*.*", kDirectory),
            (V{".", "..", "B.TXT", "a.txt", "a.txtx", "noext", "sub.txt"}));
  for (const auto& e : ListDirectory(dir.path(), "sub.txt", kDirectory)) {
    EXPECT_EQ(e.attributes & kDirectory, uint32_t(kDirectory));
    EXPECT_FALSE(e.isSymbolicLink);
  }
  auto entries = ListDirectory(dir.path(), "a.txt", 0);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 1u);
  EXPECT_THROW(ListDirectory(dir / "missing", "*.*", 0), PlatformError);
}

TEST(WindowsFileSystem, ReplaceFileReplacesHeldAndReadOnlyFiles) {
  TempDir dir;
  WriteFile(dir / "old", "old");
  WriteFile(dir / "new", "new");
  {
    // The engine holds the file it replaces (exclusively, sharing deletion only).
    File held = File::Open(dir / "old", OpenMode::Read);
    ReplaceFile(dir / "new", dir / "old");
    EXPECT_EQ(ReadText(dir / "old"), "new");
    char c[3];
    EXPECT_EQ(held.ReadAt(0, c, 3), 3u);  // the replaced content is still there for its holder
    EXPECT_EQ(std::string(c, 3), "old");
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"old"});  // nothing left beside it
  WriteFile(dir / "new", "newer");
  SetFileAttributesW(Wide(dir / "old").c_str(), FILE_ATTRIBUTE_READONLY);
  ReplaceFile(dir / "new", dir / "old");
  EXPECT_EQ(ReadText(dir / "old"), "newer");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"old"});
  // Another program's handle that does not share deletion stops it, and nothing moves.
  WriteFile(dir / "new", "newest");
  {
    Foreign other(dir / "old", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(other.IsOpen());
    EXPECT_THROW(ReplaceFile(dir / "new", dir / "old"), PlatformError);
  }
  EXPECT_EQ(ReadText(dir / "old"), "newer");
  EXPECT_EQ(ReadText(dir / "new"), "newest");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"new", "old"}));
}

TEST(WindowsFileSystem, RenameNoReplaceDeleteAndQueries) {
  TempDir dir;
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  PlatformError e = ErrorOf([&] { RenameNoReplace(dir / "a", dir / "b"); });
  EXPECT_TRUE(IsAlreadyExists(e)) << e.what();
  EXPECT_EQ(ReadText(dir / "b"), "b");
  RenameNoReplace(dir / "a", dir / "c");
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_TRUE(IsRegularFile(dir / "c"));
  EXPECT_FALSE(IsDirectory(dir / "c"));
  EXPECT_TRUE(IsDirectory(dir.path()));
  EXPECT_FALSE(IsRegularFile(dir.path()));
  EXPECT_FALSE(IsSymbolicLink(dir / "c"));
  EXPECT_EQ(FileSize(dir / "c"), 1u);
  DeleteFile(dir / "c");
  EXPECT_FALSE(Exists(dir / "c"));
  EXPECT_TRUE(IsNotFound(ErrorOf([&] { DeleteFile(dir / "c"); })));
  FlushFolder(dir.path());
  EXPECT_EQ(FolderOf("C:\\a\\b.txt"), "C:\\a\\");
  EXPECT_EQ(FolderOf("C:/a/b.txt"), "C:/a/");
  EXPECT_EQ(NameOf("C:\\a/b.txt"), "b.txt");
}

TEST(WindowsFileSystem, Utf8NamesAndLongPaths) {
  TempDir dir;
  // UTF-8 in, UTF-8 out: names the local code page cannot hold.
  const std::string name =
      "\xC3\x9C"
      "berweisung \xE6\x97\xA5\xE6\x9C\xAC.pdf";
  {
    File f = File::Open(dir / name, OpenMode::CreateNew);
    f.Write("x", 1);
  }
  EXPECT_NE(AttributeBits(dir / name), INVALID_FILE_ATTRIBUTES);
  auto listed = ListDirectory(dir.path(), "*.pdf", 0);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, name);
  EXPECT_TRUE(MatchesMask(name, "\xC3\x9C*.PDF"));
  // Past the 260 characters of MAX_PATH.
  std::string deep = dir.path();
  for (int i = 0; i < 6; ++i) {
    deep += "\\" + std::string(60, char('a' + i));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Wide(deep)).c_str(), nullptr));
  }
  const std::string longPath = deep + "\\file.txt";
  ASSERT_GT(longPath.size(), 300u);
  {
    File f = File::Open(longPath, OpenMode::CreateNew);
    f.Write("long", 4);
  }
  EXPECT_TRUE(IsRegularFile(longPath));
  EXPECT_EQ(FileSize(longPath), 4u);
  ReplaceFile(longPath, longPath + ".moved");
  EXPECT_EQ(ListDirectory(deep, "*.moved", 0).size(), 1u);
  ClearAttributes(longPath + ".moved");
  DeleteFile(longPath + ".moved");
  EXPECT_FALSE(Exists(longPath + ".moved"));
}

}  // namespace
}  // namespace velt::platform
