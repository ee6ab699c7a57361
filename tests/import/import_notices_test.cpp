// The report of the import run: a folder with one case of every kind gives
// exactly those notices, in place and values; a clean folder gives none.
#include <gtest/gtest.h>

#include "import/fixture_lines.h"
#include "import/import_fixture.h"
#include "import/import_run.h"
#include "report/report.h"

namespace tos::test {
namespace {

struct Expected {
  NoticeKind kind;
  uint64_t count;
  std::string where;   // of the first case
  std::string values;  // a part of the first case's values
};

class ImportNotices : public ImportTest {
 protected:
  Report Run() {
    Report report(Direction::kSiceAOrvalent);
    window.folder = sice;
    BExportarClick(state, window, otemp, &report);
    return report;
  }
};

TEST_F(ImportNotices, EveryKindInPlace) {
  WriteSice(
      "sice_asignat.txt",
      CrLf(AsSiceWritesIt("SICE_ASIGNAT.TXT", {Subject("MAT", "MATEMATICAS1", "Matem\xE1ticas"),
                                               Subject("mat", "OTRA", "Matem\xE1ticas"),
                                               Subject("LEN", "LEN", "Lengua"),
                                               Subject("", "VACIO",
                                                       "Sin c\xF3"
                                                       "digo"),
                                               "1CORT"})));
  WriteSice(
      "sice_prof.txt",
      CrLf(AsSiceWritesIt("SICE_PROF.TXT", {Teacher("P01", std::string(45, 'N'), "Ciencias"),
                                            Teacher("P01", std::string(45, 'N'), "Ciencias")})));
  WriteSice(
      "sice_aulas.txt",
      CrLf(AsSiceWritesIt("SICE_AULAS.TXT", {Room("A01", "Aula"), Room("A01", "Otra aula")})));
  WriteSice("sice_grupo.txt",
            CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {Group("1ESO A", "G1A", "ESO", "1", "M"),
                                                    Group("1ESO A", "G1A", "ESO", "1", "T")})));
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATGRUPO.TXT",
                                {Assignment("G1A", "MAT"), Assignment("GXX", "MAT"),
                                 Assignment("G1A", "ZZZ"), Assignment("G1A", "LEN")})));
  WriteSice("sice_asignatcurso.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATCURSO.TXT",
                                {Hours("ESO", "1", "MAT", "3"), Hours("ESO", "1", "LEN", "0,5"),
                                 Hours("", "", "MAT", "2")})));
  WriteSice("sice_sesiones.txt",
            CrLf(AsSiceWritesIt(
                "SICE_SESIONES.TXT",
                {"0", Slot("0001", "L", "0800", "0900"), Slot("0002", "L", "0800", "0800"),
                 Slot("0003", "M", "900", "1000"), Slot("0004", "Q", "1000", "1100")})));
  Report report = Run();
  EXPECT_EQ(window.messages, std::vector<std::string>{"Proceso finalizado"});
  const Expected expected[] = {
      {NoticeKind::kCodigoRepetidoDescartado, 2, "sice_asignat.txt, línea 2",
       "la línea 1 tiene MAT (Matem\xE1ticas): se toman por el mismo código, sin mirar "
       "mayúsculas y minúsculas; los demás datos difieren"},
      {NoticeKind::kCodigoRepetidoConservado, 2, "sice_aulas.txt, línea 2", "código A01"},
      {NoticeKind::kValorCortado, 2, "sice_asignat.txt, línea 1",
       "CODLARGO (ancho 8 caracteres): «MATEMATICAS1»; se guarda «MATEMATI»"},
      {NoticeKind::kCodigoVacio, 1, "sice_asignat.txt, línea 4", ""},
      {NoticeKind::kLineaCorta, 1, "sice_asignat.txt, línea 5", "5 caracteres"},
      {NoticeKind::kGrupoDesconocido, 1, "sice_asignatgrupo.txt, línea 2", "grupo GXX"},
      {NoticeKind::kAsignaturaDesconocida, 1, "sice_asignatgrupo.txt, línea 3", "asignatura ZZZ"},
      {NoticeKind::kSinHoras, 1, "sice_asignatgrupo.txt, línea 3", "asignatura ZZZ"},
      {NoticeKind::kHorasElevadas, 1, "sice_asignatgrupo.txt, línea 4", "horas 0,5"},
      {NoticeKind::kTramoFinNoPosterior, 1, "sice_sesiones.txt, línea 3", "de 0800 a 0800"},
      {NoticeKind::kTramoRepetido, 1, "sice_sesiones.txt, línea 3",
       "primera línea con ese día y hora: 2"},
      {NoticeKind::kHoraSinCuatroCifras, 1, "sice_sesiones.txt, línea 4", "de 900 a 1000"},
      {NoticeKind::kDiaNoValido, 1, "sice_sesiones.txt, línea 5", "día Q"},
      {NoticeKind::kFicheroAusente, 0, "", ""},
  };
  uint64_t total = 0;
  for (const Expected& e : expected) {
    SCOPED_TRACE(KindTitle(e.kind));
    total += e.count;
    ASSERT_EQ(report.CountOf(e.kind), e.count);
    if (e.count == 0) continue;
    const Notice& first = report.Listed(e.kind).front();
    EXPECT_EQ(first.where, e.where);
    EXPECT_NE(first.values.find(e.values), std::string::npos) << first.values;
  }
  // The teachers' repeated line holds the same data; the name was cut.
  EXPECT_NE(report.Listed(NoticeKind::kCodigoRepetidoDescartado)[1].values.find("son iguales"),
            std::string::npos);
  EXPECT_EQ(report.Total(), total);
  ASSERT_EQ(report.Outputs().size(), 6u);
  EXPECT_EQ(report.Outputs()[0].name, "ASIGNOMT");
  EXPECT_EQ(report.Outputs()[0].count, 4u);
}

// Without the hours file the subjects are checked on their own, once each.
TEST_F(ImportNotices, UnknownSubjectsToldWithoutTheHoursFile) {
  WriteSice("sice_asignat.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNAT.TXT", {Subject("MAT", "MAT", "Matem\xE1ticas")})));
  WriteSice("sice_grupo.txt",
            CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {Group("1ESO A", "G1A", "ESO", "1", "M")})));
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATGRUPO.TXT",
                                {Assignment("G1A", "ZZZ"), Assignment("G1A", "MAT")})));
  Report report = Run();
  ASSERT_EQ(report.CountOf(NoticeKind::kAsignaturaDesconocida), 1u);
  EXPECT_EQ(report.Listed(NoticeKind::kAsignaturaDesconocida)[0].where,
            "sice_asignatgrupo.txt, línea 1");
  EXPECT_EQ(report.CountOf(NoticeKind::kSinHoras), 0u);
}

// The assignments are indexed by subject code, but their subjects are
// still told in file order, each record once.
TEST_F(ImportNotices, UnknownSubjectsToldInFileOrder) {
  WriteSice("sice_asignat.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNAT.TXT", {Subject("MAT", "MAT", "Matem\xE1ticas")})));
  WriteSice("sice_grupo.txt",
            CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {Group("1ESO A", "G1A", "ESO", "1", "M")})));
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt(
                "SICE_ASIGNATGRUPO.TXT",
                {Assignment("G1A", "ZZZ"), Assignment("G1A", "\xD1"), Assignment("G1A", "MAT"),
                 Assignment("G1A", "AAA"), Assignment("G1A", "ZZZ"), Assignment("G1A", "")})));
  WriteSice("sice_asignatcurso.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATCURSO.TXT", {Hours("ESO", "1", "MAT", "3")})));
  Report report = Run();
  std::vector<std::string> told;
  for (const Notice& n : report.Listed(NoticeKind::kAsignaturaDesconocida)) told.push_back(n.where);
  const std::vector<std::string> expected = {
      "sice_asignatgrupo.txt, línea 1", "sice_asignatgrupo.txt, línea 2",
      "sice_asignatgrupo.txt, línea 4", "sice_asignatgrupo.txt, línea 5",
      "sice_asignatgrupo.txt, línea 6"};
  EXPECT_EQ(told, expected);
  EXPECT_EQ(report.CountOf(NoticeKind::kSinHoras), 5u);
}

// A groups file with no data line gives an empty GRUPOST: every
// assignment's group is told missing, not passed over.
TEST_F(ImportNotices, EmptyGroupsTableTellsEveryAssignment) {
  WriteSice("sice_grupo.txt", CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {})));
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATGRUPO.TXT",
                                {Assignment("G1A", "MAT"), Assignment("G2B", "MAT")})));
  Report report = Run();
  ASSERT_EQ(report.CountOf(NoticeKind::kGrupoDesconocido), 2u);
  EXPECT_EQ(report.Listed(NoticeKind::kGrupoDesconocido)[1].where,
            "sice_asignatgrupo.txt, línea 2");
}

TEST_F(ImportNotices, MissingFilesAreToldAndACleanFolderGivesNone) {
  Report missing = Run();
  EXPECT_EQ(missing.CountOf(NoticeKind::kFicheroAusente), 6u);
  EXPECT_EQ(missing.Listed(NoticeKind::kFicheroAusente)[0].values,
            "No existe archivo de asignaturas (SICE_ASIGNAT.TXT)");

  WriteSice("sice_asignat.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNAT.TXT", {Subject("MAT", "MAT", "Matem\xE1ticas")})));
  WriteSice("sice_prof.txt",
            CrLf(AsSiceWritesIt("SICE_PROF.TXT", {Teacher("P01", "Ana", "Ciencias")})));
  WriteSice("sice_aulas.txt", CrLf(AsSiceWritesIt("SICE_AULAS.TXT", {Room("A01", "Aula")})));
  WriteSice("sice_grupo.txt",
            CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {Group("1ESO A", "G1A", "ESO", "1", "M")})));
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATGRUPO.TXT", {Assignment("G1A", "MAT")})));
  WriteSice("sice_asignatcurso.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATCURSO.TXT", {Hours("ESO", "1", "MAT", "3")})));
  WriteSice("sice_sesiones.txt",
            CrLf(AsSiceWritesIt("SICE_SESIONES.TXT", {"0", Slot("0001", "L", "0800", "0900")})));
  state.EstadoTransformacion = 0;
  EXPECT_EQ(Run().Total(), 0u);
}

// An assignment is told by its own line where the file has lines that hold
// none: headers and a first export's trailer (a blank line is a record).
TEST_F(ImportNotices, AssignmentsToldByTheirLineAcrossLinesWithoutOne) {
  WriteSice("sice_grupo.txt",
            CrLf(AsSiceWritesIt("SICE_GRUPOS.TXT", {Group("1ESO A", "G1A", "ESO", "1", "M")})));
  const std::string header = HeaderLine("SICE_ASIGNATGRUPO.TXT");
  WriteSice("sice_asignatgrupo.txt",
            CrLf(AsSiceWritesIt("SICE_ASIGNATGRUPO.TXT",
                                {header, Assignment("GX1", "MAT"), "", Assignment("GX2", "MAT"),
                                 "9" + header.substr(1) + "2", header, Assignment("G1A", "MAT"),
                                 Assignment("GX3", "MAT")})));
  Report report = Run();
  std::vector<std::string> where;
  for (const Notice& n : report.Listed(NoticeKind::kGrupoDesconocido)) where.push_back(n.where);
  EXPECT_EQ(where, (std::vector<std::string>{"sice_asignatgrupo.txt, línea 2",
                                             "sice_asignatgrupo.txt, línea 3",
                                             "sice_asignatgrupo.txt, línea 4",
                                             "sice_asignatgrupo.txt, línea 8"}));
}

}  // namespace
}  // namespace tos::test
