#include "export/export_notices.h"

#include <algorithm>
#include <unordered_map>

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

void ExportNotices::Learn(const CodeList& codes, Verdicts& verdicts, size_t at, uint32_t packed) {
  verdicts.packed[at] = packed;
  verdicts.known[at] = std::binary_search(codes.packed.begin(), codes.packed.end(), packed);
}

ExportNotices::Codes ExportNotices::ReadColumn(Table& table, const char* field) {
  Codes codes;
  try {
    if (table.FindField(field) < 0) return std::nullopt;
    Field column = table.FieldByName(field);
    codes.emplace();
    std::string spill;
    for (table.First(); !table.Eof(); table.Next()) {
      std::string_view code = column.AsStringView(spill);
      if (code.size() <= 4)
        codes->packed.push_back(text::PackedCode(code));
      else
        codes->longer.emplace_back(code);
    }
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::sort(codes->packed.begin(), codes->packed.end());
  codes->packed.erase(std::unique(codes->packed.begin(), codes->packed.end()), codes->packed.end());
  std::sort(codes->longer.begin(), codes->longer.end());
  codes->longer.erase(std::unique(codes->longer.begin(), codes->longer.end()), codes->longer.end());
  return codes;
}

void ExportNotices::ReadCodes(Table& profesor, Table& grupos, Table& nomAsg, Table& aulas) {
  if constexpr (!kNotices) return;
  teachers_ = ReadColumn(profesor, "ABREV");
  groups_ = ReadColumn(grupos, "ABREV");
  subjects_ = ReadColumn(nomAsg, "COD");
  rooms_ = ReadColumn(aulas, "ABREV");
}

template <typename Where>
void ExportNotices::Unknown(NoticeKind kind, const char* field, const char* table,
                            std::string_view value, Where& where) {
  report_.Add(kind, [&] {
    return Notice{where(), std::string(field) + " " + std::string(value) + ": no está en " + table,
                  ""};
  });
}

template <typename Where>
void ExportNotices::Overflow(const char* field, std::string_view value, size_t width,
                             Where& where) {
  report_.Add(NoticeKind::kValorDesborda, [&] {
    return Notice{where(),
                  std::string(field) + " " + std::string(value) + " (" +
                      Counted(value.size(), "carácter", "caracteres") + " en una columna de " +
                      std::to_string(width) + ")",
                  ""};
  });
}

void ExportNotices::Lesson(uint64_t record, std::string_view day, std::string_view period,
                           std::string_view code, std::string_view teacher, std::string_view group,
                           std::string_view subject, std::string_view room) {
  if constexpr (!kNotices) return;
  // The lesson as the user finds it in Orvalent, made once for its first
  // case that is kept.
  std::string told;
  auto where = [&]() -> std::string {
    if (told.empty())
      told = "día " + Shown(day) + ", hora " + Shown(period) + ", profesor " + Shown(teacher) +
             ", grupo " + Shown(group) + ", asignatura " + Shown(subject) + ", aula " +
             Shown(room) + " (" + Where("SOLUC", record) + ")";
    return told;
  };
  if (code.empty())
    report_.Add(NoticeKind::kSesionSinTramo, [&] {
      return Notice{
          where(),
          "DIASHORAST no tiene tramo del día " + Shown(day) + " y la hora " + Shown(period), ""};
    });
  if (teacher.empty() || group.empty() || subject.empty() || room.empty())
    report_.Add(NoticeKind::kSesionCodigoVacio, [&] {
      std::string empty;
      for (auto [name, value] :
           {std::pair{"PROF", teacher}, {"CODGRUPO", group}, {"ASIG", subject}, {"AULA", room}})
        if (value.empty()) empty += std::string(empty.empty() ? "" : ", ") + name;
      return Notice{where(), "vacío: " + empty, ""};
    });
  // Checked here, so that a lesson whose values fit costs no call.
  if (code.size() > 4) Overflow("código de tramo", code, 4, where);
  if (day.size() > 1) Overflow("DIA", day, 1, where);
  if (teacher.size() > 4) Overflow("PROF", teacher, 4, where);
  if (group.size() > 4) Overflow("CODGRUPO", group, 4, where);
  if (subject.size() > 4) Overflow("ASIG", subject, 4, where);
  if (room.size() > 4) Overflow("AULA", room, 4, where);
  // An empty code is told above; a table that could not be read tells nothing.
  if (teachers_ && !teacher.empty() && !Known(*teachers_, teacherVerdicts_, teacher))
    Unknown(NoticeKind::kProfesorDesconocido, "PROF", "PROFT", teacher, where);
  if (groups_ && !group.empty() && !Known(*groups_, groupVerdicts_, group))
    Unknown(NoticeKind::kGrupoNoEnTabla, "CODGRUPO", "GRUPOST", group, where);
  if (subjects_ && !subject.empty() && !Known(*subjects_, subjectVerdicts_, subject))
    Unknown(NoticeKind::kAsignaturaNoEnTabla, "ASIG", "ASIGNOMT", subject, where);
  if (rooms_ && !room.empty() && !Known(*rooms_, roomVerdicts_, room))
    Unknown(NoticeKind::kAulaDesconocida, "AULA", "AULAT", room, where);
}

void ExportNotices::RepeatedSlots(Table& tramos) {
  if constexpr (!kNotices) return;
  try {
    Field dia = tramos.FieldByName("DIA");
    Field hora = tramos.FieldByName("HORA");
    std::unordered_map<std::string, uint64_t> first;
    uint64_t record = 0;
    for (tramos.First(); !tramos.Eof(); tramos.Next()) {
      ++record;
      std::string day = dia.AsString();
      std::string period = hora.AsString();
      auto [at, added] = first.try_emplace(std::to_string(day.size()) + ':' + day + period, record);
      if (added) continue;
      const uint64_t firstRecord = at->second;
      report_.Add(NoticeKind::kTramoDuplicadoEnTabla, [&] {
        return Notice{"día " + day + ", hora " + period + " (" + Where("DIASHORAST", record) + ")",
                      "el registro " + std::to_string(firstRecord) + " tiene el mismo día y hora",
                      ""};
      });
    }
  } catch (const std::exception&) {
    // What could be read is told; the export itself has read what it needed.
  }
}

}  // namespace tos
