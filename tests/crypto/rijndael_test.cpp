// Rijndael against OpenSSL's AES, through both the AES-instruction code and the table code.
#include "crypto/ciphers/rijndael.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "crypto/cipher_catalogue.h"
#include "crypto/hex.h"
#include "tests/crypto/block_oracle.h"
#include "tests/support/random_bytes.h"
#include "tests/support/vec_file.h"

namespace velt::test {
namespace {

using crypto::TCrypt_rijndael;
using Engine = TCrypt_rijndael::Engine;

constexpr int kRijndael = 16;

// Objects made while this lives use at most the given engine.
class EngineScope {
 public:
  explicit EngineScope(Engine e) { TCrypt_rijndael::LimitEngine(e); }
  ~EngineScope() { TCrypt_rijndael::LimitEngine(Engine::AesWide); }
};

bool CpuHas(Engine e) {
  EngineScope unlimited(Engine::AesWide);
  return TCrypt_rijndael::ActiveEngine() >= e;
}

const char* EngineName(Engine e) {
  switch (e) {
    case Engine::AesWide:
      return "Vaes";
    case Engine::Aes:
      return "AesNi";
    default:
      return "Tables";
  }
}

class RijndaelPaths : public ::testing::TestWithParam<Engine> {
 protected:
  void SetUp() override {
    if (!CpuHas(GetParam())) GTEST_SKIP() << "this CPU lacks " << EngineName(GetParam());
    scope_ = std::make_unique<EngineScope>(GetParam());
  }
  void TearDown() override { scope_.reset(); }
  std::unique_ptr<EngineScope> scope_;
};

TEST_P(RijndaelPaths, EngineIsTheOneAskedFor) {
  EXPECT_EQ(TCrypt_rijndael::ActiveEngine(), GetParam());
}

TEST_P(RijndaelPaths, KnownAnswers) {
  for (const auto& r : ReadVecFile("ciphers/rijndael.vec")) {
    SCOPED_TRACE("record at line " + std::to_string(r.line));
    auto key = crypto::FromHex(r.at("Key")), in = crypto::FromHex(r.at("In"));
    TCrypt_rijndael c;
    c.InitWithKey(key.data(), unsigned(key.size() * 8), nullptr);
    uint8_t block[16];
    c.EncryptBlock(in.data(), block);
    EXPECT_EQ(crypto::ToHex(block, 16), r.at("Out"));
    c.DecryptBlock(block, block);
    EXPECT_EQ(crypto::ToHex(block, 16), r.at("In"));
  }
  EXPECT_TRUE(TCrypt_rijndael::ClassSelfCheck());
}

// Key bits -> OpenSSL cipher and the length our key is zero-filled to. Short keys and the
// 160-bit one exercise the zero fill; 136 bits is the first length to switch to 12 rounds.
struct KeyCase {
  unsigned bits;
  const char* openssl;
  size_t keyBytes;
  int rounds;  // random keys tried
};
constexpr KeyCase kKeyCases[] = {
    {128, "AES-128-ECB", 16, 6}, {160, "AES-192-ECB", 24, 6}, {192, "AES-192-ECB", 24, 6},
    {256, "AES-256-ECB", 32, 6}, {64, "AES-128-ECB", 16, 2},  {136, "AES-192-ECB", 24, 2},
    {200, "AES-256-ECB", 32, 2},
};

TEST_P(RijndaelPaths, ModesMatchOpenSsl) {
  for (const auto& k : kKeyCases) {
    SCOPED_TRACE(std::to_string(k.bits) + "-bit key");
    ExpectModesMatchOracle(kRijndael, k.bits, OpensslEcb(k.openssl, k.keyBytes), k.bits, k.rounds);
  }
}

// The counter is 128 bits wide: carries run through all 16 bytes, and all-ones wraps to zero.
TEST_P(RijndaelPaths, CounterCarriesLikeOpenSslCtr) {
  Rng rng(7);
  auto key = rng.Bytes(32);
  for (const char* ivHex : {"000000000000000000fffffffffffffa", "fffffffffffffffffffffffffffffffd",
                            "0123456789abcdef0123456789abcdef"}) {
    SCOPED_TRACE(ivHex);
    auto iv = crypto::FromHex(ivHex);
    auto plain = rng.Bytes(16 * 21 + 5);
    std::vector<uint8_t> expected(plain.size());
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int len = 0;
    ASSERT_EQ(EVP_EncryptInit_ex(ctx, EVP_aes_256_ctr(), nullptr, key.data(), iv.data()), 1);
    ASSERT_EQ(EVP_EncryptUpdate(ctx, expected.data(), &len, plain.data(), int(plain.size())), 1);
    EVP_CIPHER_CTX_free(ctx);

    TCrypt_rijndael c;
    c.InitWithKey(key.data(), 256, iv.data());
    c.CipherMode = crypto::cmCTR;
    std::vector<uint8_t> got(plain.size());
    c.EncryptBytes(plain.data(), got.data(), plain.size());
    EXPECT_EQ(crypto::ToHex(got), crypto::ToHex(expected));
  }
}

INSTANTIATE_TEST_SUITE_P(, RijndaelPaths,
                         ::testing::Values(Engine::AesWide, Engine::Aes, Engine::None),
                         [](const auto& info) { return EngineName(info.param); });

// Long runs through every mode, in uneven pieces, must give the same bytes on every engine;
// this covers the unrolled loops far past the lengths of the OpenSSL comparison.
TEST(Rijndael, EnginesAgreeOnLongRuns) {
  std::vector<Engine> engines{Engine::None};
  for (Engine e : {Engine::Aes, Engine::AesWide})
    if (CpuHas(e)) engines.push_back(e);
  if (engines.size() == 1) GTEST_SKIP() << "only the table code runs on this CPU";
  Rng rng(11);
  for (unsigned bits : {128u, 192u, 256u}) {
    auto key = rng.Bytes(bits / 8);
    auto plain = rng.Bytes(100000 + 7);
    for (int m = 0; m <= crypto::cmCTR; ++m) {
      std::vector<uint8_t> reference;
      for (Engine e : engines) {
        SCOPED_TRACE(std::to_string(bits) + "-bit key, mode " + std::to_string(m) + ", " +
                     EngineName(e));
        EngineScope scope(e);
        TCrypt_rijndael c;
        c.InitWithKey(key.data(), bits, nullptr);
        c.CipherMode = crypto::TCrypt_ciphermode(m);
        std::vector<uint8_t> out(plain.size());
        // Whole-block pieces of varied size, then the rest with its partial block.
        size_t pos = 0;
        for (size_t piece : {size_t(16), size_t(48), size_t(8192), size_t(144), size_t(4096)}) {
          c.EncryptBytes(plain.data() + pos, out.data() + pos, piece);
          pos += piece;
        }
        c.EncryptBytes(plain.data() + pos, out.data() + pos, plain.size() - pos);
        if (reference.empty())
          reference = out;
        else
          ASSERT_EQ(crypto::ToHex(out), crypto::ToHex(reference));
        c.RestartChain();
        c.DecryptBytes(out.data(), out.data(), out.size());
        ASSERT_EQ(out, plain);
      }
    }
  }
}

}  // namespace
}  // namespace velt::test
