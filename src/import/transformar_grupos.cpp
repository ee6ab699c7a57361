// Groups (class units): sice_grupo.txt -> GRUPOST, every data line a record,
// read back by the assignments import.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"

namespace tos {

void TransformarGrupos(ImportContext& context) {
  const std::string path = context.SicePath("sice_grupo.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de grupos (SICE_GRUPO.TXT)", "sice_grupo.txt");
    return;
  }
  FileWatch& watch = context.Watch("sice_grupo.txt", "SICE_GRUPOS.TXT");
  LectorLineas input;
  input.Open(path, &watch.decoding);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "GRUPOST",
                                              {{"ABREV", FieldKind::kText, 4},
                                               {"TURNO", FieldKind::kText, 1},
                                               {"NIVEL", FieldKind::kText, 5},
                                               {"CURSO", FieldKind::kText, 3},
                                               {"GRUPO", FieldKind::kText, 2},
                                               {"UNIDAD", FieldKind::kText, 10}});
  Field abrev = table->FieldByName("ABREV");
  Field turno = table->FieldByName("TURNO");
  Field nivel = table->FieldByName("NIVEL");
  Field curso = table->FieldByName("CURSO");
  Field grupo = table->FieldByName("GRUPO");
  Field unidad = table->FieldByName("UNIDAD");

  CodigosRepetidos codes;
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    const Place place{"sice_grupo.txt", ++number};
    // SICE names this file SICE_GRUPO.TXT but its self-name line carries an
    // S; a line naming SICE_GRUPO.TXT is data.
    if (!watch.See(line)) continue;
    std::string_view unit = CortarCampoVista(line, 2, 10);
    std::string_view level = CortarCampoVista(line, 16, 3);
    // The unit is trimmed, so its last character (the group letter, "A" of
    // "1ESO A") is never a blank.
    std::string_view letter = unit.empty() ? unit : unit.substr(unit.size() - 1);
    if (level.empty()) level = "NIV";
    std::string_view code = CortarCampoVista(line, 12, 4);
    context.CheckLine(line, code, 35, place);
    codes.Add(context, code, unit, place);
    table->Append();
    abrev.SetAsString(code);
    context.Put(turno, CortarCampoVista(line, 35, 3), place);
    nivel.SetAsString(level);
    curso.SetAsString(CortarCampoVista(line, 22, 3));
    grupo.SetAsString(letter);
    unidad.SetAsString(unit);
    table->Post();
  }
  watch.ReadToEnd();
  Written(context, "GRUPOST", table->RecordCount());
  table->Close();
  input.Close();
}

}  // namespace tos
