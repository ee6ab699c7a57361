#include "export/export_notices.h"

#include <algorithm>
#include <bit>

namespace tos {

namespace {
std::string Where(const char* table, uint64_t record) {
  return std::string(table) + ", registro " + std::to_string(record);
}

std::string Shown(std::string_view value) {
  return value.empty() ? "(vacío)" : std::string(value);
}
}  // namespace

bool ExportNotices::CodeList::Has(std::string_view code) const {
  if (code.size() <= 4)
    return std::binary_search(packed.begin(), packed.end(), text::PackedCode(code));
  return std::binary_search(longer.begin(), longer.end(), code);
}

void ExportNotices::Learn(Column& column, size_t at, uint32_t packed) {
  const std::vector<uint32_t>& codes = column.codes.packed;
  column.verdicts.packed[at] = packed;
  column.verdicts.known[at] = std::binary_search(codes.begin(), codes.end(), packed);
}

void ExportNotices::ReadColumn(Table& table, const char* field, Column& column) {
  CodeList& codes = column.codes;
  try {
    if (table.FindField(field) < 0) return;
    table.FieldByName(field).ForEachText([&](std::string_view code) {
      if (code.size() <= 4)
        codes.packed.push_back(text::PackedCode(code));
      else
        codes.longer.emplace_back(code);
    });
  } catch (const std::exception&) {
    codes = {};
    return;
  }
  // The import writes a table's codes in the order of SICE's file, which
  // mostly lists them in order: one look instead of a sort (2 ms a column of
  // 100,000 under Wine).
  if (!std::is_sorted(codes.packed.begin(), codes.packed.end()))
    std::sort(codes.packed.begin(), codes.packed.end());
  codes.packed.erase(std::unique(codes.packed.begin(), codes.packed.end()), codes.packed.end());
  std::sort(codes.longer.begin(), codes.longer.end());
  codes.longer.erase(std::unique(codes.longer.begin(), codes.longer.end()), codes.longer.end());
  column.read = true;
}

void ExportNotices::ReadCodes(Table& profesor, Table& grupos, Table& nomAsg, Table& aulas) {
  if constexpr (!kNotices) return;
  ReadColumn(profesor, "ABREV", teachers_);
  ReadColumn(grupos, "ABREV", groups_);
  ReadColumn(nomAsg, "COD", subjects_);
  ReadColumn(aulas, "ABREV", rooms_);
}

void ExportNotices::Check(uint64_t record, const LessonValues& l) {
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
    Tell(record, l, keep);
  }
}

void ExportNotices::Tell(uint64_t record, const LessonValues& l, uint64_t keep) {
  // The lesson as the user finds it in Orvalent, made once for its first
  // case that is kept (a value that overflows past those listed needs none).
  std::string told;
  auto where = [&]() -> const std::string& {
    if (told.empty())
      told = "día " + Shown(l.day) + ", hora " + Shown(l.period) + ", profesor " +
             Shown(l.teacher) + ", grupo " + Shown(l.group) + ", asignatura " + Shown(l.subject) +
             ", aula " + Shown(l.room) + " (" + Where("SOLUC", record) + ")";
    return told;
  };
  auto kept = [&](NoticeKind kind) { return (keep >> static_cast<unsigned>(kind)) & 1; };
  if (kept(NoticeKind::kSesionSinTramo))
    report_.Add(NoticeKind::kSesionSinTramo,
                Notice{where(),
                       "DIASHORAST no tiene tramo del día " + Shown(l.day) + " y la hora " +
                           Shown(l.period),
                       ""});
  if (kept(NoticeKind::kSesionCodigoVacio)) {
    std::string empty;
    for (auto [name, value] : {std::pair{"PROF", l.teacher},
                               {"CODGRUPO", l.group},
                               {"ASIG", l.subject},
                               {"AULA", l.room}})
      if (value.empty()) empty += std::string(empty.empty() ? "" : ", ") + name;
    report_.Add(NoticeKind::kSesionCodigoVacio, Notice{where(), "vacío: " + empty, ""});
  }
  auto overflow = [&](const char* field, std::string_view value, size_t width) {
    if (value.size() <= width) return;
    report_.Add(NoticeKind::kValorDesborda, [&] {
      return Notice{where(),
                    std::string(field) + " " + std::string(value) + " (" +
                        Counted(value.size(), "carácter", "caracteres") + " en una columna de " +
                        std::to_string(width) + ")",
                    ""};
    });
  };
  overflow("código de tramo", l.code, 4);
  overflow("DIA", l.day, 1);
  overflow("PROF", l.teacher, 4);
  overflow("CODGRUPO", l.group, 4);
  overflow("ASIG", l.subject, 4);
  overflow("AULA", l.room, 4);
  auto unknown = [&](NoticeKind kind, const char* field, const char* table,
                     std::string_view value) {
    if (kept(kind))
      report_.Add(
          kind,
          Notice{where(), std::string(field) + " " + std::string(value) + ": no está en " + table,
                 ""});
  };
  unknown(NoticeKind::kProfesorDesconocido, "PROF", "PROFT", l.teacher);
  unknown(NoticeKind::kGrupoNoEnTabla, "CODGRUPO", "GRUPOST", l.group);
  unknown(NoticeKind::kAsignaturaNoEnTabla, "ASIG", "ASIGNOMT", l.subject);
  unknown(NoticeKind::kAulaDesconocida, "AULA", "AULAT", l.room);
}

void ExportNotices::RepeatedSlot(std::string_view day, std::string_view period, int64_t record,
                                 int64_t first) {
  report_.Add(NoticeKind::kTramoDuplicadoEnTabla, [&] {
    return Notice{"día " + std::string(day) + ", hora " + std::string(period) + " (" +
                      Where("DIASHORAST", static_cast<uint64_t>(record)) + ")",
                  "el registro " + std::to_string(first) + " tiene el mismo día y hora", ""};
  });
}

}  // namespace tos
