// The engine on Windows: files held by other programs, the file system's attribute bits, and
// replacing files the engine itself holds open.
#include <windows.h>

#include <filesystem>

#include "engine/meta_info.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/win32_handles.h"

namespace velt::engine {
namespace {

using test::EngineTest;
using test::QuickSettings;
using test::ReadFile;
using enum DecryptOutcome;
using test::Wide;

// Another program's handle on a file, open for reading.
struct Foreign : test::ForeignHandle {
  Foreign(const std::string& path, DWORD share) : ForeignHandle(path, GENERIC_READ, share) {}
};

constexpr DWORD kRO = FILE_ATTRIBUTE_READONLY, kH = FILE_ATTRIBUTE_HIDDEN,
                kS = FILE_ATTRIBUTE_SYSTEM, kA = FILE_ATTRIBUTE_ARCHIVE;

DWORD attributes(const std::string& p) {
  return GetFileAttributesW(Wide(p).c_str()) & (kRO | kH | kS | kA);
}
// Wine reports every file as archived: the archive bit is checked only where it was set.
::testing::AssertionResult HasAttributes(const std::string& p, DWORD expected) {
  DWORD a = attributes(p);
  if ((a & ~kA) == (expected & ~kA) && (!(expected & kA) || (a & kA)))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << p << " has attributes " << a << ", not " << expected;
}
void SetNativeAttributes(const std::string& p, DWORD a) {
  ASSERT_TRUE(SetFileAttributesW(Wide(p).c_str(), a));
}

class WindowsFaults : public EngineTest {};

TEST_F(WindowsFaults, AFileAnotherProgramHasOpenIsRefusedAndLeftAlone) {
  EngineSettings s = QuickSettings();
  std::string p = make("doc", rng.Bytes(3000));
  auto content = ReadFile(p);
  for (DWORD share :
       {DWORD(0), DWORD(FILE_SHARE_READ), DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
    SCOPED_TRACE(share);
    Foreign other(p, share);
    ASSERT_NE(other.h, INVALID_HANDLE_VALUE);
    try {
      EncryptOneFile(p, "pw", s, sink);
      ADD_FAILURE() << "encrypted a file another program holds";
    } catch (const EngineError& e) {
      EXPECT_NE(std::string(e.what()).find("in use by another program"), std::string::npos)
          << e.what();
    }
    ExpectNames({"doc"});
  }
  EXPECT_EQ(ReadFile(p), content);

  // Decrypting: the encrypted file held, or the file it would replace.
  EncryptOneFile(p, "pw", s, sink);
  auto encrypted = ReadFile(p + ".VELT");
  {
    Foreign other(p + ".VELT", FILE_SHARE_READ);
    EXPECT_THROW(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink), EngineError);
  }
  test::WriteFile(p, "an older file of the same name, open in an editor");
  {
    Foreign other(p, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_THROW(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink), EngineError);
  }
  ExpectNames({"doc", "doc.VELT"});
  EXPECT_EQ(ReadFile(p + ".VELT"), encrypted);
  EXPECT_EQ(test::ReadText(p), "an older file of the same name, open in an editor");
  // Closed, it is replaced like any other.
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink).outcome, Decrypted);
  EXPECT_EQ(ReadFile(p), content);
  ExpectNames({"doc"});
}

TEST_F(WindowsFaults, AttributesComeBackOnTheResultInEveryMode) {
  struct Mode {
    const char* name;
    bool addExtension, deleteOriginal, secure;
  };
  for (const Mode& m :
       {Mode{"beside", true, false, false}, Mode{"replacing", true, true, true},
        Mode{"in place", false, true, false}, Mode{"in place, secure", false, true, true}}) {
    for (DWORD a : {kRO, kRO | kH | kS, kH | kA}) {
      SCOPED_TRACE(std::string(m.name) + " attributes " + std::to_string(a));
      test::TempDir local;
      EngineSettings s = QuickSettings();
      s.addExtension = m.addExtension;
      s.deleteOriginal = m.deleteOriginal;
      s.secureDelete = m.secure;
      std::string p = local / "doc";
      auto content = rng.Bytes(70000);
      test::WriteFile(p, content);
      SetNativeAttributes(p, a);
      EncryptOneFile(p, "pw", s, sink);
      const std::string enc = m.addExtension ? p + ".VELT" : p;
      EXPECT_TRUE(HasAttributes(enc, a));
      if (m.addExtension && !m.deleteOriginal) {
        EXPECT_TRUE(HasAttributes(p, a));
        EXPECT_EQ(ReadFile(p), content);
        SetNativeAttributes(p, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(p).c_str());
      }
      EXPECT_EQ(local.Names(), std::vector<std::string>{m.addExtension ? "doc.VELT" : "doc"});
      EXPECT_TRUE(HasMetaInfo(enc));
      EXPECT_EQ(DecryptOneFile(enc, "pw", true, s, noMeta, sink).outcome, Decrypted);
      EXPECT_EQ(ReadFile(p), content);
      EXPECT_TRUE(HasAttributes(p, a));
      EXPECT_EQ(local.Names(), std::vector<std::string>{"doc"});
    }
  }
}

TEST_F(WindowsFaults, FoldersDevicesAndMissingFilesAreRefused) {
  EngineSettings s = QuickSettings();
  std::filesystem::create_directory(test::PathOf(dir / "folder"));
  for (const std::string& p : {dir / "folder", dir / "missing", std::string("NUL"), dir / "CON"}) {
    SCOPED_TRACE(p);
    EXPECT_THROW(EncryptOneFile(p, "pw", s, sink), EngineError);
    EXPECT_THROW(DecryptOneFile(p, "pw", true, s, noMeta, sink), EngineError);
  }
  ExpectNames({"folder"});
}

TEST_F(WindowsFaults, DecryptionReplacesAReadOnlyFileOfTheResultName) {
  EngineSettings s = QuickSettings();
  s.deleteOriginal = false;
  std::string p = make("doc", rng.Bytes(5000));
  auto content = ReadFile(p);
  EncryptOneFile(p, "pw", s, sink);
  test::WriteFile(p, "stale");
  SetNativeAttributes(p, kRO);
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink).outcome, Decrypted);
  EXPECT_EQ(ReadFile(p), content);
  ExpectNames({"doc"});
}

}  // namespace
}  // namespace velt::engine
