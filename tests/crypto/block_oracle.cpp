#include "tests/crypto/block_oracle.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstring>
#include <stdexcept>

#include "crypto/block_cipher.h"
#include "crypto/cipher_catalogue.h"
#include "crypto/hex.h"
#include "tests/support/openssl_providers.h"
#include "tests/support/random_bytes.h"

namespace velt::test {

using crypto::TCrypt_blockcipher;
using crypto::TCrypt_ciphermode;

namespace {

class OpensslEcbOracle : public BlockOracle {
 public:
  OpensslEcbOracle(const std::string& name, const std::vector<uint8_t>& key, size_t keyBytes) {
    LoadOpensslLegacyProviders();
    cipher_ = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
    if (!cipher_) throw std::runtime_error("OpenSSL has no " + name);
    enc_ = Make(key, keyBytes, 1);
    dec_ = Make(key, keyBytes, 0);
    block_ = size_t(EVP_CIPHER_get_block_size(cipher_));
  }
  ~OpensslEcbOracle() override {
    EVP_CIPHER_CTX_free(enc_);
    EVP_CIPHER_CTX_free(dec_);
    EVP_CIPHER_free(cipher_);
  }
  void Encrypt(const uint8_t* in, uint8_t* out) override { Run(enc_, in, out); }
  void Decrypt(const uint8_t* in, uint8_t* out) override { Run(dec_, in, out); }

 private:
  EVP_CIPHER_CTX* Make(const std::vector<uint8_t>& key, size_t keyBytes, int enc) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (!EVP_CipherInit_ex(ctx, cipher_, nullptr, nullptr, nullptr, enc))
      throw std::runtime_error("EVP_CipherInit_ex failed");
    if (keyBytes == 0) keyBytes = key.size();
    if (int(keyBytes) != EVP_CIPHER_CTX_get_key_length(ctx))
      EVP_CIPHER_CTX_set_key_length(ctx, int(keyBytes));
    std::vector<uint8_t> k = key;
    k.resize(keyBytes, 0);
    if (!EVP_CipherInit_ex(ctx, nullptr, nullptr, k.data(), nullptr, enc))
      throw std::runtime_error("EVP_CipherInit_ex (key) failed");
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    return ctx;
  }
  void Run(EVP_CIPHER_CTX* ctx, const uint8_t* in, uint8_t* out) {
    int len = 0;
    if (!EVP_CipherUpdate(ctx, out, &len, in, int(block_)) || size_t(len) != block_)
      throw std::runtime_error("EVP_CipherUpdate failed");
  }
  EVP_CIPHER* cipher_ = nullptr;
  EVP_CIPHER_CTX* enc_ = nullptr;
  EVP_CIPHER_CTX* dec_ = nullptr;
  size_t block_ = 0;
};

// The modes written out plainly from their definitions, over the oracle's block function.
std::vector<uint8_t> ReferenceMode(BlockOracle& o, size_t B, TCrypt_ciphermode mode,
                                   std::vector<uint8_t> cv, const std::vector<uint8_t>& in,
                                   bool encrypt) {
  std::vector<uint8_t> out(in.size());
  std::vector<uint8_t> t(B);
  size_t full = in.size() / B * B;
  auto E = [&](const uint8_t* x, uint8_t* y) { o.Encrypt(x, y); };
  if (mode == crypto::cmCFB8bit) {
    for (size_t i = 0; i < in.size(); ++i) {
      E(cv.data(), t.data());
      out[i] = in[i] ^ t[0];
      uint8_t c = encrypt ? out[i] : in[i];
      cv.erase(cv.begin());
      cv.push_back(c);
    }
    return out;
  }
  for (size_t p = 0; p < full; p += B) {
    const uint8_t* x = &in[p];
    uint8_t* y = &out[p];
    switch (mode) {
      case crypto::cmCBC:
        if (encrypt) {
          for (size_t i = 0; i < B; ++i) t[i] = x[i] ^ cv[i];
          E(t.data(), y);
          cv.assign(y, y + B);
        } else {
          o.Decrypt(x, t.data());
          for (size_t i = 0; i < B; ++i) y[i] = t[i] ^ cv[i];
          cv.assign(x, x + B);
        }
        break;
      case crypto::cmCFBblock:
        E(cv.data(), t.data());
        for (size_t i = 0; i < B; ++i) y[i] = x[i] ^ t[i];
        cv.assign(encrypt ? y : x, (encrypt ? y : x) + B);
        break;
      case crypto::cmOFB:
        E(cv.data(), t.data());
        cv = t;
        for (size_t i = 0; i < B; ++i) y[i] = x[i] ^ t[i];
        break;
      case crypto::cmCTR:
        E(cv.data(), t.data());
        for (size_t i = B; i-- > 0;)
          if (++cv[i] != 0) break;
        for (size_t i = 0; i < B; ++i) y[i] = x[i] ^ t[i];
        break;
      default:
        break;
    }
  }
  if (size_t rest = in.size() - full) {
    E(cv.data(), t.data());  // every mode's tail uses E of the chain value
    for (size_t i = 0; i < rest; ++i) out[full + i] = in[full + i] ^ t[i];
  }
  return out;
}

const char* ModeName(TCrypt_ciphermode m) {
  static const char* names[] = {"CBC", "CFB8", "CFBblock", "OFB", "CTR"};
  return names[m];
}

}  // namespace

OracleFactory OpensslEcb(const std::string& name, size_t keyBytes) {
  return [name, keyBytes](const std::vector<uint8_t>& key) -> std::unique_ptr<BlockOracle> {
    return std::make_unique<OpensslEcbOracle>(name, key, keyBytes);
  };
}

void ExpectModesMatchOracle(int cipherIndex, unsigned keyBits, const OracleFactory& factory,
                            uint64_t seed, int rounds) {
  Rng rng(seed);
  for (int round = 0; round < rounds; ++round) {
    auto key = rng.Bytes(keyBits / 8);
    auto base = crypto::CreateCipher(cipherIndex);
    auto* ours = dynamic_cast<TCrypt_blockcipher*>(base.get());
    ASSERT_NE(ours, nullptr);
    const size_t B = size_t(ours->BlockSize() / 8);
    auto oracle = factory(key);
    // Without a vector the chain starts at E_K(0).
    std::vector<uint8_t> iv(B, 0);
    oracle->Encrypt(iv.data(), iv.data());
    for (int m = 0; m <= crypto::cmCTR; ++m) {
      auto mode = TCrypt_ciphermode(m);
      for (size_t len : {size_t(0), size_t(1), B - 1, B, B + 1, 3 * B, 5 * B + 3, size_t(1000),
                         size_t(8192 + 13)}) {
        SCOPED_TRACE(std::string(ModeName(mode)) + " key " + crypto::ToHex(key) + " length " +
                     std::to_string(len));
        auto plain = rng.Bytes(len);
        auto expected = ReferenceMode(*oracle, B, mode, iv, plain, true);
        ours->InitWithKey(key.data(), keyBits, nullptr);
        ours->CipherMode = mode;
        std::vector<uint8_t> got(len);
        // Whole blocks may go in several calls: the chain carries over.
        size_t split = (len / 2) / B * B;
        ours->EncryptBytes(plain.data(), got.data(), split);
        ours->EncryptBytes(plain.data() + split, got.data() + split, len - split);
        ASSERT_EQ(crypto::ToHex(got), crypto::ToHex(expected));
        // Decrypt in place and in one call.
        ours->RestartChain();
        ours->DecryptBytes(got.data(), got.data(), len);
        ASSERT_EQ(crypto::ToHex(got), crypto::ToHex(plain));
        ASSERT_EQ(crypto::ToHex(ReferenceMode(*oracle, B, mode, iv, expected, false)),
                  crypto::ToHex(plain));
      }
    }
  }
}

}  // namespace velt::test
