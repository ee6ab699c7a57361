// The report of the export: one case of every kind gives exactly those
// notices; tables it cannot read for the report change nothing.
#include <gtest/gtest.h>

#include "export/export_fixture.h"
#include "report/report.h"
#include "support/dbf_layout.h"

namespace tos::test {
namespace {

// A table of one code, as we write it or as dBase 7 lays it out.
void MakeCodeTable(const std::string& folder, const std::string& name, const std::string& field,
                   const std::string& code, bool level7) {
  if (!level7) return MakeTable(folder, name, {{field, FieldKind::kText, 4}}, {{code}});
  DbfSpec s;
  s.version = 0x04;
  s.languageId = 0x00;
  s.languageName = "DBWINWE0";
  s.cols = {{field, 'C', 4}, {"NOMBRE_COMPLETO_DEL_CODIGO", 'C', 6}};
  s.records = {" " + code + std::string(4 - code.size(), ' ') + "nombre"};
  WriteFile(fs::Join(folder, name), Build(s));
}

class ExportNoticesTest : public ::testing::TestWithParam<bool> {};

TEST_P(ExportNoticesTest, EveryKindInPlace) {
  const bool level7 = GetParam();
  ExportFixture f;
  f.MakeValidInputs();
  MakeCodeTable(f.otemp, "PROFT.DBF", "ABREV", "P001", level7);
  MakeCodeTable(f.otemp, "GRUPOST.DBF", "ABREV", "G1A", level7);
  MakeCodeTable(f.otemp, "ASIGNOMT.DBF", "COD", "MAT", level7);
  MakeCodeTable(f.otemp, "AULAT.DBF", "ABREV", "A01", level7);
  f.MakeTramos({{"L", "1", "0001"}, {"L", "1", "0009"}});
  f.MakeSoluc({{"1", "1", "P001", "G1A", "MAT", "A01"},
               {"0", "1", "P001", "G1A", "MAT", "A01"},
               {"1", "7", "P001", "G1A", "MAT", "A01"},
               {"1", "1", "P002", "G9Z", "FIS", "A99"},
               {"1", "1", "P0001", "G1A", "MAT", ""}});
  Report report(Direction::kOrvalentASice);
  BImportarClick(f.state, f.window, f.otemp, f.clock, &report);
  EXPECT_EQ(f.state.EstadoTransformacion, 1);
  struct Expected {
    NoticeKind kind;
    uint64_t count;
    std::string where, values;
  };
  // A lesson is told by what Orvalent shows of it, its record after that.
  const std::string fourth =
      "día L, hora 1, profesor P002, grupo G9Z, asignatura FIS, aula A99 (SOLUC, registro 4)";
  const std::string fifth =
      "día L, hora 1, profesor P0001, grupo G1A, asignatura MAT, "
      "aula (vacío) (SOLUC, registro 5)";
  const Expected expected[] = {
      {NoticeKind::kSesionDiaCero, 1, "", ""},
      {NoticeKind::kSesionSinTramo, 1,
       "día L, hora 7, profesor P001, grupo G1A, asignatura MAT, aula A01 (SOLUC, registro 3)",
       "DIASHORAST no tiene tramo del día L y la hora 7"},
      {NoticeKind::kValorDesborda, 1, fifth, "PROF P0001 (5 caracteres en una columna de 4)"},
      {NoticeKind::kProfesorDesconocido, 2, fourth, "PROF P002: no está en PROFT"},
      {NoticeKind::kGrupoNoEnTabla, 1, fourth, "CODGRUPO G9Z: no está en GRUPOST"},
      {NoticeKind::kAsignaturaNoEnTabla, 1, fourth, "ASIG FIS: no está en ASIGNOMT"},
      {NoticeKind::kAulaDesconocida, 1, fourth, "AULA A99: no está en AULAT"},
      {NoticeKind::kSesionCodigoVacio, 1, fifth, "vacío: AULA"},
      {NoticeKind::kTramoDuplicadoEnTabla, 1, "día L, hora 1 (DIASHORAST, registro 2)",
       "el registro 1 tiene el mismo día y hora"},
  };
  uint64_t total = 0;
  for (const Expected& e : expected) {
    SCOPED_TRACE(KindTitle(e.kind));
    total += e.count;
    ASSERT_EQ(report.CountOf(e.kind), e.count);
    if (e.where.empty()) continue;
    const Notice& first = report.Listed(e.kind).front();
    EXPECT_EQ(first.where, e.where);
    EXPECT_NE(first.values.find(e.values), std::string::npos) << first.values;
  }
  EXPECT_EQ(report.Total(), total);
  ASSERT_EQ(report.Outputs().size(), 1u);
  EXPECT_EQ(report.Outputs()[0].count, 4u);           // four lessons
  EXPECT_EQ(report.Outputs()[0].detail, "6 líneas");  // with the header and the trailer
}

// The code tables as we write them and as dBase 7 writes them.
INSTANTIATE_TEST_SUITE_P(Formats, ExportNoticesTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dBase7" : "dBaseIII"; });

TEST(ExportNotices, NoneForACleanTimetable) {
  // The fixture's tables have no code column: nothing to check, and a clean
  // timetable gives no notice at all.
  ExportFixture clean;
  clean.MakeValidInputs();
  Report none(Direction::kOrvalentASice);
  BImportarClick(clean.state, clean.window, clean.otemp, clean.clock, &none);
  EXPECT_EQ(none.Total(), 0u);
}

}  // namespace
}  // namespace tos::test
