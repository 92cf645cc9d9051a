// Behaviour every cipher shares through the framework: keying rules, unkeyed use, Burn, the
// stream operations' chunking and progress, and the effective key lengths.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/errors.h"
#include "crypto/hash_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/memory_stream.h"
#include "tests/support/random_bytes.h"

namespace velt::crypto {
namespace {

using test::TMemoryStream;

std::vector<const CipherEntry*> RegisteredCiphers() {
  std::vector<const CipherEntry*> v;
  for (const auto& e : CipherCatalogue())
    if (e.cls) v.push_back(&e);
  return v;
}

std::vector<const HashEntry*> RegisteredHashes() {
  std::vector<const HashEntry*> v;
  for (const auto& e : HashCatalogue())
    if (e.cls) v.push_back(&e);
  return v;
}

size_t BlockBytes(TCrypt_cipher& c) {
  auto* b = dynamic_cast<TCrypt_blockcipher*>(&c);
  return b ? size_t(b->BlockSize() / 8) : 1;
}

std::vector<uint8_t> EncryptAll(TCrypt_cipher& c, const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(in.size());
  c.EncryptBytes(in.data(), out.data(), in.size());
  return out;
}

template <class E>
void ExpectThrowsText(const std::function<void()>& f, const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected \"" << text << "\"";
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), text);
  }
}

TEST(CipherFramework, UnkeyedUseFailsWithNotInitialized) {
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto c = e->cls->create();
    EXPECT_FALSE(c->IsKeyed());
    uint8_t buf[16] = {};
    // Block ciphers raise the block cipher class; the stream cipher the general one.
    ExpectThrowsText<ECrypt_cipher>([&] { c->EncryptBytes(buf, buf, 16); },
                                    "Cipher not initialized");
    ExpectThrowsText<ECrypt_cipher>([&] { c->DecryptBytes(buf, buf, 16); },
                                    "Cipher not initialized");
    if (auto* b = dynamic_cast<TCrypt_blockcipher*>(c.get())) {
      ExpectThrowsText<ECrypt_blockcipher>([&] { b->EncryptBlock(buf, buf); },
                                           "Cipher not initialized");
      ExpectThrowsText<ECrypt_blockcipher>([&] { b->RestartChain(); }, "Cipher not initialized");
      ExpectThrowsText<ECrypt_blockcipher>([&] { b->GetChainVector(buf); },
                                           "Cipher not initialized");
      ExpectThrowsText<ECrypt_blockcipher>([&] { b->SetInitVector(buf); },
                                           "Cipher not initialized");
      EXPECT_EQ(b->CipherMode, cmCBC);
    }
  }
}

TEST(CipherFramework, BurnForgetsTheKey) {
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto c = e->cls->create();
    c->InitWithPassword("secret", *FindHash(0)->cls);
    EXPECT_TRUE(c->IsKeyed());
    c->Burn();
    EXPECT_FALSE(c->IsKeyed());
    uint8_t buf[16] = {};
    EXPECT_THROW(c->EncryptBytes(buf, buf, 16), ECrypt_cipher);
  }
}

// An 8-bit hash that throws `fault` while hashing; HashClass::create is a plain function,
// hence the global.
struct FaultyHash final : TCrypt_hash {
  static inline std::exception_ptr fault;
  static std::unique_ptr<TCrypt_hash> Create() { return std::make_unique<FaultyHash>(); }
  int Id() const override { return 99; }
  std::string Algorithm() const override { return "faulty"; }
  int HashSize() const override { return 8; }
  bool SelfCheck() const override { return true; }
  void StartHash() override {}
  void AddBytes(const void*, size_t) override {
    if (fault) std::rethrow_exception(fault);
  }
  void FinishHash(uint8_t* digest) override { digest[0] = 0x5A; }
  void Burn() override {}
};

TEST(CipherFramework, KeyingFailuresAreRefusedAndSayWhatFailed) {
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto c = e->cls->create();
    std::vector<uint8_t> key(512, 0x42);
    for (unsigned bits : {0u, 7u, 9u, unsigned(e->cls->maxKeySize) + 8}) {
      ExpectThrowsText<ECrypt_cipher>([&] { c->InitWithKey(key.data(), bits, nullptr); },
                                      "Invalid key size");
      EXPECT_FALSE(c->IsKeyed()) << bits;
    }
    c->InitWithKey(key.data(), unsigned(e->cls->maxKeySize), nullptr);
    EXPECT_TRUE(c->IsKeyed());
  }

  using Factory = std::unique_ptr<TCrypt_hash> (*)();
  const Factory md5 = FindHash(0)->cls->create, fake = &FaultyHash::Create;
  const Factory none = [] { return std::unique_ptr<TCrypt_hash>(); };
  const auto noMemory = std::make_exception_ptr(std::bad_alloc());
  const auto hashError = std::make_exception_ptr(ECrypt_hash("Hash not initialized"));
  const struct {
    int bits;
    Factory create;
    std::exception_ptr fault;
    const char* text;
  } rows[] = {
      {0, md5, {}, "A hash digest of 0 bits cannot be used as a key"},
      {12, md5, {}, "A hash digest of 12 bits cannot be used as a key"},
      {128, nullptr, {}, "Hash class does not create a hash object"},
      {128, none, {}, "Hash class does not create a hash object"},
      {160, md5, {}, "Hash object digest of 128 bits differs from its class's 160 bits"},
      {8, fake, noMemory, "Unable to allocate sufficient memory for hash digest"},
      {8, fake, hashError, "Hashing the password failed: Hash not initialized"},
      {8, fake, {}, "Invalid key size"},  // MARS keys are whole 32-bit words
  };
  auto c = CreateCipher(10);  // MARS
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    FaultyHash::fault = row.fault;
    c->InitWithPassword("pw", *FindHash(0)->cls);
    const HashClass hash{99, "faulty", row.bits, row.create, nullptr};
    ExpectThrowsText<ECrypt_cipher>([&] { c->InitWithPassword("pw", hash); }, row.text);
    EXPECT_FALSE(c->IsKeyed());
  }
}

TEST(CipherFramework, KeyingTwiceIsIndependentOfTheFirstKey) {
  test::Rng rng;
  auto plain = rng.Bytes(100);
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto twice = e->cls->create();
    twice->InitWithPassword("first", *FindHash(0)->cls);
    EncryptAll(*twice, plain);
    twice->InitWithPassword("second", *FindHash(0)->cls);
    auto fresh = e->cls->create();
    fresh->InitWithPassword("second", *FindHash(0)->cls);
    EXPECT_EQ(EncryptAll(*twice, plain), EncryptAll(*fresh, plain));
    // and the empty password is a password like any other
    fresh->InitWithPassword("", *FindHash(0)->cls);
    EXPECT_NE(EncryptAll(*fresh, plain), EncryptAll(*twice, plain));
  }
}

TEST(CipherFramework, RestartChainReturnsToTheInitialVector) {
  test::Rng rng;
  auto plain = rng.Bytes(64);
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto c = e->cls->create();
    c->InitWithPassword("pw", *FindHash(0)->cls);
    auto first = EncryptAll(*c, plain);
    EXPECT_NE(EncryptAll(*c, plain), first) << "the chain should have moved on";
    c->RestartChain();
    EXPECT_EQ(EncryptAll(*c, plain), first);
  }
}

TEST(CipherFramework, SplitCallsEqualOneCallAndInPlaceEqualsOutOfPlace) {
  test::Rng rng(7);
  for (auto* e : RegisteredCiphers()) {
    auto probe = e->cls->create();
    const size_t B = BlockBytes(*probe);
    for (int mode = 0; mode <= cmCTR; ++mode) {
      SCOPED_TRACE(std::string(e->label) + " mode " + std::to_string(mode));
      auto plain = rng.Bytes(40 * B + 3);
      auto whole = e->cls->create();
      whole->InitWithPassword("pw", *FindHash(0)->cls);
      if (auto* b = dynamic_cast<TCrypt_blockcipher*>(whole.get()))
        b->CipherMode = TCrypt_ciphermode(mode);
      else if (mode > 0)
        continue;  // the stream cipher has no modes
      auto expected = EncryptAll(*whole, plain);

      // Split at every block boundary of a few sizes, working in place. (The stream cipher
      // restarts its generator per call, so it is only split here at the call it would see.)
      for (size_t piece : {B, 3 * B, 16 * B}) {
        if (B == 1 && piece != 16 * B) continue;
        auto split = e->cls->create();
        split->InitWithPassword("pw", *FindHash(0)->cls);
        if (auto* b = dynamic_cast<TCrypt_blockcipher*>(split.get()))
          b->CipherMode = TCrypt_ciphermode(mode);
        auto buf = plain;
        if (B == 1) {
          split->EncryptBytes(buf.data(), buf.data(), buf.size());
        } else {
          size_t full = buf.size() / B * B;
          for (size_t i = 0; i < full; i += piece)
            split->EncryptBytes(buf.data() + i, buf.data() + i, std::min(piece, full - i));
          split->EncryptBytes(buf.data() + full, buf.data() + full, buf.size() - full);
        }
        EXPECT_EQ(ToHex(buf), ToHex(expected)) << "pieces of " << piece;
      }
      // Decryption restores the input, and a zero length changes nothing.
      whole->RestartChain();
      auto back = expected;
      whole->DecryptBytes(back.data(), back.data(), 0);
      EXPECT_EQ(back, expected);
      whole->DecryptBytes(back.data(), back.data(), back.size());
      EXPECT_EQ(ToHex(back), ToHex(plain));
    }
  }
}

TEST(CipherFramework, AFiveByteMessageIsXoredWithTheEncryptedInitialVector) {
  for (auto* e : RegisteredCiphers()) {
    auto c = e->cls->create();
    auto* b = dynamic_cast<TCrypt_blockcipher*>(c.get());
    if (!b) continue;
    SCOPED_TRACE(e->label);
    b->InitWithPassword("pw", *FindHash(0)->cls);
    const size_t B = BlockBytes(*b);
    std::vector<uint8_t> zero(B, 0), iv(B), pad(B);
    b->EncryptBlock(zero.data(), iv.data());  // E_K(0) is the initial vector
    b->EncryptBlock(iv.data(), pad.data());   // the tail rule uses E_K(CV)
    std::vector<uint8_t> msg = {1, 2, 3, 4, 5}, out(5);
    b->EncryptBytes(msg.data(), out.data(), 5);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(out[i], msg[i] ^ pad[i]) << i;
  }
}

TEST(CipherFramework, TextOperationsRoundTripThroughBase64) {
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(e->label);
    auto c = e->cls->create();
    c->InitWithPassword("pw", *FindHash(0)->cls);
    std::string text = "The quick brown fox";
    std::string enc = c->EncryptText(text);
    EXPECT_EQ(enc.size(), 28u);  // 19 bytes -> 7 groups of four
    EXPECT_EQ(
        enc.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
        std::string::npos);
    c->RestartChain();
    EXPECT_EQ(c->DecryptText(enc), text);
  }
}

// The stream operations: 8192-byte chunks, progress after every full chunk only.
class StreamOps : public ::testing::TestWithParam<size_t> {};

TEST_P(StreamOps, ChunkingProgressAndRoundTrip) {
  const size_t count = GetParam();
  test::Rng rng(count);
  for (auto* e : RegisteredCiphers()) {
    SCOPED_TRACE(std::string(e->label) + " count " + std::to_string(count));
    auto plain = rng.Bytes(count);
    TMemoryStream src(plain), enc;
    auto c = e->cls->create();
    c->InitWithPassword("pw", *FindHash(0)->cls);
    std::vector<int64_t> seen;
    c->OnProgress = [&](TCrypt_cipher& sender) {
      EXPECT_EQ(&sender, c.get());
      EXPECT_EQ(sender.ProgressTotal, int64_t(count));
      seen.push_back(sender.ProgressDone);
    };
    EXPECT_EQ(c->EncryptStream(src, enc, count), count);
    EXPECT_EQ(c->ProgressTotal, int64_t(count));
    std::vector<int64_t> expected;
    for (size_t k = 1; k <= count / 8192; ++k) expected.push_back(int64_t(k * 8192));
    EXPECT_EQ(seen, expected);

    // Same bytes as one EncryptBytes call per chunk on a fresh object.
    auto ref = e->cls->create();
    ref->InitWithPassword("pw", *FindHash(0)->cls);
    auto manual = plain;
    for (size_t i = 0; i < count; i += 8192)
      ref->EncryptBytes(manual.data() + i, manual.data() + i, std::min<size_t>(8192, count - i));
    EXPECT_EQ(enc.Bytes(), manual);

    auto d = e->cls->create();
    d->InitWithPassword("pw", *FindHash(0)->cls);
    enc.Seek(0);
    TMemoryStream dec;
    EXPECT_EQ(d->DecryptStream(enc, dec, count), count);
    EXPECT_EQ(dec.Bytes(), plain);
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, StreamOps,
                         ::testing::Values(0, 5, 8191, 8192, 8193, 8200, 3 * 8192 + 1));

TEST(CipherFramework, StreamStartsAtThePositionsAndStopsAtCount) {
  auto c = CreateCipher(0);
  c->InitWithPassword("pw", *FindHash(0)->cls);
  TMemoryStream src(std::vector<uint8_t>(100, 7)), dst;
  src.Seek(10);
  dst.Write("head", 4);
  EXPECT_EQ(c->EncryptStream(src, dst, 50), 50u);
  EXPECT_EQ(src.Position(), 60u);
  EXPECT_EQ(dst.Size(), 54u);
  EXPECT_EQ(c->ProgressTotal, 100);  // the source's size, not the count
}

TEST(CipherFramework, ShortReadsAreProcessedAndTheOperationGoesOn) {
  auto c = CreateCipher(0);
  c->InitWithPassword("pw", *FindHash(0)->cls);
  TMemoryStream src(std::vector<uint8_t>(20000, 1)), dst;
  src.SetReadLimit(8192);
  EXPECT_EQ(c->EncryptStream(src, dst, 20000), 20000u);
  // A source that ends early: the count is what was read.
  TMemoryStream shortSrc(std::vector<uint8_t>(100, 1)), out2;
  EXPECT_EQ(c->EncryptStream(shortSrc, out2, 9000), 100u);
  EXPECT_EQ(out2.Size(), 100u);
}

TEST(CipherFramework, StreamRoundTripForEveryCipherAndHash) {
  test::Rng rng(11);
  for (auto* ce : RegisteredCiphers()) {
    for (auto* he : RegisteredHashes()) {
      for (size_t len : {0, 1, 7, 8, 15, 16, 8191, 8192, 8193, 20000}) {
        auto plain = rng.Bytes(len);
        TMemoryStream src(plain), enc, dec;
        auto c = ce->cls->create();
        c->InitWithPassword("round trip", *he->cls);
        ASSERT_EQ(c->EncryptStream(src, enc, len), len);
        auto d = ce->cls->create();
        d->InitWithPassword("round trip", *he->cls);
        enc.Seek(0);
        ASSERT_EQ(d->DecryptStream(enc, dec, len), len);
        ASSERT_EQ(dec.Bytes(), plain) << ce->label << " / " << he->label << " length " << len;
        if (len >= 16) {
          ASSERT_NE(enc.Bytes(), plain) << ce->label << " / " << he->label;
        }
      }
    }
  }
}

// The effective key lengths, written out as a table by digest size (128, 160, 192, 256, 384,
// 512 bits): a password keys the cipher with exactly the first L bits of its digest.
TEST(CipherFramework, EffectiveKeyLengthForEveryCipherAndHash) {
  const std::map<std::string, std::array<int, 6>> table = {
      {"BlowFish", {128, 160, 192, 256, 384, 448}},
      {"TwoFish", {128, 160, 192, 256, 256, 256}},
      {"Cast 256", {128, 160, 192, 256, 256, 256}},
      {"RIJNDAEL", {128, 160, 192, 256, 256, 256}},
      {"Serpent", {128, 160, 192, 256, 256, 256}},
      {"Cast 128", {128, 128, 128, 128, 128, 128}},
      {"ICE2", {128, 128, 128, 128, 128, 128}},
      {"IDEA", {128, 128, 128, 128, 128, 128}},
      {"MISTY 1", {128, 128, 128, 128, 128, 128}},
      {"Tea", {128, 128, 128, 128, 128, 128}},
      {"DES", {64, 64, 64, 64, 64, 64}},
      {"ICE", {64, 64, 64, 64, 64, 64}},
      {"ThinICE", {64, 64, 64, 64, 64, 64}},
      {"3DES", {128, 160, 192, 192, 192, 192}},
      {"MARS", {128, 160, 192, 256, 384, 512}},
      {"RC2", {128, 160, 192, 256, 384, 512}},
      {"RC4", {128, 160, 192, 256, 384, 512}},
      {"RC5", {128, 160, 192, 256, 384, 512}},
      {"RC6", {128, 160, 192, 256, 384, 512}},
  };
  const std::map<int, size_t> column = {{128, 0}, {160, 1}, {192, 2}, {256, 3}, {384, 4}, {512, 5}};
  EXPECT_EQ(table.size(), size_t(kCipherCount));
  int checked = 0;
  for (auto* ce : RegisteredCiphers()) {
    ASSERT_TRUE(table.count(ce->label)) << ce->label;
    for (auto* he : RegisteredHashes()) {
      SCOPED_TRACE(std::string(ce->label) + " / " + he->label);
      const int bits = table.at(ce->label)[column.at(he->cls->hashSize)];
      std::vector<uint8_t> digest(size_t(he->cls->hashSize / 8));
      auto h = he->cls->create();
      h->StartHash();
      h->AddText("correct horse");
      h->FinishHash(digest.data());

      auto viaPassword = ce->cls->create();
      viaPassword->InitWithPassword("correct horse", *he->cls);
      std::vector<uint8_t> msg(64, 0x5a);
      auto expected = EncryptAll(*viaPassword, msg);
      auto viaKey = ce->cls->create();
      viaKey->InitWithKey(digest.data(), unsigned(bits), nullptr);
      EXPECT_EQ(EncryptAll(*viaKey, msg), expected) << "keyed with " << bits << " bits";
      // The last byte of the L bits counts; the digest bytes after it do not.
      auto changed = digest;
      changed[size_t(bits / 8 - 1)] ^= 0xFF;
      viaKey->InitWithKey(changed.data(), unsigned(bits), nullptr);
      EXPECT_NE(EncryptAll(*viaKey, msg), expected) << "byte " << bits / 8 - 1 << " unused";
      ++checked;
    }
  }
  EXPECT_EQ(checked, kCipherCount * kHashCount);
}

}  // namespace
}  // namespace velt::crypto
