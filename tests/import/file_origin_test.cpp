// SICE files as they arrive: in UTF-8 or UTF-16 they give the tables of
// their Windows-1252 twin, and the report says how each was read; a file
// cut short, two exports joined, a file under another's name, a folder
// that mixes exports and a spreadsheet's TABs are told; a clean folder
// tells nothing.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "data/text.h"
#include "import/fixture_lines.h"
#include "import/import_fixture.h"
#include "import/import_run.h"

namespace tos::test {
namespace {

const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

// A small folder as SICE writes it, in Windows-1252.
std::map<std::string, std::vector<std::string>> CleanFolder() {
  return {
      {"sice_asignat.txt",
       {HeaderLine("SICE_ASIGNAT.TXT"), Subject("MAT", "MAT", "Matem\xE1ticas \x80"),
        Subject("LEN", "LEN", "Lengua Castellana")}},
      {"sice_prof.txt",
       {HeaderLine("SICE_PROF.TXT"),
        Teacher("GLM",
                "GARC\xCD"
                "A L\xD3PEZ, MAR\xCD"
                "A",
                "Lengua"),
        Teacher("PNJ",
                "PE\xD1"
                "A, JOS\xC9",
                "Matem\xE1ticas")}},
      {"sice_aulas.txt", {HeaderLine("SICE_AULAS.TXT"), Room("A01", "Aula 1.\xBA")}},
      {"sice_grupo.txt",
       {HeaderLine("SICE_GRUPOS.TXT"), Group("1ESO \xD1", "G1A", "ESO", "1", "M")}},
      {"sice_asignatgrupo.txt",
       {HeaderLine("SICE_ASIGNATGRUPO.TXT"), Assignment("G1A", "MAT"), Assignment("G1A", "LEN")}},
      {"sice_asignatcurso.txt",
       {HeaderLine("SICE_ASIGNATCURSO.TXT"), Hours("ESO", "1", "MAT", "4"),
        Hours("ESO", "1", "LEN", "5")}},
      {"sice_sesiones.txt",
       {HeaderLine("SICE_SESIONES.TXT"), Slot("0101", "L", "0815", "0910"),
        Slot("0102", "L", "0910", "1005")}},
  };
}

class FileOrigin : public ImportTest {
 protected:
  using Folder = std::map<std::string, std::vector<std::string>>;
  void Write(const Folder& folder, const std::function<std::string(const std::string&)>& encode) {
    for (const auto& [name, lines] : folder) {
      std::string self = text::AsciiUpper(name == "sice_grupo.txt" ? "sice_grupos.txt" : name);
      WriteSice(name, encode(CrLf(AsSiceWritesIt(self, lines))));
    }
  }
  Report Run() {
    Report out(Direction::kSiceAOrvalent);
    window.folder = sice;
    BExportarClick(state, window, otemp, &out);
    return out;
  }
  std::map<std::string, std::string> Tables() {
    std::map<std::string, std::string> bytes;
    for (const char* t : kTables) bytes[t] = ReadFile(OtempFile(std::string(t) + ".DBF"));
    return bytes;
  }
};

TEST_F(FileOrigin, EveryEncodingGivesTheTablesOfItsWindows1252Twin) {
  Write(CleanFolder(), [](const std::string& s) { return s; });
  Report plain = Run();
  EXPECT_EQ(plain.Total(), 0u);
  const auto expected = Tables();

  struct Case {
    const char* name;
    std::function<std::string(const std::string&)> encode;
    uint64_t told;  // files read in it: without a mark, a plain ASCII file is both
  };
  const Case cases[] = {
      {"UTF-8 sin marca", [](const std::string& s) { return text::Cp1252ToUtf8(s); }, 5},
      {"UTF-8 con marca",
       [](const std::string& s) { return "\xEF\xBB\xBF" + text::Cp1252ToUtf8(s); }, 7},
      {"UTF-16 LE con marca", [](const std::string& s) { return AsUtf16(s, true); }, 7},
      {"UTF-16 BE con marca", [](const std::string& s) { return AsUtf16(s, false); }, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(CleanFolder(), c.encode);
    Report report = Run();
    EXPECT_EQ(Tables(), expected);
    ASSERT_EQ(report.CountOf(NoticeKind::kCodificacion), c.told);
    EXPECT_EQ(report.Listed(NoticeKind::kCodificacion)[1].where, "sice_prof.txt");
    EXPECT_EQ(report.Listed(NoticeKind::kCodificacion)[1].values,
              std::string("leído como ") + c.name);
    EXPECT_EQ(report.Total(), c.told);
  }
}

TEST_F(FileOrigin, ACharacterWindows1252LacksBecomesItsBaseLetter) {
  // A UTF-8 file: its other lines are plain ASCII.
  Folder folder = CleanFolder();
  folder["sice_prof.txt"][1] = Teacher("GLM", "GARCIA", "Lengua");
  folder["sice_prof.txt"][2] = Teacher("PNJ", "\xC8\x98TEFAN \xC5\x81UKASZ \xE4\xB8\xAD", "Lengua");
  Write(folder, [](const std::string& s) { return s; });
  Report report = Run();
  EXPECT_EQ(Read("PROFT")[1][1], "STEFAN LUKASZ ?");
  ASSERT_EQ(report.CountOf(NoticeKind::kCaracterSustituido), 3u);
  const Notice& first = report.Listed(NoticeKind::kCaracterSustituido)[0];
  EXPECT_EQ(first.where, "sice_prof.txt, línea 3");
  EXPECT_EQ(first.values, "«Ș» (U+0218) se lee como «S»");
  EXPECT_EQ(report.Listed(NoticeKind::kCaracterSustituido)[2].values,
            "«中» (U+4E2D) se lee como «?»");
  EXPECT_EQ(report.CountOf(NoticeKind::kCodificacion), 1u);
}

TEST_F(FileOrigin, WhereTheFilesCameFrom) {
  struct Case {
    const char* name;
    std::function<void(Folder&)> change;            // on the lines before the trailer is added
    std::function<void(const std::string&)> after;  // on the folder written
    NoticeKind kind;
    std::string where;
    std::string values;  // a part of them
  };
  auto noTrailer = [](const std::string& folder) {
    std::string bytes = ReadFile(fs::Join(folder, "sice_asignatgrupo.txt"));
    WriteFile(fs::Join(folder, "sice_asignatgrupo.txt"), bytes.substr(0, bytes.rfind("9SICE")));
  };
  auto wrongCount = [](const std::string& folder) {
    std::string bytes = ReadFile(fs::Join(folder, "sice_aulas.txt"));
    bytes.replace(bytes.rfind("1\r\n"), 1, "40");
    WriteFile(fs::Join(folder, "sice_aulas.txt"), bytes);
  };
  const Case cases[] = {
      {"cut short", nullptr, noTrailer, NoticeKind::kFicheroIncompleto,
       "sice_asignatgrupo.txt, línea 3",
       "no hay línea final (la que empieza por 9) después de las 2 líneas"},
      {"trailer's count", nullptr, wrongCount, NoticeKind::kFicheroIncompleto,
       "sice_aulas.txt, línea 3", "la línea final cuenta 40 líneas de datos y el fichero tiene 1"},
      {"two exports",
       [](Folder& f) {
         auto& lines = f["sice_prof.txt"];
         lines.insert(lines.begin() + 2, {"9" + HeaderLine("SICE_PROF.TXT").substr(1) + "1",
                                          HeaderLine("SICE_PROF.TXT")});
       },
       nullptr, NoticeKind::kVariasCabeceras, "sice_prof.txt, línea 4", "2 líneas de cabecera"},
      {"another file's header",
       [](Folder& f) { f["sice_prof.txt"][0] = HeaderLine("SICE_AULAS.TXT"); }, nullptr,
       NoticeKind::kFicheroCambiado, "sice_prof.txt, línea 1",
       "la cabecera es la de SICE_AULAS.TXT; este fichero es SICE_PROF.TXT"},
      {"another export's code",
       [](Folder& f) { f["sice_aulas.txt"][0] = HeaderLine("SICE_AULAS.TXT", "28099999"); },
       nullptr, NoticeKind::kExportacionesDistintas, "carpeta de SICE",
       "sice_aulas.txt 28099999 07/09/2026 08:15; sice_grupo.txt 28045671 07/09/2026 08:15"},
      {"dates two days apart",
       [](Folder& f) {
         f["sice_sesiones.txt"][0] = HeaderLine("SICE_SESIONES.TXT", "28045671", "050920260800");
       },
       nullptr, NoticeKind::kExportacionesDistintas, "carpeta de SICE",
       "sice_sesiones.txt 28045671 05/09/2026 08:00"},
      {"a spreadsheet's TABs", [](Folder& f) { f["sice_grupo.txt"][1][3] = '\t'; }, nullptr,
       NoticeKind::kTabulador, "sice_grupo.txt, línea 2", "1 línea con tabulador"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder = CleanFolder();
    if (c.change) c.change(folder);
    Write(folder, [](const std::string& s) { return s; });
    if (c.after) c.after(sice);
    Report report = Run();
    EXPECT_EQ(window.messages.back(), "Proceso finalizado");
    ASSERT_EQ(report.CountOf(c.kind), 1u);
    EXPECT_EQ(report.Listed(c.kind)[0].where, c.where);
    EXPECT_NE(report.Listed(c.kind)[0].values.find(c.values), std::string::npos)
        << report.Listed(c.kind)[0].values;
    EXPECT_EQ(report.Total(), 1u);
  }
  // Within a day is one export.
  Folder folder = CleanFolder();
  folder["sice_sesiones.txt"][0] = HeaderLine("SICE_SESIONES.TXT", "28045671", "060920260900");
  Write(folder, [](const std::string& s) { return s; });
  EXPECT_EQ(Run().Total(), 0u);
}

}  // namespace
}  // namespace tos::test
