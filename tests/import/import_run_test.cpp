// The import run: what the window is asked for, in order, and the outcome
// left in EstadoTransformacion, in every branch.
#include "import/import_run.h"

#include <gtest/gtest.h>

#include "import/fixture_lines.h"
#include "import/import_fixture.h"

namespace tos::test {
namespace {

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

class ImportRun : public ImportTest {
 protected:
  ImportRun() {
    window.folder = sice;
    state.EstadoTransformacion = 0;
    WriteSice("sice_asignat.txt", CrLf({"0" + Pad("SICE_ASIGNAT.TXT", 50) + "28045671",
                                        Subject("MAT", "MAT-ESO", "Matem\xE1ticas"),
                                        Subject("LCL", "LCL-ESO", "Lengua"), "9"}));
    WriteSice("sice_prof.txt",
              CrLf({Teacher("MUPJ", "MU\xD1OZ PE\xD1\x41, JOS\xC9", "Matem\xE1ticas")}));
    WriteSice("sice_aulas.txt", CrLf({Room("A101", "Aula 1.01")}));
    WriteSice("sice_grupo.txt", CrLf({Group("1ESO A", "1A", "ESO", "1", "M")}));
    WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT"), Assignment("1A", "LCL")}));
    WriteSice("sice_asignatcurso.txt",
              CrLf({Hours("ESO", "1", "MAT", "4"), Hours("ESO", "1", "LCL", "4,5")}));
    WriteSice("sice_sesiones.txt", CrLf({"0", Slot("0101", "L", "0800", "0855")}));
  }

  void Run() { BExportarClick(state, window, otemp); }
  bool Built(const std::string& table) { return Exists(OtempFile(table + ".DBF")); }

  using Events = std::vector<std::string>;
};

TEST_F(ImportRun, GoodFolderShowsOnlyTheEnd) {
  Run();
  EXPECT_EQ(window.events, (Events{"hourglass:on", "hourglass:off", "message:Proceso finalizado"}));
  EXPECT_EQ(state.EstadoTransformacion, 1);
  EXPECT_EQ(state.RutaSice, sice + fs::kSeparator);
  for (const char* table : kTables) EXPECT_TRUE(Built(table)) << table;
  EXPECT_EQ(Read("ASIGT")[1][9], "1111\xBD");
}

TEST_F(ImportRun, EmbeddedClosesTheWindowAtTheEnd) {
  state.NumParametros = 2;
  Run();
  EXPECT_EQ(window.events,
            (Events{"hourglass:on", "hourglass:off", "message:Proceso finalizado", "close"}));
  EXPECT_EQ(state.EstadoTransformacion, 1);
}

TEST_F(ImportRun, MissingFolderStandAloneChangesNothing) {
  window.folder = fs::Join(dir.Path(), "gone");
  state.EstadoTransformacion = 1;  // from an earlier run
  Run();
  EXPECT_EQ(window.events, (Events{"message:No existe la carpeta"}));
  EXPECT_EQ(state.EstadoTransformacion, 1);
  for (const char* table : kTables) EXPECT_FALSE(Built(table)) << table;
}

TEST_F(ImportRun, MissingFolderEmbeddedReportsAndCloses) {
  window.folder = fs::Join(dir.Path(), "gone");
  state.NumParametros = 2;
  Run();
  EXPECT_EQ(window.events, (Events{"message:No existe la carpeta", "close"}));
  EXPECT_EQ(state.EstadoTransformacion, -1);
}

TEST_F(ImportRun, AFileIsNoFolder) {
  window.folder = fs::Join(sice, "sice_prof.txt");
  Run();
  EXPECT_EQ(window.messages, std::vector<std::string>{"No existe la carpeta"});
}

TEST_F(ImportRun, RootFolderGetsASecondSeparator) {
#ifdef _WIN32
  const std::string root = "C:\\";
#else
  const std::string root = "/";
#endif
  window.folder = root;
  // Nothing of SICE's is there: six messages, and the tables in otemp stay
  // unmade.
  Run();
  EXPECT_EQ(state.RutaSice, root + fs::kSeparator);
  EXPECT_EQ(window.messages.size(), 7u);
  EXPECT_EQ(state.EstadoTransformacion, -1);
}

struct MissingInRun {
  const char* file;
  const char* message;
  int estado;
};

class ImportRunMissingFile : public ImportRun,
                             public ::testing::WithParamInterface<MissingInRun> {};

TEST_P(ImportRunMissingFile, ReportsItAndGoesOn) {
  // A groups table from an earlier run, for the run without sice_grupo.txt.
  Run();
  window = RecordingWindow(sice);
  std::remove(fs::Join(sice, GetParam().file).c_str());
  Run();
  EXPECT_EQ(window.events, (Events{"hourglass:on", std::string("message:") + GetParam().message,
                                   "hourglass:off", "message:Proceso finalizado"}));
  EXPECT_EQ(state.EstadoTransformacion, GetParam().estado);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportRunMissingFile,
    ::testing::Values(
        MissingInRun{"sice_asignat.txt", "No existe archivo de asignaturas (SICE_ASIGNAT.TXT)", -1},
        MissingInRun{"sice_prof.txt", "No existe archivo de profesores (SICE_PROF.TXT)", -1},
        MissingInRun{"sice_aulas.txt", "No existe archivo de aulas (SICE_AULAS.TXT)", -1},
        MissingInRun{"sice_grupo.txt", "No existe archivo de grupos (SICE_GRUPO.TXT)", -1},
        MissingInRun{"sice_asignatgrupo.txt", "No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)",
                     -1},
        MissingInRun{"sice_asignatcurso.txt", "No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)",
                     1},
        MissingInRun{"sice_sesiones.txt", "No existe archivo de grupos (SICE_SESIONES.TXT)", -1}),
    [](const auto& info) {
      std::string name = info.param.file;
      return name.substr(5, name.size() - 9);
    });

TEST_F(ImportRun, FolderWithoutSiceFilesGivesSixMessages) {
  window.folder = dir.MakeDir("empty");
  Run();
  EXPECT_EQ(window.messages, (std::vector<std::string>{
                                 "No existe archivo de asignaturas (SICE_ASIGNAT.TXT)",
                                 "No existe archivo de profesores (SICE_PROF.TXT)",
                                 "No existe archivo de aulas (SICE_AULAS.TXT)",
                                 "No existe archivo de grupos (SICE_GRUPO.TXT)",
                                 "No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)",
                                 "No existe archivo de grupos (SICE_SESIONES.TXT)",
                                 "Proceso finalizado",
                             }));
  EXPECT_EQ(state.EstadoTransformacion, -1);
}

TEST_F(ImportRun, OldGroupsTableServesWhenTheGroupsFileIsMissing) {
  Run();
  std::remove(fs::Join(sice, "sice_grupo.txt").c_str());
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "LCL")}));
  Run();
  EXPECT_EQ(state.EstadoTransformacion, -1);
  EXPECT_EQ(Read("ASIGT"), (Rows{{"LCL", "", "1A", "", "M", "ESO", "1", "A", "4.5", "1111\xBD"}}));
}

// The groups file missing and no table from before: the assignments import
// cannot open GRUPOST and that error ends the run.
TEST_F(ImportRun, NoGroupsAtAllEndsTheRunWithAnError) {
  std::remove(fs::Join(sice, "sice_grupo.txt").c_str());
  state.NumParametros = 2;
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(window.events,
            (Events{"hourglass:on", "message:No existe archivo de grupos (SICE_GRUPO.TXT)",
                    "hourglass:off"}));
  EXPECT_EQ(state.EstadoTransformacion, -1);
  EXPECT_EQ(window.closes, 0);
  EXPECT_TRUE(Built("ASIGT"));
  EXPECT_FALSE(Built("DIASHORAST"));
}

// An error in the middle must not leave "done" for an embedded Orvalent.
TEST_F(ImportRun, ErrorInTheMiddleMarksTheRunFailed) {
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "MAT", "2,x")}));
  state.NumParametros = 2;
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'2.x' no es un valor punto flotante válido");
  }
  EXPECT_EQ(window.events, (Events{"hourglass:on", "hourglass:off"}));
  EXPECT_EQ(state.EstadoTransformacion, -1);
  EXPECT_TRUE(Built("ASIGNOMT"));
  EXPECT_FALSE(Built("DIASHORAST"));

  // Mended, the next run goes through and says so.
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "MAT", "2")}));
  window = RecordingWindow(sice);
  Run();
  EXPECT_EQ(state.EstadoTransformacion, 1);
  EXPECT_EQ(window.closes, 1);
}

TEST_F(ImportRun, MissingWorkingFolderEndsTheRun) {
  otemp = fs::Join(dir.Path(), "no-otemp");
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(state.EstadoTransformacion, -1);
  EXPECT_FALSE(window.hourglass);
}

TEST_F(ImportRun, TwoRunsGiveTheSameTables) {
  Run();
  std::vector<std::string> first;
  for (const char* table : kTables)
    first.push_back(ReadFile(OtempFile(std::string(table) + ".DBF")));
  Run();
  for (size_t i = 0; i < first.size(); ++i) {
    std::string again = ReadFile(OtempFile(std::string(kTables[i]) + ".DBF"));
    // Bytes 1-3 carry the date of the last update.
    ASSERT_EQ(again.size(), first[i].size()) << kTables[i];
    EXPECT_EQ(again.substr(4), first[i].substr(4)) << kTables[i];
  }
}

}  // namespace
}  // namespace tos::test
