#include "data/table.h"

#include <gtest/gtest.h>

#include <cstring>

#include "data/dbf_format.h"
#include "data/error.h"
#include "data/field_value.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::TempDir;

std::vector<FieldDef> SampleFields() {
  return {{"CODIGO", FieldKind::kText, 4},
          {"NOMBRE", FieldKind::kText, 10},
          {"HORAS", FieldKind::kFloat, 0},
          {"DNI", FieldKind::kWhole, 0}};
}

uint32_t CountInHeader(const std::string& bytes) {
  return dbf::ReadU32(bytes.data() + 4);
}

// Size, count and end mark agree, as every reader expects.
void ExpectWhole(const std::string& path) {
  std::string bytes = test::ReadFile(path);
  ASSERT_GE(bytes.size(), 33u);
  uint32_t header = dbf::ReadU16(bytes.data() + 8);
  uint32_t record = dbf::ReadU16(bytes.data() + 10);
  EXPECT_EQ(bytes.size(), header + uint64_t{CountInHeader(bytes)} * record + 1);
  EXPECT_EQ(bytes.back(), '\x1a');
}

std::string ExpectError(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  ADD_FAILURE() << "no error raised";
  return "";
}

class TableTest : public ::testing::Test {
 protected:
  std::unique_ptr<Table> Fresh(const std::string& name = "PRUEBA") {
    return RecrearTabla(dir_.Path(), name, SampleFields());
  }
  std::unique_ptr<Table> Reopen(const std::string& name = "PRUEBA.DBF", bool readOnly = false) {
    auto t = std::make_unique<Table>();
    t->SetFolder(dir_.Path());
    t->SetTableName(name);
    t->SetReadOnly(readOnly);
    t->Open();
    return t;
  }
  void AppendCodes(Table& t, const std::vector<std::string>& codes) {
    for (const std::string& c : codes) {
      t.Append();
      t.FieldByName("CODIGO").SetAsString(c);
      t.Post();
    }
  }
  std::vector<std::string> Walk(Table& t, const char* field = "CODIGO") {
    std::vector<std::string> seen;
    for (t.First(); !t.Eof(); t.Next()) seen.push_back(t.FieldByName(field).AsString());
    return seen;
  }
  TempDir dir_;
};

TEST_F(TableTest, CreatedTableHasTheFieldsInOrderAndIsEmpty) {
  auto t = Fresh();
  EXPECT_EQ(t->State(), TableState::kBrowsing);
  ASSERT_EQ(t->Fields().size(), 4u);
  EXPECT_EQ(t->Fields()[0].name, "CODIGO");
  EXPECT_EQ(t->Fields()[0].type, 'C');
  EXPECT_EQ(t->Fields()[0].width, 4);
  EXPECT_EQ(t->Fields()[2].kind, FieldKind::kFloat);
  EXPECT_EQ(t->Fields()[2].type, 'N');
  EXPECT_GT(t->Fields()[2].decimals, 0);
  EXPECT_EQ(t->Fields()[3].kind, FieldKind::kWhole);
  EXPECT_EQ(t->Fields()[3].decimals, 0);
  EXPECT_EQ(t->RecordCount(), 0u);
  t->First();
  EXPECT_TRUE(t->Eof());
  t->Close();
  ExpectWhole(dir_.File("PRUEBA.DBF"));
  std::string bytes = test::ReadFile(dir_.File("PRUEBA.DBF"));
  EXPECT_EQ(bytes[0], '\x03');
  EXPECT_EQ(bytes[28], '\0');    // no index
  EXPECT_EQ(bytes[29], '\x03');  // Windows ANSI
}

TEST_F(TableTest, AppendedRecordsComeBackInOrderAfterClose) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A", "B", "C"});
    EXPECT_EQ(t->RecordCount(), 3u);
  }  // the destructor closes
  ExpectWhole(dir_.File("PRUEBA.DBF"));
  auto t = Reopen();
  EXPECT_EQ(t->RecordCount(), 3u);
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"A", "B", "C"}));
}

// A value's stored bytes copied into another record read back as the value;
// bytes of another width are refused, and so is a copy outside an append.
TEST_F(TableTest, StoredBytesCopyAValueBetweenRecords) {
  auto t = Fresh();
  Field horas = t->FieldByName("HORAS");
  t->Append();
  horas.SetAsFloat(2.5);
  std::string bytes(horas.Stored());
  t->Post();
  t->Append();
  horas.SetStored(bytes);
  EXPECT_NE(ExpectError([&] { horas.SetStored(bytes + " "); }).find("HORAS"), std::string::npos);
  t->Post();
  EXPECT_THROW(horas.SetStored(bytes), Error);
  std::vector<double> read;
  for (t->First(); !t->Eof(); t->Next()) read.push_back(horas.AsFloat());
  EXPECT_EQ(read, (std::vector<double>{2.5, 2.5}));
}

TEST_F(TableTest, StoredRecordAppendedWholeReadsBackAsItsFields) {
  auto t = Fresh();
  Field codigo = t->FieldByName("CODIGO");
  Field horas = t->FieldByName("HORAS");
  t->Append();
  codigo.SetAsString("AB");
  horas.SetAsFloat(2.5);
  t->Post();
  std::string record(t->StoredRecord());
  record.replace(codigo.Offset(), 2, "CD");
  t->Append();  // pending and empty: dropped by the whole append
  t->AppendStored(record);
  EXPECT_EQ(codigo.AsString(), "CD");
  EXPECT_NE(ExpectError([&] { t->AppendStored(record + " "); }).find("PRUEBA"), std::string::npos);
  t->Close();
  ExpectWhole(dir_.File("PRUEBA.DBF"));
  t = Reopen();
  std::vector<std::string> read;
  for (t->First(); !t->Eof(); t->Next())
    read.push_back(t->FieldByName("CODIGO").AsString() + " " + t->FieldByName("HORAS").AsString());
  EXPECT_EQ(read, (std::vector<std::string>{"AB 2.5", "CD 2.5"}));
}

TEST_F(TableTest, ManyAppendsCrossTheWriteBatches) {
  auto t = Fresh();
  // Past 1 MiB of records, where the batches grow with the file.
  for (int i = 0; i < 60000; ++i) {
    t->Append();
    t->FieldByName("CODIGO").SetAsString(std::to_string(i % 10000));
    t->FieldByName("DNI").SetAsInteger(i);
    t->Post();
  }
  // A second table object sees the batches already written.
  t->Close();
  ExpectWhole(dir_.File("PRUEBA.DBF"));
  t = Reopen();
  int expected = 0;
  for (t->First(); !t->Eof(); t->Next()) {
    ASSERT_EQ(t->FieldByName("DNI").AsInteger(), expected);
    ++expected;
  }
  EXPECT_EQ(expected, 60000);
}

struct TextCase {
  const char* name;
  std::string written;
  std::string read;
};
void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

class TextFieldTest : public TableTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextFieldTest, ReadsBackAsStored) {
  auto t = Fresh();
  t->Append();
  t->FieldByName("CODIGO").SetAsString(GetParam().written);
  t->Post();
  t->Close();
  t = Reopen();
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFieldTest,
    ::testing::Values(TextCase{"CutToWidth", "ABCDEF", "ABCD"}, TextCase{"NotPadded", "AB", "AB"},
                      TextCase{"LeftBlanksStay", "  AB", "  AB"},
                      TextCase{"RightBlanksGo", "A  ", "A"}, TextCase{"Empty", "", ""},
                      TextCase{"EndsAtNul", std::string("AB\0CD", 5), "AB"},
                      TextCase{"TabKept", "A\t", "A\t"},
                      TextCase{"HighBytesKept", "\xe1\xf1\xd1\x80", "\xe1\xf1\xd1\x80"}));

// The rule that code outside the table uses to know what a text field will
// give back agrees with the field itself.
TEST_P(TextFieldTest, TextAsReadIsWhatTheFieldReadsBack) {
  auto t = Fresh();
  size_t width = static_cast<size_t>(t->FieldByName("CODIGO").Info().width);
  EXPECT_EQ(TextAsRead(GetParam().written, width), GetParam().read);
}

TEST_F(TableTest, NeverWrittenFields) {
  auto t = Fresh();
  t->Append();
  t->Post();
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "");
  EXPECT_TRUE(t->FieldByName("CODIGO").IsNull());
  EXPECT_EQ(ExpectError([&] { t->FieldByName("CODIGO").AsInteger(); }),
            "'' no es un valor entero válido");
  EXPECT_EQ(t->FieldByName("HORAS").AsFloat(), 0);
  EXPECT_EQ(t->FieldByName("HORAS").AsString(), "");
  EXPECT_EQ(t->FieldByName("HORAS").AsInteger(), 0);
  EXPECT_TRUE(t->FieldByName("HORAS").IsNull());
  EXPECT_EQ(t->FieldByName("DNI").AsString(), "");
  EXPECT_EQ(t->FieldByName("DNI").AsInteger(), 0);
}

struct FloatCase {
  double value;
  std::string text;  // with "." as separator
  int32_t whole;
};

void PrintTo(const FloatCase& c, std::ostream* os) {
  *os << c.text;
}

class FloatFieldTest : public TableTest, public ::testing::WithParamInterface<FloatCase> {};

TEST_P(FloatFieldTest, StoredValueReadsBackExactly) {
  auto t = Fresh();
  t->Append();
  t->FieldByName("HORAS").SetAsFloat(GetParam().value);
  t->Post();
  t->Close();
  t = Reopen();
  Field f = t->FieldByName("horas");
  EXPECT_EQ(f.AsFloat(), GetParam().value);
  EXPECT_EQ(f.AsString(), GetParam().text);
  EXPECT_EQ(f.AsInteger(), GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FloatFieldTest,
    ::testing::Values(FloatCase{3, "3", 3}, FloatCase{2.5, "2.5", 2}, FloatCase{3.5, "3.5", 4},
                      FloatCase{0.5, "0.5", 0}, FloatCase{-3, "-3", -3}, FloatCase{14, "14", 14},
                      FloatCase{-2.5, "-2.5", -2}, FloatCase{1e9, "1000000000", 1000000000},
                      FloatCase{1.0 / 3, "0.333333333333333", 0},
                      FloatCase{123456.5, "123456.5", 123456}, FloatCase{0.1, "0.1", 0}));

TEST_F(TableTest, HugeAndTinyFloatsReadBackExactly) {
  auto t = Fresh();
  // Six-character hours texts can give any of these.
  const double values[] = {1e300, 9.9e99, 1.5e-9, 123456e300, 1.79769e308, 1e-99, 99999.9};
  for (double v : values) {
    t->Append();
    t->FieldByName("HORAS").SetAsFloat(v);
    t->Post();
  }
  t->Close();
  t = Reopen();
  size_t i = 0;
  for (t->First(); !t->Eof(); t->Next()) EXPECT_EQ(t->FieldByName("HORAS").AsFloat(), values[i++]);
  EXPECT_EQ(i, std::size(values));
}

TEST_F(TableTest, AFloatWithNoFormThatFitsIsRefusedNotCut) {
  auto t = Fresh();
  t->Append();
  std::string m =
      ExpectError([&] { t->FieldByName("HORAS").SetAsFloat(-2.2250738585072014e-308); });
  EXPECT_NE(m.find("no cabe en el campo HORAS"), std::string::npos) << m;
  EXPECT_NE(m.find("PRUEBA.DBF"), std::string::npos) << m;
  EXPECT_TRUE(t->FieldByName("HORAS").IsNull());
}

TEST_F(TableTest, WholeNumberField) {
  auto t = Fresh();
  t->Append();
  t->FieldByName("DNI").SetAsInteger(-2147483647 - 1);
  t->Post();
  EXPECT_EQ(t->FieldByName("DNI").AsString(), "-2147483648");
  EXPECT_EQ(t->FieldByName("DNI").AsInteger(), -2147483647 - 1);
  t->Edit();
  t->FieldByName("DNI").SetAsFloat(2.5);
  t->Post();
  EXPECT_EQ(t->FieldByName("DNI").AsInteger(), 2);
  t->Edit();
  t->FieldByName("DNI").SetAsString("$1F");
  t->Post();
  EXPECT_EQ(t->FieldByName("DNI").AsInteger(), 31);
  t->Edit();
  EXPECT_EQ(ExpectError([&] { t->FieldByName("DNI").SetAsString("12a"); }),
            "'12a' no es un valor entero válido");
  EXPECT_NE(ExpectError([&] { t->FieldByName("DNI").SetAsFloat(1e12); }), "");
  t->FieldByName("DNI").Clear();
  t->Post();
  EXPECT_TRUE(t->FieldByName("DNI").IsNull());
}

TEST_F(TableTest, TextReadAsNumbers) {
  auto t = Fresh();
  t->Append();
  t->FieldByName("CODIGO").SetAsString(" -12");
  EXPECT_EQ(t->FieldByName("CODIGO").AsInteger(), -12);
  t->FieldByName("CODIGO").SetAsString("0x1A");
  EXPECT_EQ(t->FieldByName("CODIGO").AsInteger(), 26);
  t->FieldByName("CODIGO").SetAsString("1.5");
  EXPECT_EQ(ExpectError([&] { t->FieldByName("CODIGO").AsInteger(); }),
            "'1.5' no es un valor entero válido");
  EXPECT_EQ(t->FieldByName("CODIGO").AsFloat(), 1.5);
  t->FieldByName("CODIGO").SetAsFloat(2.25);
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "2.25");
}

TEST_F(TableTest, FieldLookupIgnoresCaseAndNamesTheMissingOne) {
  auto t = Fresh();
  EXPECT_EQ(t->FieldByName("codigo").Info().name, "CODIGO");
  EXPECT_EQ(t->FindField("Nombre"), 1);
  EXPECT_EQ(t->FindField("DIA"), -1);
  EXPECT_EQ(ExpectError([&] { t->FieldByName("DIA"); }), "No se encuentra el campo 'DIA'");
  t->Close();
  Table named("wwTableSoluc");
  named.SetFolder(dir_.Path());
  named.SetTableName("PRUEBA");
  named.SetTableType(TableType::kDBase);
  named.SetExclusive(true);
  named.Open();
  EXPECT_EQ(ExpectError([&] { named.FieldByName("DIA"); }),
            "wwTableSoluc: No se encuentra el campo 'DIA'");
}

TEST_F(TableTest, NextPastTheLastRecordKeepsItCurrent) {
  auto t = Fresh();
  AppendCodes(*t, {"A", "B"});
  t->First();
  EXPECT_FALSE(t->Eof());
  t->Next();
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "B");
  EXPECT_FALSE(t->Eof());
  t->Next();
  EXPECT_TRUE(t->Eof());
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "B");
}

TEST_F(TableTest, PendingChangesArePostedByMovesAndDroppedByClose) {
  auto t = Fresh();
  AppendCodes(*t, {"A", "B"});
  t->First();
  t->Edit();
  t->FieldByName("CODIGO").SetAsString("X");
  t->Next();  // posts the edit
  EXPECT_EQ(t->State(), TableState::kBrowsing);
  t->Edit();
  t->FieldByName("CODIGO").SetAsString("Y");
  t->Close();  // drops it
  t = Reopen();
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"X", "B"}));

  // An append with changes is posted by the next append; one without is dropped.
  t->Append();
  t->FieldByName("CODIGO").SetAsString("C");
  t->Append();
  t->First();
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"X", "B", "C"}));
  EXPECT_EQ(t->RecordCount(), 3u);
}

TEST_F(TableTest, PostedRecordStaysCurrent) {
  auto t = Fresh();
  AppendCodes(*t, {"A", "B"});
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "B");
  EXPECT_FALSE(t->Eof());
  t->Edit();
  t->FieldByName("NOMBRE").SetAsString("segundo");
  t->Post();
  t->First();
  t->Next();
  EXPECT_EQ(t->FieldByName("NOMBRE").AsString(), "segundo");
}

TEST_F(TableTest, EditThenAppendKeepsUntouchedRecordsAndOneEndMark) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A", "B", "C"});
  }
  std::string before = test::ReadFile(dir_.File("PRUEBA.DBF"));
  {
    auto t = Reopen();
    t->First();
    t->Next();
    t->Edit();
    t->FieldByName("CODIGO").SetAsString("b");
    t->Post();
    AppendCodes(*t, {"D"});
  }
  std::string after = test::ReadFile(dir_.File("PRUEBA.DBF"));
  ExpectWhole(dir_.File("PRUEBA.DBF"));
  uint32_t header = dbf::ReadU16(before.data() + 8);
  uint32_t record = dbf::ReadU16(before.data() + 10);
  EXPECT_EQ(after.compare(header, record, before, header, record), 0);  // A
  EXPECT_EQ(after.compare(header + 2 * record, record, before, header + 2 * record, record), 0);
  EXPECT_EQ(after.substr(header + record + 1, 1), "b");
  EXPECT_EQ(CountInHeader(after), 4u);
}

TEST_F(TableTest, AWalkAfterAnEditSeesTheEditedRecord) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A", "B", "C"});
  }
  auto t = Reopen();
  t->First();
  t->Next();
  t->Edit();
  t->FieldByName("CODIGO").SetAsString("b");
  t->Post();
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"A", "b", "C"}));
  t->Close();
  t = Reopen();
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"A", "b", "C"}));
}

TEST_F(TableTest, OpenAndCloseWithoutChangesLeavesTheFileAlone) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A", "B"});
  }
  // A foreign-looking file: an old date and no end mark.
  std::string path = dir_.File("PRUEBA.DBF");
  std::string bytes = test::ReadFile(path);
  bytes[1] = 99;
  bytes[2] = 1;
  bytes[3] = 2;
  bytes.pop_back();
  test::WriteFile(path, bytes);
  {
    auto t = Reopen();
    EXPECT_NE(ExpectError([&] { t->SetExclusive(false); }), "");  // refused while open
    EXPECT_EQ(t->RecordCount(), 2u);
  }
  EXPECT_EQ(test::ReadFile(path), bytes);
  {
    Table t;
    t.SetFolder(dir_.Path());
    t.SetTableName("prueba.dbf");
    t.SetExclusive(true);
    t.Open();
    for (t.First(); !t.Eof(); t.Next()) {
      t.Edit();
      t.FieldByName("CODIGO").SetAsString(t.FieldByName("CODIGO").AsString());
      t.Post();  // the same bytes: nothing to write
    }
    t.Append();
    t.Next();  // an append without changes is dropped
  }
  EXPECT_EQ(test::ReadFile(path), bytes);
}

TEST_F(TableTest, DeletedRecordsAreSkipped) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A", "B", "C", "D"});
  }
  std::string path = dir_.File("PRUEBA.DBF");
  std::string bytes = test::ReadFile(path);
  uint32_t header = dbf::ReadU16(bytes.data() + 8);
  uint32_t record = dbf::ReadU16(bytes.data() + 10);
  bytes[header] = '*';               // A
  bytes[header + 2 * record] = '*';  // C
  bytes[header + 3 * record] = '*';  // D
  test::WriteFile(path, bytes);
  auto t = Reopen();
  EXPECT_EQ(t->RecordCount(), 4u);
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "B");  // open lands on the first live one
  EXPECT_EQ(Walk(*t), (std::vector<std::string>{"B"}));
  EXPECT_EQ(t->FieldByName("CODIGO").AsString(), "B");
  std::vector<std::string> column;
  t->FieldByName("CODIGO").ForEachText([&](std::string_view code) { column.emplace_back(code); });
  EXPECT_EQ(column, (std::vector<std::string>{"B"}));
}

TEST_F(TableTest, WritingNeedsAppendOrEdit) {
  auto t = Fresh();
  EXPECT_NE(ExpectError([&] { t->FieldByName("CODIGO").SetAsString("A"); }), "");
  EXPECT_NE(ExpectError([&] { t->Edit(); }), "");  // no record to edit
  EXPECT_NE(ExpectError([&] { t->Post(); }), "");
}

TEST_F(TableTest, ReadOnlyTableRefusesChanges) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A"});
  }
  std::string before = test::ReadFile(dir_.File("PRUEBA.DBF"));
  auto t = Reopen("PRUEBA.DBF", true);
  EXPECT_TRUE(t->IsReadOnly());
  EXPECT_NE(ExpectError([&] { t->Append(); }).find("solo para lectura"), std::string::npos);
  EXPECT_NE(ExpectError([&] { t->Edit(); }).find("solo para lectura"), std::string::npos);
  t->Close();
  EXPECT_EQ(test::ReadFile(dir_.File("PRUEBA.DBF")), before);
}

TEST_F(TableTest, RecrearTablaReplacesTableIndexAndCodePageNote) {
  {
    auto t = Fresh();
    AppendCodes(*t, {"A"});
  }
  test::WriteFile(dir_.File("PRUEBA.MDX"), "old index");
  test::WriteFile(dir_.File("prueba.cpg"), "UTF-8");
  auto t = RecrearTabla(dir_.Path(), "PRUEBA", {{"OTRO", FieldKind::kText, 3}});
  EXPECT_EQ(t->RecordCount(), 0u);
  ASSERT_EQ(t->Fields().size(), 1u);
  EXPECT_EQ(t->Fields()[0].name, "OTRO");
  EXPECT_FALSE(test::Exists(dir_.File("PRUEBA.MDX")));
  EXPECT_FALSE(test::Exists(dir_.File("prueba.cpg")));
  EXPECT_EQ(t->State(), TableState::kBrowsing);
  EXPECT_FALSE(t->IsReadOnly());
}

TEST_F(TableTest, MissingTableAndFolderNameThePath) {
  Table t;
  t.SetFolder(dir_.Path());
  t.SetTableName("NOESTA");
  std::string m = ExpectError([&] { t.Open(); });
  EXPECT_NE(m.find("No se encuentra la tabla"), std::string::npos);
  EXPECT_NE(m.find("NOESTA.DBF"), std::string::npos);
  t.SetFolder(dir_.File("nada"));
  EXPECT_NE(ExpectError([&] { t.Open(); }).find("No se encuentra la carpeta"), std::string::npos);
  EXPECT_FALSE(t.Active());
}

TEST_F(TableTest, BadFieldListsAreRefusedBeforeAnythingIsWritten) {
  const std::vector<std::vector<FieldDef>> bad = {
      {{"DEMASIADOLARGO", FieldKind::kText, 4}},
      {{"", FieldKind::kText, 4}},
      {{"A", FieldKind::kText, 0}},
      {{"A", FieldKind::kText, 255}},
      {{"A", FieldKind::kText, 2}, {"a", FieldKind::kText, 2}},
  };
  for (const auto& fields : bad) {
    Table t;
    t.SetFolder(dir_.Path());
    t.SetTableName("MALA");
    t.FieldDefs() = fields;
    EXPECT_NE(ExpectError([&] { t.Create(); }), "");
    EXPECT_FALSE(test::Exists(dir_.File("MALA.DBF")));
  }
}

}  // namespace
}  // namespace tos
