// The compression stage: zlib streams at the three levels, progress reports, and the edges of
// the decompressor (empty input, data after the stream, damage, truncation).
#include "engine/tzip.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <type_traits>

#include "crypto/hex.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/memory_stream.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace velt::engine {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<uint8_t> textLike(size_t n) {
  std::string words = "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu ";
  std::vector<uint8_t> v;
  test::Rng rng(n);
  while (v.size() < n) {
    size_t start = rng.Below(words.size() - 10);
    v.insert(v.end(), words.begin() + long(start), words.begin() + long(start) + 7);
  }
  v.resize(n);
  return v;
}

std::vector<uint8_t> zlibInflate(const std::vector<uint8_t>& in, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  uLongf len = uLongf(out.size());
  EXPECT_EQ(uncompress(out.data(), &len, in.data(), uLong(in.size())), Z_OK);
  out.resize(len);
  return out;
}

TEST(Tzip, LevelsWriteStandardZlibStreams) {
  TempDir dir;
  auto data = textLike(300000);
  WriteFile(dir / "src", data);
  struct Case {
    CompressionLevel level;
    const char* header;
  };
  for (Case c : {Case{CompressionLevel::Default, "789c"}, Case{CompressionLevel::Fastest, "7801"},
                 Case{CompressionLevel::Max, "78da"}}) {
    Tzip::Compress(dir / "src", dir / "z", c.level);
    auto z = ReadFile(dir / "z");
    EXPECT_EQ(crypto::ToHex(z.data(), 2), c.header);
    EXPECT_EQ(zlibInflate(z, data.size()), data);  // any zlib reads it
    EXPECT_TRUE(Tzip::Decompress(dir / "z", dir / "back"));
    EXPECT_EQ(ReadFile(dir / "back"), data);
  }
}

TEST(Tzip, EmptyInputIsTheEightByteStreamAndReportsNothing) {
  TempDir dir;
  WriteFile(dir / "empty", std::vector<uint8_t>{});
  int reports = 0;
  Tzip::Compress(dir / "empty", dir / "z", CompressionLevel::Default, [&](int) { ++reports; });
  EXPECT_EQ(crypto::ToHex(ReadFile(dir / "z")), "789c030000000001");
  EXPECT_EQ(reports, 0);
  EXPECT_TRUE(Tzip::Decompress(dir / "z", dir / "back"));
  EXPECT_TRUE(ReadFile(dir / "back").empty());
}

TEST(Tzip, ProgressMeasuresHowFarTheSourceWasRead) {
  TempDir dir;
  // Random data does not shrink: about 2 MB of output means ~31 full output buffers.
  test::Rng rng;
  auto data = rng.Bytes(2000000);
  WriteFile(dir / "src", data);
  std::vector<int> c;
  Tzip::Compress(dir / "src", dir / "z", CompressionLevel::Fastest, [&](int p) { c.push_back(p); });
  ASSERT_GE(c.size(), 25u);
  EXPECT_TRUE(std::is_sorted(c.begin(), c.end()));
  EXPECT_LE(c.back(), 100);

  std::vector<int> d;
  EXPECT_TRUE(Tzip::Decompress(dir / "z", dir / "back", [&](int p) { d.push_back(p); }));
  EXPECT_EQ(d.front(), 0);  // reported right after the first refill, before zlib consumed it
  EXPECT_TRUE(std::is_sorted(d.begin(), d.end()));
  EXPECT_EQ(ReadFile(dir / "back"), data);

  // A compressed form under 64 KiB: no report when compressing, one (0%) when decompressing.
  WriteFile(dir / "small", textLike(50000));
  c.clear();
  d.clear();
  Tzip::Compress(dir / "small", dir / "zs", CompressionLevel::Default,
                 [&](int p) { c.push_back(p); });
  EXPECT_TRUE(c.empty());
  Tzip::Decompress(dir / "zs", dir / "back", [&](int p) { d.push_back(p); });
  EXPECT_EQ(d, std::vector<int>{0});
}

TEST(Tzip, DataAfterTheStreamIsIgnoredAndDamageIsAnError) {
  TempDir dir;
  auto data = textLike(100000);
  WriteFile(dir / "src", data);
  Tzip::Compress(dir / "src", dir / "z", CompressionLevel::Default);
  auto z = ReadFile(dir / "z");

  auto trailing = z;
  trailing.insert(trailing.end(), 500, 0xAB);
  auto damaged = z;
  damaged[z.size() / 2] ^= 0xFF;
  damaged[z.size() / 2 + 1] ^= 0x55;
  auto badChecksum = z;
  badChecksum.back() ^= 0x01;
  // A header that is valid but for its preset-dictionary flag, one with a bad check, one
  // declaring a window beyond 32 KiB and one of another method.
  auto dictionary = z;
  dictionary[1] = 0xBB;
  auto badCheck = z;
  badCheck[1] ^= 0x01;
  auto bigWindow = z;
  bigWindow[0] = 0x88;
  bigWindow[1] = 0x1C;
  auto otherMethod = z;
  otherMethod[0] = 0x79;
  otherMethod[1] = 0x9A;
  const std::vector<uint8_t> garbage(1000, 0x11);

  test::ForEachInflateBackend([&] {
    WriteFile(dir / "trailing", trailing);
    EXPECT_TRUE(Tzip::Decompress(dir / "trailing", dir / "back"));
    EXPECT_EQ(ReadFile(dir / "back"), data);

    // Every kind of damage is zlib's "data error", whichever back end found it.
    using Case = std::pair<const char*, const std::vector<uint8_t>*>;
    for (const auto& [name, bad] :
         {Case{"damaged", &damaged}, Case{"checksum", &badChecksum},
          Case{"dictionary", &dictionary}, Case{"check", &badCheck}, Case{"window", &bigWindow},
          Case{"method", &otherMethod}, Case{"garbage", &garbage}}) {
      WriteFile(dir / "bad", *bad);
      try {
        Tzip::Decompress(dir / "bad", dir / "back");
        ADD_FAILURE() << name << " decompressed";
      } catch (const EZDecompressionError& e) {
        EXPECT_STREQ(e.what(), "data error");
      }
    }

    // A truncated stream stops without an error; the caller learns it did not end.
    WriteFile(dir / "truncated", std::vector<uint8_t>(z.begin(), z.begin() + long(z.size() / 2)));
    EXPECT_FALSE(Tzip::Decompress(dir / "truncated", dir / "back"));
  });
}

// The pull stream leaves what follows the zlib stream where it was, for whoever reads next,
// although the back end may have taken more input than the stream's length.
TEST(Tzip, ThePullStreamStopsExactlyAtTheEndOfTheZlibStream) {
  auto data = textLike(70000);
  std::vector<uint8_t> z(compressBound(uLong(data.size())));
  uLongf n = uLongf(z.size());
  ASSERT_EQ(compress2(z.data(), &n, data.data(), uLong(data.size()), 6), Z_OK);
  z.resize(n);
  const std::string after = "after the stream";
  z.insert(z.end(), after.begin(), after.end());
  test::ForEachInflateBackend([&] {
    for (size_t limit : {size_t(1), size_t(7), size_t(4096), size_t(1) << 20}) {
      test::TMemoryStream in(z), out;
      in.SetReadLimit(limit);
      EXPECT_TRUE(Tzip::Decompress(in, z.size(), out)) << limit;
      EXPECT_EQ(out.Bytes(), data) << limit;
      EXPECT_EQ(in.Position(), n) << limit;
    }
  });
}

TEST(ZStreams, WrongDirectionOperationsAreRefused) {
  // A one-way stream binds only where its half is wanted: misuse does not compile.
  static_assert(!std::is_convertible_v<TZCompressionStream*, crypto::TSource*>);
  static_assert(!std::is_convertible_v<TZDecompressionStream*, crypto::TSink*>);
  static_assert(!std::is_convertible_v<TZInflatingWriter*, crypto::TSource*>);
  test::TMemoryStream mem;
  TZCompressionStream c(mem, CompressionLevel::Default);
  uint8_t b[4];
  c.Write("abcd", 4);
  EXPECT_EQ(c.BytesIn(), 4u);  // the uncompressed bytes taken so far
  c.Finish();
  mem.Seek(0);
  TZDecompressionStream d(mem);
  EXPECT_EQ(d.Read(b, 4), 4u);
  EXPECT_EQ(std::string(b, b + 4), "abcd");
}

}  // namespace
}  // namespace velt::engine
