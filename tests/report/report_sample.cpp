// Writes a sample report page: a notice of every kind, values with markup
// and Windows-1252 bytes, more cases than are listed, and an error.
//   tos_report_sample PAGE.html
#include <cstdio>
#include <string>

#include "report/report.h"

int main(int argc, char** argv) {
  using namespace tos;
  if (argc < 2) {
    std::fprintf(stderr, "uso: tos_report_sample PAGINA.html\n");
    return 2;
  }
  Report report(Direction::kSiceAOrvalent);
  report.SetFolder("C:\\SICE\\Datos <2026> & \xD1o\xF1o\\");
  for (const char* table : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"})
    report.AddOutput(table, 120, "registro", "registros");
  for (size_t i = 0; i < kNoticeKinds; ++i) {
    auto kind = static_cast<NoticeKind>(i);
    report.Add(kind, Notice{"sice_asignat.txt, línea " + std::to_string(i + 3),
                            "código M\xC1T <\"&'>; la línea 3 tiene los mismos datos",
                            i % 2 ? ""
                                  : "Se conserva la primera (\xBF"
                                    "bien?)"});
  }
  for (size_t i = 0; i < Report::kListed + 25; ++i)
    report.Add(NoticeKind::kValorCortado, Notice{"sice_prof.txt, línea " + std::to_string(i + 10),
                                                 "NOMBRE \"GARC\xCD"
                                                 "A P\xC9REZ, MAR\xCD"
                                                 "A \xC1NGELES\" cortado a 40",
                                                 ""});
  report.Count(NoticeKind::kSesionDiaCero, 12);
  report.SetError("No se puede abrir \"C:\\OTEMP\\ASIGT.DBF\" <tabla en uso>.");
  return WriteReport(report, argv[1], LocalTime{2026, 12, 9, 15, 30, 0}) ? 0 : 1;
}
