// HAVAL's compression function against the published HAVAL-256/5 values. Those use the
// reference final block, whose first pad byte is 01 where ours is 80, so the test rebuilds our
// hash from the same traits with pad byte 01; everything else about the final block is equal.
#include "crypto/hashes/haval.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "crypto/hex.h"

namespace velt::crypto {
namespace {

struct HavalReferencePadding : HavalAlgo {
  static constexpr uint8_t kPadByte = 0x01;
};
class HavalWithReferencePadding final
    : public MdHash<HavalWithReferencePadding, HavalReferencePadding> {};

struct Published {
  std::vector<uint8_t> msg;
  std::string digest;
};

// The [HAVAL_5_256] lines of the published vectors file: "<hex message or (empty)> <digest>".
std::vector<Published> PublishedHaval256Pass5() {
  std::ifstream in(std::string(VELT_TEST_DATA_DIR) + "/published-vectors.txt");
  std::vector<Published> rows;
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') inSection = line == "[HAVAL_5_256]";
    if (!inSection || line.empty() || line[0] == '#' || line[0] == '[') continue;
    std::istringstream fields(line);
    std::string msg, digest;
    fields >> msg >> digest;
    rows.push_back({msg == "(empty)" ? std::vector<uint8_t>{} : FromHex(msg), digest});
  }
  return rows;
}

TEST(Haval, CompressionReproducesPublishedValuesWithReferencePadding) {
  auto rows = PublishedHaval256Pass5();
  ASSERT_EQ(rows.size(), 6u);
  HavalWithReferencePadding h;
  uint8_t digest[32];
  for (const auto& r : rows) {
    h.StartHash();
    h.AddBytes(r.msg.data(), r.msg.size());
    h.FinishHash(digest);
    EXPECT_EQ(ToHex(digest, sizeof digest), r.digest) << ToHex(r.msg);
  }
}

}  // namespace
}  // namespace velt::crypto
