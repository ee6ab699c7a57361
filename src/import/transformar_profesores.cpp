// Teachers: sice_prof.txt -> PROFT, the first line of each abbreviation kept.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"
#include "import/seen_codes.h"

namespace tos {

void TransformarProfesores(ImportContext& context) {
  const std::string path = context.SicePath("sice_prof.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de profesores (SICE_PROF.TXT)");
    return;
  }
  LectorLineas input;
  input.Open(path);
  // DNI, X_EMPLEADO and F_TOMAPOS are Orvalent's to fill.
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "PROFT",
                                              {{"ABREV", FieldKind::kText, 4},
                                               {"NOMBRE", FieldKind::kText, 40},
                                               {"DEPART", FieldKind::kText, 40},
                                               {"DNI", FieldKind::kWhole, 0},
                                               {"X_EMPLEADO", FieldKind::kText, 10},
                                               {"F_TOMAPOS", FieldKind::kText, 10}});
  Field abrev = table->FieldByName("ABREV");
  Field nombre = table->FieldByName("NOMBRE");
  Field depart = table->FieldByName("DEPART");

  CodigosVistos vistos;
  while (!input.AtEnd()) {
    std::string line = input.ReadLine();
    if (!EsLineaDeDatos(line, "SICE_PROF.TXT")) continue;
    std::string_view code = CortarCampoVista(line, 2, 4);
    if (!vistos.Add(code)) continue;
    table->Append();
    abrev.SetAsString(code);
    nombre.SetAsString(CortarCampoVista(line, 6, 90));
    depart.SetAsString(CortarCampoVista(line, 96, 50));
    table->Post();
  }
  table->Close();
  input.Close();
}

}  // namespace tos
