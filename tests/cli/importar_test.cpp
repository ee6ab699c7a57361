// "transorvalentsice-cli importar", run as its own process: exit statuses,
// messages, and the whole road from the SICE sample folder and back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tos::test {
namespace {

std::string Header(const std::string& selfName, const std::string& code) {
  std::string line = "0";
  AnadirCampo(line, selfName, 50);
  return line + code;
}

void MakeTable(const std::string& folder, const std::string& name,
               const std::vector<FieldDef>& fields,
               const std::vector<std::vector<std::string>>& rows) {
  auto table = RecrearTabla(folder, name, fields);
  for (const auto& row : rows) {
    table->Append();
    for (size_t i = 0; i < row.size(); ++i) {
      if (fields[i].kind == FieldKind::kText) {
        table->FieldAt(static_cast<int>(i)).SetAsString(row[i]);
      } else {
        table->FieldAt(static_cast<int>(i)).SetAsFloat(std::stod(row[i]));
      }
    }
    table->Post();
  }
}

// A SICE folder and working folder with one lesson of everything.
struct Folders {
  Folders() {
    WriteLines(fs::Join(sice, "sice_asignat.txt"), {Header("SICE_ASIGNAT.TXT", "CODIGO01")});
    WriteLines(fs::Join(sice, "sice_sesiones.txt"),
               {Header("SICE_SESIONES.TXT", ""), "1   0001L08000855"});
    MakeTable(otemp, "SOLUC.DBF",
              {{"DIA", FieldKind::kWhole, 0},
               {"HORA", FieldKind::kWhole, 0},
               {"PROF", FieldKind::kText, 4},
               {"CODGRUPO", FieldKind::kText, 4},
               {"ASIG", FieldKind::kText, 4},
               {"AULA", FieldKind::kText, 4}},
              {{"1", "1", "P001", "G1A", "MAT", "A01"}});
    MakeTable(otemp, "DIASHORAST.DBF",
              {{"CODDIHO", FieldKind::kText, 10},
               {"DIA", FieldKind::kText, 20},
               {"HORA", FieldKind::kText, 8}},
              {{"0001", "L", "1"}});
    for (const char* name : {"GRUPOST.DBF", "PROFT.DBF", "AULAT.DBF", "ASIGNOMT.DBF"})
      MakeTable(otemp, name, {{"CODIGO", FieldKind::kText, 4}}, {});
  }
  TempDir temp;
  std::string sice = temp.MakeDir("sice");
  std::string otemp = temp.MakeDir("otemp");
  std::string Output() const { return fs::Join(sice, "SICE_HORARIO.TXT"); }
};

TEST(CliImportar, WritesTheTimetableAndSaysSo) {
  Folders f;
  CliRun r = RunCli(f.temp, {"importar", f.sice, "--otemp", f.otemp});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.messages, "Proceso finalizado\n");
  std::vector<std::string> lines = CargarLineas(f.Output());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "10001LP001G1A LEC MAT A01 ");
  EXPECT_EQ(lines[2].substr(51, 8), "CODIGO01");
  EXPECT_EQ(lines[2].substr(71), "1");
}

TEST(CliImportar, ExitStatuses) {
  struct Case {
    std::string name;
    std::function<std::vector<std::string>(Folders&)> args;
    int status;
    std::string messages;  // "" when only the status matters
  };
  const std::vector<Case> cases = {
      {"missing folder",
       [](Folders& f) {
         return std::vector<std::string>{"importar", fs::Join(f.sice, "no"), "--otemp", f.otemp};
       },
       1, "No existe la carpeta\n"},
      {"sessions file of one line",
       [](Folders& f) {
         WriteLines(fs::Join(f.sice, "sice_sesiones.txt"), {"1   0001L08000855"});
         return std::vector<std::string>{"importar", f.sice, "--otemp", f.otemp};
       },
       2, "List index out of bounds (1)\n"},
      {"a field missing",
       [](Folders& f) {
         MakeTable(f.otemp, "SOLUC.DBF", {{"HORA", FieldKind::kWhole, 0}}, {{"1"}});
         return std::vector<std::string>{"importar", f.sice, "--otemp=" + f.otemp};
       },
       2, "wwTableSoluc: No se encuentra el campo 'DIA'\n"},
      {"a day that is no number, with the error box's full stop",
       [](Folders& f) {
         MakeTable(f.otemp, "SOLUC.DBF", {{"DIA", FieldKind::kText, 1}}, {{"L"}});
         return std::vector<std::string>{"importar", f.sice, "--otemp", f.otemp};
       },
       2, "'L' no es un valor entero válido.\n"},
      {"a table missing",
       [](Folders& f) {
         std::remove(fs::Join(f.otemp, "ASIGNOMT.DBF").c_str());
         return std::vector<std::string>{"importar", f.sice, "--otemp", f.otemp};
       },
       2, ""},
      {"no folder", [](Folders&) { return std::vector<std::string>{"importar"}; }, 64, ""},
      {"empty folder", [](Folders&) { return std::vector<std::string>{"importar", ""}; }, 64, ""},
      {"two folders",
       [](Folders& f) {
         return std::vector<std::string>{"importar", f.sice, f.sice};
       },
       64, ""},
      {"unknown option",
       [](Folders& f) {
         return std::vector<std::string>{"importar", f.sice, "--rapido"};
       },
       64, ""},
      {"--otemp without its folder",
       [](Folders& f) {
         return std::vector<std::string>{"importar", f.sice, "--otemp"};
       },
       64, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folders f;
    std::vector<std::string> args = c.args(f);
    CliRun r = RunCli(f.temp, args);
    EXPECT_EQ(r.status, c.status);
    if (!c.messages.empty()) {
      EXPECT_EQ(r.messages, c.messages);
    }
    if (c.status == 64) {
      EXPECT_NE(r.messages.find("uso: transorvalentsice-cli importar"), std::string::npos)
          << r.messages;
    }
    EXPECT_FALSE(Exists(f.Output()));
  }
}

// Text read from one field of every record of otemp/name.
std::vector<std::string> Column(const std::string& otemp, const std::string& name,
                                const std::string& field) {
  Table table;
  table.SetFolder(otemp);
  table.SetTableName(name + ".DBF");
  table.SetReadOnly(true);
  table.Open();
  std::vector<std::string> values;
  for (table.First(); !table.Eof(); table.Next())
    values.push_back(table.FieldByName(field).AsString());
  return values;
}

std::string Padded(std::string value, size_t width) {
  if (value.size() < width) value.append(width - value.size(), ' ');
  return value;
}

// The whole road: the sample SICE folder into the tables, a timetable made
// from those tables as Orvalent would place it, and back into SICE.
TEST(CliImportar, SampleFolderThereAndBack) {
  TempDir temp;
  std::string sice = temp.File("sice");
  std::string otemp = temp.MakeDir("otemp");
  std::filesystem::copy(fs::Join(SourceDir(), fs::Join("samples", "sice")), sice);

  CliRun exported = RunCli(temp, {"exportar", sice, "--otemp", otemp});
  ASSERT_EQ(exported.status, 0) << exported.messages;

  std::vector<std::string> days = Column(otemp, "DIASHORAST", "DIA");
  std::vector<std::string> periods = Column(otemp, "DIASHORAST", "HORA");
  std::vector<std::string> codes = Column(otemp, "DIASHORAST", "CODDIHO");
  std::vector<std::string> teachers = Column(otemp, "PROFT", "ABREV");
  std::vector<std::string> groups = Column(otemp, "GRUPOST", "ABREV");
  std::vector<std::string> subjects = Column(otemp, "ASIGNOMT", "COD");
  std::vector<std::string> rooms = Column(otemp, "AULAT", "ABREV");
  ASSERT_FALSE(days.empty());
  ASSERT_FALSE(teachers.empty());
  ASSERT_FALSE(groups.empty());
  ASSERT_FALSE(subjects.empty());
  ASSERT_FALSE(rooms.empty());

  // Orvalent numbers the days from Monday; the sample writes them as letters.
  const std::string kLetters = "LMXJVSD";
  std::vector<std::vector<std::string>> lessons;
  std::vector<std::string> expected;
  for (size_t i = 0; i < days.size(); ++i) {
    size_t day = kLetters.find(days[i]);
    ASSERT_NE(day, std::string::npos) << days[i];
    std::vector<std::string> lesson = {std::to_string(day + 1),       periods[i],
                                       teachers[i % teachers.size()], groups[i % groups.size()],
                                       subjects[i % subjects.size()], rooms[i % rooms.size()]};
    // The slot code is that of the first slot of that day and period.
    std::string code;
    for (size_t j = 0; j < days.size(); ++j) {
      if (days[j] == days[i] && periods[j] == periods[i]) {
        code = codes[j];
        break;
      }
    }
    expected.push_back("1" + Padded(code, 4) + days[i] + Padded(lesson[2], 4) +
                       Padded(lesson[3], 4) + "LEC " + Padded(lesson[4], 4) + Padded(lesson[5], 4));
    lessons.push_back(lesson);
    if (i == 0) lessons.push_back({"0", periods[i], "X", "X", "X", "X"});  // placed nowhere
  }
  MakeTable(otemp, "SOLUC.DBF",
            {{"DIA", FieldKind::kWhole, 0},
             {"HORA", FieldKind::kWhole, 0},
             {"PROF", FieldKind::kText, 10},
             {"CODGRUPO", FieldKind::kText, 10},
             {"ASIG", FieldKind::kText, 10},
             {"AULA", FieldKind::kText, 10}},
            lessons);

  CliRun imported = RunCli(temp, {"importar", sice, "--otemp", otemp});
  ASSERT_EQ(imported.status, 0) << imported.messages;
  EXPECT_EQ(imported.messages, "Proceso finalizado\n");

  std::string headerCode;
  for (const std::string& line : CargarLineas(fs::Join(sice, "sice_asignat.txt"))) {
    if (!line.empty() && line[0] == '0') {
      headerCode = line.substr(51, 8);
      break;
    }
  }
  std::vector<std::string> lines = CargarLineas(fs::Join(sice, "SICE_HORARIO.TXT"));
  ASSERT_EQ(lines.size(), expected.size() + 2);
  std::string frame = Padded("SICE_HORARIO.TXT", 50) + Padded(headerCode, 8);
  EXPECT_EQ(lines.front().substr(0, 59), "0" + frame);
  EXPECT_EQ(lines.front().size(), 71u);
  EXPECT_EQ(lines.back().substr(0, 59), "9" + frame);
  EXPECT_EQ(lines.back().substr(71), std::to_string(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i + 1], expected[i]) << i;
}

}  // namespace
}  // namespace tos::test
