// A large block of memory that is filled once and then dropped, such as the
// lines of a file being built. On Linux it is backed by huge pages where the
// kernel offers them, so that filling tens of megabytes does not take a page
// fault every 4 KiB.
#pragma once

#include <cstddef>

namespace tos {

class LargeBuffer {
 public:
  // At least size bytes, uninitialised; raises std::bad_alloc.
  explicit LargeBuffer(size_t size);
  ~LargeBuffer();
  LargeBuffer(LargeBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;
  LargeBuffer& operator=(LargeBuffer&&) = delete;

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  char* data_;
  size_t size_;
};

}  // namespace tos
