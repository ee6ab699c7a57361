// The time-slot lookup of the export: the SICE slot code of a day and period,
// from DIASHORAST, through one hash index built on the first lookup.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "data/table.h"

namespace tos {

class SlotIndex {
 public:
  // tramos must be open and stay open while the index is used.
  explicit SlotIndex(Table& tramos) : table_(tramos) {}

  // CODDIHO of the first record in table order whose DIA and HORA, read as
  // text, equal day and period exactly; "" when none does. A field the
  // table lacks fails exactly where a walk from the first record would have
  // needed it: DIA at the first lookup in a table with records, HORA once a
  // DIA matches, CODDIHO once both do.
  const std::string& Find(const std::string& day, const std::string& period);

 private:
  void Build();
  void MakeKey(const std::string& day, const std::string& period);

  Table& table_;
  bool built_ = false;
  bool empty_ = true;
  bool hasDia_ = false;
  bool hasHora_ = false;
  bool hasCode_ = false;
  std::unordered_map<std::string, std::string> codes_;
  std::unordered_set<std::string> days_;  // only filled when HORA is missing
  std::string key_;
};

}  // namespace tos
