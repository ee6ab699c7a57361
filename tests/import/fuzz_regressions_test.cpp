// Inputs the fuzz targets found faults with, kept so the faults stay gone.
// Some only show under the sanitizers (the linux-asan preset).
#include <gtest/gtest.h>

#include "import/fixture_lines.h"
#include "import/imports.h"

namespace tos::test {
namespace {

class AssignmentsRegressions : public ImportTest {};

// An assignment whose group is not in GRUPOST, with a subject hours file
// present: the empty level and course, with no storage behind them, were
// copied from a null pointer into the hours key.
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
