// Large buffers on Linux: aligned to huge pages and advised to use them.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "data/large_buffer.h"

namespace tos {

namespace {
// The size of a huge page on x86-64 and most other Linux machines.
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

LargeBuffer::LargeBuffer(size_t size) {
  if (size > SIZE_MAX - kHugePage) throw std::bad_alloc();
  // Whole huge pages, aligned to one, so that every page of it can be huge.
  size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  if (rounded == 0) rounded = kHugePage;
  data_ = static_cast<char*>(std::aligned_alloc(kHugePage, rounded));
  if (!data_) throw std::bad_alloc();
  size_ = rounded;
#ifdef MADV_HUGEPAGE
  // Only advice: where the kernel has no huge pages to give, 4 KiB pages do.
  madvise(data_, size_, MADV_HUGEPAGE);
#endif
}

LargeBuffer::~LargeBuffer() {
  std::free(data_);
}

}  // namespace tos
