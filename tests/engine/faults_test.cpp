// Failures produced for real: wrong passwords, damaged and truncated files, a full disk at each
// stage, a read-only folder, a taken temporary name, links, bad settings. After each one the
// user's file must be byte-identical with its attributes, and nothing of ours may be left.
#include <atomic>
#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "crypto/bytes.h"
#include "engine/meta_info.h"
#include "engine/temp_file.h"
#include "platform/file_system.h"
#include "tests/engine/engine_fixture.h"
#ifndef _WIN32
#include "tests/support/child_process.h"
#endif

namespace velt::engine {
namespace {

using test::EngineTest;
using test::QuickSettings;
using test::ReadFile;
using enum DecryptOutcome;
#ifndef _WIN32
using test::ChildOptions;
using test::RunInChild;
#endif

class Faults : public EngineTest {
 protected:
  // Encrypts a fresh copy of `content` and returns the encrypted file's path.
  std::string encrypted(const std::vector<uint8_t>& content, const EngineSettings& s,
                        const std::string& name = "doc") {
    std::string p = make(name, content);
    EncryptOneFile(p, "right", s, sink);
    return s.addExtension ? p + "." + s.extension : p;
  }
};

TEST_F(Faults, WrongPasswordKeepsTheFileAsItWas) {
  test::ForEachInflateBackend([&] {
    for (bool compress : {true, false}) {
      SCOPED_TRACE(compress ? "compressed" : "not compressed");
      test::TempDir local;
      EngineSettings s = QuickSettings();
      s.compress = compress;
      std::string p = local / "doc";
      test::WriteFile(p, rng.Bytes(5000));
      EncryptOneFile(p, "right", s, sink);
      auto before = ReadFile(p + ".VELT");
      int accepted = 0;
      for (const char* wrong : {"wrong", "Right", "right ", "", "x", "password", "12345"}) {
        test::WriteFile(p + ".VELT", before);
#ifndef _WIN32
        ::chmod((p + ".VELT").c_str(), 0440);
#endif
        if (DecryptOneFile(p + ".VELT", wrong, true, s, noMeta, sink).outcome != WrongPassword) {
          // Let through by the weak check: the encrypted file is kept, so nothing is lost.
          ++accepted;
          EXPECT_FALSE(compress) << wrong;
          EXPECT_EQ(ReadFile(p + ".VELT(orig)"), before) << wrong;
          std::remove(p.c_str());
          std::remove((p + ".VELT(orig)").c_str());
          continue;
        }
        EXPECT_EQ(local.Names(), std::vector<std::string>{"doc.VELT"}) << wrong;
        EXPECT_EQ(ReadFile(p + ".VELT"), before) << wrong;
#ifndef _WIN32
        EXPECT_EQ(test::FileMode(p + ".VELT"), 0440u) << wrong;
#endif
      }
      // zlib's checks catch every wrong password of a compressed file; an uncompressed one has
      // only the check value, which lets about one in 21 through.
      if (compress) {
        EXPECT_EQ(accepted, 0);
      } else {
        EXPECT_LE(accepted, 2);
      }
    }
  });
}

TEST_F(Faults, DamagedTrailersAreRefusedBeforeAnythingIsCreated) {
  EngineSettings s = QuickSettings();
  std::string enc = encrypted(rng.Bytes(1000), s);
  auto good = ReadFile(enc);
  for (auto [offset, value] :
       {std::pair{32, 40u}, {16, 19u}, {12, 10u}, {20, 7u}, {16, 0x80000000u}}) {
    auto bad = good;
    crypto::StoreLe32(&bad[bad.size() - 36 + size_t(offset)], value);
    test::WriteFile(enc, bad);
    try {
      DecryptOneFile(enc, "right", true, s, noMeta, sink);
      ADD_FAILURE() << "offset " << offset << " accepted";
    } catch (const EngineError& e) {
      EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("doc.VELT"), std::string::npos) << e.what();
    }
    ExpectNames({"doc.VELT"});
    EXPECT_EQ(ReadFile(enc), bad);
  }
}

TEST_F(Faults, TruncatedAndDamagedBodies) {
  EngineSettings s = QuickSettings();
  // Under a megabyte of payload decryption runs on one thread, from one on in stages on three.
  for (size_t size : {size_t(200000), size_t(3) << 20}) {
    SCOPED_TRACE(size);
    auto content = rng.Bytes(size);
    std::string enc = encrypted(content, s);
    auto good = ReadFile(enc);
    auto record = std::vector<uint8_t>(good.end() - 36, good.end());

    test::ForEachInflateBackend([&] {
      // Body cut in half, record kept: the zlib stream ends early.
      std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 2));
      cut.insert(cut.end(), record.begin(), record.end());
      test::WriteFile(enc, cut);
      EXPECT_THROW(DecryptOneFile(enc, "right", true, s, noMeta, sink), EngineError);
      ExpectNames({"doc.VELT"});
      EXPECT_EQ(ReadFile(enc), cut);

      // Damage in the middle of the body: zlib notices (data error or checksum).
      auto damaged = good;
      damaged[good.size() / 2] ^= 0x5A;
      test::WriteFile(enc, damaged);
      EXPECT_EQ(DecryptOneFile(enc, "right", true, s, noMeta, sink).outcome, WrongPassword);
      ExpectNames({"doc.VELT"});
      EXPECT_EQ(ReadFile(enc), damaged);
    });
    std::remove(enc.c_str());
  }
  std::string enc = encrypted(rng.Bytes(1000), s);
  auto good = ReadFile(enc);

  // Cut inside the record: no longer recognised at all.
  test::WriteFile(enc, std::vector<uint8_t>(good.begin(), good.end() - 10));
  EXPECT_FALSE(HasMetaInfo(enc));
}

#ifndef _WIN32
// POSIX links; Wine makes no Windows ones (folders: win32/faults_test.cpp).
TEST_F(Faults, LinksAndFoldersAreRefusedAndLeftAlone) {
  EngineSettings s = QuickSettings();
  std::string target = make("target", rng.Bytes(100));
  auto content = ReadFile(target);
  std::string link = dir / "link";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  try {
    EncryptOneFile(link, "pw", s, sink);
    ADD_FAILURE();
  } catch (const EngineError& e) {
    EXPECT_NE(std::string(e.what()).find("symbolic link"), std::string::npos);
  }
  EXPECT_THROW(DecryptOneFile(link, "pw", true, s, noMeta, sink), EngineError);
  EXPECT_EQ(ReadFile(target), content);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  ExpectNames({"link", "target"});
  std::filesystem::create_directory(dir / "folder");
  EXPECT_THROW(EncryptOneFile(dir / "folder", "pw", s, sink), EngineError);
  EXPECT_THROW(EncryptOneFile(dir / "missing", "pw", s, sink), EngineError);
}

#endif

TEST_F(Faults, InvalidSettingsAreRefusedBeforeAnythingHappens) {
  std::string p = make("doc", rng.Bytes(100));
  auto content = ReadFile(p);
  std::vector<EngineSettings> bad(7, QuickSettings());
  bad[0].cipherIndex = 19;
  bad[1].hashIndex = -1;
  bad[2].compressionSpeed = 3;
  bad[3].extension = "";
  bad[4].extension = "a b";
  bad[5].extension = "x/y";
  bad[6].compressionEngine = 1;
  for (const auto& s : bad) {
    EXPECT_THROW(EncryptOneFile(p, "pw", s, sink), EngineError);
    ExpectNames({"doc"});
    EXPECT_EQ(ReadFile(p), content);
  }
}

TEST_F(Faults, ATakenTemporaryNameIsNeverEncryptedByMistake) {
  // 10:00:00.000 names the working copy doc.tmp59926557600000.
  SetTempClockForTesting([]() -> int64_t { return 36000000; });
  EngineSettings s = QuickSettings();
  s.compress = false;
  std::string p = make("doc", rng.Bytes(3000));
  auto content = ReadFile(p);
  std::vector<std::string> decoys;
  for (int64_t n = 59926557600000; n < 59926557600005; ++n) {
    decoys.push_back("doc.tmp" + std::to_string(n));
    test::WriteFile(dir / decoys.back(), "an old file that must survive");
  }
  decoys.push_back("doc.tmp59926557600006en");
  test::WriteFile(dir / decoys.back(), "an old file that must survive");
  EncryptOneFile(p, "pw", s, sink);
  SetTempClockForTesting(nullptr);
  for (const auto& d : decoys) EXPECT_EQ(test::ReadText(dir / d), "an old file that must survive");
  auto names = decoys;
  names.push_back("doc.VELT");
  ExpectNames(names);
  for (const auto& d : decoys) std::remove((dir / d).c_str());
  DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink);
  EXPECT_EQ(ReadFile(p), content);
}

// A stop asked for, or the source written to, at each stage before the result takes its name:
// nothing changes but that the run ends; the source keeps everything written to it.
TEST_F(Faults, StoppedOrChangedMidwayChangesNothing) {
  struct Row {
    const char* what;
    bool decrypting, compress, append;
    std::string at;  // the status during which it happens ("" = the first percentage)
  };
  for (const Row& r :
       std::vector<Row>{{"stop while compressing", false, true, false, "Compressing"},
                        {"stop while encrypting", false, false, false, "Encrypting"},
                        {"stop while decrypting", true, false, false, ""},
                        {"stop while decompressing", true, true, false, ""},
                        {"append while compressing", false, true, true, "Compressing"},
                        {"append while encrypting", false, false, true, "Encrypting"},
                        {"append while decrypting", true, true, true, ""}}) {
    SCOPED_TRACE(r.what);
    test::TempDir local;
    EngineSettings s = QuickSettings();
    s.compress = r.compress;
    s.secureDelete = true;
    std::string source = local / "log";
    test::WriteFile(source, rng.Bytes(300000));
    if (r.decrypting) {
      EncryptOneFile(source, "pw", s, sink);
      source += ".VELT";
    }
#ifndef _WIN32
    ::chmod(source.c_str(), 0440);
#endif
    const auto names = local.Names();
    std::atomic<bool> stop{false};
    bool acted = false;
    test::RecordingSink watcher;
    watcher.during = [&](const test::RecordingSink::Call& c) {
      const bool now = r.at.empty() ? c.kind == 'P' : (c.kind == 'S' && c.text == r.at);
      if (!now || acted) return;
      acted = true;
      if (!r.append) {
        stop = true;
        return;
      }
      // Another program appends, as a log writer would; our lock does not bind it.
      std::FILE* f = std::fopen(source.c_str(), "ab");
      if (!f) {
        ::chmod(source.c_str(), 0640);
        f = std::fopen(source.c_str(), "ab");
      }
      std::fputs("one more line\n", f);
      std::fclose(f);
    };
    const auto before = ReadFile(source);
    auto run = [&] {
      if (r.decrypting) {
        DecryptOptions o;
        o.cancel = &stop;
        DecryptOneFile(source, "pw", true, s, noMeta, watcher, o);
      } else {
        EncryptOptions o;
        o.cancel = &stop;
        EncryptOneFile(source, "pw", s, watcher, o);
      }
    };
    if (r.append) {
      try {
        run();
        ADD_FAILURE() << "not reported";
      } catch (const ChangedError& e) {
        EXPECT_NE(std::string(e.what()).find("changed while it was being"), std::string::npos)
            << e.what();
      }
      auto grown = before;
      for (char ch : std::string("one more line\n")) grown.push_back(uint8_t(ch));
      EXPECT_EQ(ReadFile(source), grown);
    } else {
      EXPECT_THROW(run(), CancelledError);
      EXPECT_EQ(ReadFile(source), before);
#ifndef _WIN32
      EXPECT_EQ(test::FileMode(source), 0440u);
#endif
    }
    EXPECT_TRUE(acted);
    EXPECT_EQ(local.Names(), names);
  }
}

// Two runs on one file: the second finds the meta information on the file it locked, not on
// what the name showed before the lock.
TEST_F(Faults, AnEncryptedFileIsFoundOnTheLockedFile) {
  EngineSettings s = QuickSettings();
  s.addExtension = false;
  std::string p = make("doc", 5000);
  EncryptOneFile(p, "pw", s, sink);
  const auto once = ReadFile(p);
  EXPECT_THROW(EncryptOneFile(p, "pw", s, sink), AlreadyEncryptedError);
  EXPECT_EQ(ReadFile(p), once);
  ExpectNames({"doc"});
}

// Names too long for the temporary suffix get a shorter temporary name, not an error.
TEST_F(Faults, NamesTooLongForTheTemporarySuffix) {
  EngineSettings s = QuickSettings();
  s.addExtension = false;  // the result keeps the name, which must fit the file system
  s.secureDelete = true;
  for (size_t length : {size_t(230), size_t(250), size_t(255)}) {
    SCOPED_TRACE(length);
    std::string name(length - 2, 'n');
    name += "\xc3\xa9";  // a two-byte letter at the very end, never cut in two
    std::string p = make(name, 70000);
    auto content = ReadFile(p);
    EncryptOneFile(p, "pw", s, sink);
    EXPECT_EQ(DecryptOneFile(p, "pw", true, s, noMeta, sink).outcome, Decrypted);
    EXPECT_EQ(ReadFile(p), content);
    ExpectNames({name});
    std::remove(p.c_str());
  }
  EXPECT_EQ(TemporaryName("/d/" + std::string(250, 'a'), 59926557600000, "dc").size(), 258u);
  EXPECT_TRUE(IsTemporaryName(
      platform::NameOf(TemporaryName(std::string(250, 'a'), 59926557600000, "en"))));
}

TEST(TemporaryNames, AreRecognisedByTheirSuffix) {
  struct Row {
    const char* name;
    bool temporary;
    const char* base;
    const char* tag;
  };
  for (const Row& r : std::vector<Row>{{"doc.tmp59926557600000", true, "doc", ""},
                                       {"doc.tmp59926557600000en", true, "doc", "en"},
                                       {"doc.VELT.tmp599265576000001dc", true, "doc.VELT", "dc"},
                                       {"doc.tmp5992655760000", false, "", ""},  // 13 digits
                                       {"doc.tmp59926557600000xx", false, "", ""},
                                       {"doc.TMP59926557600000", false, "", ""},
                                       {".tmp59926557600000", true, "", ""},
                                       {"notes.tmp", false, "", ""}}) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(IsTemporaryName(r.name), r.temporary);
    EXPECT_EQ(TemporaryBase(r.name), r.base);
    EXPECT_EQ(TemporaryTag(r.name), r.tag);
  }
}

#ifndef _WIN32
// From here on the faults are made in a child process (fork, setrlimit, setuid) and checked
// against POSIX permission bits; the Windows run has its own in win32/faults_test.cpp.

// A full disk, produced with a per-file size limit in a child process, at each stage.
TEST_F(Faults, FullDiskAtEveryStageOfEncryption) {
  const size_t size = 300000;
  struct Stage {
    const char* name;
    bool compress;
    int64_t limit;
  };
  for (const Stage& st :
       {Stage{"working copy", false, 100000}, Stage{"compressed copy", true, 1000},
        Stage{"trailer", false, int64_t(size) + 10}}) {
    SCOPED_TRACE(st.name);
    test::TempDir local;
    std::string p = local / "doc";
    auto content = rng.Bytes(size);
    test::WriteFile(p, content);
    ::chmod(p.c_str(), 0640);
    EngineSettings s = QuickSettings();
    s.compress = st.compress;
    s.secureDelete = true;
    auto r = RunInChild(
        [&] {
          test::RecordingSink quiet;
          EncryptOneFile(p, "pw", s, quiet);
          return 0;
        },
        ChildOptions{st.limit, false, ""});
    EXPECT_EQ(r.exitCode, 99) << r.message;
    EXPECT_NE(r.message.find("doc"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("File too large"), std::string::npos) << r.message;
    EXPECT_EQ(local.Names(), std::vector<std::string>{"doc"});
    EXPECT_EQ(ReadFile(p), content);
    EXPECT_EQ(test::FileMode(p), 0640u);
  }
}

// Once the encrypted file is in place, a failing overwrite of the original is reported, and
// the encrypted file stays: it is then the only copy of the content.
TEST_F(Faults, FailingOverwriteAfterTheEncryptedFileIsInPlace) {
  const size_t size = 300000;
  std::string p = dir / "doc";
  auto content = rng.Bytes(size);
  for (size_t i = 0; i < size; i += 2) content[i] = 'a';  // compresses to about 60%
  test::WriteFile(p, content);
  EngineSettings s = QuickSettings();
  s.secureDelete = true;
  auto r = RunInChild(
      [&] {
        test::RecordingSink quiet;
        EncryptOneFile(p, "pw", s, quiet);
        return 0;
      },
      ChildOptions{250000, false, ""});
  EXPECT_EQ(r.exitCode, 99) << r.message;
  EXPECT_NE(r.message.find("overwriting it failed"), std::string::npos) << r.message;
  ExpectNames({"doc.VELT"});
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink).outcome, Decrypted);
  EXPECT_EQ(ReadFile(p), content);
}

TEST_F(Faults, FullDiskAtEveryStageOfDecryption) {
  const size_t size = 300000;
  for (bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "decompressed output" : "raw output");
    test::TempDir local;
    std::string p = local / "doc";
    auto content = rng.Bytes(size);
    for (size_t i = 0; i < size; i += 2) content[i] = 'a';
    test::WriteFile(p, content);
    EngineSettings s = QuickSettings();
    s.compress = compress;
    s.secureDelete = true;
    EncryptOneFile(p, "pw", s, sink);
    auto enc = ReadFile(p + ".VELT");
    auto r = RunInChild(
        [&] {
          test::RecordingSink quiet;
          return DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, quiet).outcome == WrongPassword
                     ? 2
                     : 0;
        },
        ChildOptions{int64_t(size) - 1000, false, ""});
    EXPECT_EQ(r.exitCode, 99) << "a full disk is an error, not a wrong password: " << r.message;
    EXPECT_EQ(local.Names(), std::vector<std::string>{"doc.VELT"});
    EXPECT_EQ(ReadFile(p + ".VELT"), enc);
  }
}

TEST_F(Faults, ReadOnlyFolder) {
  EngineSettings s = QuickSettings();
  std::string sub = dir / "ro";
  std::filesystem::create_directory(sub);
  std::string p = sub + "/doc";
  auto content = rng.Bytes(1000);
  test::WriteFile(p, content);
  ::chmod(sub.c_str(), 0555);
  auto r = RunInChild(
      [&] {
        test::RecordingSink quiet;
        EncryptOneFile(p, "pw", s, quiet);
        return 0;
      },
      ChildOptions{-1, true, dir.path()});
  EXPECT_EQ(r.exitCode, 99) << r.message;
  EXPECT_NE(r.message.find("Permission denied"), std::string::npos) << r.message;
  ::chmod(sub.c_str(), 0755);
  EXPECT_EQ(ReadFile(p), content);
  EXPECT_EQ(std::filesystem::directory_iterator(sub)->path().filename(), "doc");
}

TEST_F(Faults, AFileInUseByAnotherVeltProcessIsRefused) {
  EngineSettings s = QuickSettings();
  std::string p = make("doc", rng.Bytes(1000));
  auto content = ReadFile(p);
  auto held = platform::File::Open(p, platform::OpenMode::Read);  // holds the lock
  auto r = RunInChild([&] {
    test::RecordingSink quiet;
    EncryptOneFile(p, "pw", s, quiet);
    return 0;
  });
  EXPECT_EQ(r.exitCode, 99);
  EXPECT_NE(r.message.find("in use by another VELT process"), std::string::npos) << r.message;
  ExpectNames({"doc"});
  EXPECT_EQ(ReadFile(p), content);
}

// Secure deletion overwrites a file's blocks, which every other name of it shares: a file with
// other hard links is only unlinked, and the user told.
TEST_F(Faults, SecureDeletionSparesOtherHardLinks) {
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "under its own name" : "with the extension");
    test::TempDir local;
    EngineSettings s = QuickSettings();
    s.secureDelete = true;
    s.addExtension = !inPlace;
    const std::string p = local / "doc", other = local / "second name";
    test::WriteFile(p, rng.Bytes(200000));
    const auto content = ReadFile(p);
    ASSERT_EQ(::link(p.c_str(), other.c_str()), 0);
    FileReport report;
    EncryptOptions o;
    o.report = &report;
    EncryptOneFile(p, "pw", s, sink, o);
    EXPECT_EQ(ReadFile(other), content);
    ASSERT_EQ(report.notes.size(), 1u);
    EXPECT_NE(report.notes[0].find("not overwritten"), std::string::npos) << report.notes[0];
    EXPECT_EQ(local.Names(),
              (std::vector<std::string>{inPlace ? "doc" : "doc.VELT", "second name"}));
  }
}

// Root encrypting or decrypting another user's file leaves it that user's.
TEST_F(Faults, TheOwnerIsKeptWhenRootProcessesAnotherUsersFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  EngineSettings s = QuickSettings();
  std::string p = make("theirs", 5000);
  ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0);
  EncryptOneFile(p, "pw", s, sink);
  struct stat st;
  ASSERT_EQ(::stat((p + ".VELT").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink).outcome, Decrypted);
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}
#endif  // _WIN32

}  // namespace
}  // namespace velt::engine
