// The real file layer of each platform: files past 2 GiB and folder
// listings behave alike in 32- and 64-bit builds (64-bit sizes and offsets),
// and reads and writes land where they are told.
#include <gtest/gtest.h>

#include <string>

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

// Reads and writes at offsets in any order; a read past the end gives what
// is there, and none at all from the end on.
TEST(LargeFile, ReadsAndWritesWhereTold) {
  test::TempDir dir;
  auto file = fs::Real().OpenTable(dir.File("T.DBF"), fs::TableMode::kWriteExclusive, true);
  file->WriteAt(4, "efgh", 4);
  file->WriteAt(0, "abcd", 4);
  char buffer[8] = {};
  EXPECT_EQ(file->ReadAt(2, buffer, 8), 6u);
  EXPECT_EQ(std::string(buffer, 6), "cdefgh");
  EXPECT_EQ(file->ReadAt(8, buffer, 8), 0u);
  EXPECT_EQ(file->ReadAt(100, buffer, 8), 0u);
  file->Truncate(3);
  EXPECT_EQ(file->ReadAt(0, buffer, 8), 3u);
  file->WriteAt(3, "D", 1);
  EXPECT_EQ(file->Size(), 4u);
  file->Close();
}

}  // namespace
}  // namespace tos
