// Inputs the fuzz targets (tests/fuzz/) found trouble with, kept as ordinary tests.
#include <gtest/gtest.h>
#include <zlib.h>

#include "crypto/stream.h"
#include "engine/parallel_deflate.h"

namespace velt::engine {
namespace {

// The first block of the parallel compressor has no dictionary to copy: copying from an empty
// vector's null data pointer was undefined behaviour (caught by the undefined-behaviour
// sanitizer on the fuzz target tzip with an empty and a 9-byte input).
TEST(FuzzFindings, ParallelCompressionOfEmptyAndTinyInputs) {
  for (size_t size : {size_t(0), size_t(1), size_t(9), size_t(64), size_t(65)}) {
    std::vector<uint8_t> input(size);
    for (size_t i = 0; i < size; ++i) input[i] = uint8_t(i * 7 + 1);
    crypto::TMemoryStream src(input), dst;
    ParallelDeflateOptions o;
    o.threads = 2;
    o.blockSize = 64;
    ParallelDeflate(src, dst, CompressionLevel::Default, o);
    std::vector<uint8_t> back(size + 1);
    uLongf n = uLongf(back.size());
    ASSERT_EQ(uncompress(back.data(), &n, dst.Bytes().data(), uLong(dst.Bytes().size())), Z_OK)
        << size;
    back.resize(n);
    EXPECT_EQ(back, input) << size;
  }
}

}  // namespace
}  // namespace velt::engine
