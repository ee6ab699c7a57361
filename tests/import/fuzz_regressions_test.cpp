// Inputs the fuzz targets found faults with, kept so the faults stay gone.
// Some only show under the sanitizers (the linux-asan preset).
#include <gtest/gtest.h>

#include "import/flat_index.h"
#include "import/fixture_lines.h"
#include "import/imports.h"

namespace tos::test {
namespace {

// An empty text with no storage behind it (a group that was not found gives
// empty level and course) was copied from a null pointer.
TEST(FuzzRegressions, IndexKeyTakesAnEmptyTextWithoutStorage) {
  IndexKey a, b;
  EXPECT_TRUE(a.Add(std::string_view()));
  EXPECT_TRUE(a.Add("MAT"));
  EXPECT_TRUE(b.Add(""));
  EXPECT_TRUE(b.Add("MAT"));
  FlatIndex index;
  EXPECT_EQ(index.Add(a), index.Add(b));
}

class AssignmentsRegressions : public ImportTest {};

// The import-level form of the same input: an assignment whose group is not
// in GRUPOST, with a subject hours file present.
TEST_F(AssignmentsRegressions, AssignmentWithoutItsGroupAndAnHoursFile) {
  WriteSice("sice_grupo.txt", CrLf({Group("1ESO A", "G1A", "ESO", "1", "MAN")}));
  TransformarGrupos(context);
  WriteSice("sice_asignatgrupo.txt", CrLf({Assignment("NOPE", "MAT")}));
  WriteSice("sice_asignatcurso.txt", CrLf({Hours("ESO", "1", "MAT", "3")}));
  TransformarAsignaturasGrupos(context);
  Rows rows = Read("ASIGT");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "MAT");
  EXPECT_EQ(rows[0][8], "1");  // no hours line for an unknown group: HORAS 1
}

}  // namespace
}  // namespace tos::test
