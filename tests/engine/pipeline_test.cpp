// Encryption and decryption end to end on real files: round trips over the catalogue, the
// option combinations, naming rules, attributes, status texts and the secure overwrite.
#include <sys/stat.h>

#include <filesystem>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "engine/meta_info.h"
#include "engine/secure_delete.h"
#include "platform/file.h"
#include "tests/engine/engine_fixture.h"

namespace velt::engine {
namespace {

using test::EngineTest;
using test::QuickSettings;
using test::ReadFile;
using enum DecryptOutcome;

class Pipeline : public EngineTest {};

TEST_F(Pipeline, RoundTripsEveryCipherAndHashCompressedAndNot) {
  test::TempDir mem(test::TempDir::Where::Memory);  // 1140 round trips: spare the device
  for (const auto& c : crypto::CipherCatalogue()) {
    if (!c.cls) continue;
    for (const auto& h : crypto::HashCatalogue()) {
      if (!h.cls) continue;
      for (bool compress : {false, true}) {
        for (size_t size : {size_t(0), size_t(13), size_t(8193)}) {
          SCOPED_TRACE(std::string(c.label) + "/" + h.label + (compress ? " compressed " : " ") +
                       std::to_string(size));
          auto content = rng.Bytes(size);
          std::string p = mem / "file.bin";
          test::WriteFile(p, content);
          EngineSettings s = QuickSettings();
          s.cipherIndex = c.index;
          s.hashIndex = h.index;
          s.compress = compress;
          EXPECT_GE(EncryptOneFile(p, "pässword", s, sink), 0);
          EXPECT_EQ(mem.Names(), std::vector<std::string>{"file.bin.VELT"});
          ASSERT_TRUE(HasMetaInfo(p + ".VELT"));
          auto f = platform::File::Open(p + ".VELT", platform::OpenMode::Read);
          std::string problem;
          auto meta = ReadMetaInfo(f, problem);
          ASSERT_TRUE(meta) << problem;
          f.Close();
          EXPECT_EQ(meta->cipherIndex, c.index);
          EXPECT_EQ(meta->hashIndex, h.index);
          EXPECT_EQ(meta->compression, compress ? 0 : -1);
          if (!compress) {
            EXPECT_EQ(test::ReadFile(p + ".VELT").size(), size + 36);
          }
          EXPECT_EQ(DecryptOneFile(p + ".VELT", "pässword", true, s, noMeta, sink).outcome,
                    Decrypted);
          // Only the weak check value vouched for an uncompressed payload: its file stays.
          const std::vector<std::string> kept = {"file.bin", "file.bin.VELT(orig)"};
          EXPECT_EQ(mem.Names(), compress ? std::vector<std::string>{"file.bin"} : kept);
          ASSERT_EQ(ReadFile(p), content);
          std::remove(p.c_str());
          std::remove((p + ".VELT(orig)").c_str());
        }
      }
    }
  }
}

TEST_F(Pipeline, RoundTripsTheBoundarySizes) {
  for (int cipher : {0, 16, 13}) {
    for (bool compress : {false, true}) {
      for (size_t size : {0, 1, 12, 13, 8191, 8192, 8193, 65535, 65536, 131070, 1 << 20}) {
        SCOPED_TRACE("cipher " + std::to_string(cipher) + " size " + std::to_string(size) +
                     (compress ? " compressed" : ""));
        auto content = rng.Bytes(size);
        std::string p = make("data", content);
        EngineSettings s = QuickSettings();
        s.cipherIndex = cipher;
        s.compress = compress;
        EncryptOneFile(p, "pw", s, sink);
        EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink).outcome, Decrypted);
        ASSERT_EQ(ReadFile(p), content);
        std::remove(p.c_str());
      }
    }
  }
}

TEST_F(Pipeline, EmptyFileIsTheRecordAlone) {
  std::string p = make("empty", 0);
  EngineSettings s = QuickSettings();
  s.compress = false;
  EncryptOneFile(p, "pw", s, sink);
  auto enc = ReadFile(p + ".VELT");
  ASSERT_EQ(enc.size(), 36u);
  MetaInfo m = MetaInfo::Parse(enc.data());
  EXPECT_EQ(m.checkValue, 0);
  EXPECT_EQ(m.compression, -1);

  // Compressed: the cipher output of the 8-byte empty zlib stream, then the record.
  p = make("empty2", 0);
  s.compress = true;
  EncryptOneFile(p, "pw", s, sink);
  EXPECT_EQ(ReadFile(p + ".VELT").size(), 44u);

  // Without meta information an empty file stays empty.
  p = make("empty3", 0);
  s.compress = false;
  s.addMetaInfo = false;
  EncryptOneFile(p, "pw", s, sink);
  EXPECT_TRUE(ReadFile(p + ".VELT").empty());
}

// Every combination of the four flags: which names exist afterwards, and the way back.
TEST_F(Pipeline, OptionCombinations) {
  for (int bits = 0; bits < 16; ++bits) {
    EngineSettings s = QuickSettings();
    s.addExtension = bits & 1;
    s.deleteOriginal = bits & 2;
    s.secureDelete = bits & 4;
    s.addMetaInfo = bits & 8;
    s.compress = s.addMetaInfo;  // meta information can be left out only when not compressing
    SCOPED_TRACE(::testing::Message() << "ext " << s.addExtension << " del " << s.deleteOriginal
                                      << " sec " << s.secureDelete << " meta " << s.addMetaInfo);
    test::TempDir local;
    auto content = rng.Bytes(70000);
    std::string p = local / "report.doc";
    test::WriteFile(p, content);
    EncryptOneFile(p, "pw", s, sink);

    std::vector<std::string> expected;
    if (s.addExtension) expected.push_back("report.doc.VELT");
    if (!s.addExtension || !s.deleteOriginal) expected.push_back("report.doc");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(local.Names(), expected);
    std::string enc = s.addExtension ? p + ".VELT" : p;
    EXPECT_EQ(HasMetaInfo(enc), s.addMetaInfo);
    if (s.addExtension && !s.deleteOriginal) {
      EXPECT_EQ(ReadFile(p), content);
    }

    if (s.addExtension && !s.deleteOriginal) std::remove(p.c_str());
    DecryptionOptions opts;
    opts.deleteOriginal = true;
    EXPECT_EQ(DecryptOneFile(enc, "pw", s.addMetaInfo, s, opts, sink).outcome, Decrypted);
    EXPECT_EQ(local.Names(), std::vector<std::string>{"report.doc"});
    EXPECT_EQ(ReadFile(p), content);
  }
}

TEST_F(Pipeline, EncryptingTwiceReplacesTheEncryptedFile) {
  EngineSettings s = QuickSettings();
  s.deleteOriginal = false;
  std::string p = make("report.doc", 5000);
  EncryptOneFile(p, "one", s, sink);
  EncryptOneFile(p, "two", s, sink);
  ExpectNames({"report.doc", "report.doc.VELT"});
  std::remove(p.c_str());
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "two", true, s, noMeta, sink).outcome, Decrypted);
}

// What the engine does about a file already under the result's name, by policy: an older
// encrypted file may be replaced, somebody's own file never is.
TEST_F(Pipeline, ExistingResultNames) {
  EngineSettings s = QuickSettings();
  s.deleteOriginal = false;
  const std::string p = make("report", 3000);
  const auto content = ReadFile(p);
  const std::vector<uint8_t> plainFile = {'m', 'i', 'n', 'e'};
  EncryptOneFile(p, "old", s, sink);
  const auto olderEncrypted = ReadFile(p + ".VELT");
  struct Row {
    const char* what;
    std::vector<uint8_t> existing;
    bool replace, refused;
  };
  for (const Row& r :
       std::vector<Row>{{"a plain file, replacing allowed", plainFile, true, true},
                        {"a plain file, refusing", plainFile, false, true},
                        {"an older encrypted file, refusing", olderEncrypted, false, true},
                        {"an older encrypted file, replacing", olderEncrypted, true, false}}) {
    SCOPED_TRACE(r.what);
    test::WriteFile(p + ".VELT", r.existing);
    EncryptOptions o;
    o.replaceEncrypted = r.replace;
    if (r.refused) {
      try {
        EncryptOneFile(p, "new", s, sink, o);
        ADD_FAILURE() << "not refused";
      } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find(p + ".VELT"), std::string::npos) << e.what();
        EXPECT_EQ(e.File(), p);
      }
      EXPECT_EQ(ReadFile(p + ".VELT"), r.existing);
    } else {
      EncryptOneFile(p, "new", s, sink, o);
      EXPECT_NE(ReadFile(p + ".VELT"), r.existing);
    }
    EXPECT_EQ(ReadFile(p), content);
    ExpectNames({"report", "report.VELT"});
  }

  // Decryption replaces an older plaintext unless told not to.
  const auto encrypted = ReadFile(p + ".VELT");
  test::WriteFile(p, plainFile);
  DecryptOptions refuse;
  refuse.replaceExisting = false;
  EXPECT_THROW(DecryptOneFile(p + ".VELT", "new", true, s, noMeta, sink, refuse), EngineError);
  EXPECT_EQ(ReadFile(p), plainFile);
  EXPECT_EQ(ReadFile(p + ".VELT"), encrypted);
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "new", true, s, noMeta, sink).outcome, Decrypted);
  EXPECT_EQ(ReadFile(p), content);
}

// An uncompressed payload has only the weak check value: its encrypted file is kept and the
// user told, unless the caller asks for it to go.
TEST_F(Pipeline, UncheckedPayloadsKeepTheirEncryptedFile) {
  EngineSettings s = QuickSettings();
  s.compress = false;
  const std::string p = make("doc", 4000);
  const auto content = ReadFile(p);
  EncryptOneFile(p, "pw", s, sink);
  const auto encrypted = ReadFile(p + ".VELT");
  FileReport report;
  DecryptOptions run;
  run.report = &report;
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink, run).outcome, Decrypted);
  ExpectNames({"doc", "doc.VELT(orig)"});
  EXPECT_EQ(ReadFile(p + ".VELT(orig)"), encrypted);
  EXPECT_TRUE(report.keptEncrypted);
  ASSERT_EQ(report.notes.size(), 1u);
  EXPECT_NE(report.notes[0].find("doc.VELT(orig)"), std::string::npos) << report.notes[0];

  std::remove((p + ".VELT(orig)").c_str());
  EncryptOneFile(p, "pw", s, sink);
  run.keepUnchecked = false;
  report = {};
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink, run).outcome, Decrypted);
  ExpectNames({"doc"});
  EXPECT_EQ(ReadFile(p), content);
  EXPECT_FALSE(report.keptEncrypted);
}

TEST_F(Pipeline, StatusTextsComeInTheirOrder) {
  EngineSettings s = QuickSettings();
  s.secureDelete = true;
  std::string p = make("a.txt", 100000);
  EncryptOneFile(p, "pw", s, sink);
  EXPECT_EQ(sink.Statuses(), (std::vector<std::string>{
                                 "Compressing", "Encrypting", "Deleting Orignal File (Securely)",
                                 "Deleting Temporary File (Securely)", "Encryption Complete"}));
  EXPECT_EQ(sink.calls().front().kind, 'B');
  EXPECT_EQ(sink.calls()[1].text, "a.txt");
  test::RecordingSink dec;
  DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, dec);
  EXPECT_EQ(dec.Statuses(),
            (std::vector<std::string>{"Decrypting", "Decompressing", "Decryption Complete"}));

  test::RecordingSink plain;
  s.compress = false;
  s.secureDelete = false;
  p = make("b.txt", 100);
  EncryptOneFile(p, "pw", s, plain);
  EXPECT_EQ(plain.Statuses(),
            (std::vector<std::string>{"Creating Temp file", "Encrypting", "Deleting Orignal File",
                                      "Deleting Temporary File", "Encryption Complete"}));
}

TEST_F(Pipeline, CipherProgressIsAPercentageOfTheWholeSource) {
  EngineSettings s = QuickSettings();
  s.compress = false;
  std::string p = make("big", 8192 * 8);
  EncryptOneFile(p, "pw", s, sink);
  // 8 chunks of the working copy: 12.5% rounds to 12, 37.5% to 38 (halves to even).
  EXPECT_EQ(sink.Values('P'), (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  test::RecordingSink dec;
  DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, dec);
  // The total is the whole encrypted file, record included: never quite 100.
  auto d = dec.Values('P');
  ASSERT_EQ(d.size(), 8u);
  EXPECT_EQ(d.back(), 100);  // 65536 / 65572 rounds to 100
  EXPECT_EQ(d.front(), 12);
}

TEST_F(Pipeline, NamingRulesOnDecryption) {
  EngineSettings s = QuickSettings();
  s.deleteOriginal = false;
  auto content = rng.Bytes(300);
  std::string base = make("report.doc", content);
  EncryptOneFile(base, "pw", s, sink);
  auto encrypted = ReadFile(base + ".VELT");
  std::remove(base.c_str());

  struct Case {
    std::string name, extension, result;
  };
  for (const Case& c :
       {Case{"report.doc.VELT", "VELT", "report.doc"},
        Case{"report.doc.VELT", "ABC", "report.doc"},  // rule a, whatever the setting
        Case{"report.doc.ABC", "ABC", "report.doc"},
        Case{"report.doc.velt", "VELT", "report.doc.velt"},  // case-sensitive
        Case{"report.doc.abc", "ABC", "report.doc.abc"},
        Case{"plain-name", "VELT", "plain-name"}}) {
    SCOPED_TRACE(c.name + " with extension " + c.extension);
    test::TempDir local;
    test::WriteFile(local / c.name, encrypted);
    if (c.result != c.name) test::WriteFile(local / c.result, "an older file that is replaced");
    EngineSettings es = s;
    es.extension = c.extension;
    EXPECT_EQ(DecryptOneFile(local / c.name, "pw", true, es, noMeta, sink).outcome, Decrypted);
    EXPECT_EQ(local.Names(), std::vector<std::string>{c.result});
    EXPECT_EQ(ReadFile(local / c.result), content);
  }
  EXPECT_EQ(DecryptedName("/x/.VELT", "VELT"), "/x/.VELT");
}

TEST_F(Pipeline, EncryptionWithAnotherExtension) {
  EngineSettings s = QuickSettings();
  s.extension = "ABC";
  std::string p = make("report.doc", 1000);
  auto content = ReadFile(p);
  EncryptOneFile(p, "pw", s, sink);
  ExpectNames({"report.doc.ABC"});
  DecryptOneFile(p + ".ABC", "pw", true, s, noMeta, sink);
  EXPECT_EQ(ReadFile(p), content);
}

TEST_F(Pipeline, FilesWithoutMetaInformation) {
  EngineSettings s = QuickSettings();
  s.compress = false;
  s.addMetaInfo = false;
  auto content = rng.Bytes(5000);
  std::string p = make("report.doc", content);
  EncryptOneFile(p, "pw", s, sink);
  auto encrypted = ReadFile(p + ".VELT");

  DecryptionOptions keep;
  keep.deleteOriginal = false;
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", false, s, keep, sink).outcome, Decrypted);
  ExpectNames({"report.doc", "report.doc.VELT(orig)"});
  EXPECT_EQ(ReadFile(p), content);
  EXPECT_EQ(ReadFile(p + ".VELT(orig)"), encrypted);

  // No check without the record: a wrong password gives meaningless bytes, never -1.
  test::WriteFile(p + ".VELT", encrypted);
  std::remove(p.c_str());
  DecryptionOptions drop;
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "wrong", false, s, drop, sink).outcome, Decrypted);
  ExpectNames({"report.doc", "report.doc.VELT(orig)"});
  EXPECT_NE(ReadFile(p), content);
  EXPECT_EQ(ReadFile(p).size(), content.size());

  // A kept "(orig)" file is never overwritten by the next one, which takes the next number.
  test::WriteFile(p + ".VELT", encrypted);
  test::WriteFile(p + ".VELT(orig)", std::vector<uint8_t>{1, 2, 3});
  std::remove(p.c_str());
  EXPECT_EQ(DecryptOneFile(p + ".VELT", "pw", false, s, keep, sink).outcome, Decrypted);
  ExpectNames({"report.doc", "report.doc.VELT(orig 2)", "report.doc.VELT(orig)"});
  EXPECT_EQ(ReadFile(p + ".VELT(orig 2)"), encrypted);
  EXPECT_EQ(ReadFile(p + ".VELT(orig)"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(Pipeline, ACompressedFileWithoutRecordDecryptsToTheZlibStream) {
  EngineSettings s = QuickSettings();
  s.addMetaInfo = false;  // not possible through the dialog, but the engine allows it
  std::string p = make("x", 3000);
  EncryptOneFile(p, "pw", s, sink);
  DecryptOneFile(p + ".VELT", "pw", false, s, noMeta, sink);
  EXPECT_EQ(ReadFile(p)[0], 0x78);
}

#ifndef _WIN32
// POSIX permission bits; the Windows attributes have win32/attributes_test.cpp.
TEST_F(Pipeline, AttributesAreKept) {
  EngineSettings s = QuickSettings();
  s.deleteOriginal = false;
  std::string p = make("ro.txt", 2000);
  ::chmod(p.c_str(), 0444);
  EncryptOneFile(p, "pw", s, sink);
  EXPECT_EQ(test::FileMode(p), 0444u);
  EXPECT_EQ(test::FileMode(p + ".VELT"), 0444u);
  std::remove(p.c_str());
  ::chmod((p + ".VELT").c_str(), 0640);
  DecryptOneFile(p + ".VELT", "pw", true, s, noMeta, sink);
  EXPECT_EQ(test::FileMode(p), 0640u);

  // Encrypted in place under its own name, then decrypted in place.
  s.addExtension = false;
  ::chmod(p.c_str(), 0400);
  auto content = ReadFile(p);
  EncryptOneFile(p, "pw", s, sink);
  EXPECT_EQ(test::FileMode(p), 0400u);
  EXPECT_TRUE(HasMetaInfo(p));
  DecryptOneFile(p, "pw", true, s, noMeta, sink);
  EXPECT_EQ(ReadFile(p), content);
  EXPECT_EQ(test::FileMode(p), 0400u);
}
#endif

TEST_F(Pipeline, HashSevenIsSha384) {
  EngineSettings s = QuickSettings();
  s.hashIndex = 7;
  s.compress = false;
  std::string p = make("x", 100);
  auto content = ReadFile(p);
  EncryptOneFile(p, "pw", s, sink);
  auto enc = ReadFile(p + ".VELT");
  EXPECT_EQ(MetaInfo::Parse(&enc[enc.size() - 36]).hashIndex, 7);
  // Keyed by the SHA-384 digest's first 448 bits: encrypt the same bytes by hand.
  auto c = crypto::CreateCipher(0);
  c->InitWithPassword("pw", *crypto::FindHash(7)->cls);
  std::vector<uint8_t> expect = content;
  c->EncryptBytes(expect.data(), expect.data(), expect.size());
  EXPECT_EQ(std::vector<uint8_t>(enc.begin(), enc.end() - 36), expect);
}

TEST(SecureDelete, FillsEachBlockWithTheNextGeneratorValue) {
  test::TempDir dir;
  // The generator as documented, written out independently.
  auto expectedValues = [](int n) {
    std::vector<uint8_t> v;
    uint32_t state = 0;
    for (int i = 0; i < n; ++i) {
      state = state * 134775813u + 1u;
      v.push_back(uint8_t((uint64_t(state) * 255u) >> 32));
    }
    return v;
  };
  struct Case {
    size_t size;
    std::vector<size_t> blockLengths;
    std::vector<int> bars;
  };
  for (const Case& c : {Case{65535, {65535}, {}}, Case{65536, {65535, 1}, {0}},
                        Case{131070, {65535, 65535}, {50}}, Case{10, {10}, {}}}) {
    SCOPED_TRACE(c.size);
    std::string p = dir / "victim";
    test::WriteFile(p, std::vector<uint8_t>(c.size, 0xEE));
    ResetFillGenerator();
    test::RecordingSink sink;
    {
      auto f = platform::File::Open(p, platform::OpenMode::ReadWrite);
      SecureOverwrite(f, sink);
    }
    auto data = ReadFile(p);
    ASSERT_EQ(data.size(), c.size);
    auto values = expectedValues(int(c.blockLengths.size()));
    size_t off = 0;
    for (size_t b = 0; b < c.blockLengths.size(); ++b) {
      for (size_t i = 0; i < c.blockLengths[b]; ++i)
        ASSERT_EQ(data[off + i], values[b]) << "block " << b << " byte " << i;
      off += c.blockLengths[b];
    }
    EXPECT_EQ(sink.Values('B'), c.bars);
    SecureDeleteFile(p, sink);
    EXPECT_FALSE(std::filesystem::exists(p));
  }
}

}  // namespace
}  // namespace velt::engine
