// The time-slot lookup of the export: the SICE slot code of a day and period,
// from DIASHORAST.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>

#include "data/table.h"

namespace tos {

class SlotIndex {
 public:
  // tramos must be open and stay open while the index is used.
  explicit SlotIndex(Table& tramos) : table_(tramos) {}

  // CODDIHO of the first record in table order whose DIA and HORA, read as
  // text, equal day and period exactly; empty when none does. It answers as
  // a walk from the first record would: records are read only as far as the
  // answer (what was read is kept for later lookups), and what the walk
  // would fail on fails here, where the walk meets it: DIA on every record
  // it passes, HORA once a DIA matches, CODDIHO once both do. The view lives
  // as long as the index.
  std::string_view Find(std::string_view day, std::string_view period);

  // How many records have been read so far.
  int64_t RecordsRead() const { return read_; }

 private:
  // What the walk does at the first record of a key: give a code, or fail.
  struct Outcome {
    int64_t record = 0;
    std::string code;
    std::exception_ptr error;
  };
  static std::string Key(std::string_view day, std::string_view period);
  // Reads the next record into the maps; false at the end of the table.
  bool ReadNext();

  Table& table_;
  bool started_ = false;
  int64_t read_ = 0;
  // The first record of each (DIA, HORA) read so far.
  std::unordered_map<std::string, Outcome> pairs_;
  // The first record of each DIA whose HORA could not be read.
  std::unordered_map<std::string, Outcome> dayFailures_;
};

}  // namespace tos
