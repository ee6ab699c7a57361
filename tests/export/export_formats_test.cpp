// SOLUC as dBase 7 lays it out, its DIA and HORA in binary columns, gives
// the export the same SICE_HORARIO.TXT as its dBase III twin: negative and
// large values included, which go as far as the twin's do.
#include <gtest/gtest.h>

#include "data/number.h"
#include "export/export_fixture.h"
#include "support/dbf_layout.h"

namespace tos::test {
namespace {

struct Lesson7 {
  double dia, hora;
  std::string prof, grupo, asig, aula;
};

std::string Pad(const std::string& text, size_t width) {
  return text + std::string(width - text.size(), ' ');
}

std::string Binary(char type, double value) {
  return type == 'O' ? Double7(value) : Long7(static_cast<int32_t>(value));
}

TEST(ExportFormats, Level7SolucGivesTheLinesOfItsDBaseIIITwin) {
  struct Case {
    char diaType, horaType;
    FieldKind twinHora;
  };
  const Case cases[] = {{'I', 'I', FieldKind::kWhole},
                        {'+', 'O', FieldKind::kFloat},
                        {'I', 'O', FieldKind::kFloat}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.diaType) + c.horaType);
    bool floatHora = c.horaType == 'O';
    const std::vector<Lesson7> lessons = {
        {1, 1, "P001", "G1A", "MAT", "A01"},
        {1, floatHora ? 1.5 : 2, "P002", "G1B", "LEN", "A02"},
        {-3, floatHora ? -2.25 : -1, "P003", "G1C", "MAT", "A03"},
        {2147483647, floatHora ? 1e300 : 2147483647, "P004", "G2A", "FIS", "A04"},
        {0, 1, "P005", "G2B", "MAT", "A05"},
    };

    ExportFixture twin;
    twin.MakeValidInputs();
    std::vector<Lesson> rows;
    for (const Lesson7& l : lessons)
      rows.push_back({FloatToText(l.dia), FloatToText(l.hora), l.prof, l.grupo, l.asig, l.aula});
    twin.MakeSoluc(rows, FieldKind::kWhole, c.twinHora);
    twin.Run();

    ExportFixture f;
    f.MakeValidInputs();
    DbfSpec s;
    s.version = 0x04;
    s.languageName = "DBWINWE0";
    int horaWidth = floatHora ? 8 : 4;
    s.cols = {{"DIA", c.diaType, 4},       {"HORA", c.horaType, horaWidth},
              {"PROF", 'C', 10},           {"CODGRUPO", 'C', 10},
              {"ASIG", 'C', 10},           {"AULA", 'C', 10}};
    s.padding = 16;  // field properties
    for (const Lesson7& l : lessons)
      s.records.push_back(" " + Binary(c.diaType, l.dia) + Binary(c.horaType, l.hora) +
                          Pad(l.prof, 10) + Pad(l.grupo, 10) + Pad(l.asig, 10) + Pad(l.aula, 10));
    WriteFile(fs::Join(f.otemp, "SOLUC.DBF"), Build(s));
    f.Run();

    std::vector<std::string> lines = f.OutputLines();
    EXPECT_EQ(lines, twin.OutputLines());
    ASSERT_EQ(lines.size(), 6u);  // the day-0 lesson goes; header and trailer
    EXPECT_EQ(lines[1].substr(0, 5), "10001");
  }
}

}  // namespace
}  // namespace tos::test
