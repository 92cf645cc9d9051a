// The cipher base class: keying from a key or a password, and pushing whole streams through
// the cipher in 8192-byte chunks with progress reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "crypto/hash.h"
#include "crypto/stream.h"

namespace velt::crypto {

class TCrypt_cipher;

// What is known about a cipher class without making an object of it.
struct CipherClass {
  int id;
  const char* algorithm;
  int maxKeySize;  // bits
  int blockSize;   // bits; -1 for the stream cipher
  std::unique_ptr<TCrypt_cipher> (*create)();
  bool (*selfCheck)();
};

class TCrypt_cipher {
 public:
  // Stream operations work in chunks of this many bytes; the chunking decides the bytes of
  // RC4 output, so it is part of the file format.
  static constexpr size_t kChunkSize = 8192;

  using ProgressHandler = std::function<void(TCrypt_cipher& sender)>;

  TCrypt_cipher() = default;
  TCrypt_cipher(const TCrypt_cipher&) = delete;
  TCrypt_cipher& operator=(const TCrypt_cipher&) = delete;
  virtual ~TCrypt_cipher() = default;

  // Every algorithm supplies these: pure, so that one that forgot a byte operation does not
  // compile rather than pass its input through.
  virtual int Id() const = 0;
  virtual std::string Algorithm() const = 0;
  virtual int MaxKeySize() const = 0;
  virtual bool SelfCheck() const = 0;

  // Key of `bits` bits (the first bits/8 bytes of `key` are used); `iv` is one block or null.
  virtual void InitWithKey(const uint8_t* key, unsigned bits, const uint8_t* iv);
  virtual void Burn();
  virtual void RestartChain() = 0;
  virtual void EncryptBytes(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual void DecryptBytes(const uint8_t* in, uint8_t* out, size_t n) = 0;
  virtual std::string EncryptText(std::string_view text);
  virtual std::string DecryptText(std::string_view base64);

  // Keys the cipher from one digest of the password's bytes under the given hash class.
  void InitWithPassword(std::string_view password, const HashClass& hash);

  // Process `count` bytes from the source's position into the destination; returns the bytes
  // read. Sizes are 64-bit so that files of 4 GiB and more are processed whole. The source is
  // a whole stream because its size is the progress total.
  uint64_t EncryptStream(TStream& source, TSink& dest, uint64_t count);
  uint64_t DecryptStream(TStream& source, TSink& dest, uint64_t count);

  bool IsKeyed() const { return isKeyed_; }

  int64_t ProgressDone = 0;   // bytes read by the running stream operation, after each chunk
  int64_t ProgressTotal = 0;  // size of the source stream
  ProgressHandler OnProgress;

 protected:
  // Throws "Cipher not initialized" of the given kind when no key is set.
  void RequireKey() const;
  virtual void ThrowNotKeyed() const;

  bool isKeyed_ = false;

 private:
  template <bool Encrypt>
  uint64_t ProcessStream(TStream& source, TSink& dest, uint64_t count);
};

}  // namespace velt::crypto
