// Teachers: sice_prof.txt -> PROFT, the first line of each abbreviation kept.
#include "data/sice_text.h"
#include "data/table.h"
#include "import/imports.h"
#include "import/seen_codes.h"

namespace tos {

void TransformarProfesores(ImportContext& context) {
  const std::string path = context.SicePath("sice_prof.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de profesores (SICE_PROF.TXT)", "sice_prof.txt");
    return;
  }
  FileWatch& watch = context.Watch("sice_prof.txt", "SICE_PROF.TXT");
  LectorLineas input;
  input.Open(path, &watch.decoding);
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
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    const Place place{"sice_prof.txt", ++number};
    if (!watch.See(line)) continue;
    std::string_view code = CortarCampoVista(line, 2, 4);
    std::string_view name = CortarCampoVista(line, 6, 90);
    std::string_view department = CortarCampoVista(line, 96, 50);
    if (!vistos.Add(code, number, name, department)) {
      context.report.Add(NoticeKind::kCodigoRepetidoDescartado, [&] {
        return RepeatedCodeNotice(place.file, number, code, vistos.First(code),
                                  OtherFields(name, department), 0);
      });
      continue;
    }
    context.CheckLine(line, code, 96, place);
    table->Append();
    abrev.SetAsString(code);
    context.Put(nombre, name, place);
    context.Put(depart, department, place);
    table->Post();
  }
  watch.ReadToEnd();
  Written(context, "PROFT", table->RecordCount());
  table->Close();
  input.Close();
}

}  // namespace tos
