#include "crypto/cipher.h"

#include <new>
#include <vector>

#include "crypto/base64.h"
#include "crypto/bytes.h"
#include "crypto/errors.h"
#include "crypto/messages.h"
#include "crypto/secure_buffer.h"

namespace velt::crypto {

void TCrypt_cipher::InitWithKey(const uint8_t*, unsigned bits, const uint8_t*) {
  if (isKeyed_) Burn();
  if (bits == 0 || bits % 4 != 0 || bits > unsigned(MaxKeySize()))
    throw ECrypt_cipher(messages::kInvalidKeySize);
  isKeyed_ = true;
}

void TCrypt_cipher::Burn() {
  isKeyed_ = false;
}

std::string TCrypt_cipher::EncryptText(std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  EncryptBytes(bytes.data(), bytes.data(), bytes.size());
  return Base64Encode(bytes.data(), bytes.size());
}

std::string TCrypt_cipher::DecryptText(std::string_view base64) {
  std::vector<uint8_t> bytes = Base64Decode(base64);
  DecryptBytes(bytes.data(), bytes.data(), bytes.size());
  return std::string(bytes.begin(), bytes.end());
}

void TCrypt_cipher::RequireKey() const {
  if (!isKeyed_) ThrowNotKeyed();
}

void TCrypt_cipher::ThrowNotKeyed() const {
  throw ECrypt_cipher(messages::kCipherNotInitialized);
}

void TCrypt_cipher::InitWithPassword(std::string_view password, const HashClass& hash) {
  if (isKeyed_) Burn();
  // The digest buffer is sized from the class before any hash object exists, and the digest
  // must be whole bytes of key.
  if (hash.hashSize <= 0 || hash.hashSize % 8 != 0)
    throw ECrypt_cipher(messages::UnusableDigestSize(hash.hashSize));
  if (!hash.create) throw ECrypt_cipher(messages::kNoHashObject);
  try {
    SecureBuffer<uint8_t> digest(size_t(hash.hashSize) / 8);
    {
      std::unique_ptr<TCrypt_hash> h = hash.create();
      if (!h) throw ECrypt_cipher(messages::kNoHashObject);
      // A larger digest than the class promised would overrun the buffer.
      if (h->HashSize() != hash.hashSize)
        throw ECrypt_cipher(messages::DigestSizeMismatch(h->HashSize(), hash.hashSize));
      try {
        h->StartHash();
        h->AddText(password);
        h->FinishHash(digest.data());
      } catch (const ECrypt_hash& e) {
        throw ECrypt_cipher(messages::PasswordHashingFailed(e.what()));
      }
    }
    int bits = MaxKeySize() < hash.hashSize ? MaxKeySize() : hash.hashSize;
    InitWithKey(digest.data(), unsigned(bits), nullptr);
  } catch (const std::bad_alloc&) {
    throw ECrypt_cipher(messages::kDigestAllocation);
  } catch (const ECrypt_cipher&) {
    throw;  // already says what failed: the key size, the hash object or the hashing
  } catch (const std::exception& e) {
    throw ECrypt_cipher(messages::KeyingFailed(e.what()));
  } catch (...) {
    throw ECrypt_cipher(messages::KeyingFailed("an unknown error"));
  }
}

template <bool Encrypt>
uint64_t TCrypt_cipher::ProcessStream(TStream& source, TSink& dest, uint64_t count) {
  uint64_t result = 0;
  ProgressTotal = int64_t(source.Size());
  SecureBuffer<uint8_t, kChunkSize> buffer;
  auto step = [&](size_t want) {
    size_t n = source.Read(buffer, want);
    result += n;
    if (Encrypt)
      EncryptBytes(buffer, buffer, n);
    else
      DecryptBytes(buffer, buffer, n);
    dest.Write(buffer, n);
  };
  for (uint64_t chunks = count / kChunkSize; chunks > 0; --chunks) {
    step(kChunkSize);
    ProgressDone = int64_t(result);
    if (OnProgress) OnProgress(*this);
  }
  if (size_t rest = size_t(count % kChunkSize)) step(rest);
  return result;
}

uint64_t TCrypt_cipher::EncryptStream(TStream& source, TSink& dest, uint64_t count) {
  return ProcessStream<true>(source, dest, count);
}

uint64_t TCrypt_cipher::DecryptStream(TStream& source, TSink& dest, uint64_t count) {
  return ProcessStream<false>(source, dest, count);
}

}  // namespace velt::crypto
