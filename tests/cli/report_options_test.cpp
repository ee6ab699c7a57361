// The converter's report: where its page goes (--informe, --sin-informe),
// that a page it cannot write changes nothing else, and "comprobar", which
// runs the import into a temporary folder of its own only for the report.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/files.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tos::test {
namespace {

struct Sice {
  Sice() : folder(temp.File("sice")), otemp(temp.MakeDir("otemp")) {
    std::filesystem::copy(fs::Join(SourceDir(), fs::Join("samples", "sice")), folder);
  }
  std::string In(const std::string& name) const { return fs::Join(folder, name); }
  TempDir temp;
  std::string folder;
  std::string otemp;
};

bool IsPage(const std::string& path) {
  return Exists(path) && ReadFile(path).rfind("<!DOCTYPE html>", 0) == 0;
}

TEST(CliReport, PageGoesWhereTheOptionsSay) {
  const std::string kImport = "informe_sice_a_orvalent.html";
  const std::string kExport = "informe_orvalent_a_sice.html";
  struct Case {
    std::string name;
    std::vector<std::string> options;
    bool inFolder;
    bool elsewhere;
  };
  const std::vector<Case> cases = {
      {"by default into the SICE folder", {}, true, false},
      {"--informe elsewhere", {"--informe", "OTHER"}, false, true},
      {"--informe=", {"--informe=OTHER"}, false, true},
      {"--sin-informe", {"--sin-informe"}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sice s;
    std::string other = s.temp.File("otro.html");
    auto with = [&](std::vector<std::string> args) {
      for (std::string o : c.options) {
        size_t at = o.find("OTHER");
        if (at != std::string::npos) o.replace(at, 5, other);
        args.push_back(o);
      }
      return args;
    };
    CliRun exported = RunCli(s.temp, with({"exportar", s.folder, "--otemp", s.otemp}));
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(IsPage(s.In(kImport)), c.inFolder);
    EXPECT_EQ(IsPage(other), c.elsewhere);
    std::filesystem::remove(other);
    // No SOLUC: an error ends the export, and its page is written all the same.
    CliRun imported = RunCli(s.temp, with({"importar", s.folder, "--otemp", s.otemp}));
    EXPECT_EQ(imported.status, 2);
    EXPECT_EQ(IsPage(s.In(kExport)), c.inFolder);
    EXPECT_EQ(IsPage(other), c.elsewhere);
  }
}

// The run's messages and status are the same whether or not its page could
// be written; the converter says it could not.
TEST(CliReport, UnwritablePageChangesNothingElse) {
  Sice s;
  CliRun plain = RunCli(s.temp, {"exportar", s.folder, "--otemp", s.otemp, "--sin-informe"});
  std::string nowhere = fs::Join(s.temp.File("no-such"), "informe.html");
  CliRun failed = RunCli(s.temp, {"exportar", s.folder, "--otemp", s.otemp, "--informe", nowhere});
  EXPECT_EQ(failed.status, plain.status);
  EXPECT_EQ(failed.messages,
            plain.messages + "No se ha podido escribir el informe " + nowhere + "\n");
  CliRun missing = RunCli(s.temp, {"exportar", s.In("no"), "--otemp", s.otemp});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.messages, "No existe la carpeta\n");
}

TEST(CliReport, ComprobarStatusesAndUsage) {
  struct Case {
    std::string name;
    std::vector<std::string> args;  // after "comprobar"; FOLDER is the SICE copy
    int status;
  };
  const std::vector<Case> cases = {
      {"missing folder", {"FOLDER/no"}, 1},
      {"a missing file", {"FOLDER", "--otemp", "OTEMP", "--sin-informe"}, 1},
      {"no folder", {}, 64},
      {"both report options", {"FOLDER", "--informe", "x.html", "--sin-informe"}, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sice s;
    std::filesystem::remove(s.In("sice_prof.txt"));
    std::vector<std::string> args = {"comprobar"};
    for (std::string a : c.args) {
      if (a == "FOLDER") a = s.folder;
      if (a == "FOLDER/no") a = fs::Join(s.folder, "no");
      if (a == "OTEMP") a = s.otemp;
      args.push_back(a);
    }
    CliRun r = RunCli(s.temp, args);
    EXPECT_EQ(r.status, c.status) << r.messages;
    if (c.status == 64) {
      EXPECT_NE(r.messages.find("uso: transorvalentsice-cli comprobar"), std::string::npos);
    }
  }
}

#ifndef _WIN32
// On the sample folder: the page in the folder, status 3 exactly when the
// summary has lines, and nothing left in the temporary folder.
TEST(CliReport, ComprobarLeavesOnlyThePage) {
  Sice s;
  std::string tmp = s.temp.MakeDir("tmp");
  std::string err = s.temp.File("err.txt");
  int status = RunShell("TMPDIR=" + ShellQuote(tmp) + " " + ProgramCommand(CliPath()) + " comprobar " +
                        ShellQuote(s.folder) + " --otemp " + ShellQuote(s.otemp) + " 2>" +
                        ShellQuote(err));
  std::string messages = ReadFile(err);
  bool notices = messages.find("Avisos: ") != std::string::npos;
  EXPECT_EQ(status, notices ? 3 : 0) << messages;
  EXPECT_EQ(messages.rfind("Proceso finalizado\n", 0), 0u) << messages;
  EXPECT_TRUE(IsPage(s.In("informe_sice_a_orvalent.html")));
  EXPECT_TRUE(std::filesystem::is_empty(tmp));
  EXPECT_TRUE(std::filesystem::is_empty(s.otemp));
}
#endif

}  // namespace
}  // namespace tos::test
