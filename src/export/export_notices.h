// What the export tells the report: lessons without a slot, values longer
// than their column, codes that are in no table, records with day 0, time
// slots given twice. Reading for the report never changes the export: a
// table it cannot read for this is simply not checked.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
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
  // Inline, as it runs for every lesson: the cases are found with no
  // branch and marked one bit a kind, and a lesson is then counted (or, for
  // a case the report still lists, told out of line with its texts). The
  // values are taken by value, so that they stay in registers unless a
  // lesson is told.
  void Lesson(uint64_t record, LessonValues l) {
    if constexpr (!kNotices) return;
    // An empty code is told as such; a table that could not be read tells
    // nothing.
    const uint64_t found =
        Mark(NoticeKind::kSesionSinTramo, l.code.empty()) |
        Mark(NoticeKind::kSesionCodigoVacio,
             l.teacher.empty() | l.group.empty() | l.subject.empty() | l.room.empty()) |
        Mark(NoticeKind::kProfesorDesconocido, !l.teacher.empty() & !Known(teachers_, l.teacher)) |
        Mark(NoticeKind::kGrupoNoEnTabla, !l.group.empty() & !Known(groups_, l.group)) |
        Mark(NoticeKind::kAsignaturaNoEnTabla, !l.subject.empty() & !Known(subjects_, l.subject)) |
        Mark(NoticeKind::kAulaDesconocida, !l.room.empty() & !Known(rooms_, l.room));
    const bool overflows = (l.code.size() > 4) | (l.day.size() > 1) | (l.teacher.size() > 4) |
                           (l.group.size() > 4) | (l.subject.size() > 4) | (l.room.size() > 4);
    if (!(found | overflows)) return;
    uint64_t keep = 0;
    for (uint64_t left = found; left != 0; left &= left - 1) {
      const auto kind = static_cast<NoticeKind>(std::countr_zero(left));
      if (report_.Keeps(kind))
        keep |= left & -left;
      else
        report_.Count(kind);
    }
    if (keep | overflows) [[unlikely]] {
      const LessonValues told = l;
      Tell(record, told, keep);
    }
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
  // empty code, marks a free place); whether each is known apart, so that
  // the four columns' verdicts stay small enough to be read from the
  // processor's nearest cache.
  // 4,096 places: with 2,048, a column of 900 codes in random order sent
  // 1.7% of its lookups to the set, 3% of the export's time.
  static constexpr unsigned kVerdictBits = 12;
  static constexpr size_t kVerdicts = size_t{1} << kVerdictBits;
  static_assert(kNoticeKinds <= 64, "Lesson marks the kinds in 64 bits");
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
  // Whether a column holds value, by the verdict kept for it. Inline: it
  // runs four times a lesson.
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
  // Adds the lesson's cases of the kinds in keep, and those of its values
  // longer than their columns.
  void Tell(uint64_t record, const LessonValues& lesson, uint64_t keep);

  Report& report_;
  Column teachers_, groups_, subjects_, rooms_;
};

}  // namespace tos
