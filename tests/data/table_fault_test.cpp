// The table engine when the file system fails under it: every failure names
// the table, handles are released, and the file stays whole.
#include <gtest/gtest.h>

#include "data/dbf_format.h"
#include "data/error.h"
#include "data/table.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;
using test::TempDir;

std::vector<FieldDef> Fields() { return {{"CODIGO", FieldKind::kText, 100}}; }

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

void ExpectWhole(const std::string& path, uint32_t records) {
  std::string bytes = test::ReadFile(path);
  uint32_t header = dbf::ReadU16(bytes.data() + 8);
  uint32_t record = dbf::ReadU16(bytes.data() + 10);
  EXPECT_EQ(dbf::ReadU32(bytes.data() + 4), records);
  EXPECT_EQ(bytes.size(), header + uint64_t{records} * record + 1);
  EXPECT_EQ(bytes.back(), '\x1a');
}

class TableFaultTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("PRUEBA.DBF"); }
  TempDir dir_;
  FaultyFileSystem faulty_;
};

TEST_F(TableFaultTest, DiskFullWhileAppendingKeepsTheRecordsWrittenBefore) {
  fs::ScopedFileSystem scope(faulty_);
  auto t = RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  // Writes from here: the first batch of records, its count, then the
  // second batch, which fails half-way through.
  faulty_.Add({FsOp::kWrite, 3, fs::kDiskFull, "PRUEBA.DBF", false, true});
  std::string failure;
  int posted = 0;
  for (int i = 0; i < 10000 && failure.empty(); ++i) {
    failure = ErrorOf([&] {
      t->Append();
      t->FieldByName("CODIGO").SetAsString("registro " + std::to_string(i));
      t->Post();
      ++posted;
    });
  }
  EXPECT_EQ(failure, "No queda espacio en el disco para escribir la tabla " + Path());
  uint32_t kept = t->RecordCount();
  EXPECT_GT(kept, 0u);
  EXPECT_LT(kept, static_cast<uint32_t>(posted));
  t->Close();
  EXPECT_EQ(faulty_.OpenHandles(), 0);
  ExpectWhole(Path(), kept);

  t = std::make_unique<Table>();
  t->SetFolder(dir_.Path());
  t->SetTableName("PRUEBA");
  t->Open();
  uint32_t n = 0;
  for (t->First(); !t->Eof(); t->Next())
    EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "registro " + std::to_string(n++));
  EXPECT_EQ(n, kept);
}

TEST_F(TableFaultTest, AFailingCloseStillReleasesTheTable) {
  fs::ScopedFileSystem scope(faulty_);
  auto t = RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  t->Append();
  t->FieldByName("CODIGO").SetAsString("x");
  t->Post();
  faulty_.Fail(FsOp::kClose, 1, 23, "PRUEBA.DBF");
  EXPECT_EQ(ErrorOf([&] { t->Close(); }), "Error de E/S 23 al escribir la tabla " + Path());
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(faulty_.OpenHandles(), 0);
  faulty_.Clear();
  EXPECT_NO_THROW(RecrearTabla(dir_.Path(), "PRUEBA", Fields()));
}

TEST_F(TableFaultTest, TheDestructorSwallowsAFailingFinish) {
  fs::ScopedFileSystem scope(faulty_);
  {
    auto t = RecrearTabla(dir_.Path(), "PRUEBA", Fields());
    t->Append();
    t->FieldByName("CODIGO").SetAsString("x");
    t->Post();
    faulty_.Add({FsOp::kWrite, 1, fs::kDiskFull, "PRUEBA.DBF", true, false});
  }
  EXPECT_EQ(faulty_.OpenHandles(), 0);
}

TEST_F(TableFaultTest, AReadOnlyFileOpensReadOnly) {
  RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  fs::ScopedFileSystem scope(faulty_);
  faulty_.Fail(FsOp::kOpen, 1, fs::kAccessDenied, "PRUEBA.DBF");
  Table t;
  t.SetFolder(dir_.Path());
  t.SetTableName("PRUEBA.DBF");
  t.Open();
  EXPECT_TRUE(t.Active());
  EXPECT_TRUE(t.IsReadOnly());
  EXPECT_EQ(ErrorOf([&] { t.Append(); }), "La tabla " + Path() + " está abierta solo para lectura");
}

TEST_F(TableFaultTest, OpenFailuresSayWhy) {
  RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  fs::ScopedFileSystem scope(faulty_);
  struct Case {
    FsOp op;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {FsOp::kOpen, fs::kSharingViolation, "La tabla " + Path() + " está en uso por otro programa"},
      {FsOp::kOpen, fs::kLockViolation, "La tabla " + Path() + " está en uso por otro programa"},
      {FsOp::kOpen, fs::kTooManyOpenFiles,
       "Hay demasiados archivos abiertos para abrir la tabla " + Path()},
      {FsOp::kOpen, 1117, "Error de E/S 1117 al abrir la tabla " + Path()},
      {FsOp::kRead, 23, "Error de E/S 23 al leer la tabla " + Path()},
  };
  for (const Case& c : cases) {
    faulty_.Clear();
    faulty_.Add({c.op, 1, c.code, "PRUEBA.DBF", true, false});
    Table t;
    t.SetFolder(dir_.Path());
    t.SetTableName("PRUEBA");
    EXPECT_EQ(ErrorOf([&] { t.Open(); }), c.message);
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(faulty_.OpenHandles(), 0);
  }
}

TEST_F(TableFaultTest, AnIndexThatCannotBeDeletedIsPassedOverByRecrearTabla) {
  RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  test::WriteFile(dir_.File("PRUEBA.MDX"), "index");
  fs::ScopedFileSystem scope(faulty_);
  faulty_.Fail(FsOp::kRemove, 1, fs::kSharingViolation, ".MDX");
  auto t = RecrearTabla(dir_.Path(), "PRUEBA", Fields());
  EXPECT_EQ(t->RecordCount(), 0u);
  EXPECT_EQ(test::ReadFile(dir_.File("PRUEBA.MDX")), "index");
  t.reset();
  EXPECT_EQ(faulty_.OpenHandles(), 0);
}

}  // namespace
}  // namespace tos
