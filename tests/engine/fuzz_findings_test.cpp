// Inputs the fuzz targets (tests/fuzz/) found trouble with, kept as ordinary tests.
#include <gtest/gtest.h>
#include <zlib.h>

#include "crypto/stream.h"
#include "engine/parallel_deflate.h"
#include "engine/tzip.h"
#include "engine/zstream.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/memory_stream.h"

namespace velt::engine {
namespace {

// The first block of the parallel compressor has no dictionary to copy: copying from an empty
// vector's null data pointer was undefined behaviour (caught by the undefined-behaviour
// sanitizer on the fuzz target tzip with an empty and a 9-byte input).
TEST(FuzzFindings, ParallelCompressionOfEmptyAndTinyInputs) {
  // The fastest level's blocks may come from another deflate (ISA-L): the same edges.
  for (CompressionLevel level : {CompressionLevel::Default, CompressionLevel::Fastest}) {
    for (size_t size : {size_t(0), size_t(1), size_t(9), size_t(64), size_t(65), size_t(129)}) {
      std::vector<uint8_t> input(size);
      for (size_t i = 0; i < size; ++i) input[i] = uint8_t(i * 7 + 1);
      test::TMemoryStream src(input), dst;
      ParallelDeflateOptions o;
      o.threads = 2;
      o.blockSize = 64;
      ParallelDeflate(src, dst, level, o);
      std::vector<uint8_t> back(size + 1);
      uLongf n = uLongf(back.size());
      ASSERT_EQ(uncompress(back.data(), &n, dst.Bytes().data(), uLong(dst.Bytes().size())), Z_OK)
          << size;
      back.resize(n);
      EXPECT_EQ(back, input) << size;
    }
  }
}

// When its output space runs out, zlib may hold more output for input it has already taken
// (the rest of a long match). A source that ended right there lost that output in the pull
// stream, and a last piece written there lost it in the push writer (found by the fuzz target
// tzip on a truncated stream read in 38-byte pieces). Both inflate back ends must match zlib.
TEST(FuzzFindings, TruncatedStreamsGiveAllTheOutputZlibHas) {
  // Runs of one letter compress to long matches, so output boundaries fall inside them.
  std::vector<uint8_t> input(140000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = uint8_t('a' + (i / 1000) % 7);
  std::vector<uint8_t> stream(compressBound(uLong(input.size())));
  uLongf streamSize = uLongf(stream.size());
  ASSERT_EQ(compress2(stream.data(), &streamSize, input.data(), uLong(input.size()), 9), Z_OK);
  stream.resize(streamSize);

  test::ForEachInflateBackend([&] {
    int losses = 0;
    for (size_t cut = 2; cut < stream.size(); ++cut) {
      // zlib with room for everything at once.
      std::vector<uint8_t> expected(input.size());
      z_stream z{};
      ASSERT_EQ(inflateInit(&z), Z_OK);
      z.next_in = stream.data();
      z.avail_in = uInt(cut);
      z.next_out = expected.data();
      z.avail_out = uInt(expected.size());
      inflate(&z, Z_NO_FLUSH);
      expected.resize(z.total_out);
      inflateEnd(&z);

      test::TMemoryStream in(std::vector<uint8_t>(stream.begin(), stream.begin() + cut)), pulled;
      in.SetReadLimit(38);
      EXPECT_FALSE(Tzip::Decompress(in, cut, pulled)) << cut;
      test::TMemoryStream pushed;
      {
        TZInflatingWriter w(pushed);
        for (size_t at = 0; at < cut; at += 2)
          w.Write(stream.data() + at, std::min<size_t>(2, cut - at));
        EXPECT_FALSE(w.Ended());
      }
      losses += pulled.Bytes() != expected;
      losses += pushed.Bytes() != expected;
    }
    EXPECT_EQ(losses, 0);
  });
}

}  // namespace
}  // namespace velt::engine
