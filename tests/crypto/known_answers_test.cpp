// Every known answer in tests/data, and every class's built-in self-check.
#include <gtest/gtest.h>

#include <cstring>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/vec_file.h"

namespace velt::crypto {
namespace {

const HashEntry* HashByName(const std::string& name) {
  for (const auto& e : HashCatalogue())
    if (name == e.engineName) return e.cls ? &e : nullptr;
  return nullptr;
}

const CipherEntry* CipherByLabel(const std::string& label) {
  for (const auto& e : CipherCatalogue())
    if (label == e.label) return e.cls ? &e : nullptr;
  return nullptr;
}

TEST(KnownAnswers, Hashes) {
  auto records = test::ReadVecFolder("hashes");
  ASSERT_FALSE(records.empty());
  for (const auto& r : records) {
    SCOPED_TRACE(r.section + " record at line " + std::to_string(r.line));
    const HashEntry* e = HashByName(r.section);
    ASSERT_NE(e, nullptr) << "no hash named " << r.section;
    auto msg = FromHex(r.at("In"));
    auto expected = r.at("Out");
    std::vector<uint8_t> digest(size_t(e->cls->hashSize / 8));

    auto h = e->cls->create();
    h->StartHash();
    h->AddBytes(msg.data(), msg.size());
    h->FinishHash(digest.data());
    EXPECT_EQ(ToHex(digest), expected);

    // The same message fed one byte at a time, and split at every 7th byte.
    for (size_t step : {size_t(1), size_t(7)}) {
      h->StartHash();
      for (size_t i = 0; i < msg.size(); i += step)
        h->AddBytes(msg.data() + i, std::min(step, msg.size() - i));
      h->FinishHash(digest.data());
      EXPECT_EQ(ToHex(digest), expected) << "fed in pieces of " << step;
    }
  }
}

TEST(KnownAnswers, Ciphers) {
  auto records = test::ReadVecFolder("ciphers");
  ASSERT_FALSE(records.empty());
  for (const auto& r : records) {
    SCOPED_TRACE(r.section + " record at line " + std::to_string(r.line));
    const CipherEntry* e = CipherByLabel(r.section);
    ASSERT_NE(e, nullptr) << "no cipher labelled " << r.section;
    auto key = FromHex(r.at("Key"));
    auto in = FromHex(r.at("In"));
    auto out = FromHex(r.at("Out"));
    ASSERT_EQ(in.size(), out.size());
    auto c = e->cls->create();
    c->InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
    std::vector<uint8_t> got(in.size());
    if (auto* b = dynamic_cast<TCrypt_blockcipher*>(c.get())) {
      ASSERT_EQ(in.size(), size_t(b->BlockSize() / 8));
      b->EncryptBlock(in.data(), got.data());
      EXPECT_EQ(ToHex(got), ToHex(out));
      b->DecryptBlock(out.data(), got.data());
      EXPECT_EQ(ToHex(got), ToHex(in));
    } else {
      c->EncryptBytes(in.data(), got.data(), in.size());
      EXPECT_EQ(ToHex(got), ToHex(out));
      c->RestartChain();
      c->DecryptBytes(out.data(), got.data(), out.size());
      EXPECT_EQ(ToHex(got), ToHex(in));
    }
  }
}

TEST(KnownAnswers, EveryRegisteredClassPassesItsSelfCheck) {
  for (const auto& e : HashCatalogue()) {
    if (!e.cls) continue;
    EXPECT_TRUE(e.cls->selfCheck()) << e.label;
    EXPECT_TRUE(e.cls->create()->SelfCheck()) << e.label;
  }
  for (const auto& e : CipherCatalogue()) {
    if (!e.cls) continue;
    EXPECT_TRUE(e.cls->selfCheck()) << e.label;
    EXPECT_TRUE(e.cls->create()->SelfCheck()) << e.label;
  }
}

}  // namespace
}  // namespace velt::crypto
