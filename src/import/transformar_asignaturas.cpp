// Subjects: sice_asignat.txt -> ASIGNOMT, the first line of each code kept.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"
#include "import/seen_codes.h"

namespace tos {

void TransformarAsignaturas(ImportContext& context) {
  const std::string path = context.SicePath("sice_asignat.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de asignaturas (SICE_ASIGNAT.TXT)");
    return;
  }
  LectorLineas input;
  input.Open(path);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "ASIGNOMT",
                                              {{"COD", FieldKind::kText, 4},
                                               {"CODLARGO", FieldKind::kText, 8},
                                               {"NOMBRE", FieldKind::kText, 40},
                                               {"MATERIA", FieldKind::kText, 8}});
  Field cod = table->FieldByName("COD");
  Field codLargo = table->FieldByName("CODLARGO");
  Field nombre = table->FieldByName("NOMBRE");

  CodigosVistos vistos;
  while (!input.AtEnd()) {
    std::string line = input.ReadLine();
    if (!EsLineaDeDatos(line, "SICE_ASIGNAT.TXT")) continue;
    std::string_view code = CortarCampoVista(line, 2, 4);
    // The first line of a code wins whatever the later ones hold.
    if (!vistos.Add(code)) continue;
    table->Append();
    cod.SetAsString(code);
    codLargo.SetAsString(CortarCampoVista(line, 6, 20));
    nombre.SetAsString(CortarCampoVista(line, 26, 150));
    table->Post();
  }
  table->Close();
  input.Close();
}

}  // namespace tos
