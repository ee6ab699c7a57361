#include "import/seen_codes.h"

namespace tos {

char Cp1252Lower(char c) {
  auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
    return static_cast<char>(b + 0x20);
  }
  switch (b) {
    case 0x8A:
      return '\x9A';  // Š
    case 0x8C:
      return '\x9C';  // Œ
    case 0x8E:
      return '\x9E';  // Ž
    case 0x9F:
      return '\xFF';  // Ÿ
    default:
      return c;
  }
}

namespace {

// No packed code has this value: its length byte would be 255.
constexpr uint64_t kEmptySlot = UINT64_MAX;

size_t SlotOf(uint64_t key, size_t mask) {
  key ^= key >> 33;
  key *= 0xFF51AFD7ED558CCDULL;
  key ^= key >> 33;
  return static_cast<size_t>(key) & mask;
}

}  // namespace

CodigosVistos::CodigosVistos() {
  shortSlots_.assign(64, kEmptySlot);
}

bool CodigosVistos::AddShort(uint64_t key) {
  if ((shortCount_ + 1) * 2 > shortSlots_.size()) {
    LargeArray<uint64_t> old;
    old.assign(shortSlots_.size() * 2, kEmptySlot);
    old.swap(shortSlots_);
    size_t mask = shortSlots_.size() - 1;
    for (uint64_t k : old) {
      if (k == kEmptySlot) continue;
      size_t at = SlotOf(k, mask);
      while (shortSlots_[at] != kEmptySlot) at = (at + 1) & mask;
      shortSlots_[at] = k;
    }
  }
  size_t mask = shortSlots_.size() - 1;
  for (size_t at = SlotOf(key, mask);; at = (at + 1) & mask) {
    if (shortSlots_[at] == key) return false;
    if (shortSlots_[at] == kEmptySlot) {
      shortSlots_[at] = key;
      ++shortCount_;
      return true;
    }
  }
}

bool CodigosVistos::Add(std::string_view code) {
  if (code.size() <= 7) {
    uint64_t key = static_cast<uint64_t>(code.size()) << 56;
    for (size_t i = 0; i < code.size(); ++i)
      key |= static_cast<uint64_t>(static_cast<unsigned char>(Cp1252Lower(code[i]))) << (8 * i);
    return AddShort(key);
  }
  folded_.assign(code);
  for (char& c : folded_) c = Cp1252Lower(c);
  return seen_.insert(folded_).second;
}

}  // namespace tos
