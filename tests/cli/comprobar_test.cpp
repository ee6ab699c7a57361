// "comprobar" foretells the SICE-to-Orvalent run on the same folders: the
// same messages, notices and status (3 in place of 0 when there are
// notices), with the working folder left byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "data/files.h"
#include "support/run_cli.h"
#include "support/temp_dir.h"

namespace tos::test {
namespace {

namespace stdfs = std::filesystem;

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : stdfs::directory_iterator(folder))
    files[entry.path().filename().string()] = ReadFile(entry.path().string());
  return files;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(Comprobar, ForetellsTheRun) {
  struct Case {
    const char* name;
    std::function<void(const std::string& sice, const std::string& otemp)> setUp;
    int status;  // the run's
  };
  auto remove = [](const char* file) {
    return [file](const std::string& sice, const std::string&) {
      stdfs::remove(fs::Join(sice, file));
    };
  };
  auto damage = [](const char* table) {
    return [table](const std::string&, const std::string& otemp) {
      WriteFile(fs::Join(otemp, table), "\x03 not a table");
    };
  };
  const Case cases[] = {
      {"clean folder", nullptr, 0},
      {"sice_grupo.txt missing, GRUPOST there", remove("sice_grupo.txt"), 1},
      {"sice_grupo.txt missing, no GRUPOST",
       [](const std::string& sice, const std::string& otemp) {
         stdfs::remove(fs::Join(sice, "sice_grupo.txt"));
         stdfs::remove(fs::Join(otemp, "GRUPOST.DBF"));
       },
       2},
      {"sice_sesiones.txt missing", remove("sice_sesiones.txt"), 1},
      {"a damaged table the run rewrites", damage("PROFT.DBF"), 0},
      {"a damaged GRUPOST the run reads",
       [](const std::string& sice, const std::string& otemp) {
         stdfs::remove(fs::Join(sice, "sice_grupo.txt"));
         WriteFile(fs::Join(otemp, "GRUPOST.DBF"), "\x03 not a table");
       },
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir temp;
    std::string sice = temp.File("sice");
    stdfs::copy(fs::Join(SourceDir(), fs::Join("samples", "sice")), sice);
    // Two working folders alike, each with an earlier run's tables.
    std::string checked = temp.MakeDir("checked");
    std::string run = temp.MakeDir("run");
    for (const std::string& otemp : {checked, run})
      ASSERT_EQ(RunCli(temp, {"exportar", sice, "--otemp", otemp, "--sin-informe"}).status, 0);
    if (c.setUp) {
      c.setUp(sice, checked);
      c.setUp(sice, run);
    }
    std::map<std::string, std::string> before = Snapshot(checked);

    CliRun foretold = RunCli(temp, {"comprobar", sice, "--otemp", checked, "--sin-informe"});
    CliRun real = RunCli(temp, {"exportar", sice, "--otemp", run, "--sin-informe"});
    EXPECT_EQ(real.status, c.status) << real.messages;
    EXPECT_EQ(foretold.status, real.status == 0 && !real.notices.empty() ? 3 : real.status);
    EXPECT_EQ(Replaced(foretold.messages, checked, run), real.messages);
    EXPECT_EQ(foretold.notices, real.notices);
    EXPECT_EQ(Snapshot(checked), before);
  }
}

}  // namespace
}  // namespace tos::test
