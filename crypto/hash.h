// The hash base class: start, feed, finish, burn. A password goes through one of these to
// become key material.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velt::crypto {

class TCrypt_hash;

// What is known about a hash class without making an object of it.
struct HashClass {
  int id;
  const char* algorithm;
  int hashSize;  // digest length in bits
  std::unique_ptr<TCrypt_hash> (*create)();
  bool (*selfCheck)();
};

class TCrypt_hash {
 public:
  TCrypt_hash() = default;
  TCrypt_hash(const TCrypt_hash&) = delete;
  TCrypt_hash& operator=(const TCrypt_hash&) = delete;
  virtual ~TCrypt_hash() = default;

  // Pure, so that an algorithm missing one does not compile: a digest left unwritten would
  // become a key nobody chose.
  virtual int Id() const = 0;
  virtual std::string Algorithm() const = 0;
  virtual int HashSize() const = 0;
  virtual bool SelfCheck() const = 0;

  virtual void StartHash() = 0;
  // Writes HashSize()/8 bytes and closes the object.
  virtual void FinishHash(uint8_t* digest) = 0;
  virtual void Burn() = 0;
  virtual void AddBytes(const void* data, size_t n) = 0;

  // The text's bytes exactly, without terminator or conversion.
  void AddText(std::string_view text) { AddBytes(text.data(), text.size()); }
  bool IsOpen() const { return isOpen_; }

 protected:
  bool isOpen_ = false;
};

}  // namespace velt::crypto
