#include "data/sice_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/error.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using Lines = std::vector<std::string>;

Lines ReadAllStreamed(const std::string& path) {
  LectorLineas reader;
  reader.Open(path);
  Lines lines;
  while (!reader.AtEnd()) lines.emplace_back(reader.ReadLineView());
  reader.Close();
  return lines;
}

struct ReadCase {
  const char* name;
  std::string bytes;
  Lines streamed;  // LectorLineas
  Lines whole;     // CargarLineas
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadersTest : public ::testing::TestWithParam<ReadCase> {};

Lines ReadWholeFileLines(const std::string& path, size_t bufferSize) {
  WholeFileLines reader(path, bufferSize);
  Lines lines;
  for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
  return lines;
}

TEST_P(ReadersTest, BothReadersSplitAsTheyShould) {
  test::TempDir dir;
  std::string path = dir.File("f.txt");
  test::WriteFile(path, GetParam().bytes);
  EXPECT_EQ(ReadAllStreamed(path), GetParam().streamed);
  EXPECT_EQ(CargarLineas(path), GetParam().whole);
  // Tiny buffers put every line end, CR LF pair and padding byte on a
  // buffer boundary somewhere.
  for (size_t bufferSize : {1, 2, 3, 5, 64, 1 << 20})
    EXPECT_EQ(ReadWholeFileLines(path, bufferSize), GetParam().whole) << bufferSize;
}

const std::string kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadersTest,
    ::testing::Values(
        ReadCase{"Empty", "", {}, {}},
        ReadCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}, {"a", "b"}},
        ReadCase{"FinalCrLfMakesNoEmptyLine", "a\r\nb\r\n", {"a", "b"}, {"a", "b"}},
        ReadCase{"LfSameAsCrLf", "a\nb\n", {"a", "b"}, {"a", "b"}},
        ReadCase{"EmptyLinesAreLines", "\n\r\nx\n", {"", "", "x"}, {"", "", "x"}},
        ReadCase{"LoneCr", "ab\rcd\r\n", {"abcd"}, {"ab", "cd"}},
        ReadCase{"LfCrIsTwoEndsForWholeFile", "a\n\rb", {"a", "b"}, {"a", "", "b"}},
        ReadCase{"CtrlZAloneOnLastLine", "a\r\n\x1a", {"a"}, {"a"}},
        ReadCase{"CtrlZAtStartOfLineStops",
                 "a\n\x1a"
                 "b\nc\n",
                 {"a"},
                 {"a",
                  "\x1a"
                  "b",
                  "c"}},
        ReadCase{"CtrlZInsideLineEndsText",
                 "ab\x1a"
                 "cd\nef\n",
                 {"ab"},
                 {"ab\x1a"
                  "cd",
                  "ef"}},
        ReadCase{
            "NulIsText", "a" + kNul + "b\nc", {"a" + kNul + "b", "c"}, {"a" + kNul + "b", "c"}},
        ReadCase{
            "TrailingNulsArePadding", "a\nb\n" + kNul + kNul, {"a", "b", kNul + kNul}, {"a", "b"}},
        ReadCase{"CtrlZBeforeNulPadding", "a\r\n\x1a" + kNul, {"a"}, {"a"}},
        ReadCase{"TabAndHighBytesKept", "\t\xf1\xd1\xbd\n", {"\t\xf1\xd1\xbd"}, {"\t\xf1\xd1\xbd"}},
        ReadCase{"FinalLoneCr", "a\rb\r", {"ab"}, {"a", "b"}},
        ReadCase{"CrBeforeNulPadding", "a\r" + kNul + kNul, {"a" + kNul + kNul}, {"a"}},
        ReadCase{"NulPaddingWithoutLineEnd", "a\nb" + kNul, {"a", "b" + kNul}, {"a", "b"}},
        ReadCase{"OnlyPaddingAndCtrlZ", "\x1a" + kNul, {}, {}},
        ReadCase{"TwoCtrlZLoseOnlyTheLast", "a\x1a\x1a", {"a"}, {"a\x1a"}},
        ReadCase{"NulInsideLastLineStays",
                 "a" + kNul + "b" + kNul,
                 {"a" + kNul + "b" + kNul},
                 {"a" + kNul + "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LectorLineasTest, LinesLongerThanTheBufferComeWhole) {
  test::TempDir dir;
  std::string big(300000, 'x');
  big[150000] = '\r';
  test::WriteFile(dir.File("big.txt"), "0head\r\n" + big + "\r\n9\r\n");
  Lines lines = ReadAllStreamed(dir.File("big.txt"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].size(), big.size() - 1);
  EXPECT_EQ(lines[2], "9");
}

TEST(LectorLineasTest, ViewsOfLongLinesAndLinesAcrossTheBuffer) {
  test::TempDir dir;
  std::string big(200000, 'x');
  big[70000] = '\r';
  std::string text = "0head\r\n" + big + "\r\n";
  Lines expected = {"0head", std::string(big.size() - 1, 'x')};  // the lone CR left out
  for (int i = 0; i < 5000; ++i) {
    text += "1line " + std::to_string(i) + "\n";
    expected.push_back("1line " + std::to_string(i));
  }
  text += "9tail";
  expected.push_back("9tail");
  test::WriteFile(dir.File("f.txt"), text);
  EXPECT_EQ(ReadAllStreamed(dir.File("f.txt")), expected);
  EXPECT_EQ(ReadWholeFileLines(dir.File("f.txt"), 4096), CargarLineas(dir.File("f.txt")));
}

TEST(WholeFileLinesTest, MissingFileSaysCannotOpenWithThePath) {
  test::TempDir dir;
  std::string path = dir.File("sice_asignatcurso.txt");
  try {
    WholeFileLines reader(path);
    FAIL() << "no error";
  } catch (const Error& e) {
    std::string expected = "Cannot open file \"" + path + "\". ";
    EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
  }
}

TEST(LectorLineasTest, CrLfSplitAcrossBufferBoundary) {
  test::TempDir dir;
  // 65536 is the reader's first buffer: put the CR at its last byte.
  std::string first(65535, 'a');
  test::WriteFile(dir.File("f.txt"), first + "\r\nb\r\n");
  EXPECT_EQ(ReadAllStreamed(dir.File("f.txt")), (Lines{first, "b"}));
}

TEST(LectorLineasTest, MissingFileRaisesFileNotFound) {
  test::TempDir dir;
  LectorLineas reader;
  try {
    reader.Open(dir.File("nothing.txt"));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "No se encuentra el archivo");
    EXPECT_EQ(e.Code(), 2);
  }
}

TEST(LectorLineasTest, FindsTheFileWhateverItsLetterCase) {
  test::TempDir dir;
  test::WriteFile(dir.File("SICE_PROF.TXT"), "x\n");
  EXPECT_TRUE(ExisteArchivo(dir.File("sice_prof.txt")));
  EXPECT_EQ(ReadAllStreamed(dir.File("sice_prof.txt")), Lines{"x"});
  EXPECT_EQ(CargarLineas(dir.File("Sice_Prof.txt")), Lines{"x"});
}

TEST(ExisteArchivoTest, AFolderIsNotAFile) {
  test::TempDir dir;
  dir.MakeDir("sice_aulas.txt");
  EXPECT_FALSE(ExisteArchivo(dir.File("sice_aulas.txt")));
  EXPECT_FALSE(ExisteArchivo(dir.File("other.txt")));
}

TEST(IoErrorTextTest, CodesAndTheirWords) {
  const std::pair<int, const char*> cases[] = {
      {2, "No se encuentra el archivo"},
      {3, "Nombre de archivo inválido"},
      {4, "Demasiados archivos abiertos"},
      {5, "Acceso al archivo denegado"},
      {100, "Se intenta leer después del fin del archivo"},
      {101, "Disco lleno"},
      {106, "Valor numérico de entrada inválido"},
      {32, "Error de E/S 32"},
      {1234, "Error de E/S 1234"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(IoErrorText(code), text) << code;
}

TEST(CargarLineasTest, MissingFileSaysCannotOpenWithThePath) {
  test::TempDir dir;
  std::string path = dir.File("sice_sesiones.txt");
  try {
    CargarLineas(path);
    FAIL() << "no error";
  } catch (const Error& e) {
    std::string expected = "Cannot open file \"" + path + "\". ";
    EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
    EXPECT_GT(std::string(e.what()).size(), expected.size());  // the platform's reason follows
  }
}

TEST(GuardarLineasTest, WritesTheTextAsItIs) {
  test::TempDir dir;
  std::string path = dir.File("SICE_HORARIO.TXT");
  for (const std::string text : {"0cabecera\r\n\r\n1l\xednea\r\n9pie\r\n", "sin fin", ""}) {
    GuardarLineas(text, path);
    EXPECT_EQ(test::ReadFile(path), text);
  }
}

TEST(GuardarLineasTest, ReplacesTheOldFileAndLeavesNoTemporary) {
  test::TempDir dir;
  std::string path = dir.File("out.txt");
  test::WriteFile(path, "old contents that are longer\r\n");
  GuardarLineas("new\r\n", path);
  EXPECT_EQ(test::ReadFile(path), "new\r\n");
  EXPECT_FALSE(test::Exists(path + ".tmp~"));
}

TEST(GuardarLineasTest, MissingFolderSaysCannotCreate) {
  test::TempDir dir;
  std::string path = dir.File("no-such-folder") + std::string(1, fs::kSeparator) + "x.txt";
  try {
    GuardarLineas("a\r\n", path);
    FAIL() << "no error";
  } catch (const Error& e) {
    std::string expected = "Cannot create file \"" + path + "\". ";
    EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected);
  }
}

TEST(EsLineaDeDatosTest, Kinds) {
  const struct {
    std::string line;
    const char* self;
    bool data;
  } cases[] = {
      {"0", "SICE_PROF.TXT", false},
      {"0cabecera", "SICE_PROF.TXT", false},
      {"9000012", "SICE_PROF.TXT", false},
      {" 0abc", "SICE_PROF.TXT", true},
      {"", "SICE_PROF.TXT", true},
      {"1  sice_prof.txt" + std::string(30, ' '), "SICE_PROF.TXT", false},
      {"1SICE_PROF.TXT", "SICE_PROF.TXT", false},
      {"1  SICE_GRUPO.TXT   ", "SICE_GRUPOS.TXT", true},
      {"1SICE_GRUPOS.TXT", "SICE_GRUPOS.TXT", false},
      // Only ASCII letters change case: an accented lower-case letter stays.
      {"1sice_\xe1.txt", "SICE_\xc1.TXT", true},
      {"1SICE_PROF.TXTX", "SICE_PROF.TXT", true},
  };
  for (const auto& c : cases) EXPECT_EQ(EsLineaDeDatos(c.line, c.self), c.data) << c.line;
}

TEST(CortarCampoTest, CutsAndTrims) {
  std::string thirty = "1ABCD" + std::string(20, 'x') + "  nam";
  ASSERT_EQ(thirty.size(), 30u);
  const struct {
    std::string line;
    size_t column, length;
    std::string expected;
  } cases[] = {
      {thirty, 26, 150, "nam"}, {thirty, 96, 150, ""},
      {thirty, 31, 5, ""},      {thirty, 2, 4, "ABCD"},
      {"", 2, 4, ""},           {"1  a b \t\x01", 2, 10, "a b"},
      {"1    ", 2, 4, ""},      {"1\xa0x\xa0", 2, 3, "\xa0x\xa0"},  // 160 is no blank
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CortarCampo(c.line, c.column, c.length), c.expected) << c.line;
    EXPECT_EQ(CortarCampoVista(c.line, c.column, c.length), c.expected) << c.line;
  }
}

TEST(AnadirCampoTest, PadsButNeverCuts) {
  const struct {
    std::string value;
    size_t width;
    std::string expected;
  } cases[] = {
      {"ABCDEFGHIJKL", 8, "ABCDEFGHIJKL"},
      {"abc", 4, "abc "},
      {"", 8, "        "},
      {"abcd", 4, "abcd"},
      {"", 200, std::string(95, ' ')},
  };
  for (const auto& c : cases) {
    std::string line = ">";
    AnadirCampo(line, c.value, c.width);
    EXPECT_EQ(line, ">" + c.expected) << c.value << "/" << c.width;
  }
}

}  // namespace
}  // namespace tos
