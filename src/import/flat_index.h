// A hash index from short texts (a few codes packed into 16 bytes) to dense
// numbers 0, 1, 2, ... in the order keys were first added, so the imports
// find "the first line or record with this code" once per key instead of
// scanning a file or table for every record. Keys sit in the slots
// themselves: a lookup touches one cache line, which is what counts with a
// million keys.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace tos {

// Up to 16 bytes of length-prefixed texts; equal keys mean equal texts.
class IndexKey {
 public:
  // Appends a text; false (the key is then unusable) when it does not fit.
  bool Add(std::string_view text) {
    if (size_ + 1 + text.size() > kBytes) return false;
    bytes_[size_++] = static_cast<char>(text.size());
    // An empty view may have no storage behind it at all.
    if (!text.empty()) std::memcpy(bytes_ + size_, text.data(), text.size());
    size_ += static_cast<uint8_t>(text.size());
    return true;
  }
  static constexpr size_t kBytes = 16;
  const char* Bytes() const { return bytes_; }

 private:
  char bytes_[16] = {};
  uint8_t size_ = 0;
};

// An index whose keys carry nothing but their number.
struct NoPayload {};

// Each key carries a payload of its own, kept in the slot beside it (set by
// the Add that made the key).
template <typename Payload = NoPayload>
class FlatIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  explicit FlatIndex(size_t expected = 16) { Rehash(Capacity(expected)); }

  // The number of the key, adding it with its payload when new.
  uint32_t Add(const IndexKey& key, const Payload& payload = Payload()) {
    if ((size_ + 1) * 4 > slots_.size() * 3) Rehash(slots_.size() * 2);
    Slot& slot = slots_[Find(key.Bytes())];
    if (slot.value == kNone) {
      std::memcpy(slot.key, key.Bytes(), 16);
      slot.value = static_cast<uint32_t>(size_++);
      slot.payload = payload;
    }
    return slot.value;
  }
  // The number of the key, or kNone.
  uint32_t Get(const IndexKey& key) const { return slots_[Find(key.Bytes())].value; }
  // The key's payload, or nothing.
  const Payload* Find(const IndexKey& key) const {
    const Slot& slot = slots_[Find(key.Bytes())];
    return slot.value == kNone ? nullptr : &slot.payload;
  }
  size_t Size() const { return size_; }
  // The hash the index places a key by (its low bits); callers that split
  // keys into partitions take the high ones.
  static uint64_t HashOf(const IndexKey& key) { return Hash(key.Bytes()); }

 private:
  struct Slot {
    char key[16];
    uint32_t value;
    Payload payload;
  };

  static size_t Capacity(size_t expected) {
    size_t capacity = 16;
    while (capacity * 3 < expected * 4) capacity *= 2;
    return capacity;
  }
  static uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
  }
  // Every byte must reach the low bits the table is indexed by.
  static uint64_t Hash(const char* key) {
    uint64_t lo, hi;
    std::memcpy(&lo, key, 8);
    std::memcpy(&hi, key + 8, 8);
    return Mix(lo ^ Mix(hi + 0x9E3779B97F4A7C15ULL));
  }
  size_t Find(const char* key) const {
    size_t mask = slots_.size() - 1;
    for (size_t at = Hash(key) & mask;; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.value == kNone || std::memcmp(slot.key, key, 16) == 0) return at;
    }
  }
  void Rehash(size_t capacity) {
    std::vector<Slot> old(capacity, Slot{{}, kNone, Payload()});
    old.swap(slots_);
    size_t mask = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.value == kNone) continue;
      size_t at = Hash(slot.key) & mask;
      while (slots_[at].value != kNone) at = (at + 1) & mask;
      slots_[at] = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t size_ = 0;
};

}  // namespace tos
