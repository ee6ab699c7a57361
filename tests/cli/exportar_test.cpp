// "transorvalentsice-cli exportar", run as its own process on the sample
// SICE folder: messages, exit statuses, and the tables it leaves, read back
// by our engine and (natively) by Python's dbfread.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "data/text.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tos::test {
namespace {

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// The converter's own folders: a copy of the sample SICE folder to spoil,
// and an empty working folder.
struct Folders {
  Folders() : sice(temp.File("sice")), otemp(temp.MakeDir("otemp")) {
    std::filesystem::copy(fs::Join(SourceDir(), fs::Join("samples", "sice")), sice);
  }
  std::string In(const std::string& name) const { return fs::Join(sice, name); }

  CliRun Run(const std::vector<std::string>& args) const { return RunCli(temp, args); }

  TempDir temp;
  std::string sice;
  std::string otemp;
};

std::string Number(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

// Every table as "# NAME" and one line per record, fields joined by "|",
// in UTF-8; numbers in C form, blanks empty.
std::string DumpWithOurEngine(const std::string& otemp) {
  std::string dump;
  for (const char* name : kTables) {
    Table table;
    table.SetFolder(otemp);
    table.SetTableName(std::string(name) + ".DBF");
    table.SetReadOnly(true);
    table.Open();
    dump += std::string("# ") + name + "\n";
    for (table.First(); !table.Eof(); table.Next()) {
      for (int i = 0; i < static_cast<int>(table.Fields().size()); ++i) {
        Field field = table.FieldAt(i);
        if (i > 0) dump += "|";
        if (field.Info().kind == FieldKind::kText) {
          dump += text::Cp1252ToUtf8(field.AsString());
        } else if (!field.IsNull()) {
          dump += Number(field.AsFloat());
        }
      }
      dump += "\n";
    }
  }
  return dump;
}

const char kDbfreadDump[] = R"(import sys, dbfread
out = []
for name in sys.argv[2:]:
    out.append('# ' + name)
    table = dbfread.DBF(sys.argv[1] + '/' + name + '.DBF', char_decode_errors='strict')
    for record in table:
        cells = []
        for value in record.values():
            if value is None:
                cells.append('')
            elif isinstance(value, (int, float)):
                cells.append('%.15g' % value)
            else:
                cells.append(value)
        out.append('|'.join(cells))
sys.stdout.buffer.write(('\n'.join(out) + '\n').encode('utf-8'))
)";

std::string Expected() {
  std::string expected;
  std::string path = fs::Join(SourceDir(), "tests/cli/exportar_sample_tables.txt");
  for (char c : ReadFile(path)) {
    if (c != '\r') expected += c;
  }
  return expected;
}

TEST(CliExportar, SampleFolderBecomesSixTables) {
  Folders f;
  CliRun r = f.Run({"exportar", f.sice, "--otemp", f.otemp});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.messages, "Proceso finalizado\n");
  EXPECT_EQ(DumpWithOurEngine(f.otemp), Expected());
}

#ifndef _WIN32
TEST(CliExportar, DbfreadReadsTheSameTables) {
  if (!Exists("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  Folders f;
  ASSERT_EQ(f.Run({"exportar", f.sice, "--otemp", f.otemp}).status, 0);
  std::string script = f.temp.File("dump.py");
  WriteFile(script, kDbfreadDump);
  std::string dump = f.temp.File("dump.txt");
  std::string command = "/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(f.otemp);
  for (const char* name : kTables) command += std::string(" ") + name;
  ASSERT_EQ(RunShell(command + " >" + ShellQuote(dump)), 0) << "dbfread failed";
  EXPECT_EQ(ReadFile(dump), Expected());
}

TEST(CliExportar, WorkingFolderDefaultsToWinesDriveC) {
  Folders f;
  std::string prefix = f.temp.MakeDir("wine");
  std::filesystem::create_directories(fs::Join(prefix, "drive_c/OTEMP"));
  std::string command = "WINEPREFIX=" + ShellQuote(prefix) + " " + ProgramCommand(CliPath()) +
                        " exportar " + ShellQuote(f.sice) + " 2>/dev/null";
  EXPECT_EQ(RunShell(command), 0);
  EXPECT_TRUE(Exists(fs::Join(prefix, "drive_c/OTEMP/DIASHORAST.DBF")));
}
#endif

TEST(CliExportar, ExitStatusesAndMessages) {
  struct Case {
    std::string name;
    std::function<std::vector<std::string>(Folders&)> prepare;
    int status;
    std::string messages;  // "" when only the status matters
  };
  auto plain = [](Folders& f) {
    return std::vector<std::string>{"exportar", f.sice, "--otemp", f.otemp};
  };
  const std::vector<Case> cases = {
      {"missing folder",
       [](Folders& f) {
         return std::vector<std::string>{"exportar", fs::Join(f.sice, "no"), "--otemp", f.otemp};
       },
       1, "No existe la carpeta\n"},
      {"only the hours file missing",
       [&](Folders& f) {
         std::remove(f.In("sice_asignatcurso.txt").c_str());
         return plain(f);
       },
       0, "No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)\nProceso finalizado\n"},
      {"teachers and rooms missing",
       [&](Folders& f) {
         std::remove(f.In("sice_prof.txt").c_str());
         std::remove(f.In("sice_aulas.txt").c_str());
         return plain(f);
       },
       1,
       "No existe archivo de profesores (SICE_PROF.TXT)\n"
       "No existe archivo de aulas (SICE_AULAS.TXT)\nProceso finalizado\n"},
      {"an hours text that is no number, shown as the error box shows it",
       [&](Folders& f) {
         WriteLines(f.In("sice_asignatcurso.txt"), {"1ESOLOE1  2026-27      LCL 4,x"});
         return plain(f);
       },
       2, "'4.x' no es un valor punto flotante válido.\n"},
      {"working folder missing",
       [](Folders& f) {
         return std::vector<std::string>{"exportar", f.sice, "--otemp=" + fs::Join(f.otemp, "no")};
       },
       2, ""},
      {"no folder", [](Folders&) { return std::vector<std::string>{"exportar"}; }, 64, ""},
      {"empty folder", [](Folders&) { return std::vector<std::string>{"exportar", ""}; }, 64, ""},
      {"two folders",
       [](Folders& f) {
         return std::vector<std::string>{"exportar", f.sice, f.sice};
       },
       64, ""},
      {"unknown option",
       [](Folders& f) {
         return std::vector<std::string>{"exportar", f.sice, "--rapido"};
       },
       64, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folders f;
    CliRun r = f.Run(c.prepare(f));
    EXPECT_EQ(r.status, c.status);
    if (!c.messages.empty()) {
      EXPECT_EQ(r.messages, c.messages);
    }
    if (c.status == 2) {
      EXPECT_FALSE(r.messages.empty());
      EXPECT_EQ(r.messages.back(), '\n');
    }
    if (c.status == 64) {
      EXPECT_NE(r.messages.find("uso: transorvalentsice-cli exportar"), std::string::npos)
          << r.messages;
    }
  }
}

TEST(CliExportar, HelpExplainsTheDirection) {
  Folders f;
  CliRun r = f.Run({"--help"});
  EXPECT_EQ(r.status, 0);
  std::string help = ReadFile(f.temp.File("stdout.txt"));
  EXPECT_NE(help.find("exportar CARPETA [--otemp DIR]"), std::string::npos) << help;
  EXPECT_NE(help.find("De SICE a Orvalent"), std::string::npos) << help;
}

}  // namespace
}  // namespace tos::test
