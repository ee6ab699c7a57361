// The timetable export's output, line by line and byte by byte, with a fixed
// clock; and what it tells the window.
#include <filesystem>
#include <functional>

#include "data/text.h"
#include "export/export_fixture.h"
#include "report/report.h"
#include "support/faulty_fs.h"

namespace tos::test {
namespace {

std::string Golden(const std::string& name) {
  return ReadFile(
      fs::Join(fs::Join(fs::Join(SourceDir(), "tests"), "export"), fs::Join("golden", name)));
}

struct GoldenCase {
  std::string name;
  std::function<void(ExportFixture&)> setUp;
};

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenTest, WritesTheExpectedFile) {
  ExportFixture f;
  GetParam().setUp(f);
  f.MakeUnreadTables();
  std::string solucBefore = ReadFile(fs::Join(f.otemp, "SOLUC.DBF"));
  std::string tramosBefore = ReadFile(fs::Join(f.otemp, "DIASHORAST.DBF"));

  f.Run();

  EXPECT_EQ(ReadFile(f.Output()), Golden(GetParam().name + ".txt"));
  EXPECT_EQ(f.clock.Reads(), 2u) << "the header and the trailer each read the clock once";
  EXPECT_EQ(f.state.EstadoTransformacion, 1);
  // The tables are opened for writing, as Orvalent's objects are, but are
  // never changed.
  EXPECT_EQ(ReadFile(fs::Join(f.otemp, "SOLUC.DBF")), solucBefore);
  EXPECT_EQ(ReadFile(fs::Join(f.otemp, "DIASHORAST.DBF")), tramosBefore);
}

// Letter days: 3 becomes X and finds X's slots, 8 stays 8; DIA 0 and blank
// give no line; the earlier of two equal slots wins; HORA 2 does not match a
// slot "02"; a five-character teacher moves the rest right; a line end in a
// value becomes a blank; unwritten texts are blank slots.
void LettersCase(ExportFixture& f) {
  f.WriteAsignat({"1   MAT Matematicas", SiceHeader("SICE_ASIGNAT.TXT", "HC2026A1"),
                  SiceHeader("SICE_ASIGNAT.TXT", "ZZZZZZZZ"), "9"});
  f.WriteSesionesWithDay('L');
  f.MakeTramos({{"L", "1", "0001"},
                {"L", "2", "0002"},
                {"X", "1", "0011"},
                {"X", "2", "0012"},
                {"X", "2", "0099"},
                {"M", "02", "0022"},
                {"3", "1", "0301"},
                {"V", "1", "0041"}});
  f.MakeSoluc({{"1", "1", "P001", "G1A", "MAT", "A01"},
               {"0", "1", "P002", "G1B", "LEN", "A02"},
               {std::nullopt, "1", "P003", "G1C", "LEN", "A02"},
               {"3", "2", "P004", "G2A", "FIS", "LAB1"},
               {"3", "1", "P005", "G2B", "QUI", "LAB2"},
               {"2", "2", "P006", "G3A", "HIS", "A03"},
               {"8", "1", "P007", "G3B", "ING", "A04"},
               {"5", "1", "P0008", "G4A", "EFI", "GIM"},
               {"1", "2", "P009", "G4B", "MUS", "A"},
               {"7", "9", "P\r\n1", "G5A", "TEC", "A05"},
               {"1", "1", std::nullopt, std::nullopt, "MAT", std::nullopt}});
}

// Digit days from a 7 in column 9; HORA a floating column holding 2.00 reads
// as "2"; the header code is cut to its 8 columns.
void NumericCase(ExportFixture& f) {
  f.WriteAsignat({SiceHeader("SICE_ASIGNAT.TXT", "12345678ABC"), "9"});
  f.WriteSesionesWithDay('7');
  f.MakeTramos({{"1", "1", "0101"}, {"3", "2", "0302"}, {"3", "1", "0301"}});
  f.MakeSoluc({{"3", "2.00", "P001", "G1A", "MAT", "A01"},
               {"1", "1", "P002", "G1B", "LEN", "A02"},
               {"6", "4", "P003", "G2A", "FIS", "A03"}},
              FieldKind::kWhole, FieldKind::kFloat);
}

// No lesson and no header line in the subjects file.
void EmptyCase(ExportFixture& f) {
  f.WriteAsignat({"1   MAT Matematicas"});
  f.WriteSesionesWithDay('L');
  f.MakeTramos({{"L", "1", "0001"}});
  f.MakeSoluc({});
}

INSTANTIATE_TEST_SUITE_P(Export, GoldenTest,
                         ::testing::Values(GoldenCase{"letters", LettersCase},
                                           GoldenCase{"numeric", NumericCase},
                                           GoldenCase{"empty", EmptyCase}),
                         [](const auto& info) { return info.param.name; });

struct DayCase {
  std::string name;
  std::string secondLine;
  std::string dia;
  char expectedDay;
};

class DayFormTest : public ::testing::TestWithParam<DayCase> {};

TEST_P(DayFormTest, SetsColumnSix) {
  ExportFixture f;
  f.MakeValidInputs();
  f.WriteSesiones({SiceHeader("SICE_SESIONES.TXT", ""), GetParam().secondLine});
  f.MakeSoluc({{GetParam().dia, "1", "P001", "G1A", "MAT", "A01"}});
  f.Run();
  std::vector<std::string> lines = f.OutputLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1][5], GetParam().expectedDay);
}

INSTANTIATE_TEST_SUITE_P(Export, DayFormTest,
                         ::testing::Values(DayCase{"LetterL", "1   0001L08000855", "3", 'X'},
                                           DayCase{"Digit7", "1   0001708000855", "3", '3'},
                                           DayCase{"Digit1", "1   0001108000855", "3", '3'},
                                           DayCase{"Digit8", "1   0001808000855", "3", 'X'},
                                           DayCase{"Digit0", "1   0001008000855", "1", 'L'},
                                           DayCase{"Blank", "1   0001 08000855", "7", 'D'},
                                           DayCase{"ShortLine", "1   0001", "3", 'X'},
                                           DayCase{"EmptyLine", "", "6", 'S'},
                                           DayCase{"DayEightKept", "1   0001L08000855", "8", '8'}),
                         [](const auto& info) { return info.param.name; });

struct HeaderCodeCase {
  std::string name;
  std::vector<std::string> asignat;
  std::string expected;  // columns 52-59 of header and trailer
};

class HeaderCodeTest : public ::testing::TestWithParam<HeaderCodeCase> {};

TEST_P(HeaderCodeTest, FillsColumns52To59) {
  ExportFixture f;
  f.MakeValidInputs();
  f.WriteAsignat(GetParam().asignat);
  f.Run();
  std::vector<std::string> lines = f.OutputLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(51, 8), GetParam().expected);
  EXPECT_EQ(lines[0].substr(59), "091220260859");
  EXPECT_EQ(lines[2].substr(51, 8), GetParam().expected);
  EXPECT_EQ(lines[2].substr(59), "0912202609001");
}

const std::string kPad = std::string(50, ' ');

INSTANTIATE_TEST_SUITE_P(
    Export, HeaderCodeTest,
    ::testing::Values(
        HeaderCodeCase{"CutToEight", {"0" + kPad + "12345678ABC"}, "12345678"},
        HeaderCodeCase{"NoHeaderLine", {"1   MAT", "9" + kPad + "TRAILER1"}, "        "},
        HeaderCodeCase{"EmptyFile", {}, "        "},
        HeaderCodeCase{"ShortHeaderLine", {"0" + kPad + "1234"}, "1234    "},
        HeaderCodeCase{"HeaderWithoutCode", {"0"}, "        "},
        HeaderCodeCase{"FirstHeaderWins",
                       {" 0" + kPad + "NOTME123", "0" + kPad + "FIRST123", "0" + kPad + "SECOND12"},
                       "FIRST123"},
        HeaderCodeCase{"TakenAsItStands", {"0" + kPad + " AB  CD "}, " AB  CD "}),
    [](const auto& info) { return info.param.name; });

TEST(Export, CountsTwoHundredFiftyLessonsFromColumn72) {
  ExportFixture f;
  f.MakeValidInputs();
  std::vector<Lesson> lessons;
  for (int i = 0; i < 250; ++i) lessons.push_back({"1", "1", "P001", "G1A", "MAT", "A01"});
  lessons.push_back({"0", "1", "P001", "G1A", "MAT", "A01"});
  f.MakeSoluc(lessons);
  f.Run();
  std::vector<std::string> lines = f.OutputLines();
  ASSERT_EQ(lines.size(), 252u);
  EXPECT_EQ(lines.back().substr(71), "250");
  for (size_t i = 1; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i], "10001LP001G1A LEC MAT A01 ");
}

// The folder is followed by a separator always, as in the import run: a
// drive's root "C:\" gives "C:\\".
TEST(Export, RutaSiceIsTheFolderAndOneMoreSeparator) {
  ExportFixture f;
  f.MakeValidInputs();
  f.window.folder = f.sice + fs::kSeparator;
  f.Run();
  EXPECT_EQ(f.state.RutaSice, f.sice + fs::kSeparator + fs::kSeparator);
  EXPECT_EQ(f.state.EstadoTransformacion, 1);
}

TEST(Export, ReportsDoneAndClosesWhenEmbedded) {
  for (bool embedded : {false, true}) {
    SCOPED_TRACE(embedded ? "embedded" : "stand-alone");
    ExportFixture f;
    f.MakeValidInputs();
    f.state.NumParametros = embedded ? 2 : 0;
    f.state.EstadoTransformacion = -1;
    f.Run();
    EXPECT_EQ(f.state.EstadoTransformacion, 1);
    EXPECT_EQ(f.state.RutaSice, f.sice + fs::kSeparator);
    std::vector<std::string> expected = {"hourglass:on", "hourglass:off",
                                         "message:Proceso finalizado"};
    if (embedded) expected.push_back("close");
    EXPECT_EQ(f.window.events, expected);
  }
}

TEST(Export, MissingFolderIsReportedAndOnlyEmbeddedSetsZero) {
  for (bool embedded : {false, true}) {
    SCOPED_TRACE(embedded ? "embedded" : "stand-alone");
    ExportFixture f;
    f.MakeValidInputs();
    f.window.folder = fs::Join(f.sice, "gone");
    f.state.NumParametros = embedded ? 2 : 0;
    f.state.EstadoTransformacion = kStatusBefore;
    f.Run();
    EXPECT_EQ(f.state.EstadoTransformacion, embedded ? 0 : kStatusBefore);
    std::vector<std::string> expected = {"message:No existe la carpeta"};
    if (embedded) expected.push_back("close");
    EXPECT_EQ(f.window.events, expected);
    EXPECT_FALSE(Exists(fs::Join(f.window.folder, "SICE_HORARIO.TXT")));
  }
}

TEST(Export, ReleasesEveryTableWhenDone) {
  ExportFixture f;
  f.MakeValidInputs();
  FaultyFileSystem counting;
  {
    fs::ScopedFileSystem scope(counting);
    f.Run();
  }
  EXPECT_EQ(counting.OpenHandles(), 0);
  for (const char* name : {"SOLUC", "GRUPOST", "PROFT", "AULAT", "ASIGNOMT", "DIASHORAST"}) {
    Table table;
    table.SetFolder(f.otemp);
    table.SetTableName(name);
    table.SetTableType(TableType::kDBase);
    table.SetExclusive(true);
    EXPECT_NO_THROW(table.Open()) << name;
  }
}

TEST(Export, ReplacesThePreviousFileWhateverItsLetterCase) {
  ExportFixture f;
  f.MakeValidInputs();
  WriteFile(f.SiceFile("sice_horario.txt"), "previous\r\n");
  f.Run();
  int found = 0;
  for (const auto& entry : std::filesystem::directory_iterator(f.sice)) {
    std::string name = entry.path().filename().string();
    if (text::EqualIgnoringAsciiCase(name, "SICE_HORARIO.TXT")) {
      ++found;
      EXPECT_NE(ReadFile(entry.path().string()), "previous\r\n");
    }
    EXPECT_EQ(name.find("tmp"), std::string::npos) << name;
  }
  EXPECT_EQ(found, 1);
}

// A field the walk never needs is not asked for: DIA 0 everywhere leaves
// HORA and the rest unread, a lesson matching no slot leaves CODDIHO unread.
TEST(Export, FieldsAreOnlyNeededWhereTheyAreRead) {
  {
    ExportFixture f;
    f.MakeValidInputs();
    MakeTable(f.otemp, "SOLUC.DBF", {{"DIA", FieldKind::kWhole, 2}}, {{"0"}, {std::nullopt}});
    f.Run();
    EXPECT_EQ(f.OutputLines().size(), 2u);
  }
  {
    ExportFixture f;
    f.MakeValidInputs();
    MakeTable(f.otemp, "DIASHORAST.DBF",
              {{"DIA", FieldKind::kText, 20}, {"HORA", FieldKind::kText, 8}}, {{"M", "1"}});
    f.Run();
    std::vector<std::string> lines = f.OutputLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "1    LP001G1A LEC MAT A01 ");
  }
  {
    ExportFixture f;
    f.MakeValidInputs();
    // No records: nothing is looked up, not even DIA.
    MakeTable(f.otemp, "DIASHORAST.DBF", {{"OTRO", FieldKind::kText, 4}}, {});
    f.Run();
    EXPECT_EQ(f.OutputLines()[1], "1    LP001G1A LEC MAT A01 ");
  }
}

// The slot lookup against a walk of DIASHORAST from its first record, over
// enough slots to grow the index several times: short and long keys (some
// too long to keep inside an index slot), keys that differ only in where the
// day ends, duplicates, and lessons that match nothing.
TEST(Export, SlotLookupAgreesWithAWalkFromTheFirstSlot) {
  ExportFixture f;
  f.MakeValidInputs();
  f.WriteSesionesWithDay('1');  // numeric form: the day text is the key as it stands
  // The first five read as whole numbers and can be a lesson's day.
  const std::vector<std::string> kDays = {"1", "12", "7", " 7", "+1", "", "DIA-MUY-LARGO-1234"};
  // Within the widths of DIASHORAST: HORA 8, CODDIHO 10.
  const std::vector<std::string> kPeriods = {"2", "02", "21", "1", "", "PER-"};
  std::vector<Slot> slots;
  uint32_t seed = 7;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
  for (int i = 0; i < 3000; ++i) {
    std::string day = kDays[next() % kDays.size()];
    std::string period = kPeriods[next() % kPeriods.size()] + std::to_string(next() % 400);
    std::string code = (i % 7 == 0 ? "LARGO" : "C") + std::to_string(i);
    slots.push_back({day, period, code});
  }
  std::vector<Lesson> lessons;
  std::vector<std::string> expected;
  for (int i = 0; i < 4000; ++i) {
    const Slot& pick = slots[next() % slots.size()];
    // Every fifth lesson shifts the period so that it may match nothing.
    std::string period = i % 5 == 0 ? pick.hora + "9" : pick.hora;
    // SOLUC's DIA is text, to carry " 7" and "+1"; it must read as a whole
    // number, so a slot whose day cannot be a lesson's is asked for with "1".
    std::string day = pick.dia;
    if (day.empty() || day.size() > 2) day = "1";
    std::string code;
    for (const Slot& s : slots) {
      if (s.dia == day && s.hora == period) {
        code = s.code;
        break;
      }
    }
    lessons.push_back({day, period, "P", "G", "A", "R"});
    expected.push_back(code);
  }
  f.MakeTramos(slots);
  f.MakeSoluc(lessons, FieldKind::kText, FieldKind::kText);
  f.Run();
  std::vector<std::string> lines = f.OutputLines();
  ASSERT_EQ(lines.size(), lessons.size() + 2);
  size_t matched = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    std::string code = expected[i].size() < 4
                           ? expected[i] + std::string(4 - expected[i].size(), ' ')
                           : expected[i];
    ASSERT_EQ(lines[i + 1].substr(1, code.size()), code) << "lesson " << i;
    ASSERT_EQ(lines[i + 1].substr(1 + code.size(), lessons[i].dia->size()), *lessons[i].dia)
        << "lesson " << i;
    if (!expected[i].empty()) ++matched;
  }
  EXPECT_GT(matched, expected.size() / 2);
}

// Every detail line against AnadirCampo's rule applied slot by slot, for
// values shorter than, as long as and longer than their slots, empty ones,
// ones with line ends, and days of one and two characters: lines whose
// values all fit and lines that some value pushes right are laid out alike.
TEST(Export, DetailLinesFollowTheSlotRuleForEveryValueLength) {
  const std::vector<std::string> kValues = {"",     "A",     "ABC",    "ABCD",      "ABCDE",
                                            "A\rB", "\nABC", "ABCD\n", "ABCDEFGHIJ"};
  const std::vector<std::string> kCodes = {"", "C", "C12", "C123", "C1234", "C\r1", "\n123"};
  const std::vector<std::string> kDays = {"1", "2", "12"};
  ExportFixture f;
  f.MakeValidInputs();
  f.WriteSesionesWithDay('1');  // numeric form: the day text as it stands
  std::vector<Slot> slots;
  for (size_t d = 0; d < kDays.size(); ++d) {
    for (size_t i = 0; i < kCodes.size(); ++i)
      slots.push_back({kDays[d], std::to_string(i + 1), kCodes[(i + d) % kCodes.size()]});
  }
  f.MakeTramos(slots);
  std::vector<Lesson> lessons;
  std::vector<std::string> expected;
  auto clean = [](std::string v) {
    for (char& c : v)
      if (c == '\r' || c == '\n') c = ' ';
    return v;
  };
  for (size_t i = 0; i < 400; ++i) {
    std::string day = kDays[i % kDays.size()];
    size_t period = i / 3 % (kCodes.size() + 1) + 1;  // the last one matches no slot
    std::string code;
    for (const Slot& s : slots)
      if (s.dia == day && s.hora == std::to_string(period)) code = s.code;
    const std::string& prof = kValues[i % kValues.size()];
    const std::string& grupo = kValues[(i / 2 + 1) % kValues.size()];
    const std::string& asig = kValues[(i / 5 + 2) % kValues.size()];
    const std::string& aula = kValues[(i / 7 + 3) % kValues.size()];
    lessons.push_back({day, std::to_string(period), prof, grupo, asig, aula});
    std::string line = "1";
    AnadirCampo(line, clean(code), 4);
    AnadirCampo(line, day, 1);
    AnadirCampo(line, clean(prof), 4);
    AnadirCampo(line, clean(grupo), 4);
    AnadirCampo(line, "LEC", 4);
    AnadirCampo(line, clean(asig), 4);
    AnadirCampo(line, clean(aula), 4);
    expected.push_back(line);
  }
  f.MakeSoluc(lessons);
  f.Run();
  std::vector<std::string> lines = f.OutputLines();
  ASSERT_EQ(lines.size(), lessons.size() + 2);
  size_t plain = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(lines[i + 1], expected[i]) << "lesson " << i;
    if (expected[i].size() == 26) ++plain;
  }
  // Both kinds of line occur.
  EXPECT_GT(plain, 20u);
  EXPECT_GT(expected.size() - plain, 20u);
}

}  // namespace
}  // namespace tos::test

namespace tos::test {
namespace {

// sice_asignat.txt and sice_sesiones.txt saved as UTF-16 (PowerShell's ">"):
// the header code and the day form are those of their Windows-1252 twins,
// and the report says how both were read.
TEST(Export, HeaderCodeAndDayFormFromUtf16Files) {
  ExportFixture plain;
  plain.MakeValidInputs();
  plain.WriteSesionesWithDay('3');
  plain.Run();

  ExportFixture f;
  f.MakeValidInputs();
  f.WriteSesionesWithDay('3');
  for (auto [name, little] : {std::pair{"sice_asignat.txt", true}, {"sice_sesiones.txt", false}})
    WriteFile(f.SiceFile(name), AsUtf16(ReadFile(f.SiceFile(name)), little));
  Report report(Direction::kOrvalentASice);
  BImportarClick(f.state, f.window, f.otemp, f.clock, &report);
  EXPECT_EQ(ReadFile(f.Output()), ReadFile(plain.Output()));
  EXPECT_NE(ReadFile(f.Output()).find("HC2026A1"), std::string::npos);
  ASSERT_EQ(report.CountOf(NoticeKind::kCodificacion), 2u);
  EXPECT_EQ(report.Listed(NoticeKind::kCodificacion)[0].values, "leído como UTF-16 LE con marca");
  EXPECT_EQ(report.Listed(NoticeKind::kCodificacion)[1].where, "sice_sesiones.txt");
}

}  // namespace
}  // namespace tos::test
