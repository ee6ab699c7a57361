// The four imports that rebuild a table from one SICE file each.
#include <gtest/gtest.h>

#include "import/fixture_lines.h"
#include "import/import_fixture.h"
#include "import/imports.h"

namespace tos::test {
namespace {

using SubjectsImport = ImportTest;

TEST_F(SubjectsImport, KeepsTheFirstLineOfEachCodeWhateverItsCase) {
  WriteSice("sice_asignat.txt",
            CrLf({"0" + Pad("SICE_ASIGNAT.TXT", 50) + "28045671", "1" + Pad("SICE_ASIGNAT.TXT", 50),
                  Subject("MAT", "MAT-ESO", "Matem\xE1ticas"), Subject("mat", "MAT-REP", "Otra"),
                  Subject("MAT", "MAT-2", "Matem\xE1ticas II"),
                  Subject("\xD1U", "NU", "Con e\xF1\x65 may\xFAscula"),
                  Subject("\xF1u", "NU2", "Con e\xF1\x65 min\xFAscula"),
                  Subject("NU", "NU3", "Sin tilde"), Subject("\xC1\x42", "AB", "Con acento"),
                  Subject("AB", "AB2", "Sin acento"), "", "      ",
                  Subject("LCL", "LCL-ESO-LARGO", std::string(60, 'x')), "1FYQ FYQ-ESO", "1TEC",
                  "9" + Pad("SICE_ASIGNAT.TXT", 50) + "28045671"}));
  TransformarAsignaturas(context);

  EXPECT_EQ(
      ReadLayout(otemp, "ASIGNOMT"),
      (std::vector<std::string>{"COD:text4", "CODLARGO:text8", "NOMBRE:text40", "MATERIA:text8"}));
  EXPECT_EQ(Read("ASIGNOMT"), (Rows{
                                  {"MAT", "MAT-ESO", "Matem\xE1ticas", ""},
                                  {"\xD1U", "NU", "Con e\xF1\x65 may\xFAscula", ""},
                                  {"NU", "NU3", "Sin tilde", ""},
                                  {"\xC1\x42", "AB", "Con acento", ""},
                                  {"AB", "AB2", "Sin acento", ""},
                                  {"", "", "", ""},
                                  {"LCL", "LCL-ESO-", std::string(40, 'x'), ""},
                                  {"FYQ", "FYQ-ESO", "", ""},
                                  {"TEC", "", "", ""},
                              }));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(state.EstadoTransformacion, 1);
}

TEST_F(SubjectsImport, FileWithoutDataLinesGivesAnEmptyTable) {
  WriteSice("SICE_ASIGNAT.TXT", "0cabecera\n9cola\n");
  TransformarAsignaturas(context);
  EXPECT_TRUE(Read("ASIGNOMT").empty());
}

// Every single-file import: a missing file shows its message, marks the run
// incomplete and leaves the old table and index file alone.
struct MissingCase {
  const char* table;
  void (*import)(ImportContext&);
  const char* message;
};

class MissingFile : public ImportTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingFile, LeavesTheOldTableAlone) {
  const MissingCase& c = GetParam();
  WriteFile(OtempFile(std::string(c.table) + ".DBF"), "old table");
  WriteFile(OtempFile(std::string(c.table) + ".MDX"), "old index");
  c.import(context);
  EXPECT_EQ(window.messages, std::vector<std::string>{c.message});
  EXPECT_EQ(state.EstadoTransformacion, -1);
  EXPECT_EQ(ReadFile(OtempFile(std::string(c.table) + ".DBF")), "old table");
  EXPECT_EQ(ReadFile(OtempFile(std::string(c.table) + ".MDX")), "old index");
}

INSTANTIATE_TEST_SUITE_P(
    Imports, MissingFile,
    ::testing::Values(
        MissingCase{"ASIGNOMT", TransformarAsignaturas,
                    "No existe archivo de asignaturas (SICE_ASIGNAT.TXT)"},
        MissingCase{"PROFT", TransformarProfesores,
                    "No existe archivo de profesores (SICE_PROF.TXT)"},
        MissingCase{"AULAT", TransformarAulas, "No existe archivo de aulas (SICE_AULAS.TXT)"},
        MissingCase{"GRUPOST", TransformarGrupos, "No existe archivo de grupos (SICE_GRUPO.TXT)"},
        MissingCase{"ASIGT", TransformarAsignaturasGrupos,
                    "No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)"},
        MissingCase{"DIASHORAST", TransformarSesiones,
                    "No existe archivo de grupos (SICE_SESIONES.TXT)"}),
    [](const auto& info) { return std::string(info.param.table); });

using TeachersImport = ImportTest;

TEST_F(TeachersImport, DropsRepeatedAbbreviationsAndCutsLongTexts) {
  std::string longName(90, 'N');
  std::string longDepartment(50, 'D');
  WriteSice("sice_prof.txt",
            // LF line ends, as some SICE versions write them.
            "0" + Pad("SICE_PROF.TXT", 50) + "\n" + "1" + Pad("  sice_prof.txt", 50) + "\n" +
                Teacher("GALM", "GARC\xCD\x41 L\xD3PEZ, MAR\xCD\x41", "Lengua") + "\n" +
                Teacher("galm", "OTRA PERSONA", "Otro") + "\n" +
                Teacher("PE\xD1\x41", "PE\xD1\x41 ORD\xD3\xD1\x45Z, BEATRIZ", "Orientaci\xF3n") +
                "\n" + Teacher("pe\xF1\x61", "REPETIDA", "") + "\n" +
                Teacher("LONG", longName, longDepartment) + "\n" +
                Teacher("CORT", "SOLO NOMBRE", "").substr(0, 95) + "\n" + "\n" + "\n" + "9" +
                Pad("SICE_PROF.TXT", 50) + "\n");
  TransformarProfesores(context);

  EXPECT_EQ(ReadLayout(otemp, "PROFT"),
            (std::vector<std::string>{"ABREV:text4", "NOMBRE:text40", "DEPART:text40", "DNI:whole",
                                      "X_EMPLEADO:text10", "F_TOMAPOS:text10"}));
  EXPECT_EQ(
      Read("PROFT"),
      (Rows{
          {"GALM", "GARC\xCD\x41 L\xD3PEZ, MAR\xCD\x41", "Lengua", "", "", ""},
          {"PE\xD1\x41", "PE\xD1\x41 ORD\xD3\xD1\x45Z, BEATRIZ", "Orientaci\xF3n", "", "", ""},
          {"LONG", std::string(40, 'N'), std::string(40, 'D'), "", "", ""},
          {"CORT", "SOLO NOMBRE", "", "", "", ""},
          {"", "", "", "", "", ""},
      }));
}

using RoomsImport = ImportTest;

TEST_F(RoomsImport, EveryDataLineIsARoomRepeatsIncluded) {
  WriteSice("sice_aulas.txt",
            CrLf({"0" + Pad("SICE_AULAS.TXT", 50), "1" + Pad("SICE_AULAS.TXT", 50),
                  Room("LAB", "Laboratorio de Ciencias"),
                  Room("LAB", "Laboratorio de F\xEDsica y Qu\xEDmica"),
                  Room("SUM", "Sal\xF3n de actos y aula de usos m\xFAltiples del edificio"), "", "",
                  Room("GIM", "x").substr(0, 85), std::string(11, 'z'), "9"}));
  TransformarAulas(context);

  EXPECT_EQ(ReadLayout(otemp, "AULAT"),
            (std::vector<std::string>{"ABREV:text4", "NOMBRE:text40", "EDIFICIO:text1",
                                      "MAXALUM:whole", "DEPCENTRO:text10"}));
  EXPECT_EQ(Read("AULAT"), (Rows{
                               {"LAB", "Laboratorio de Ciencias", "", "", ""},
                               {"LAB", "Laboratorio de F\xEDsica y Qu\xEDmica", "", "", ""},
                               {"SUM", "Sal\xF3n de actos y aula de usos m\xFAltiples", "", "", ""},
                               {"", "", "", "", ""},
                               {"", "", "", "", ""},
                               {"GIM", "", "", "", ""},
                               {"", "", "", "", ""},
                           }));
}

using GroupsImport = ImportTest;

TEST_F(GroupsImport, DerivesLevelAndLetterAndKnowsItsOwnSelfName) {
  WriteSice(
      "sice_grupo.txt",
      CrLf({"0" + Pad("SICE_GRUPO.TXT", 50), "1" + Pad("SICE_GRUPOS.TXT", 50),
            Group("1ESO A", "1A", "ESO", "1", "MA\xD1"), Group("1ESO A", "1A", "ESO", "1", "M"),
            Group("DIVER 3", "3DV", "", "3", "T"), Group("X", "X", "E", "4", ""),
            Group("2BACH B", "2BB", "BA", "2", "").substr(0, 34), "",
            "1" + Pad("SICE_GRUPO.TXT", 50), "9" + Pad("SICE_GRUPOS.TXT", 50)}));
  TransformarGrupos(context);

  EXPECT_EQ(ReadLayout(otemp, "GRUPOST"),
            (std::vector<std::string>{"ABREV:text4", "TURNO:text1", "NIVEL:text5", "CURSO:text3",
                                      "GRUPO:text2", "UNIDAD:text10"}));
  EXPECT_EQ(Read("GRUPOST"), (Rows{
                                 {"1A", "M", "ESO", "1", "A", "1ESO A"},
                                 {"1A", "M", "ESO", "1", "A", "1ESO A"},
                                 {"3DV", "T", "NIV", "3", "3", "DIVER 3"},
                                 {"X", "", "E", "4", "X", "X"},
                                 {"2BB", "", "BA", "2", "B", "2BACH B"},
                                 {"", "", "NIV", "", "", ""},
                                 // SICE_GRUPO.TXT without the S is no self-name.
                                 {".TXT", "", "NIV", "", "O", "SICE_GRUPO"},
                             }));
}

TEST_F(GroupsImport, ReadErrorKeepsTheRecordsPostedAndReleasesTheTable) {
  std::string lines;
  for (int i = 0; i < 2000; ++i)
    lines += Group("1ESO A", "G" + std::to_string(i % 100), "ESO", "1", "M") + "\r\n";
  WriteSice("sice_grupo.txt", lines);
  {
    FaultyFileSystem faulty;
    faulty.SetReadChunk(4096);
    faulty.Fail(FsOp::kRead, 3, fs::kAccessDenied, "sice_grupo");
    fs::ScopedFileSystem scoped(faulty);
    try {
      TransformarGrupos(context);
      FAIL() << "the read error was swallowed";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Acceso al archivo denegado");
    }
    EXPECT_EQ(faulty.OpenHandles(), 0);
  }
  size_t kept = Read("GRUPOST").size();
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, 2000u);
  EXPECT_EQ(state.EstadoTransformacion, 1);
}

}  // namespace
}  // namespace tos::test
