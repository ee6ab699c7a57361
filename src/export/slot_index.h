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
