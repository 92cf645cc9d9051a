// The two-thread pipeline: everything written arrives in order, and an error of either stage
// stops both and reaches the caller.
#include "engine/pipe.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/random_bytes.h"

namespace velt::engine {
namespace {

TEST(TwoStagePipeline, CarriesEveryByteInOrderThroughASmallRing) {
  test::Rng rng(5);
  auto data = rng.Bytes(3 << 20);
  std::vector<uint8_t> got;
  RunPipeline(
      [&](crypto::TSink& out) {
        for (size_t i = 0; i < data.size();) {
          size_t n = std::min(data.size() - i, size_t(1 + rng.Below(70000)));
          out.Write(data.data() + i, n);
          i += n;
        }
      },
      [&](Pipe& in) {
        std::vector<uint8_t> piece(4099);
        while (size_t n = in.Read(piece.data(), piece.size()))
          got.insert(got.end(), piece.begin(), piece.begin() + long(n));
      },
      64 * 1024);
  EXPECT_EQ(got, data);
}

TEST(TwoStagePipeline, AProducerErrorReachesTheCaller) {
  EXPECT_THROW(RunPipeline(
                   [](crypto::TSink& out) {
                     out.Write("abc", 3);
                     throw std::runtime_error("read error");
                   },
                   [](Pipe& in) {
                     char b[16];
                     while (in.Read(b, sizeof b) > 0) {
                     }
                   }),
               std::runtime_error);
}

TEST(TwoStagePipeline, AConsumerErrorStopsTheProducer) {
  size_t written = 0;
  EXPECT_THROW(RunPipeline(
                   [&](crypto::TSink& out) {
                     std::vector<uint8_t> chunk(8192);
                     for (int i = 0; i < 100000; ++i) {  // far more than the ring holds
                       out.Write(chunk.data(), chunk.size());
                       written += chunk.size();
                     }
                   },
                   [](Pipe& in) {
                     char b[16];
                     in.Read(b, sizeof b);
                     throw std::logic_error("data error");
                   },
                   64 * 1024),
               std::logic_error);
  EXPECT_LT(written, size_t(1) << 20);
}

TEST(TwoStagePipeline, AConsumerThatStopsEarlyEndsTheProducerQuietly) {
  RunPipeline(
      [](crypto::TSink& out) {
        std::vector<uint8_t> chunk(8192, 1);
        for (int i = 0; i < 10000; ++i) out.Write(chunk.data(), chunk.size());
      },
      [](Pipe& in) {
        char b[100];
        EXPECT_EQ(in.Read(b, sizeof b), sizeof b);
      },
      64 * 1024);
}

}  // namespace
}  // namespace velt::engine
