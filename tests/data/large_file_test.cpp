// Files past 2 GiB and folder listings behave alike in 32- and 64-bit
// builds: the file layer takes 64-bit sizes and offsets.
#include <gtest/gtest.h>

#include "data/files.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

TEST(LargeFile, SizesPastTwoGibibytesAndNamesInAnyCase) {
  test::TempDir dir;
  const uint64_t size = uint64_t{3} << 30;  // sparse: no disk space is used
  {
    auto file = fs::Real().OpenTable(dir.File("GRANDE.DBF"), fs::TableMode::kWriteExclusive, true);
    file->Truncate(size);
    file->WriteAt(size - 1, "\x1a", 1);
    file->Close();
  }
  std::optional<std::string> found = fs::Real().FindFile(dir.File("grande.dbf"));
  ASSERT_TRUE(found.has_value());
  auto file = fs::Real().OpenTable(*found, fs::TableMode::kReadShared, false);
  EXPECT_EQ(file->Size(), size);
  char last = 0;
  EXPECT_EQ(file->ReadAt(size - 1, &last, 1), 1u);
  EXPECT_EQ(last, '\x1a');
}

}  // namespace
}  // namespace tos
