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
  std::string_view Find(std::string_view day, std::string_view period);

 private:
  // One (DIA, HORA) pair with its code. Slot codes, days and periods are a
  // few characters long: they are kept inside the slot, so that a lookup
  // reads one cache line; longer ones go to arena_.
  static constexpr size_t kInline = 14;
  struct Slot {
    uint32_t hash = 0;  // the key's hash, to pass over most other keys unread
    uint32_t dayLength = 0;
    uint32_t periodLength = 0;
    uint32_t codeLength = 0;
    // Day, period and code one after the other, or where they start in
    // arena_ (a size_t's bytes) when they do not fit.
    char text[kInline] = {};
    bool used = false;
    bool inArena = false;
  };
  static_assert(kInline >= sizeof(size_t));

  void Build();
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
  size_t used_ = 0;
  std::string arena_;
};

}  // namespace tos
