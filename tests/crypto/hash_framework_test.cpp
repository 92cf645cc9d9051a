// The hash lifecycle shared by every hash class.
#include <gtest/gtest.h>

#include "crypto/errors.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/random_bytes.h"

namespace velt::crypto {
namespace {

std::string DigestOf(TCrypt_hash& h, const std::vector<uint8_t>& msg) {
  std::vector<uint8_t> d(size_t(h.HashSize() / 8));
  h.StartHash();
  h.AddBytes(msg.data(), msg.size());
  h.FinishHash(d.data());
  return ToHex(d);
}

TEST(HashFramework, LifecycleAndErrors) {
  for (const auto& e : HashCatalogue()) {
    if (!e.cls) continue;
    SCOPED_TRACE(e.label);
    auto h = e.cls->create();
    EXPECT_EQ(h->Id(), e.cls->id);
    EXPECT_EQ(h->HashSize(), e.cls->hashSize);
    EXPECT_EQ(h->Algorithm(), e.cls->algorithm);
    EXPECT_FALSE(h->IsOpen());
    std::vector<uint8_t> d(size_t(e.cls->hashSize / 8));
    for (auto op : {0, 1, 2}) {
      try {
        if (op == 0) h->AddBytes("x", 1);
        if (op == 1) h->AddText("x");
        if (op == 2) h->FinishHash(d.data());
        ADD_FAILURE() << "closed hash accepted operation " << op;
      } catch (const ECrypt_hash& ex) {
        EXPECT_STREQ(ex.what(), "Hash not initialized");
      }
    }
    h->StartHash();
    EXPECT_TRUE(h->IsOpen());
    h->FinishHash(d.data());
    EXPECT_FALSE(h->IsOpen());
    EXPECT_THROW(h->FinishHash(d.data()), ECrypt_hash);  // one digest per StartHash

    // StartHash on an open object restarts it; Burn closes it.
    h->StartHash();
    h->AddText("discarded");
    auto empty = DigestOf(*h, {});
    auto fresh = e.cls->create();
    EXPECT_EQ(empty, DigestOf(*fresh, {}));
    h->StartHash();
    h->Burn();
    EXPECT_FALSE(h->IsOpen());
  }
}

TEST(HashFramework, AnySplitOfTheInputGivesTheSameDigest) {
  test::Rng rng(3);
  for (const auto& e : HashCatalogue()) {
    if (!e.cls) continue;
    SCOPED_TRACE(e.label);
    auto h = e.cls->create();
    for (size_t len : {0, 1, 55, 56, 63, 64, 65, 111, 112, 127, 128, 129, 300}) {
      auto msg = rng.Bytes(len);
      auto whole = DigestOf(*h, msg);
      for (size_t cut = 0; cut <= len; cut += (len < 20 ? 1 : 13)) {
        std::vector<uint8_t> d(size_t(h->HashSize() / 8));
        h->StartHash();
        h->AddBytes(msg.data(), cut);
        h->AddBytes(msg.data() + cut, len - cut);
        h->FinishHash(d.data());
        ASSERT_EQ(ToHex(d), whole) << "length " << len << " cut at " << cut;
      }
    }
  }
}

}  // namespace
}  // namespace velt::crypto
