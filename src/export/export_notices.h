// What the export tells the report: lessons without a slot, values longer
// than their column, codes that are in no table, records with day 0, time
// slots given twice. Reading for the report never changes the export: a
// table it cannot read for this is simply not checked.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/table.h"
#include "data/text.h"
#include "report/report.h"

namespace tos {

class ExportNotices {
 public:
  explicit ExportNotices(Report& report) : report_(report) {}

  // The codes of the four tables the export holds, read before the lessons.
  void ReadCodes(Table& profesor, Table& grupos, Table& nomAsg, Table& aulas);

  // One SOLUC record with day 0.
  void DayZero() { report_.Count(NoticeKind::kSesionDiaCero); }
  // One lesson as its line holds it (day as written, code "" without slot).
  struct LessonValues {
    std::string_view day, period, code, teacher, group, subject, room;
  };
  // Checks one lesson. Out of line: inline, its checks made the export's
  // loop over the lessons so large that it took 1.09 times as long as
  // without notices even where the tables held no code to look up.
  void Lesson(uint64_t record, const LessonValues& l) {
    if constexpr (kNotices) Check(record, l);
  }
  // A time slot whose day and period an earlier record of DIASHORAST has.
  void RepeatedSlot(std::string_view day, std::string_view period, int64_t record, int64_t first);

 private:
  // The codes of a column: those of up to 4 bytes packed in numbers (a
  // field's text holds no NUL, so the zeros after a shorter code tell it
  // apart), the others as texts; each sorted.
  struct CodeList {
    std::vector<uint32_t> packed;
    std::vector<std::string> longer;
    bool Has(std::string_view code) const;
  };
  // The verdicts of the codes of one column looked up so far, by a hash of
  // the code: a timetable's million lessons repeat a few hundred codes,
  // which then need no lookup in the set (a third of the export's time
  // otherwise). Codes of 1 to 4 bytes only, packed in a number (0, the
  // empty code, marks a free place); whether each is known apart, in a
  // bitset, so that a place is four bytes.
  // 8,192 places: with 2,048, a column of 900 codes in random order sent
  // 1.7% of its lookups to the set, 3% of the export's time; with 4,096,
  // the four columns still sent 18,000 lessons' codes there (1%).
  static constexpr unsigned kVerdictBits = 13;
  static constexpr size_t kVerdicts = size_t{1} << kVerdictBits;
  static_assert(kNoticeKinds <= 64, "Check marks the kinds in 64 bits");
  struct Verdicts {
    std::array<uint32_t, kVerdicts> packed{};
    std::bitset<kVerdicts> known;
  };
  // A column's codes and the verdicts looked up in them; read is false when
  // the column could not be read, and then every code is known.
  struct Column {
    bool read = false;
    CodeList codes;
    Verdicts verdicts;
  };
  static void ReadColumn(Table& table, const char* field, Column& column);
  // Whether a column holds value, by the verdict kept for it. Inline in
  // Check: it runs four times a lesson.
  static bool Known(Column& column, std::string_view value) {
    if (!column.read) return true;
    if (value.size() > 4) [[unlikely]]
      return column.codes.Has(value);
    const uint32_t packed = text::PackedCode(value);
    const size_t at = (packed * 2654435761u) >> (32 - kVerdictBits);
    if (column.verdicts.packed[at] != packed) [[unlikely]]
      Learn(column, at, packed);
    return column.verdicts.known[at];
  }
  // Looks a code up in the column and keeps its verdict at place at.
  static void Learn(Column& column, size_t at, uint32_t packed);
  // The bit of kind when found.
  static uint64_t Mark(NoticeKind kind, bool found) {
    return uint64_t{found} << static_cast<unsigned>(kind);
  }
  // A lesson's cases, found with no branch and marked one bit a kind; each
  // is then counted, and one the report still lists is told with its texts.
  void Check(uint64_t record, const LessonValues& l);
  // Adds the lesson's cases of the kinds in keep, and those of its values
  // longer than their columns.
  void Tell(uint64_t record, const LessonValues& lesson, uint64_t keep);

  Report& report_;
  Column teachers_, groups_, subjects_, rooms_;
};

}  // namespace tos
