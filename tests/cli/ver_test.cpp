// "transorvalentsice-cli ver", run as its own process: the CSV it prints,
// the field list, and its failures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/dbf_format.h"
#include "data/files.h"
#include "data/table.h"
#include "support/dbf_layout.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tos::test {
namespace {

CliRun Ver(const TempDir& temp, std::vector<std::string> args) {
  args.insert(args.begin(), "ver");
  return RunCli(temp, args);
}

class VerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto t = RecrearTabla(dir_.Path(), "MUESTRA",
                          {{"NOMBRE", FieldKind::kText, 12},
                           {"HORAS", FieldKind::kFloat, 0},
                           {"DNI", FieldKind::kWhole, 0}});
    auto add = [&](const std::string& name, double hours, bool withDni) {
      t->Append();
      t->FieldByName("NOMBRE").SetAsString(name);
      t->FieldByName("HORAS").SetAsFloat(hours);
      if (withDni) t->FieldByName("DNI").SetAsInteger(-7);
      t->Post();
    };
    add("A\xF1o \xBD \x80", 2.5, true);  // Windows-1252 text
    add("borrado", 1, false);
    add("a,\"b\"", 1e9, false);
    add("  izq", -0.5, false);
    t->Close();
    // Mark the second record deleted.
    std::string bytes = ReadFile(Path());
    uint32_t header = dbf::ReadU16(bytes.data() + 8);
    uint32_t record = dbf::ReadU16(bytes.data() + 10);
    bytes[header + record] = '*';
    WriteFile(Path(), bytes);
  }
  std::string Path() const { return dir_.File("MUESTRA.DBF"); }
  TempDir dir_;
  TempDir scratch_;
};

TEST_F(VerTest, PrintsTheTableAsCsv) {
  CliRun r = Ver(scratch_, {Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "dBase III\n"
            "NOMBRE,HORAS,DNI\n"
            "A\xC3\xB1o \xC2\xBD \xE2\x82\xAC,2.5,-7\n"
            "\"a,\"\"b\"\"\",1000000000,\n"
            "  izq,-0.5,\n");
}

TEST_F(VerTest, PrintsTheFieldList) {
  CliRun r = Ver(scratch_, {"--campos", Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "dBase III\nNOMBRE,texto,12,0\nHORAS,flotante,20,4\nDNI,entero,11,0\n");
}

// A folder name that Windows' ANSI code page cannot hold reaches the
// converter whole.
TEST_F(VerTest, ReadsATableInAFolderNamedInAnyScript) {
  const std::string folder = dir_.File("\xCE\xA9mega \xC5\x91");  // "Ωmega ő"
  fs::Current().MakeFolder(folder);
  RecrearTabla(folder, "MUESTRA", {{"NOMBRE", FieldKind::kText, 12}})->Close();
  CliRun r = Ver(scratch_, {"--campos", folder + fs::kSeparator + "MUESTRA.DBF"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "dBase III\nNOMBRE,texto,12,0\n");
}

TEST_F(VerTest, ReadsATableOthersHoldSharedAndLeavesItAsItWas) {
  std::string before = ReadFile(Path());
  Table holder;
  holder.SetFolder(dir_.Path());
  holder.SetTableName("MUESTRA");
  holder.Open();  // shared, read and write, like the import
  CliRun r = Ver(scratch_, {Path()});
  EXPECT_EQ(r.status, 0) << r.err;
  holder.Close();
  EXPECT_EQ(ReadFile(Path()), before);
}

TEST_F(VerTest, ShowsADBase7TableAndItsFormat) {
  DbfSpec s;
  s.version = 0x04;
  s.languageName = "DB850ES0";
  s.cols = {{"NOMBRE_LARGO_DEL_CAMPO", 'C', 3}, {"N", 'I', 4}, {"X", 'O', 8},
            {"F", 'D', 8},  {"L", 'L', 1}, {"M", 'M', 10}};
  s.records = {" A\xA4o" + Long7(-5) + Double7(2.5) + "20261209T         3"};
  WriteFile(dir_.File("SIETE.DBF"), Build(s));
  CliRun r = Ver(scratch_, {dir_.File("SIETE.DBF")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "dBase 7\n"
            "NOMBRE_LARGO_DEL_CAMPO,N,X,F,L,M\n"
            "A\xC3\xB1o,-5,2.5,20261209,T,3\n");
}

TEST_F(VerTest, FailuresGoToStderrWithStatusTwo) {
  CliRun missing = Ver(scratch_, {dir_.File("NADA.DBF")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("No se encuentra la tabla"), std::string::npos) << missing.err;

  Table holder;
  holder.SetFolder(dir_.Path());
  holder.SetTableName("MUESTRA");
  holder.SetExclusive(true);
  holder.Open();
  CliRun held = Ver(scratch_, {Path()});
  EXPECT_EQ(held.status, 2);
  EXPECT_EQ(held.out, "");
  EXPECT_NE(held.err.find("está en uso por otro programa"), std::string::npos) << held.err;

  EXPECT_EQ(Ver(scratch_, {}).status, 64);
  EXPECT_EQ(Ver(scratch_, {"--nada", Path()}).status, 64);
}

}  // namespace
}  // namespace tos::test
