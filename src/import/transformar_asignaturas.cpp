// Subjects: sice_asignat.txt -> ASIGNOMT, the first line of each code kept.
#include <algorithm>
#include <vector>

#include "data/sice_text.h"
#include "data/table.h"
#include "data/text.h"
#include "import/imports.h"
#include "import/seen_codes.h"

namespace tos {

void TransformarAsignaturas(ImportContext& context) {
  const std::string path = context.SicePath("sice_asignat.txt");
  if (!ExisteArchivo(path)) {
    context.MissingFile("No existe archivo de asignaturas (SICE_ASIGNAT.TXT)", "sice_asignat.txt");
    return;
  }
  FileWatch& watch = context.Watch("sice_asignat.txt", "SICE_ASIGNAT.TXT");
  LectorLineas input;
  input.Open(path, &watch.decoding);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "ASIGNOMT",
                                              {{"COD", FieldKind::kText, 4},
                                               {"CODLARGO", FieldKind::kText, 8},
                                               {"NOMBRE", FieldKind::kText, 40},
                                               {"MATERIA", FieldKind::kText, 8}});
  Field cod = table->FieldByName("COD");
  Field codLargo = table->FieldByName("CODLARGO");
  Field nombre = table->FieldByName("NOMBRE");

  CodigosVistos vistos;
  std::vector<uint32_t> written;
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    const Place place{"sice_asignat.txt", ++number};
    if (!watch.See(line)) continue;
    std::string_view code = CortarCampoVista(line, 2, 4);
    std::string_view longCode = CortarCampoVista(line, 6, 20);
    std::string_view name = CortarCampoVista(line, 26, 150);
    // The first line of a code wins whatever the later ones hold.
    if (!vistos.Add(code, number, longCode, name)) {
      context.report.Add(NoticeKind::kCodigoRepetidoDescartado, [&] {
        return RepeatedCodeNotice(place.file, number, code, vistos.First(code),
                                  OtherFields(longCode, name), 1);
      });
      continue;
    }
    context.CheckLine(line, code, 26, place);
    table->Append();
    cod.SetAsString(code);
    context.Put(codLargo, longCode, place);
    context.Put(nombre, name, place);
    table->Post();
    // As the table holds it: cut at a NUL, to the field's 4 bytes.
    written.push_back(text::PackedCode(code.substr(0, std::min(code.find('\0'), code.size()))));
  }
  watch.ReadToEnd();
  Written(context, "ASIGNOMT", table->RecordCount());
  std::sort(written.begin(), written.end());
  context.subjects = std::move(written);
  table->Close();
  input.Close();
}

}  // namespace tos
