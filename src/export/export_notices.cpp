#include "export/export_notices.h"

#include <unordered_map>

namespace tos {

namespace {
std::string Where(const char* table, uint64_t record) {
  return std::string(table) + ", registro " + std::to_string(record);
}
}  // namespace

ExportNotices::Codes ExportNotices::ReadColumn(Table& table, const char* field) {
  Codes codes;
  try {
    if (table.FindField(field) < 0) return std::nullopt;
    Field column = table.FieldByName(field);
    codes.emplace();
    for (table.First(); !table.Eof(); table.Next()) codes->insert(column.AsString());
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return codes;
}

void ExportNotices::ReadCodes(Table& profesor, Table& grupos, Table& nomAsg, Table& aulas) {
  teachers_ = ReadColumn(profesor, "ABREV");
  groups_ = ReadColumn(grupos, "ABREV");
  subjects_ = ReadColumn(nomAsg, "COD");
  rooms_ = ReadColumn(aulas, "ABREV");
}

void ExportNotices::Check(const Codes& codes, Verdicts& verdicts, NoticeKind kind, uint64_t record,
                          const char* field, std::string_view value) {
  if (!codes || value.empty()) return;
  bool known;
  if (value.size() <= 4) {
    uint32_t packed = 0;
    for (size_t i = 0; i < 4; ++i)
      packed = packed << 8 | (i < value.size() ? static_cast<unsigned char>(value[i]) : 0u);
    // A field's text holds no NUL, so the zeros after a shorter code tell
    // it apart.
    Verdict& verdict = verdicts[(packed * 2654435761u) >> 22];
    if (!verdict.used || verdict.packed != packed)
      verdict = {packed, true, codes->find(value) != codes->end()};
    known = verdict.known;
  } else {
    known = codes->find(value) != codes->end();
  }
  if (known) return;
  report_.Add(kind, {Where("SOLUC", record), std::string(field) + " " + std::string(value), ""});
}

void ExportNotices::Overflow(uint64_t record, const char* field, std::string_view value,
                             size_t width) {
  if (value.size() <= width) return;
  report_.Add(
      NoticeKind::kValorDesborda,
      {Where("SOLUC", record),
       std::string(field) + " (ancho " + std::to_string(width) + "): " + std::string(value), ""});
}

void ExportNotices::Lesson(uint64_t record, std::string_view day, std::string_view period,
                           std::string_view code, std::string_view teacher, std::string_view group,
                           std::string_view subject, std::string_view room) {
  if (code.empty())
    report_.Add(
        NoticeKind::kSesionSinTramo,
        {Where("SOLUC", record), "día " + std::string(day) + ", hora " + std::string(period), ""});
  Overflow(record, "código de tramo", code, 4);
  Overflow(record, "DIA", day, 1);
  Overflow(record, "PROF", teacher, 4);
  Overflow(record, "CODGRUPO", group, 4);
  Overflow(record, "ASIG", subject, 4);
  Overflow(record, "AULA", room, 4);
  Check(teachers_, teacherVerdicts_, NoticeKind::kProfesorDesconocido, record, "PROF", teacher);
  Check(groups_, groupVerdicts_, NoticeKind::kGrupoNoEnTabla, record, "CODGRUPO", group);
  Check(subjects_, subjectVerdicts_, NoticeKind::kAsignaturaNoEnTabla, record, "ASIG", subject);
  Check(rooms_, roomVerdicts_, NoticeKind::kAulaDesconocida, record, "AULA", room);
}

void ExportNotices::RepeatedSlots(Table& tramos) {
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
      if (!added)
        report_.Add(NoticeKind::kTramoDuplicadoEnTabla,
                    {Where("DIASHORAST", record),
                     "día " + day + ", hora " + period +
                         "; primer registro con ellos: " + std::to_string(at->second),
                     ""});
    }
  } catch (const std::exception&) {
    // What could be read is told; the export itself has read what it needed.
  }
}

}  // namespace tos
