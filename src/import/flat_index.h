// A hash index from short texts (a few codes packed into 16 bytes) to dense
// numbers 0, 1, 2, ... in the order keys were first added, so the imports
// find "the first line or record with this code" once per key instead of
// scanning a file or table for every record.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace tos {

// Up to 15 bytes of length-prefixed texts; equal keys mean equal texts.
class IndexKey {
 public:
  // Appends a text; false (the key is then unusable) when it does not fit.
  bool Add(std::string_view text) {
    if (size_ + 1 + text.size() > sizeof bytes_) return false;
    bytes_[size_++] = static_cast<char>(text.size());
    std::memcpy(bytes_ + size_, text.data(), text.size());
    size_ += static_cast<uint8_t>(text.size());
    return true;
  }
  bool operator==(const IndexKey& other) const {
    return std::memcmp(bytes_, other.bytes_, sizeof bytes_) == 0;
  }
  uint64_t Hash() const {
    uint64_t lo, hi;
    std::memcpy(&lo, bytes_, 8);
    std::memcpy(&hi, bytes_ + 8, 8);
    uint64_t h = lo * 0x9E3779B97F4A7C15ULL ^ (hi + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
    return h ^ (h >> 31);
  }

 private:
  char bytes_[16] = {};
  uint8_t size_ = 0;
};

class FlatIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  explicit FlatIndex(size_t expected = 16) { Rehash(Capacity(expected)); }

  // The number of the key, adding it when new.
  uint32_t Add(const IndexKey& key) {
    if ((keys_.size() + 1) * 4 > slots_.size() * 3) Rehash(slots_.size() * 2);
    size_t at = Find(key);
    if (slots_[at] == kNone) {
      slots_[at] = static_cast<uint32_t>(keys_.size());
      keys_.push_back(key);
    }
    return slots_[at];
  }
  // The number of the key, or kNone.
  uint32_t Get(const IndexKey& key) const { return slots_[Find(key)]; }
  size_t Size() const { return keys_.size(); }

 private:
  static size_t Capacity(size_t expected) {
    size_t capacity = 16;
    while (capacity * 3 < expected * 4) capacity *= 2;
    return capacity;
  }
  size_t Find(const IndexKey& key) const {
    size_t mask = slots_.size() - 1;
    for (size_t at = key.Hash() & mask;; at = (at + 1) & mask) {
      if (slots_[at] == kNone || keys_[slots_[at]] == key) return at;
    }
  }
  void Rehash(size_t capacity) {
    slots_.assign(capacity, kNone);
    size_t mask = capacity - 1;
    for (uint32_t i = 0; i < keys_.size(); ++i) {
      size_t at = keys_[i].Hash() & mask;
      while (slots_[at] != kNone) at = (at + 1) & mask;
      slots_[at] = i;
    }
  }

  std::vector<uint32_t> slots_;
  std::vector<IndexKey> keys_;
};

}  // namespace tos
