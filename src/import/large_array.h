// A growable array of plain values in LargeBuffer memory, for the lists of a
// million entries that the assignments import holds for a moment. Where
// the memory comes in huge pages, filling it takes one page fault per
// 2 MiB instead of one per 4 KiB, which on the machines measured costs more
// than the work done on the entries.
//
// A small array lives in ordinary memory: a huge page would be cleared
// whole for it, which costs more than the few small pages it needs.
//
// Values are trivially copyable and are not initialised unless asked:
// growing moves them with memcpy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "data/large_buffer.h"

namespace tos {

template <class T>
class LargeArray {
  static_assert(std::is_trivially_copyable_v<T>);
  // Both kinds of memory are aligned to at least 8 bytes, on 32-bit Windows too.
  static_assert(alignof(T) <= 8);

 public:
  LargeArray() = default;
  LargeArray(const LargeArray&) = delete;
  LargeArray& operator=(const LargeArray&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  // Room for at least n values; raises std::bad_alloc when n values would
  // not fit the address space.
  void reserve(size_t n) {
    if (n <= capacity_) return;
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    size_t bytes = n * sizeof(T);
    std::unique_ptr<LargeBuffer> large;
    std::unique_ptr<unsigned char[]> small;
    T* data;
    if (bytes < kSmallBytes) {
      small.reset(new unsigned char[bytes]);
      data = reinterpret_cast<T*>(small.get());
    } else {
      large = std::make_unique<LargeBuffer>(bytes);
      bytes = large->size();
      data = reinterpret_cast<T*>(large->data());
    }
    if (size_ > 0) std::memcpy(static_cast<void*>(data), data_, size_ * sizeof(T));
    large_ = std::move(large);
    small_ = std::move(small);
    data_ = data;
    capacity_ = bytes / sizeof(T);
  }

  void push_back(const T& value) {
    if (size_ == capacity_) Grow(size_ + 1);
    data_[size_++] = value;
  }

  // n more values, uninitialised; returns the first of them.
  T* Extend(size_t n) {
    if (n > SIZE_MAX - size_) throw std::bad_alloc();
    if (size_ + n > capacity_) Grow(size_ + n);
    T* first = data_ + size_;
    size_ += n;
    return first;
  }

  void swap(LargeArray& other) noexcept {
    large_.swap(other.large_);
    small_.swap(other.small_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  // n values, each a copy of value.
  void assign(size_t n, const T& value) {
    size_ = 0;
    reserve(n);
    for (size_t i = 0; i < n; ++i) data_[i] = value;
    size_ = n;
  }

 private:
  void Grow(size_t need) {
    size_t twice = capacity_ > SIZE_MAX / 2 ? SIZE_MAX : capacity_ * 2;
    reserve(need > twice ? need : twice);
  }

  static constexpr size_t kSmallBytes = size_t{256} << 10;

  // One of the two holds the values, or neither while there are none.
  std::unique_ptr<LargeBuffer> large_;
  std::unique_ptr<unsigned char[]> small_;
  T* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace tos
