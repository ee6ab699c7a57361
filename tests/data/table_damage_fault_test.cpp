// Tables whose file lies or breaks, seen from the export's side (SOLUC held
// exclusively, every field read): a truncated record, a header lying about
// its length or count, a field of width 0, a name without its NUL. Each gives
// a clear error naming the table or the exact original values, never shifted
// fields; the table is released and the file untouched. And what a failing
// disk leaves when a table is created or walked.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "data/dbf_format.h"
#include "data/error.h"
#include "data/table.h"
#include "support/faulty_fs.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::FaultyFileSystem;
using test::FsOp;

// SOLUC with three lessons: DIA N2, HORA N2, PROF C4, AULA C4.
constexpr uint32_t kRecordLength = 1 + 2 + 2 + 4 + 4;
constexpr uint32_t kHeaderLength = 32 + 4 * 32 + 1;

std::string Soluc() {
  std::string h(kHeaderLength, '\0');
  h[0] = 0x03;
  h[1] = 126;
  h[2] = 12;
  h[3] = 9;
  dbf::WriteU32(&h[4], 3);
  dbf::WriteU16(&h[8], kHeaderLength);
  dbf::WriteU16(&h[10], kRecordLength);
  h[29] = 0x03;
  const struct {
    const char* name;
    char type;
    int width;
  } cols[] = {{"DIA", 'N', 2}, {"HORA", 'N', 2}, {"PROF", 'C', 4}, {"AULA", 'C', 4}};
  uint32_t offset = 1;
  for (int i = 0; i < 4; ++i) {
    char* d = &h[32 + 32 * i];
    std::memcpy(d, cols[i].name, std::strlen(cols[i].name));
    d[11] = cols[i].type;
    dbf::WriteU32(d + 12, offset);
    d[16] = static_cast<char>(cols[i].width);
    offset += static_cast<uint32_t>(cols[i].width);
  }
  h[kHeaderLength - 1] = 0x0D;
  // Flag, DIA, HORA, PROF, AULA.
  return h + " " + " 1" + " 1" + "P001" + "A01 " + " " + " 2" + " 3" + "P002" + "A02 " + " " +
         " 5" + " 6" + "P003" + "A03 " + "\x1a";
}

const std::vector<std::vector<std::string>> kLessons = {
    {"1", "1", "P001", "A01"}, {"2", "3", "P002", "A02"}, {"5", "6", "P003", "A03"}};

class TableDamage : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("SOLUC.DBF"); }

  // Opens SOLUC as the export does and reads every field of every record
  // as text and, for the numbers, as whole numbers.
  std::vector<std::vector<std::string>> ReadAll() {
    Table t("wwTableSoluc");
    t.SetFolder(dir_.Path());
    t.SetTableName("SOLUC");
    t.SetTableType(TableType::kDBase);
    t.SetExclusive(true);
    t.Open();
    std::vector<std::vector<std::string>> rows;
    for (t.First(); !t.Eof(); t.Next()) {
      std::vector<std::string> row;
      for (int i = 0; i < static_cast<int>(t.Fields().size()); ++i) {
        Field f = t.FieldAt(i);
        row.push_back(f.AsString());
        if (f.Info().kind != FieldKind::kText) {
          EXPECT_EQ(std::to_string(f.AsInteger()), row.back());
        }
      }
      rows.push_back(row);
    }
    return rows;
  }

  // Nothing may hold the table after a failed open or walk.
  void ExpectReleased() {
    Table t;
    t.SetFolder(dir_.Path());
    t.SetTableName("SOLUC.DBF");
    t.SetExclusive(true);
    try {
      t.Open();
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).find("en uso"), std::string::npos) << e.what();
    }
  }

  test::TempDir dir_;
};

enum class Expect { kError, kOriginal, kEither };

TEST_F(TableDamage, ClearErrorNamingTheTableOrTheOriginalValues) {
  const struct {
    const char* name;
    std::function<void(std::string&)> damage;
    Expect expect;
  } cases[] = {
      {"TruncatedInTheMiddleOfARecord",
       [](std::string& b) { b.resize(kHeaderLength + kRecordLength + 5); }, Expect::kError},
      {"TruncatedInTheMiddleOfTheLastRecord",
       [](std::string& b) { b.resize(kHeaderLength + 2 * kRecordLength + 7); }, Expect::kError},
      {"TruncatedInTheHeader", [](std::string& b) { b.resize(kHeaderLength - 10); }, Expect::kError},
      {"HeaderLengthOneShort", [](std::string& b) { dbf::WriteU16(&b[8], kHeaderLength - 1); },
       Expect::kError},
      {"HeaderLengthOneLong", [](std::string& b) { dbf::WriteU16(&b[8], kHeaderLength + 1); },
       Expect::kError},
      {"HeaderLengthAWholeRecordLong",
       [](std::string& b) { dbf::WriteU16(&b[8], kHeaderLength + kRecordLength); }, Expect::kError},
      {"CountOneMore", [](std::string& b) { dbf::WriteU32(&b[4], 4); }, Expect::kError},
      {"CountFarBeyond", [](std::string& b) { dbf::WriteU32(&b[4], 1000000); }, Expect::kError},
      {"CountOneLess", [](std::string& b) { dbf::WriteU32(&b[4], 2); }, Expect::kOriginal},
      {"RecordLengthOneLess", [](std::string& b) { dbf::WriteU16(&b[10], kRecordLength - 1); },
       Expect::kError},
      {"FieldOfWidthZero", [](std::string& b) { b[32 + 32 * 2 + 16] = 0; }, Expect::kError},
      {"FieldOfWidthZeroAndRecordLengthToMatch",
       [](std::string& b) {
         b[32 + 32 * 2 + 16] = 0;
         dbf::WriteU16(&b[10], kRecordLength - 4);
       },
       Expect::kError},
      {"NameWithoutNul", [](std::string& b) { std::memcpy(&b[32], "DIAXXXXXXXX", 11); }, Expect::kError},
      {"SecondNameWithoutNul", [](std::string& b) { std::memcpy(&b[64], "HORAHORAHOR", 11); },
       Expect::kError},
      {"NoTerminator", [](std::string& b) { b[kHeaderLength - 1] = ' '; }, Expect::kEither},
      {"NoEndMark", [](std::string& b) { b.pop_back(); }, Expect::kOriginal},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = Soluc();
    c.damage(bytes);
    test::WriteFile(Path(), bytes);
    try {
      auto rows = ReadAll();
      EXPECT_NE(c.expect, Expect::kError) << "a damaged table read without an error";
      // Whatever opens must give the lessons as they are, never shifted.
      for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_LT(i, kLessons.size());
        EXPECT_EQ(rows[i], kLessons[i]) << "record " << i + 1;
      }
      if (std::string(c.name) == "CountOneLess") {
        EXPECT_EQ(rows.size(), 2u);
      }
    } catch (const Error& e) {
      EXPECT_NE(c.expect, Expect::kOriginal) << e.what();
      EXPECT_NE(std::string(e.what()).find("SOLUC.DBF"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::ReadFile(Path()), bytes) << "reading changed the file";
    ExpectReleased();
  }
}

// The disk fills up while a new table's header is written: the error names
// the table, and no empty or half-written file is left in its place, which
// Orvalent would then find as a damaged table.
TEST_F(TableDamage, FailedCreateLeavesNoDamagedTable) {
  for (bool partial : {false, true}) {
    for (bool existedBefore : {false, true}) {
      SCOPED_TRACE(std::string(partial ? "partial" : "whole") +
                   (existedBefore ? ", over an old table" : ""));
      if (existedBefore) {
        test::WriteFile(Path(), Soluc());
      } else {
        std::remove(Path().c_str());
      }
      {
        FaultyFileSystem faulty;
        faulty.Add({FsOp::kWrite, 1, fs::kDiskFull, "SOLUC.DBF", true, partial});
        fs::ScopedFileSystem scope(faulty);
        try {
          RecrearTabla(dir_.Path(), "SOLUC.DBF", {{"DIA", FieldKind::kWhole, 0}});
          ADD_FAILURE() << "no error";
        } catch (const Error& e) {
          EXPECT_NE(std::string(e.what()).find("SOLUC.DBF"), std::string::npos) << e.what();
        }
        EXPECT_EQ(faulty.OpenHandles(), 0);
      }
      if (test::Exists(Path())) {
        Table t;
        t.SetFolder(dir_.Path());
        t.SetTableName("SOLUC.DBF");
        EXPECT_NO_THROW(t.Open()) << "a damaged SOLUC.DBF was left behind";
      }
      // And the next try creates it.
      EXPECT_NO_THROW(RecrearTabla(dir_.Path(), "SOLUC.DBF", {{"DIA", FieldKind::kWhole, 0}}));
    }
  }
}

// A read that fails in the middle of a walk names the table, releases it
// and changes nothing; the next walk reads it whole.
TEST_F(TableDamage, ReadFailingDuringTheWalk) {
  test::WriteFile(Path(), Soluc());
  for (int nth = 1; nth <= 3; ++nth) {
    SCOPED_TRACE(nth);
    {
      FaultyFileSystem faulty;
      faulty.Fail(FsOp::kRead, nth, fs::kLockViolation, "SOLUC.DBF");
      fs::ScopedFileSystem scope(faulty);
      try {
        ReadAll();
        EXPECT_EQ(faulty.Injected(), 0) << "a failed read went unnoticed";
      } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("SOLUC.DBF"), std::string::npos) << e.what();
        EXPECT_EQ(e.Code(), fs::kLockViolation);
      }
      EXPECT_EQ(faulty.OpenHandles(), 0);
    }
    EXPECT_EQ(test::ReadFile(Path()), Soluc());
    EXPECT_EQ(ReadAll(), kLessons);
  }
}

// An edit whose write-back fails (at any write of the post and close): the
// file keeps either the old or the new record and opens again. (Rewriting
// bytes in place needs no new space, so such a write fails whole or not.)
TEST_F(TableDamage, EditWhoseWriteBackFails) {
  for (int nth = 1; nth <= 4; ++nth) {
    for (bool partial : {false}) {
      SCOPED_TRACE(std::to_string(nth) + (partial ? " partial" : ""));
      test::WriteFile(Path(), Soluc());
      {
        FaultyFileSystem faulty;
        fs::ScopedFileSystem scope(faulty);
        Table t;
        t.SetFolder(dir_.Path());
        t.SetTableName("SOLUC.DBF");
        t.Open();
        t.First();
        t.Next();
        t.Edit();
        t.FieldByName("PROF").SetAsString("Q999");
        faulty.Add({FsOp::kWrite, nth, fs::kDiskFull, "", true, partial});
        try {
          t.Post();
          t.Close();
        } catch (const Error& e) {
          EXPECT_NE(std::string(e.what()).find("SOLUC.DBF"), std::string::npos) << e.what();
        }
      }
      std::vector<std::vector<std::string>> rows;
      ASSERT_NO_THROW(rows = ReadAll());
      ASSERT_EQ(rows.size(), 3u);
      EXPECT_EQ(rows[0], kLessons[0]);
      EXPECT_EQ(rows[2], kLessons[2]);
      EXPECT_TRUE(rows[1][2] == "P002" || rows[1][2] == "Q999") << rows[1][2];
    }
  }
}

}  // namespace
}  // namespace tos
