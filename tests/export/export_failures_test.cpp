// Every way the timetable export can fail: the error it raises, and that it
// leaves no output file (or the previous one whole), keeps the status (which
// the same run on sound inputs changes), keeps the window open and releases
// every table it had opened.
#include <filesystem>
#include <functional>
#include <set>

#include "data/error.h"
#include "data/text.h"
#include "export/export_fixture.h"
#include "support/faulty_fs.h"

namespace tos::test {
namespace {

struct FailureCase {
  std::string name;
  // Spoils one input of a complete set; may arm faults or hold tables.
  std::function<void(ExportFixture&, FaultyFileSystem&)> spoil;
  // The whole message, or its start when the rest is the platform's words.
  std::function<std::string(const ExportFixture&)> message;
  bool wholeMessage = true;
};

void Remove(const std::string& path) {
  std::filesystem::remove(path);
}

std::unique_ptr<Table> HoldExclusively(const std::string& otemp, const std::string& name) {
  auto table = std::make_unique<Table>();
  table->SetFolder(otemp);
  table->SetTableName(name);
  table->SetTableType(TableType::kDBase);
  table->SetExclusive(true);
  table->Open();
  return table;
}

std::function<std::string(const ExportFixture&)> Exactly(std::string text) {
  return [text](const ExportFixture&) { return text; };
}

std::function<std::string(const ExportFixture&)> CannotOpen(std::string name) {
  return [name](const ExportFixture& f) {
    return "Cannot open file \"" + f.state.RutaSice + name + "\". ";
  };
}

std::function<std::string(const ExportFixture&)> CannotCreate() {
  return [](const ExportFixture& f) {
    return "Cannot create file \"" + f.state.RutaSice + "SICE_HORARIO.TXT\". ";
  };
}

const std::vector<Lesson> kOneLesson = {{"1", "1", "P001", "G1A", "MAT", "A01"}};

std::vector<FieldDef> SolucWithout(const std::string& missing) {
  std::vector<FieldDef> fields;
  for (const char* name : {"DIA", "HORA", "PROF", "CODGRUPO", "ASIG", "AULA"}) {
    if (missing == name) continue;
    bool number = std::string(name) == "DIA" || std::string(name) == "HORA";
    fields.push_back({name, number ? FieldKind::kWhole : FieldKind::kText, 10});
  }
  return fields;
}

Row LessonRowWithout(const std::string& missing) {
  Row row;
  const char* names[] = {"DIA", "HORA", "PROF", "CODGRUPO", "ASIG", "AULA"};
  const char* values[] = {"1", "1", "P001", "G1A", "MAT", "A01"};
  for (int i = 0; i < 6; ++i) {
    if (missing != names[i]) row.push_back(values[i]);
  }
  return row;
}

std::vector<FailureCase> Cases() {
  std::vector<FailureCase> cases = {
      {"AsignatMissing", [](ExportFixture& f, auto&) { Remove(f.SiceFile("sice_asignat.txt")); },
       CannotOpen("sice_asignat.txt"), false},
      {"SesionesMissing", [](ExportFixture& f, auto&) { Remove(f.SiceFile("sice_sesiones.txt")); },
       CannotOpen("sice_sesiones.txt"), false},
      {"AsignatUnreadable",
       [](ExportFixture&, FaultyFileSystem& faults) {
         faults.Fail(FsOp::kRead, 1, fs::kAccessDenied, "sice_asignat");
       },
       CannotOpen("sice_asignat.txt"), false},
      {"SesionesWithOneLine",
       [](ExportFixture& f, auto&) { f.WriteSesiones({"1   0001L08000855"}); },
       Exactly("List index out of bounds (1)")},
      {"SesionesEmpty", [](ExportFixture& f, auto&) { f.WriteSesiones({}); },
       Exactly("List index out of bounds (1)")},
      {"DiaMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "SOLUC.DBF", SolucWithout("DIA"), {LessonRowWithout("DIA")});
       },
       Exactly("wwTableSoluc: No se encuentra el campo 'DIA'")},
      {"HoraMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "SOLUC.DBF", SolucWithout("HORA"), {LessonRowWithout("HORA")});
       },
       Exactly("wwTableSoluc: No se encuentra el campo 'HORA'")},
      {"AulaMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "SOLUC.DBF", SolucWithout("AULA"), {LessonRowWithout("AULA")});
       },
       Exactly("wwTableSoluc: No se encuentra el campo 'AULA'")},
      {"TramosDiaMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "DIASHORAST.DBF",
                   {{"HORA", FieldKind::kText, 8}, {"CODDIHO", FieldKind::kText, 10}},
                   {{"1", "0001"}});
       },
       Exactly("wwTableTramos: No se encuentra el campo 'DIA'")},
      {"TramosHoraMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "DIASHORAST.DBF",
                   {{"DIA", FieldKind::kText, 20}, {"CODDIHO", FieldKind::kText, 10}},
                   {{"L", "0001"}});
       },
       Exactly("wwTableTramos: No se encuentra el campo 'HORA'")},
      {"TramosCodeMissing",
       [](ExportFixture& f, auto&) {
         MakeTable(f.otemp, "DIASHORAST.DBF",
                   {{"DIA", FieldKind::kText, 20}, {"HORA", FieldKind::kText, 8}}, {{"L", "1"}});
       },
       Exactly("wwTableTramos: No se encuentra el campo 'CODDIHO'")},
      {"DiaTextLetter",
       [](ExportFixture& f, auto&) {
         f.MakeSoluc({{"L", "1", "P001", "G1A", "MAT", "A01"}}, FieldKind::kText);
       },
       Exactly("'L' no es un valor entero válido")},
      {"DiaTextBlank",
       [](ExportFixture& f, auto&) {
         f.MakeSoluc({{"1", "1", "P001", "G1A", "MAT", "A01"},
                      {std::nullopt, "1", "P001", "G1A", "MAT", "A01"}},
                     FieldKind::kText);
       },
       Exactly("'' no es un valor entero válido")},
      {"OutputWriteFails",
       [](ExportFixture&, FaultyFileSystem& faults) {
         faults.Add({FsOp::kWrite, 3, fs::kDiskFull, "SICE_HORARIO", true, true});
       },
       CannotCreate(), false},
      {"OutputCreateFails",
       [](ExportFixture&, FaultyFileSystem& faults) {
         faults.Fail(FsOp::kOpen, 1, fs::kAccessDenied, "SICE_HORARIO");
       },
       CannotCreate(), false},
      {"OutputRenameFails",
       [](ExportFixture&, FaultyFileSystem& faults) {
         faults.Fail(FsOp::kRename, 1, fs::kAccessDenied, "SICE_HORARIO");
       },
       CannotCreate(), false},
  };
  return cases;
}

class FailureTest : public ::testing::TestWithParam<FailureCase> {};

// Runs the case twice: with no SICE_HORARIO.TXT before, and with one; and
// once unspoilt, where the run must change the status it keeps on a failure.
TEST_P(FailureTest, EndsTheExportAndLeavesTheFolderAsItWas) {
  {
    ExportFixture sound;
    sound.MakeValidInputs();
    sound.state.NumParametros = 2;
    sound.state.EstadoTransformacion = kStatusBefore;
    FaultyFileSystem none;
    ASSERT_EQ(sound.RunOn(none), "");
    EXPECT_EQ(sound.state.EstadoTransformacion, 1) << "the unspoilt run";
  }
  for (bool previous : {false, true}) {
    SCOPED_TRACE(previous ? "with a previous file" : "without a previous file");
    ExportFixture f;
    f.MakeValidInputs();
    f.state.NumParametros = 2;
    f.state.EstadoTransformacion = kStatusBefore;
    const std::string kPrevious = "0 un horario anterior\r\n";
    if (previous) WriteFile(f.Output(), kPrevious);

    FaultyFileSystem faults;
    GetParam().spoil(f, faults);
    std::set<std::string> before;
    for (const auto& e : std::filesystem::directory_iterator(f.sice))
      before.insert(e.path().filename().string());

    std::string message = f.RunOn(faults);
    EXPECT_NE(message, "") << "the export did not fail";
    std::string expected = GetParam().message(f);
    if (GetParam().wholeMessage) {
      EXPECT_EQ(message, expected);
    } else {
      EXPECT_EQ(message.substr(0, expected.size()), expected);
      EXPECT_GT(message.size(), expected.size()) << "the reason is missing";
    }

    std::set<std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(f.sice))
      after.insert(e.path().filename().string());
    EXPECT_EQ(after, before);
    if (previous) {
      EXPECT_EQ(ReadFile(f.Output()), kPrevious);
    }
    EXPECT_EQ(f.state.EstadoTransformacion, kStatusBefore);
    EXPECT_EQ(f.window.closes, 0);
    EXPECT_FALSE(f.window.hourglass);
    EXPECT_TRUE(f.window.messages.empty());
    EXPECT_EQ(faults.OpenHandles(), 0) << "a file or table was left open";
  }
}

INSTANTIATE_TEST_SUITE_P(Export, FailureTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// A missing table, or one held by another user, fails at the open with the
// engine's message, which names the table; the tables opened before it are
// released again.
TEST(ExportTables, MissingOrHeldTableFailsAndReleasesTheOthers) {
  const std::vector<std::string> kTables = {"SOLUC", "GRUPOST",  "PROFT",
                                            "AULAT", "ASIGNOMT", "DIASHORAST"};
  for (const std::string& name : kTables) {
    for (bool held : {false, true}) {
      SCOPED_TRACE(name + (held ? " held" : " missing"));
      ExportFixture f;
      f.MakeValidInputs();
      const std::string kPrevious = "previo\r\n";
      WriteFile(f.Output(), kPrevious);
      std::unique_ptr<Table> holder;
      if (held) {
        holder = HoldExclusively(f.otemp, name);
      } else {
        Remove(fs::Join(f.otemp, name + ".DBF"));
      }
      try {
        f.Run();
        ADD_FAILURE() << "the export did not fail";
      } catch (const Error& e) {
        EXPECT_NE(text::AsciiUpper(e.what()).find(name), std::string::npos) << e.what();
      }
      EXPECT_EQ(ReadFile(f.Output()), kPrevious);
      holder.reset();
      for (const std::string& other : kTables) {
        if (!held && other == name) continue;
        EXPECT_NO_THROW(HoldExclusively(f.otemp, other)) << other << " is still held";
      }
    }
  }
}

TEST(ExportTables, DamagedSolucIsNamed) {
  for (std::string bytes : {std::string("garbage"), std::string(40, '\x03'), std::string()}) {
    ExportFixture f;
    f.MakeValidInputs();
    WriteFile(fs::Join(f.otemp, "SOLUC.DBF"), bytes);
    try {
      f.Run();
      ADD_FAILURE() << "the export did not fail";
    } catch (const Error& e) {
      EXPECT_NE(text::AsciiUpper(e.what()).find("SOLUC"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(Exists(f.Output()));
  }
}

}  // namespace
}  // namespace tos::test
