// The time-slot lookup of the export: the SICE slot code of a day and period,
// from DIASHORAST.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/table.h"

namespace tos {

class SlotIndex {
 public:
  // A record whose DIA and HORA an earlier record (first) already has.
  using Repeated = std::function<void(std::string_view day, std::string_view period, int64_t record,
                                      int64_t first)>;
  // tramos must be open and stay open while the index is used; repeated, if
  // given, is told of each repeated record as it is read.
  explicit SlotIndex(Table& tramos, Repeated repeated = {})
      : table_(tramos), repeated_(std::move(repeated)) {}

  // CODDIHO of the first record in table order whose DIA and HORA, read as
  // text, equal day and period exactly; empty when none does. It answers as
  // a walk from the first record would: records are read only as far as the
  // answer (what was read is kept for later lookups), and what the walk
  // would fail on fails here, where the walk meets it: DIA on every record
  // it passes, HORA once a DIA matches, CODDIHO once both do. The view lives
  // until the next call.
  std::string_view Find(std::string_view day, std::string_view period);

  // Reads the records no lookup has needed, so that every repeated one is
  // told; stops, with no error, at a DIA that cannot be read.
  void ReadRest();

  // How many records have been read so far.
  int64_t RecordsRead() const { return read_; }

 private:
  // What the walk does at the first record of a key: give a code, or fail.
  struct Outcome {
    int64_t record = 0;
    std::string code;
    std::exception_ptr error;
  };
  // Texts looked up as views, with no copy.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <class Value>
  using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;
  // What has been read of one DIA: the first record of each HORA, and the
  // first record whose HORA could not be read.
  struct Day {
    TextMap<Outcome> periods;
    std::optional<Outcome> failure;
  };
  // Reads the next record into days_; false at the end of the table.
  bool ReadNext();

  // The answers given so far for the keys nearly every timetable has, a
  // one-byte day and a period written as a plain number below
  // kMemoPeriods, by day byte and period: a lesson's slot is then found
  // with no hashing. An answer never changes once given. A code that fits
  // is held in the answer itself, so that a lookup reads the memo alone:
  // fetching it from the map's nodes, scattered over thousands of slots,
  // was a fifth of the export's time.
  static constexpr int kMemoPeriods = 10000;
  static int MemoPeriod(std::string_view period);
  struct Answer {
    bool given = false;
    uint8_t size = 0;  // of text, when the code fits in it
    char text[6] = {};
    const std::string* longer = nullptr;  // the code, when it does not
  };
  std::vector<Answer> memo_[256];

  Table& table_;
  Repeated repeated_;
  bool started_ = false;
  int64_t read_ = 0;
  TextMap<Day> days_;
};

}  // namespace tos
