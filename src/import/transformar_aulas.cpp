// Rooms: sice_aulas.txt -> AULAT, every data line a record.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"

namespace tos {

void TransformarAulas(ImportContext& context) {
  const std::string path = context.SicePath("sice_aulas.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de aulas (SICE_AULAS.TXT)", "sice_aulas.txt");
    return;
  }
  FileWatch& watch = context.Watch("sice_aulas.txt", "SICE_AULAS.TXT");
  LectorLineas input;
  input.Open(path, &watch.decoding);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "AULAT",
                                              {{"ABREV", FieldKind::kText, 4},
                                               {"NOMBRE", FieldKind::kText, 40},
                                               {"EDIFICIO", FieldKind::kText, 1},
                                               {"MAXALUM", FieldKind::kWhole, 0},
                                               {"DEPCENTRO", FieldKind::kText, 10}});
  Field abrev = table->FieldByName("ABREV");
  Field nombre = table->FieldByName("NOMBRE");

  CodigosRepetidos codes;
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    const Place place{"sice_aulas.txt", ++number};
    if (!watch.See(line)) continue;
    std::string_view code = CortarCampoVista(line, 12, 4);
    std::string_view name = CortarCampoVista(line, 86, 100);
    context.CheckLine(line, code, 86, place);
    codes.Add(context, code, name, place);
    table->Append();
    abrev.SetAsString(code);
    context.Put(nombre, name, place);
    table->Post();
  }
  watch.ReadToEnd();
  Written(context, "AULAT", table->RecordCount());
  table->Close();
  input.Close();
}

}  // namespace tos
