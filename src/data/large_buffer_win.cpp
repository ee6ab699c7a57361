// Large buffers on Windows: ordinary memory.
#include <new>

#include "data/large_buffer.h"

namespace tos {

// Large pages on Windows need a privilege that users do not have: ordinary
// memory.
LargeBuffer::LargeBuffer(size_t size)
    : data_(new char[size == 0 ? 1 : size]), size_(size == 0 ? 1 : size) {}

LargeBuffer::~LargeBuffer() {
  delete[] data_;
}

}  // namespace tos
