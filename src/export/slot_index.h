// The time-slot lookup of the export: the SICE slot code of a day and period,
// from DIASHORAST, through one hash index built on the first lookup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/table.h"

namespace tos {

class SlotIndex {
 public:
  // tramos must be open and stay open while the index is used.
  explicit SlotIndex(Table& tramos) : table_(tramos) {}

  // CODDIHO of the first record in table order whose DIA and HORA, read as
  // text, equal day and period exactly; empty when none does. A field the
  // table lacks fails exactly where a walk from the first record would have
  // needed it: DIA at the first lookup in a table with records, HORA once a
  // DIA matches, CODDIHO once both do. The view lives as long as the index.
  std::string_view Find(std::string_view day, std::string_view period) {
    if (!direct_.empty() && day.size() == 1) {
      int64_t value = PlainPeriod(period);
      if (value >= 0) {
        size_t row = dayRow_[static_cast<unsigned char>(day[0])];
        if (row == 0 || static_cast<size_t>(value) >= periods_) return {};
        const Direct& entry = direct_[(row - 1) * periods_ + static_cast<size_t>(value)];
        if (entry.state == Direct::kNone) return {};
        if (entry.state == Direct::kCode) return std::string_view(entry.code, entry.codeLength);
      }
    }
    return FindInHash(day, period);
  }

 private:
  // One (DIA, HORA) pair with its code, in 16 bytes so that the index of
  // tens of thousands of slots stays in the processor's cache. Slot codes,
  // days and periods are a few characters long: they are kept inside the
  // slot; longer ones go to arena_. Field texts are at most 65535 bytes.
  static constexpr size_t kInline = 9;
  struct Slot {
    uint16_t dayLength = 0;
    uint16_t periodLength = 0;
    uint16_t codeLength = 0;
    bool used = false;
    // Day, period and code one after the other, or where they start in
    // arena_ (a size_t's bytes) when they do not fit.
    char text[kInline] = {};
    bool InArena() const { return size_t{dayLength} + periodLength + codeLength > kInline; }
  };
  static_assert(sizeof(Slot) == 16);
  static_assert(kInline >= sizeof(size_t));

  // Beside the hash index, for the keys nearly every timetable has: a
  // one-byte day and a period written as a plain decimal number ("0", or
  // digits without a leading zero). Such a key picks its entry by the day's
  // row and the period's value, with no hashing and one memory access; its
  // code is kept in the entry when it is short. Each text has one such form,
  // so "02" (no plain number) and "2" never meet here. Built only when the
  // keys fit a table a few times the size of DIASHORAST.
  static constexpr size_t kDirectCode = 6;
  struct Direct {
    // kAsk: a code too long to keep here, which the hash index gives.
    enum State : uint8_t { kNone, kCode, kAsk } state = kNone;
    uint8_t codeLength = 0;
    char code[kDirectCode] = {};
  };
  static_assert(sizeof(Direct) == 8);
  // The value of a period in its plain decimal form; -1 for any other text.
  static int64_t PlainPeriod(std::string_view period) {
    if (period.empty() || period.size() > 5 || (period[0] == '0' && period.size() > 1)) return -1;
    int64_t value = 0;
    for (char c : period) {
      unsigned d = static_cast<unsigned char>(c) - unsigned{'0'};
      if (d > 9) return -1;
      value = value * 10 + d;
    }
    return value;
  }
  void BuildDirect();

  void Build();
  std::string_view FindInHash(std::string_view day, std::string_view period);
  // The slot holding that key, or the empty slot where it would go.
  Slot& Probe(uint32_t hash, std::string_view day, std::string_view period);
  void Grow();
  const char* Text(const Slot& slot) const;

  Table& table_;
  bool built_ = false;
  bool empty_ = true;
  bool hasDia_ = false;
  bool hasHora_ = false;
  bool hasCode_ = false;
  std::vector<Slot> slots_;  // open addressing, a power of two in size
  // The direct table, one row per day byte that has one, periods_ entries a
  // row; empty when not built.
  uint8_t dayRow_[256] = {};  // the row + 1; 0: no key of that day fits here
  size_t periods_ = 0;
  std::vector<Direct> direct_;
  size_t used_ = 0;
  std::string arena_;
};

}  // namespace tos
