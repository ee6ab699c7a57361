// What the export tells the report: lessons without a slot, values longer
// than their column, codes that are in no table, records with day 0, time
// slots given twice. Reading for the report never changes the export: a
// table it cannot read for this is simply not checked.
#pragma once

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
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
  void Lesson(uint64_t record, std::string_view day, std::string_view period, std::string_view code,
              std::string_view teacher, std::string_view group, std::string_view subject,
              std::string_view room);
  // Time slots with the same day and period, from a walk of the whole table.
  void RepeatedSlots(Table& tramos);

 private:
  // The codes of a column: those of up to 4 bytes packed in numbers (a
  // field's text holds no NUL, so the zeros after a shorter code tell it
  // apart), the others as texts; each sorted. None when the column could
  // not be read.
  struct CodeList {
    std::vector<uint32_t> packed;
    std::vector<std::string> longer;
    bool Has(std::string_view code) const;
  };
  using Codes = std::optional<CodeList>;
  // The verdicts of the codes of one column looked up so far, by a hash of
  // the code: a timetable's million lessons repeat a few hundred codes,
  // which then need no lookup in the set (a third of the export's time
  // otherwise). Codes of 1 to 4 bytes only, packed in a number (0, the
  // empty code, marks a free place); whether each is known apart, so that
  // the four columns' verdicts stay small enough to be read from the
  // processor's nearest cache.
  static constexpr size_t kVerdicts = 2048;
  struct Verdicts {
    std::array<uint32_t, kVerdicts> packed{};
    std::bitset<kVerdicts> known;
  };
  static Codes ReadColumn(Table& table, const char* field);
  // Whether a column's codes hold value (not empty), by the verdict kept
  // for it. Inline: it runs four times a lesson.
  static bool Known(const CodeList& codes, Verdicts& verdicts, std::string_view value) {
    if (value.size() > 4) return codes.Has(value);
    uint32_t packed = text::PackedCode(value);
    size_t at = (packed * 2654435761u) >> 21;
    if (verdicts.packed[at] != packed) Learn(codes, verdicts, at, packed);
    return verdicts.known[at];
  }
  // Looks a code up in the column and keeps its verdict at place at.
  static void Learn(const CodeList& codes, Verdicts& verdicts, size_t at, uint32_t packed);
  // Each adds its case, the lesson told by where().
  template <typename Where>
  void Unknown(NoticeKind kind, const char* field, const char* table, std::string_view value,
               Where& where);
  template <typename Where>
  void Overflow(const char* field, std::string_view value, size_t width, Where& where);

  Report& report_;
  Codes teachers_, groups_, subjects_, rooms_;
  Verdicts teacherVerdicts_, groupVerdicts_, subjectVerdicts_, roomVerdicts_;
};

}  // namespace tos
