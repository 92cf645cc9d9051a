// Memory for key material and other secrets that wipes itself, so that no algorithm has to
// remember to. Two forms under one name:
//
//   SecureBuffer<T, N>  N objects of T in place (key schedules, scratch words, chain values);
//                       used like the array it replaces: it converts to T*, and N == 1 also
//                       gives -> and * for a schedule struct.
//   SecureBuffer<T>     a run of T on the heap whose length is known only at run time.
//
// Both start zeroed and are wiped, with the wipe the optimiser may not drop, when destroyed
// or cleared; the heap form also wipes what resize drops or moves away from. T must be
// trivially copyable: its bytes are all there is to wipe.
#pragma once

#include <cstddef>
#include <cstring>
#include <span>
#include <type_traits>

#include "crypto/bytes.h"

namespace velt::crypto {

template <class T, size_t N = std::dynamic_extent>
class SecureBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  SecureBuffer() { std::memset(static_cast<void*>(data_), 0, sizeof data_); }
  ~SecureBuffer() { clear(); }
  SecureBuffer(const SecureBuffer&) = delete;
  SecureBuffer& operator=(const SecureBuffer&) = delete;

  void clear() { SecureWipe(data_, sizeof data_); }

  static constexpr size_t size() { return N; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  operator T*() { return data_; }
  operator const T*() const { return data_; }

  T* operator->() requires(N == 1) { return data_; }
  const T* operator->() const requires(N == 1) { return data_; }
  T& operator*() requires(N == 1) { return data_[0]; }
  const T& operator*() const requires(N == 1) { return data_[0]; }

 private:
  T data_[N];
};

template <class T>
class SecureBuffer<T, std::dynamic_extent> {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  SecureBuffer() = default;
  explicit SecureBuffer(size_t n) { resize(n); }
  ~SecureBuffer() { release(); }
  SecureBuffer(const SecureBuffer&) = delete;
  SecureBuffer& operator=(const SecureBuffer&) = delete;

  // Wipes the contents; the storage is kept for the next resize.
  void clear() { resize(0); }

  // New elements are zero. Shrinking wipes the dropped tail; growing past the storage moves
  // the contents to new storage and wipes the old before giving it back.
  void resize(size_t n) {
    if (n > capacity_) {
      T* grown = new T[n];
      size_t kept = size_;
      if (kept) std::memcpy(static_cast<void*>(grown), data_, kept * sizeof(T));
      release();
      data_ = grown;
      size_ = kept;
      capacity_ = n;
    }
    if (n < size_)
      SecureWipe(data_ + n, (size_ - n) * sizeof(T));
    else if (n > size_)
      std::memset(static_cast<void*>(data_ + size_), 0, (n - size_) * sizeof(T));
    size_ = n;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

 private:
  void release() {
    if (data_) SecureWipe(data_, capacity_ * sizeof(T));
    delete[] data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace velt::crypto
