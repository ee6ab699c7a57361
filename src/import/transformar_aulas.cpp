// Rooms: sice_aulas.txt -> AULAT, every data line a record.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"

namespace tos {

void TransformarAulas(ImportContext& context) {
  const std::string path = context.SicePath("sice_aulas.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de aulas (SICE_AULAS.TXT)");
    return;
  }
  LectorLineas input;
  input.Open(path);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "AULAT",
                                              {{"ABREV", FieldKind::kText, 4},
                                               {"NOMBRE", FieldKind::kText, 40},
                                               {"EDIFICIO", FieldKind::kText, 1},
                                               {"MAXALUM", FieldKind::kWhole, 0},
                                               {"DEPCENTRO", FieldKind::kText, 10}});
  Field abrev = table->FieldByName("ABREV");
  Field nombre = table->FieldByName("NOMBRE");

  while (!input.AtEnd()) {
    std::string line = input.ReadLine();
    if (!EsLineaDeDatos(line, "SICE_AULAS.TXT")) continue;
    table->Append();
    abrev.SetAsString(CortarCampoVista(line, 12, 4));
    nombre.SetAsString(CortarCampoVista(line, 86, 100));
    table->Post();
  }
  table->Close();
  input.Close();
}

}  // namespace tos
