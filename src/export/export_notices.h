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
  struct LessonValues {
    std::string_view day, period, code, teacher, group, subject, room;
  };
  // Inline, as it runs for every lesson: a lesson with nothing to tell, or
  // whose cases are past those the report lists, costs a few comparisons
  // and its counts; only a case the report keeps is told out of line, with
  // its texts.
  void Lesson(uint64_t record, const LessonValues& l) {
    if constexpr (!kNotices) return;
    uint64_t keep = 0;
    Check(l.code.empty(), NoticeKind::kSesionSinTramo, keep);
    Check(l.teacher.empty() || l.group.empty() || l.subject.empty() || l.room.empty(),
          NoticeKind::kSesionCodigoVacio, keep);
    // An empty code is told above; a table that could not be read tells nothing.
    Check(teachers_ && !l.teacher.empty() && !Known(*teachers_, teacherVerdicts_, l.teacher),
          NoticeKind::kProfesorDesconocido, keep);
    Check(groups_ && !l.group.empty() && !Known(*groups_, groupVerdicts_, l.group),
          NoticeKind::kGrupoNoEnTabla, keep);
    Check(subjects_ && !l.subject.empty() && !Known(*subjects_, subjectVerdicts_, l.subject),
          NoticeKind::kAsignaturaNoEnTabla, keep);
    Check(rooms_ && !l.room.empty() && !Known(*rooms_, roomVerdicts_, l.room),
          NoticeKind::kAulaDesconocida, keep);
    const bool overflows = l.code.size() > 4 || l.day.size() > 1 || l.teacher.size() > 4 ||
                           l.group.size() > 4 || l.subject.size() > 4 || l.room.size() > 4;
    if (keep || overflows) Tell(record, l, keep);
  }
  // A time slot whose day and period an earlier record of DIASHORAST has.
  void RepeatedSlot(std::string_view day, std::string_view period, int64_t record, int64_t first);

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
  // 4,096 places: with 2,048, a column of 900 codes in random order sent
  // 1.7% of its lookups to the set, 3% of the export's time.
  static constexpr unsigned kVerdictBits = 12;
  static constexpr size_t kVerdicts = size_t{1} << kVerdictBits;
  static_assert(kNoticeKinds <= 64, "Check marks the kinds in 64 bits");
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
    size_t at = (packed * 2654435761u) >> (32 - kVerdictBits);
    if (verdicts.packed[at] != packed) Learn(codes, verdicts, at, packed);
    return verdicts.known[at];
  }
  // Looks a code up in the column and keeps its verdict at place at.
  static void Learn(const CodeList& codes, Verdicts& verdicts, size_t at, uint32_t packed);
  // A case found: counted when the report lists no more of its kind, else
  // marked in keep to be told.
  void Check(bool found, NoticeKind kind, uint64_t& keep) {
    if (!found) return;
    if (report_.Keeps(kind))
      keep |= uint64_t{1} << static_cast<unsigned>(kind);
    else
      report_.Count(kind);
  }
  // Adds the lesson's cases of the kinds in keep, and those of its values
  // longer than their columns.
  void Tell(uint64_t record, const LessonValues& lesson, uint64_t keep);

  Report& report_;
  Codes teachers_, groups_, subjects_, rooms_;
  Verdicts teacherVerdicts_, groupVerdicts_, subjectVerdicts_, roomVerdicts_;
};

}  // namespace tos
