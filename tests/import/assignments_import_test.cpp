// The subject-group assignments import: its passes over GRUPOST and the
// subject hours file, the hours rule and what a failure leaves.
#include <gtest/gtest.h>

#include <random>

#include "data/sice_text.h"
#include "import/fixture_lines.h"
#include "import/hours.h"
#include "import/import_fixture.h"
#include "import/imports.h"

namespace tos::test {
namespace {

const std::string kOnes13(13, '1');

class AssignmentsImport : public ImportTest {
 protected:
  void WriteGroups(const std::vector<std::string>& lines) {
    WriteSice("sice_grupo.txt", CrLf(lines));
    TransformarGrupos(context);
  }
};

TEST_F(AssignmentsImport, CompletesEachAssignmentFromItsGroupAndHours) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M"),
               // A second group of the same code: the first one is used.
               Group("1ESO B", "1A", "BAC", "2", "T"), Group("2ESO A", "2A", "ESO", "2", "M"),
               Group("DIVER 3", "3DV", "", "3", "T"), ""});
  WriteSice("sice_asignatgrupo.txt",
            CrLf({"0" + Pad("SICE_ASIGNATGRUPO.TXT", 50), "1" + Pad("SICE_ASIGNATGRUPO.TXT", 50),
                  Assignment("1A", "MAT"), Assignment("1A", "MAT"),
                  Assignment("1a", "MAT"),  // no such group: letter case counts
                  Assignment("2A", "mat"),  // no hours line: letter case counts
                  Assignment("2A", "LCL"), Assignment("3DV", "TUT"),
                  "",  // takes the group whose code is empty
                  Assignment("2A", "ING"), Assignment("2A", "EF"), "9"}));
  WriteSice("sice_asignatcurso.txt",
            // LF line ends here.
            "0" + Pad("SICE_ASIGNATCURSO.TXT", 50) + "\n" + "1" + Pad("SICE_ASIGNATCURSO.TXT", 50) +
                "\n" + Hours("ESO", "1", "MAT", "4") + "\n" + Hours("", "", "MAT", "2") + "\n" +
                Hours("ESO", "2", "LCL", "2,5") + "\n" + Hours("ESO", "2", "LCL", "9") + "\n" +
                Hours("NIV", "3", "TUT", "20") + "\n" + Hours("NIV", "", "", "14") + "\n" +
                Hours("ESO", "2", "ING", "") + "\n" + Hours("ESO", "2", "EF", "0") + "\n" + "9\n");
  TransformarAsignaturasGrupos(context);

  EXPECT_EQ(ReadLayout(otemp, "ASIGT"),
            (std::vector<std::string>{"CASIG:text4", "CPROF:text4", "CGRUP:text4", "CAULA:text4",
                                      "TURNO:text1", "NIVEL:text5", "CURSO:text3", "GRUPO:text2",
                                      "HORAS:float", "SESIONES:text20"}));
  EXPECT_EQ(Read("ASIGT"), (Rows{
                               {"MAT", "", "1A", "", "M", "ESO", "1", "A", "4", "1111"},
                               {"MAT", "", "1A", "", "M", "ESO", "1", "A", "4", "1111"},
                               {"MAT", "", "1a", "", "", "", "", "", "2", "11"},
                               {"mat", "", "2A", "", "M", "ESO", "2", "A", "1", "1"},
                               {"LCL", "", "2A", "", "M", "ESO", "2", "A", "2.5", "11\xBD"},
                               {"TUT", "", "3DV", "", "T", "NIV", "3", "3", "20", "7" + kOnes13},
                               {"", "", "", "", "", "NIV", "", "", "14", "1" + kOnes13},
                               {"ING", "", "2A", "", "M", "ESO", "2", "A", "1", "1"},
                               {"EF", "", "2A", "", "M", "ESO", "2", "A", "1", "1"},
                           }));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(state.EstadoTransformacion, 1);
}

struct HoursCase {
  const char* name;
  std::string text;  // columns 28-33
  std::string horas;
  std::string sesiones;
};

void PrintTo(const HoursCase& c, std::ostream* os) {
  *os << c.name;
}

class HoursRule : public AssignmentsImport, public ::testing::WithParamInterface<HoursCase> {};

TEST_P(HoursRule, GivesHoursAndSessions) {
  WriteGroups({Group("3ESO A", "3A", "ESO", "3", "M")});
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("3A", "FYQ")}));
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "3", "FYQ", GetParam().text)}));
  TransformarAsignaturasGrupos(context);
  Rows rows = Read("ASIGT");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][8], GetParam().horas);
  EXPECT_EQ(rows[0][9], GetParam().sesiones);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HoursRule,
    ::testing::Values(
        HoursCase{"Empty", "", "1", "1"}, HoursCase{"Zero", "0", "1", "1"},
        HoursCase{"Negative", "-3", "1", "1"}, HoursCase{"Half", "0,5", "1", "1"},
        HoursCase{"LoneComma", ",", "1", "1"}, HoursCase{"Comma", "2,5", "2.5", "11\xBD"},
        HoursCase{"Point", "2.5", "2.5", "11\xBD"},
        HoursCase{"AnyFraction", "1,25", "1.25", "1\xBD"}, HoursCase{"Three", "3", "3", "111"},
        HoursCase{"Thirteen", "13", "13", kOnes13},
        HoursCase{"ThirteenAndAHalf", "13,5", "13.5", kOnes13 + "\xBD"},
        HoursCase{"Fourteen", "14", "14", "1" + kOnes13},
        HoursCase{"Twenty", "20", "20", "7" + kOnes13},
        HoursCase{"TwentyFiveAndAHalf", "25,5", "25.5", "12" + kOnes13 + "\xBD"},
        HoursCase{"SixDigits", "999999", "999999", "999986" + kOnes13},
        HoursCase{"Exponent", "1E2", "100", "87" + kOnes13},
        // The session string is cut to the field's 20 characters.
        HoursCase{"BeyondTheField", "1E9", "1000000000", "999999987" + std::string(11, '1')},
        HoursCase{"BeyondInt32", "3E9", "3000000000", "2999999987" + std::string(10, '1')},
        HoursCase{"Underflow", "1E-999", "1", "1"}, HoursCase{"SignedPoint", "+.", "1", "1"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadHours {
  const char* name;
  std::string text;
  std::string message;
};

class BadHoursText : public AssignmentsImport, public ::testing::WithParamInterface<BadHours> {};

// The failing record and all after it keep HORAS and SESIONES empty; the ones
// before keep theirs, also those without an hours line (no defaults pass).
TEST_P(BadHoursText, EndsTheImportKeepingWhatWasDone) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M")});
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT"), Assignment("1A", "XXX"),
                                           Assignment("1A", "BAD"), Assignment("1A", "LCL")}));
  WriteSice("sice_asignatcurso.txt",
            CrLf({Hours("ESO", "1", "MAT", "3"), Hours("ESO", "1", "BAD", GetParam().text),
                  Hours("ESO", "1", "LCL", "4")}));
  try {
    TransformarAsignaturasGrupos(context);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
  EXPECT_EQ(Read("ASIGT"), (Rows{
                               {"MAT", "", "1A", "", "M", "ESO", "1", "A", "3", "111"},
                               {"XXX", "", "1A", "", "M", "ESO", "1", "A", "", ""},
                               {"BAD", "", "1A", "", "M", "ESO", "1", "A", "", ""},
                               {"LCL", "", "1A", "", "M", "ESO", "1", "A", "", ""},
                           }));
  // The table was released: the next run re-creates it.
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "BAD", "2")}));
  TransformarAsignaturasGrupos(context);
  EXPECT_EQ(Read("ASIGT")[2][8], "2");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadHoursText,
    ::testing::Values(
        BadHours{"Letters", "2,x", "'2.x' no es un valor punto flotante válido"},
        BadHours{"TwoPoints", "1,5.5", "'1.5.5' no es un valor punto flotante válido"},
        BadHours{"Overflow", "1E999", "'1E999' no es un valor punto flotante válido"},
        BadHours{"InnerBlank", "1 5", "'1 5' no es un valor punto flotante válido"},
        BadHours{"Accented", "2\xBD", "'2\xC2\xBD' no es un valor punto flotante válido"}),
    [](const auto& info) { return std::string(info.param.name); });

// Many bad hours texts: whatever order they are met in, the first record in
// table order is the one named, and only the records before it keep hours.
TEST_F(AssignmentsImport, FirstBadRecordInTableOrderIsTheOneReported) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M")});
  std::vector<std::string> assignments = {Assignment("1A", "OK")};
  std::vector<std::string> hours = {Hours("ESO", "1", "OK", "3")};
  for (int i = 0; i < 60; ++i) {
    std::string subject = "B" + std::to_string(i);
    assignments.push_back(Assignment("1A", subject));
    hours.insert(hours.begin(), Hours("ESO", "1", subject, std::to_string(i) + "x"));
  }
  assignments.push_back(Assignment("1A", "OK"));
  WriteSice("sice_asignatgrupo.txt", CrLf(assignments));
  WriteSice("sice_asignatcurso.txt", CrLf(hours));
  try {
    TransformarAsignaturasGrupos(context);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'0x' no es un valor punto flotante válido");
  }
  Rows rows = Read("ASIGT");
  ASSERT_EQ(rows.size(), 62u);
  EXPECT_EQ(rows[0][8], "3");
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i][8], "") << i;
}

// Many assignments over few codes, so that codes repeat, differ in letter
// case only, are empty or too long, and groups and hours lines come twice:
// the table must be what the plain nested scans give, record by record.
TEST_F(AssignmentsImport, SameAsLookingThroughGroupsAndHoursLinesInOrder) {
  std::mt19937 random(20260907);
  auto pick = [&](std::initializer_list<const char*> choices) {
    return std::string(choices.begin()[random() % choices.size()]);
  };
  auto code = [&] {
    return pick({"", "A", "a", "1A", "1a", "B ", " C", "MAT", "mat", "XY", "\xD1", "M\xC1T"});
  };
  std::vector<std::string> groupLines;
  for (int i = 0; i < 40; ++i) {
    groupLines.push_back(Group(pick({"1ESO A", "2BAC B", "3FP C", ""}), code(),
                               pick({"ESO", "BAC", "", "eso", "FP"}), pick({"1", "2", "", "10"}),
                               pick({"M", "T", ""})));
  }
  WriteGroups(groupLines);
  // Long levels only come from an older GRUPOST: add one by hand.
  {
    Table grupost;
    grupost.SetFolder(otemp);
    grupost.SetTableName("GRUPOST.DBF");
    grupost.Open();
    grupost.Append();
    grupost.FieldByName("ABREV").SetAsString("LONG");
    grupost.FieldByName("NIVEL").SetAsString("ESO12");
    grupost.FieldByName("CURSO").SetAsString("1");
    grupost.Post();
  }
  std::vector<std::string> assignmentLines, hoursLines;
  for (int i = 0; i < 3000; ++i)
    assignmentLines.push_back(
        i % 97 == 0
            ? ""
            : Assignment(pick({"1A", "1a", "LONG", "A", "", "B", "C", "XY", "MAT", "ZZ"}), code()));
  for (int i = 0; i < 400; ++i) {
    hoursLines.push_back(Hours(pick({"ESO", "BAC", "", "eso", "FP", "NIV"}),
                               pick({"1", "2", "", "10"}), code(),
                               pick({"", "1", "2,5", "3", "0", "14", "20", "1.5"})));
  }
  WriteSice("sice_asignatgrupo.txt", CrLf(assignmentLines));
  WriteSice("sice_asignatcurso.txt", CrLf(hoursLines));
  TransformarAsignaturasGrupos(context);

  Rows grupos = Read("GRUPOST");  // ABREV, TURNO, NIVEL, CURSO, GRUPO, UNIDAD
  auto stored = [](std::string text, size_t width) {
    text = text.substr(0, width);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
  };
  Rows expected;
  for (const std::string& line : assignmentLines) {
    Row row = {stored(CortarCampo(line, 16, 4), 4),
               "",
               stored(CortarCampo(line, 12, 4), 4),
               "",
               "",
               "",
               "",
               "",
               "1",
               "1"};
    for (const Row& g : grupos) {
      if (g[0] != row[2]) continue;
      row[4] = g[1];
      row[5] = g[2];
      row[6] = g[3];
      row[7] = g[4];
      break;
    }
    for (const std::string& h : hoursLines) {
      if (CortarCampo(h, 24, 4) != row[0] || CortarCampo(h, 2, 3) != row[5] ||
          CortarCampo(h, 8, 3) != row[6])
        continue;
      double horas = HorasDeTexto(CortarCampo(h, 28, 6));
      row[8] = FloatText(horas);
      row[9] = stored(SesionesDeHoras(horas), 20);
      break;
    }
    expected.push_back(row);
  }
  Rows rows = Read("ASIGT");
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(rows[i], expected[i]) << "record " << i + 1;
  // The mix meets every case often enough to mean something.
  size_t withGroup = 0, withHours = 0;
  for (const Row& row : expected) {
    withGroup += !row[5].empty();
    withHours += row[9] != "1";
  }
  EXPECT_GT(withGroup, 500u);
  EXPECT_LT(withGroup, expected.size() - 200);
  EXPECT_GT(withHours, 200u);
}

TEST_F(AssignmentsImport, WithoutTheHoursFileKeepsGroupsAndLeavesHoursEmpty) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M")});
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT"), Assignment("9Z", "LCL")}));
  TransformarAsignaturasGrupos(context);
  EXPECT_EQ(window.messages,
            std::vector<std::string>{"No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)"});
  EXPECT_EQ(state.EstadoTransformacion, 1);
  EXPECT_EQ(Read("ASIGT"), (Rows{
                               {"MAT", "", "1A", "", "M", "ESO", "1", "A", "", ""},
                               {"LCL", "", "9Z", "", "", "", "", "", "", ""},
                           }));
}

TEST_F(AssignmentsImport, OnlyHeaderAndTrailerStillReportsTheMissingHoursFile) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M")});
  WriteSice("sice_asignatgrupo.txt", CrLf({"0cabecera", "9cola"}));
  TransformarAsignaturasGrupos(context);
  EXPECT_TRUE(Read("ASIGT").empty());
  EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(AssignmentsImport, WithoutAGroupsTableFailsKeepingTheAssignments) {
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT"), Assignment("1A", "LCL")}));
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "MAT", "3")}));
  EXPECT_THROW(TransformarAsignaturasGrupos(context), Error);
  EXPECT_EQ(Read("ASIGT"), (Rows{
                               {"MAT", "", "1A", "", "", "", "", "", "", ""},
                               {"LCL", "", "1A", "", "", "", "", "", "", ""},
                           }));
}

TEST_F(AssignmentsImport, GroupsTableWithoutAUsedFieldNamesIt) {
  auto groups = RecrearTabla(otemp, "GRUPOST",
                             {{"ABREV", FieldKind::kText, 4}, {"NIVEL", FieldKind::kText, 5}});
  groups->Append();
  groups->FieldByName("ABREV").SetAsString("1A");
  groups->Post();
  groups->Close();
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("9Z", "LCL"), Assignment("1A", "MAT")}));
  try {
    TransformarAsignaturasGrupos(context);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "No se encuentra el campo 'TURNO'");
  }
  EXPECT_EQ(Read("ASIGT").size(), 2u);
}

TEST_F(AssignmentsImport, UnreadableAssignmentsFileLeavesTheOldTable) {
  WriteFile(OtempFile("ASIGT.DBF"), "old");
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT")}));
  FaultyFileSystem faulty;
  faulty.Fail(FsOp::kOpen, 1, fs::kSharingViolation, "sice_asignatgrupo");
  fs::ScopedFileSystem scoped(faulty);
  try {
    TransformarAsignaturasGrupos(context);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error de E/S 32");
  }
  EXPECT_EQ(ReadFile(OtempFile("ASIGT.DBF")), "old");
}

TEST_F(AssignmentsImport, UnreadableHoursFileFailsAfterTheGroupsPass) {
  WriteGroups({Group("1ESO A", "1A", "ESO", "1", "M")});
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("1A", "MAT")}));
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "MAT", "3")}));
  FaultyFileSystem faulty;
  faulty.Fail(FsOp::kOpen, 1, fs::kAccessDenied, "sice_asignatcurso");
  {
    fs::ScopedFileSystem scoped(faulty);
    try {
      TransformarAsignaturasGrupos(context);
      FAIL() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"", 0), 0u) << e.what();
    }
    EXPECT_EQ(faulty.OpenHandles(), 0);
  }
  EXPECT_EQ(Read("ASIGT"), (Rows{{"MAT", "", "1A", "", "M", "ESO", "1", "A", "", ""}}));
}

}  // namespace
}  // namespace tos::test
