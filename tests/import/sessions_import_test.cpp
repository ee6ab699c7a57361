// The time slots import: slot numbers over the whole file, DIHO, MINUTOS,
// and what a time that does not convert leaves.
#include <gtest/gtest.h>

#include "import/fixture_lines.h"
#include "import/import_fixture.h"
#include "import/imports.h"

namespace tos::test {
namespace {

using SessionsImport = ImportTest;

TEST_F(SessionsImport, NumbersStartTimesAcrossTheWholeWeek) {
  WriteSice("sice_sesiones.txt",
            CrLf({"0" + Pad("SICE_SESIONES.TXT", 50), Slot("0101", "L", "0800", "0855"),
                  Slot("0102", "L", "0900", "1000"),
                  // 0830 only on Tuesday: Monday's slots are 1 and 3.
                  Slot("0201", "M", "0830", "0925"), Slot("0202", "M", "0800", "0830"),
                  Slot("0301", "X", "0800", "1000"), Slot("0401", "", "0900", "0955"),
                  Slot("0101", "L", "0800", "0855"),
                  // An end time cut short by the line's end still converts.
                  Slot("0501", "5", "0900", "10"), "1" + Pad("SICE_SESIONES.TXT", 50),
                  "9" + Pad("SICE_SESIONES.TXT", 50)}));
  TransformarSesiones(context);

  EXPECT_EQ(ReadLayout(otemp, "DIASHORAST"),
            (std::vector<std::string>{"DIHO:text10", "CODDIHO:text10", "DIA:text20",
                                      "TEXTODIA:text20", "HORA:text8", "HORADESDE:text8",
                                      "HORAHASTA:text8", "MINUTOS:text8"}));
  EXPECT_EQ(Read("DIASHORAST"), (Rows{
                                    {"L1", "0101", "L", "", "1", "0800", "0855", "15"},
                                    {"L3", "0102", "L", "", "3", "0900", "1000", "60"},
                                    {"M2", "0201", "M", "", "2", "0830", "0925", "55"},
                                    {"M1", "0202", "M", "", "1", "0800", "0830", "-10"},
                                    {"X1", "0301", "X", "", "1", "0800", "1000", "160"},
                                    {"3", "0401", "", "", "3", "0900", "0955", "15"},
                                    {"L1", "0101", "L", "", "1", "0800", "0855", "15"},
                                    {"53", "0501", "5", "", "3", "0900", "10", "-930"},
                                }));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(SessionsImport, OrdersStartTimesAsText) {
  WriteSice("sice_sesiones.txt", CrLf({Slot("1", "L", "900", "955"), Slot("2", "L", "1000", "1100"),
                                       Slot("3", "L", "+900", "0955")}));
  TransformarSesiones(context);
  Rows rows = Read("DIASHORAST");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], "L3");  // "+900" < "1000" < "900"
  EXPECT_EQ(rows[1][0], "L2");
  EXPECT_EQ(rows[2][0], "L1");
  EXPECT_EQ(rows[2][7], "15");
}

TEST_F(SessionsImport, OnlyHeaderAndTrailerGiveAnEmptyTable) {
  WriteSice("sice_sesiones.txt", "0cabecera\n9cola");
  TransformarSesiones(context);
  EXPECT_TRUE(Read("DIASHORAST").empty());
}

struct BadTime {
  const char* name;
  std::string line;
  std::string message;
};

void PrintTo(const BadTime& c, std::ostream* os) {
  *os << c.name;
}

class BadSlotTime : public SessionsImport, public ::testing::WithParamInterface<BadTime> {};

// The slots before the bad line stay as the first pass wrote them: HORA
// still the start time, DIHO empty.
TEST_P(BadSlotTime, EndsTheImportWithTheFirstPassRecords) {
  WriteSice("sice_sesiones.txt", CrLf({Slot("0101", "L", "0800", "0855"), GetParam().line,
                                       Slot("0103", "L", "1000", "1055")}));
  try {
    TransformarSesiones(context);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
  EXPECT_EQ(Read("DIASHORAST"), (Rows{{"", "0101", "L", "", "0800", "0800", "0855", "15"}}));
  // Released: a later run re-creates it.
  WriteSice("sice_sesiones.txt", CrLf({Slot("0101", "L", "0800", "0855")}));
  TransformarSesiones(context);
  EXPECT_EQ(Read("DIASHORAST")[0][0], "L1");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadSlotTime,
    ::testing::Values(BadTime{"EmptyLine", "", "'' no es un valor entero válido"},
                      BadTime{"EndsBeforeTheEndTime",
                              "1MA\xD1"
                              "0102L0900",
                              "'' no es un valor entero válido"},
                      BadTime{"EndTimeNamedFirst", Slot("0102", "L", "09x0", "10y0"),
                              "'10y0' no es un valor entero válido"},
                      BadTime{"BadStart", Slot("0102", "L", "9:00", "1000"),
                              "'9:00' no es un valor entero válido"},
                      BadTime{"Hexadecimal", Slot("0102", "L", "0900", "$3E8"),
                              "'$3E8' no es un valor entero válido"},
                      BadTime{"AccentedText", Slot("0102", "L", "0900", "\xF1"),
                              "'\xC3\xB1' no es un valor entero válido"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionsImport, UnreadableFileLeavesTheOldTable) {
  WriteFile(OtempFile("DIASHORAST.DBF"), "old");
  WriteSice("sice_sesiones.txt", CrLf({Slot("0101", "L", "0800", "0855")}));
  FaultyFileSystem faulty;
  faulty.Fail(FsOp::kOpen, 1, fs::kAccessDenied, "sice_sesiones");
  fs::ScopedFileSystem scoped(faulty);
  EXPECT_THROW(TransformarSesiones(context), Error);
  EXPECT_EQ(ReadFile(OtempFile("DIASHORAST.DBF")), "old");
}

}  // namespace
}  // namespace tos::test
