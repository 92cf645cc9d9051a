// Our hashes against independent implementations (OpenSSL's libcrypto, Crypto++) on a few
// hundred random messages, fed whole and in random pieces.
#include <cryptopp/ripemd.h>
#include <cryptopp/tiger.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <functional>
#include <utility>

#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/openssl_providers.h"
#include "tests/support/random_bytes.h"

namespace velt::crypto {
namespace {

using Reference = std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)>;

Reference Openssl(const char* name) {
  return [name](const std::vector<uint8_t>& msg) {
    test::LoadOpensslLegacyProviders();
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    if (!md) throw std::runtime_error(std::string("OpenSSL has no ") + name);
    std::vector<uint8_t> out(size_t(EVP_MD_get_size(md)));
    unsigned len = 0;
    EVP_Digest(msg.data(), msg.size(), out.data(), &len, md, nullptr);
    EVP_MD_free(md);
    return out;
  };
}

template <class Hash>
Reference Cryptopp() {
  return [](const std::vector<uint8_t>& msg) {
    Hash h;
    std::vector<uint8_t> out(Hash::DIGESTSIZE);
    h.CalculateDigest(out.data(), msg.data(), msg.size());
    return out;
  };
}

void ExpectMatches(int hashIndex, const Reference& reference) {
  const HashEntry* e = FindHash(hashIndex);
  ASSERT_NE(e, nullptr);
  test::Rng rng(uint64_t(hashIndex) * 1000 + 1);
  auto h = e->cls->create();
  std::vector<uint8_t> digest(size_t(e->cls->hashSize / 8));
  for (int i = 0; i < 300; ++i) {
    auto msg = rng.Bytes(rng.Below(1001));
    auto expected = ToHex(reference(msg));
    h->StartHash();
    h->AddBytes(msg.data(), msg.size());
    h->FinishHash(digest.data());
    ASSERT_EQ(ToHex(digest), expected) << e->label << " length " << msg.size();
    h->StartHash();
    for (size_t p = 0; p < msg.size();) {
      size_t n = std::min(msg.size() - p, rng.Below(150));
      h->AddBytes(msg.data() + p, n);
      p += n;
    }
    h->FinishHash(digest.data());
    ASSERT_EQ(ToHex(digest), expected) << e->label << " in pieces, length " << msg.size();
  }
}

TEST(HashDifferential, EveryHashAgreesWithAnIndependentLibrary) {
  // HAVAL is missing: no library pads it the way we do (see haval_test.cpp).
  const std::pair<int, Reference> cases[] = {
      {0, Openssl("MD5")},
      {1, Openssl("MD4")},
      {3, Cryptopp<CryptoPP::RIPEMD128>()},
      {4, Openssl("RIPEMD160")},
      {5, Openssl("SHA1")},
      {6, Openssl("SHA256")},
      {7, Openssl("SHA384")},
      {8, Openssl("SHA512")},
      {9, Cryptopp<CryptoPP::Tiger>()},  // first padding (01), as ours
  };
  for (const auto& [index, reference] : cases) ExpectMatches(index, reference);
}

}  // namespace
}  // namespace velt::crypto
