// The meta information record, the check value and the recognition rule.
#include <gtest/gtest.h>

#include "crypto/bytes.h"
#include "crypto/hex.h"
#include "engine/meta_info.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"

namespace velt::engine {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(MetaInfoRecord, MatchesTheDocumentedExampleByteForByte) {
  MetaInfo m;
  m.cipherIndex = 16;
  m.hashIndex = 6;
  m.compression = -1;
  m.compressionEngine = 0;
  m.checkValue = -3;
  auto r = m.Serialize();
  EXPECT_EQ(crypto::ToHex(r.data(), r.size()),
            "0456454c540101000c00000006000000100000"
            "00ffffffff00000000fdffffff24000000");
  MetaInfo back = MetaInfo::Parse(r.data());
  EXPECT_EQ(back.cipherIndex, 16);
  EXPECT_EQ(back.hashIndex, 6);
  EXPECT_EQ(back.compression, -1);
  EXPECT_EQ(back.checkValue, -3);
  EXPECT_EQ(back.recordLength, 36);
}

TEST(CheckValue, WorkedExamplesAndBoundaries) {
  TempDir dir;
  struct Case {
    std::vector<uint8_t> content;
    int32_t expected;
  };
  std::string alphabet = "abcdefghijklm";
  std::vector<Case> cases = {
      {std::vector<uint8_t>(alphabet.begin(), alphabet.end()), 7},  // s = 5254820655
      {std::vector<uint8_t>(13, 0xFF), -3},
      {std::vector<uint8_t>(12, 0x7F), 0},  // twelve bytes: always 0
      {{}, 0},
      {std::vector<uint8_t>(1, 9), 0},
  };
  // The 13th byte and beyond never count.
  auto longer = cases[0].content;
  longer.insert(longer.end(), {1, 2, 3, 4, 5});
  cases.push_back({longer, 7});
  // Three INT32_MAX: the sum needs 64 bits (6442450941 % 11 = 5).
  std::vector<uint8_t> big(13, 0);
  for (int i = 0; i < 3; ++i) crypto::StoreLe32(&big[size_t(4 * i)], 0x7FFFFFFF);
  cases.push_back({big, int32_t(6442450941LL % 11)});
  for (size_t i = 0; i < cases.size(); ++i) {
    std::string p = dir / ("f" + std::to_string(i));
    WriteFile(p, cases[i].content);
    EXPECT_EQ(ComputeCheckValue(p), cases[i].expected) << "case " << i;
  }
}

TEST(HasMetaInfo, RecognisesOnlyASignatureWhereTheLengthPoints) {
  TempDir dir;
  MetaInfo m;
  auto rec = m.Serialize();
  std::vector<uint8_t> body(100, 0x33);

  std::vector<uint8_t> good = body;
  good.insert(good.end(), rec.begin(), rec.end());
  WriteFile(dir / "good.VELT", good);
  EXPECT_TRUE(HasMetaInfo(dir / "good.VELT"));

  // Renaming changes nothing: the record does not know the name.
  std::rename((dir / "good.VELT").c_str(), (dir / "renamed.txt").c_str());
  EXPECT_TRUE(HasMetaInfo(dir / "renamed.txt"));

  // The record alone (an empty original) is recognised too.
  WriteFile(dir / "record-only", std::vector<uint8_t>(rec.begin(), rec.end()));
  EXPECT_TRUE(HasMetaInfo(dir / "record-only"));

  EXPECT_FALSE(HasMetaInfo(dir / "missing"));
  WriteFile(dir / "three", std::vector<uint8_t>{1, 2, 3});
  EXPECT_FALSE(HasMetaInfo(dir / "three"));
  WriteFile(dir / "empty", std::vector<uint8_t>{});
  EXPECT_FALSE(HasMetaInfo(dir / "empty"));

  // "VELT" elsewhere in the file, but the last four bytes point somewhere else.
  std::vector<uint8_t> elsewhere = good;
  elsewhere.insert(elsewhere.end(), {0, 0, 0, 0, 8, 0, 0, 0});
  WriteFile(dir / "elsewhere", elsewhere);
  EXPECT_FALSE(HasMetaInfo(dir / "elsewhere"));

  // Lengths that leave no five readable bytes: negative, huge, pointing past the start.
  for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, 200u, 3u}) {
    std::vector<uint8_t> bad = body;
    uint8_t l[4];
    crypto::StoreLe32(l, length);
    bad.insert(bad.end(), l, l + 4);
    WriteFile(dir / "bad", bad);
    EXPECT_FALSE(HasMetaInfo(dir / "bad")) << length;
  }

  // Only the signature is tested: a record length of 40 whose signature is found counts.
  std::vector<uint8_t> odd = body;
  odd.insert(odd.end(), rec.begin(), rec.end() - 4);
  odd.insert(odd.end(), {0, 0, 0, 0});
  uint8_t l40[4];
  crypto::StoreLe32(l40, 40);
  odd.insert(odd.end(), l40, l40 + 4);
  WriteFile(dir / "odd", odd);
  EXPECT_TRUE(HasMetaInfo(dir / "odd"));
}

TEST(ReadMetaInfo, RefusesWhatNoWriterProduces) {
  TempDir dir;
  struct Case {
    const char* what;
    int offset;
    uint32_t value;
  };
  for (Case c : {Case{"record length", 32, 40}, Case{"cipher index", 16, 19},
                 Case{"negative cipher", 16, 0xFFFFFFFF}, Case{"hash index", 12, 10},
                 Case{"compression", 20, 1}, Case{"signature", 0, 0x544C4505}}) {
    MetaInfo m;
    auto rec = m.Serialize();
    crypto::StoreLe32(&rec[size_t(c.offset)], c.value);
    std::vector<uint8_t> file(50, 1);
    file.insert(file.end(), rec.begin(), rec.end());
    WriteFile(dir / "f", file);
    auto f = platform::File::Open(dir / "f", platform::OpenMode::Read);
    std::string problem;
    EXPECT_FALSE(ReadMetaInfo(f, problem).has_value()) << c.what;
    EXPECT_NE(problem.find("damaged"), std::string::npos) << problem;
  }
}

}  // namespace
}  // namespace velt::engine
