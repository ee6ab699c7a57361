// FieldReader against Field: over tables holding every shape a field may
// come in (written here byte by byte, as other programs write them), in
// several code pages, both must give the same texts, the same numbers and
// the same errors, record after record of a walk.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "data/dbf_format.h"
#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

struct Column {
  const char* name;
  char type;
  int width;
  int decimals;
};

// The value, or the error's text and code: what a caller can tell apart.
template <class Read>
std::string Outcome(Read&& read) {
  try {
    return "value [" + read() + "]";
  } catch (const Error& e) {
    return "error [" + std::string(e.what()) + "] " + std::to_string(e.Code());
  }
}

// Field bytes of exactly width: shorter ones are blank-filled on the left
// (numbers) or the right (text); a leading "<" keeps a number left-aligned.
std::string Fit(std::string value, const Column& c) {
  bool left = c.type == 'C';
  if (!value.empty() && value[0] == '<') {
    value.erase(0, 1);
    left = true;
  }
  value.resize(std::min(value.size(), static_cast<size_t>(c.width)));
  std::string pad(static_cast<size_t>(c.width) - value.size(), ' ');
  return left ? value + pad : pad + value;
}

// A dBase III table of the given records (flag byte first), as bytes.
std::string TableBytes(uint8_t languageId, const std::vector<Column>& cols,
                       const std::vector<std::string>& records) {
  uint32_t recordLength = 1;
  for (const Column& c : cols) recordLength += static_cast<uint32_t>(c.width);
  uint32_t headerLength = static_cast<uint32_t>(32 + 32 * cols.size() + 1);
  std::string h(headerLength, '\0');
  h[0] = 0x03;
  h[1] = 126;
  h[2] = 1;
  h[3] = 1;
  dbf::WriteU32(&h[4], static_cast<uint32_t>(records.size()));
  dbf::WriteU16(&h[8], static_cast<uint16_t>(headerLength));
  dbf::WriteU16(&h[10], static_cast<uint16_t>(recordLength));
  h[29] = static_cast<char>(languageId);
  for (size_t i = 0; i < cols.size(); ++i) {
    char* d = &h[32 + 32 * i];
    std::memcpy(d, cols[i].name, std::strlen(cols[i].name));
    d[11] = cols[i].type;
    d[16] = static_cast<char>(cols[i].width);
    d[17] = static_cast<char>(cols[i].decimals);
  }
  h[32 + 32 * cols.size()] = 0x0D;
  for (const std::string& r : records) h += r;
  return h + '\x1a';
}

const std::vector<Column> kColumns = {
    {"TEXTO", 'C', 6, 0}, {"ENTERO", 'N', 12, 0}, {"CORTO", 'N', 1, 0}, {"REAL", 'N', 6, 2}};

// What each column may hold; they are combined with different strides so
// that every shape meets blank and non-blank neighbours.
const std::vector<std::vector<std::string>> kShapes = {
    // Text: blanks, blanks inside and around, NULs, signs and digits,
    // hexadecimal forms, bytes above 127 (which a code page converts).
    {"",
     " ",
     "ab",
     "  ab",
     "ab  ",
     "a b",
     std::string("a\0b", 3),
     std::string("\0abc", 4),
     "123",
     "-5",
     "+5",
     " 7",
     "0x1F",
     "$1F",
     "12ab",
     "007",
     "2147483648",
     "\xE1\xF1\xA5\x80",
     "0",
     "-0"},
    // Whole numbers: blank, zeros, leading zeros, left-aligned, NUL-padded,
    // signs, nine digits and more (beyond 32 bits too), overflow marks,
    // decimals and commas, exponents, blanks inside, letters.
    {"",
     "0",
     "7",
     "007",
     "000000000000",
     "<42",
     std::string(11, '\0') + "5",
     "5" + std::string(11, '\0'),
     "-3",
     "+4",
     "-0",
     "- 3",
     "123456789",
     "999999999",
     "0123456789",
     "1234567890",
     "2147483647",
     "2147483648",
     "-2147483648",
     "99999999999",
     "************",
     "1.5",
     "2.50",
     "1,5",
     "2.5",
     "3.5",
     "1e3",
     "12 34",
     "abc",
     "0x10",
     "$FF",
     "\xE1"},
    // A one-column whole number: blank, each digit, a sign, a letter, "*".
    {"", "0", "1", "5", "9", "-", "+", "a", "*", "\xE1"},
    // Numbers with decimals.
    {"", "2.00", "3", "2.5", "-0.50", "abc", "******", "1,25"},
};

class FieldReaderTest : public ::testing::TestWithParam<uint8_t> {};

TEST_P(FieldReaderTest, ReadsWhatTheFieldReads) {
  std::vector<std::string> records;
  size_t count = 0;
  for (const auto& shapes : kShapes) count = std::max(count, shapes.size());
  count *= 7;
  for (size_t i = 0; i < count; ++i) {
    // Every ninth record is deleted: the walk passes it over.
    std::string record(1, i % 9 == 4 ? '*' : ' ');
    for (size_t c = 0; c < kColumns.size(); ++c) {
      const auto& shapes = kShapes[c];
      record += Fit(shapes[(i * (c + 1) + i / shapes.size()) % shapes.size()], kColumns[c]);
    }
    records.push_back(record);
  }
  test::TempDir dir;
  test::WriteFile(dir.File("FORMAS.DBF"), TableBytes(GetParam(), kColumns, records));

  Table table("wwTableFormas");
  table.SetFolder(dir.Path());
  table.SetTableName("FORMAS");
  table.SetTableType(TableType::kDBase);
  table.SetReadOnly(true);
  table.Open();
  std::vector<Field> fields;
  std::vector<FieldReader> readers;
  for (const Column& c : kColumns) {
    fields.push_back(table.FieldByName(c.name));
    readers.emplace_back(fields.back());
  }
  size_t visited = 0;
  for (table.First(); !table.Eof(); table.Next(), ++visited) {
    for (size_t c = 0; c < kColumns.size(); ++c) {
      SCOPED_TRACE("record " + std::to_string(visited) + ", field " + kColumns[c].name);
      std::string spill;
      std::string readerSpill;
      EXPECT_EQ(Outcome([&] { return std::string(readers[c].AsStringView(readerSpill)); }),
                Outcome([&] { return std::string(fields[c].AsStringView(spill)); }));
      EXPECT_EQ(Outcome([&] { return std::to_string(readers[c].AsInteger()); }),
                Outcome([&] { return std::to_string(fields[c].AsInteger()); }));
    }
  }
  EXPECT_EQ(visited, count - (count + 4) / 9);

  // Once the table is closed, the reader fails as the field does.
  table.Close();
  for (size_t c = 0; c < kColumns.size(); ++c) {
    std::string spill;
    EXPECT_EQ(Outcome([&] { return std::string(readers[c].AsStringView(spill)); }),
              Outcome([&] { return std::string(fields[c].AsStringView(spill)); }));
    EXPECT_EQ(Outcome([&] { return std::to_string(readers[c].AsInteger()); }),
              Outcome([&] { return std::to_string(fields[c].AsInteger()); }));
  }
}

// Windows ANSI (read as it stands), cp850 and "none" (both converted).
INSTANTIATE_TEST_SUITE_P(CodePages, FieldReaderTest, ::testing::Values(0x03, 0x02, 0x00),
                         [](const auto& info) { return "Id" + std::to_string(info.param); });

// A reader of a record being appended or edited reads that record, as the
// field does; a reader made before the walk reads the records it reaches.
TEST(FieldReader, FollowsTheRecordAsTheFieldDoes) {
  test::TempDir dir;
  auto table = RecrearTabla(dir.Path(), "PRUEBA.DBF",
                            {{"CODIGO", FieldKind::kText, 4}, {"NUMERO", FieldKind::kWhole, 0}});
  Field code = table->FieldByName("CODIGO");
  Field number = table->FieldByName("NUMERO");
  FieldReader codeReader(code);
  FieldReader numberReader(number);
  std::string spill;
  table->Append();
  code.SetAsString("AB");
  number.SetAsInteger(12);
  EXPECT_EQ(codeReader.AsStringView(spill), "AB");
  EXPECT_EQ(numberReader.AsInteger(), 12);
  table->Post();
  table->Append();
  code.SetAsString("CD");
  number.SetAsInteger(-7);
  table->Post();
  table->First();
  EXPECT_EQ(codeReader.AsStringView(spill), "AB");
  table->Edit();
  number.SetAsInteger(34);
  EXPECT_EQ(numberReader.AsStringView(spill), "34");
  table->Post();
  table->Next();
  EXPECT_EQ(codeReader.AsStringView(spill), "CD");
  EXPECT_EQ(numberReader.AsInteger(), -7);
  EXPECT_EQ(numberReader.AsStringView(spill), "-7");
  table->First();
  EXPECT_EQ(numberReader.AsInteger(), 34);
}

}  // namespace
}  // namespace tos
