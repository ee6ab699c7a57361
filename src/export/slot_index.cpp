#include "export/slot_index.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tos {

namespace {

// Up to eight bytes as one number.
uint64_t Word(const char* bytes, size_t n) {
  uint64_t word = 0;
  for (size_t i = 0; i < n; ++i) word |= uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
  return word;
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return h;
}

// The day and the period taken eight bytes at a time, after both lengths (so
// that no split of the same bytes into day and period collides by
// construction); mixed at the end because the low bits pick the slot.
uint32_t HashKey(std::string_view day, std::string_view period) {
  uint64_t h = (uint64_t{day.size()} << 32) ^ period.size() ^ 0x9E3779B97F4A7C15ull;
  for (std::string_view text : {day, period}) {
    while (text.size() > 8) {
      h = (h ^ Word(text.data(), 8)) * 0x94D049BB133111EBull;
      text.remove_prefix(8);
    }
    h = (h ^ Word(text.data(), text.size())) * 0x94D049BB133111EBull;
  }
  return static_cast<uint32_t>(Mix(h));
}

// Keys are a few bytes long: a plain loop beats a call to memcmp.
bool Same(const char* stored, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (stored[i] != text[i]) return false;
  }
  return true;
}

}  // namespace

const char* SlotIndex::Text(const Slot& slot) const {
  if (!slot.InArena()) return slot.text;
  size_t offset;
  std::memcpy(&offset, slot.text, sizeof offset);
  return arena_.data() + offset;
}

SlotIndex::Slot& SlotIndex::Probe(uint32_t hash, std::string_view day, std::string_view period) {
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (!slot.used) return slot;
    if (slot.dayLength == day.size() && slot.periodLength == period.size()) {
      const char* text = Text(slot);
      if (Same(text, day) && Same(text + day.size(), period)) return slot;
    }
  }
}

void SlotIndex::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (!slot.used) continue;
    const char* text = Text(slot);
    uint32_t hash = HashKey(std::string_view(text, slot.dayLength),
                            std::string_view(text + slot.dayLength, slot.periodLength));
    size_t i = hash & mask;
    while (slots_[i].used) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void SlotIndex::Build() {
  built_ = true;
  table_.First();
  empty_ = table_.Eof();
  if (empty_) return;
  int dia = table_.FindField("DIA");
  int hora = table_.FindField("HORA");
  int code = table_.FindField("CODDIHO");
  hasDia_ = dia >= 0;
  hasHora_ = hora >= 0;
  hasCode_ = code >= 0;
  if (!hasDia_) return;
  Grow();
  for (; !table_.Eof(); table_.Next()) {
    std::string day = table_.FieldAt(dia).AsString();
    // Without HORA only the days matter: a lookup fails once one matches.
    std::string period = hasHora_ ? table_.FieldAt(hora).AsString() : std::string();
    uint32_t hash = HashKey(day, period);
    Slot& slot = Probe(hash, day, period);
    if (slot.used) continue;  // the first record of a pair keeps it
    std::string all = day + period + (hasCode_ ? table_.FieldAt(code).AsString() : "");
    size_t codeLength = all.size() - day.size() - period.size();
    // A field is at most 65535 bytes wide, and so is its text.
    if (day.size() > UINT16_MAX || period.size() > UINT16_MAX || codeLength > UINT16_MAX)
      throw std::length_error("time slot text too long");
    slot.used = true;
    slot.dayLength = static_cast<uint16_t>(day.size());
    slot.periodLength = static_cast<uint16_t>(period.size());
    slot.codeLength = static_cast<uint16_t>(codeLength);
    if (!slot.InArena()) {
      std::memcpy(slot.text, all.data(), all.size());
    } else {
      size_t offset = arena_.size();
      std::memcpy(slot.text, &offset, sizeof offset);
      arena_ += all;
    }
    // At most 70 % full, so that probes stay short.
    if (++used_ * 10 > slots_.size() * 7) Grow();
  }
  // Where a field is missing, every lookup goes the hash's way, which
  // fails where a walk would.
  if (hasHora_ && hasCode_) BuildDirect();
}

void SlotIndex::BuildDirect() {
  size_t rows = 0;
  int64_t most = -1;
  for (const Slot& slot : slots_) {
    if (!slot.used || slot.dayLength != 1) continue;
    const char* text = Text(slot);
    int64_t value = PlainPeriod(std::string_view(text + 1, slot.periodLength));
    if (value < 0) continue;
    uint8_t& row = dayRow_[static_cast<unsigned char>(text[0])];
    if (row == 0) {
      if (rows == UINT8_MAX) {  // no row number left: the hash alone
        std::memset(dayRow_, 0, sizeof dayRow_);
        return;
      }
      row = static_cast<uint8_t>(++rows);
    }
    if (value > most) most = value;
  }
  if (rows == 0) return;
  periods_ = static_cast<size_t>(most) + 1;
  // A few entries for each slot at most: sparse keys stay with the hash.
  if (rows * periods_ > std::max<size_t>(4096, 8 * used_)) {
    std::memset(dayRow_, 0, sizeof dayRow_);
    periods_ = 0;
    return;
  }
  direct_.assign(rows * periods_, Direct{});
  for (const Slot& slot : slots_) {
    if (!slot.used || slot.dayLength != 1) continue;
    const char* text = Text(slot);
    int64_t value = PlainPeriod(std::string_view(text + 1, slot.periodLength));
    if (value < 0) continue;
    size_t row = dayRow_[static_cast<unsigned char>(text[0])] - 1;
    Direct& entry = direct_[row * periods_ + static_cast<size_t>(value)];
    if (slot.codeLength > kDirectCode) {
      entry.state = Direct::kAsk;
      continue;
    }
    entry.state = Direct::kCode;
    entry.codeLength = static_cast<uint8_t>(slot.codeLength);
    std::memcpy(entry.code, text + 1 + slot.periodLength, slot.codeLength);
  }
}

std::string_view SlotIndex::FindInHash(std::string_view day, std::string_view period) {
  if (!built_) Build();
  if (empty_) return {};
  // FieldByName raises the table object's own message for a missing field.
  if (!hasDia_) table_.FieldByName("DIA");
  if (!hasHora_) {
    if (Probe(HashKey(day, {}), day, {}).used) table_.FieldByName("HORA");
    return {};
  }
  const Slot& slot = Probe(HashKey(day, period), day, period);
  if (!slot.used) return {};
  if (!hasCode_) table_.FieldByName("CODDIHO");
  return std::string_view(Text(slot) + slot.dayLength + slot.periodLength, slot.codeLength);
}

}  // namespace tos
