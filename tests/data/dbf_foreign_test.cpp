// Tables made by other programs: their code pages, their quirks, and damaged
// files, which must give a clear error and never a crash or shifted fields.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "data/dbf_format.h"
#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "support/temp_dir.h"

namespace tos {
namespace {

using test::TempDir;

struct Col {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

struct DbfSpec {
  uint8_t version = 0x03;
  uint8_t languageId = 0x03;
  std::vector<Col> cols;
  std::vector<std::string> records;  // flag byte included
  int64_t count = -1;                // -1: the number of records
  size_t padding = 0;                // bytes after the terminator
  bool endMark = true;
  std::string trailer;               // after the end mark
};

std::string Build(const DbfSpec& s) {
  uint32_t recordLength = 1;
  for (const Col& c : s.cols) recordLength += static_cast<uint32_t>(c.width);
  uint32_t headerLength = static_cast<uint32_t>(32 + 32 * s.cols.size() + 1 + s.padding);
  std::string h(headerLength, '\0');
  h[0] = static_cast<char>(s.version);
  h[1] = 95;
  h[2] = 7;
  h[3] = 1;
  dbf::WriteU32(&h[4], static_cast<uint32_t>(s.count < 0 ? s.records.size() : s.count));
  dbf::WriteU16(&h[8], headerLength);
  dbf::WriteU16(&h[10], recordLength);
  h[29] = static_cast<char>(s.languageId);
  for (size_t i = 0; i < s.cols.size(); ++i) {
    char* d = &h[32 + 32 * i];
    std::memcpy(d, s.cols[i].name.data(), std::min<size_t>(11, s.cols[i].name.size()));
    d[11] = s.cols[i].type;
    d[16] = static_cast<char>(s.cols[i].width & 0xFF);  // wide text: decimals hold the rest
    d[17] = static_cast<char>(s.cols[i].decimals);
  }
  h[32 + 32 * s.cols.size()] = 0x0D;
  std::string out = h;
  for (const std::string& r : s.records) out += r;
  if (s.endMark) out += '\x1a';
  return out + s.trailer;
}

class ForeignTableTest : public ::testing::Test {
 protected:
  std::string Put(const DbfSpec& layout, const std::string& name = "FUERA.DBF") {
    std::string path = dir_.File(name);
    test::WriteFile(path, Build(layout));
    return path;
  }
  std::unique_ptr<Table> Open(const std::string& name = "FUERA", bool readOnly = true) {
    auto t = std::make_unique<Table>();
    t->SetFolder(dir_.Path());
    t->SetTableName(name);
    t->SetReadOnly(readOnly);
    t->Open();
    return t;
  }
  std::vector<std::string> Column(Table& t, const std::string& field) {
    std::vector<std::string> out;
    for (t.First(); !t.Eof(); t.Next()) out.push_back(t.FieldByName(field).AsString());
    return out;
  }
  std::string OpenError() {
    try {
      Open();
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }
  TempDir dir_;
};

TEST_F(ForeignTableTest, Cp850TextIsReadAndWrittenInItsOwnCodePage) {
  DbfSpec s;
  s.languageId = 0x02;
  s.cols = {{"NOMBRE", 'C', 6}};
  s.records = {" A\xA4o  \xAB"};  // "Año ½" in cp850
  std::string path = Put(s);
  {
    auto t = Open("FUERA", false);
    EXPECT_EQ(t->FieldByName("NOMBRE").AsString(), "A\xF1o  \xBD");
    t->Edit();
    t->FieldByName("NOMBRE").SetAsString("\xD1\xE1\x80");  // Ñá€
    t->Post();
  }
  std::string bytes = test::ReadFile(path);
  EXPECT_EQ(bytes.substr(66, 6), "\xA5\xA0?   ");
}

// A field's text read as a view is the text AsString gives, in every form a
// column can hold: whole numbers with signs, zeros, blanks and NULs around
// them, too many digits, other number forms; decimals; text with blanks,
// NULs and bytes a code page converts. A column that holds no number fails
// the same way both ways.
TEST_F(ForeignTableTest, AsStringViewReadsWhatAsStringReads) {
  const std::vector<std::string> wholes = {"       7",
                                           "7       ",
                                           "      -7",
                                           "      +7",
                                           "      -0",
                                           "      +0",
                                           "00000000",
                                           "-0000007",
                                           "   -0070",
                                           "        ",
                                           "********",
                                           "     1e3",
                                           "     2,5",
                                           "    12.5",
                                           "      - ",
                                           "     12a",
                                           std::string("\0\0\0\0\0\0\0"
                                                       "7",
                                                       8),
                                           std::string("7\0\0\0\0\0\0\0", 8),
                                           "99999999",
                                           "-9999999"};
  const std::vector<std::string> floats = {"      2.50", "          ", "         3",
                                           "     -0.00", "  1.5e+300", "**********"};
  const std::vector<std::string> texts = {"AB    ", "  AB  ",          std::string("A\0B   ", 6),
                                          "      ", "\xA4\xAB\x80   ", "A\r\nB  "};
  for (uint8_t languageId : {uint8_t{0x03}, uint8_t{0x02}}) {
    SCOPED_TRACE(int{languageId});
    DbfSpec s;
    s.languageId = languageId;
    s.cols = {{"ENTERO", 'N', 8}, {"DECIMAL", 'N', 10, 2}, {"TEXTO", 'C', 6}, {"ANCHO", 'N', 20}};
    for (size_t i = 0; i < wholes.size(); ++i) {
      std::string wide = i % 2 ? "  123456789012345678" : "12345678901234567890";
      s.records.push_back(" " + wholes[i] + floats[i % floats.size()] + texts[i % texts.size()] +
                          wide);
    }
    Put(s);
    auto t = Open();
    auto outcome = [](const std::function<std::string()>& read) {
      try {
        return "= " + read();
      } catch (const Error& e) {
        return std::string("! ") + e.what();
      }
    };
    size_t record = 0;
    for (t->First(); !t->Eof(); t->Next(), ++record) {
      for (const char* name : {"ENTERO", "DECIMAL", "TEXTO", "ANCHO"}) {
        Field f = t->FieldByName(name);
        std::string spill = "left over";
        EXPECT_EQ(outcome([&] { return std::string(f.AsStringView(spill)); }),
                  outcome([&] { return f.AsString(); }))
            << name << " of record " << record + 1;
      }
    }
    EXPECT_EQ(record, wholes.size());
  }
}

TEST_F(ForeignTableTest, LanguageIdZeroIsTheOemPageUnlessACpgSaysOtherwise) {
  DbfSpec s;
  s.languageId = 0x00;
  s.cols = {{"T", 'C', 2}};
  s.records = {" \xF1\xA4"};
  Put(s);
  EXPECT_EQ(Column(*Open(), "T"), (std::vector<std::string>{"\xB1\xF1"}));  // cp850: ± ñ
  test::WriteFile(dir_.File("fuera.CPG"), "1252\r\n");
  EXPECT_EQ(Column(*Open(), "T"), (std::vector<std::string>{"\xF1\xA4"}));
  test::WriteFile(dir_.File("fuera.CPG"), "UTF-8");
  // Malformed UTF-8: one "?" for the broken sequence.
  EXPECT_EQ(Column(*Open(), "T"), (std::vector<std::string>{"?"}));
  test::WriteFile(dir_.File("fuera.CPG"), "gibberish");  // the id decides again
  EXPECT_EQ(Column(*Open(), "T"), (std::vector<std::string>{"\xB1\xF1"}));
}

TEST_F(ForeignTableTest, Utf8TablesFromACpgNote) {
  DbfSpec s;
  s.languageId = 0x57;
  s.cols = {{"T", 'C', 5}};
  s.records = {" a\xC3\xB1\xE2\x82"};  // "añ" and half a euro
  Put(s);
  test::WriteFile(dir_.File("FUERA.cpg"), "UTF-8");
  auto t = Open("FUERA", false);
  EXPECT_EQ(t->FieldByName("T").AsString(), "a\xF1?");
  t->Edit();
  t->FieldByName("T").SetAsString("\x80\x80");  // two euros need six bytes
  t->Post();
  t->Close();
  EXPECT_EQ(test::ReadFile(dir_.File("FUERA.DBF")).substr(66, 5), "\xE2\x82\xAC  ");
}

TEST_F(ForeignTableTest, NamesAreFoundIgnoringLetterCase) {
  DbfSpec s;
  s.cols = {{"dia", 'N', 2}};
  s.records = {"  3"};
  Put(s, "soluc.dbf");
  auto t = Open("SOLUC.DBF");
  EXPECT_EQ(t->FieldByName("DIA").AsInteger(), 3);
#ifndef _WIN32
  // Windows keeps the name as asked; here it is the one found on disk.
  EXPECT_EQ(fs::BaseName(t->FilePath()), "soluc.dbf");
#endif
}

TEST_F(ForeignTableTest, QuirksOtherWritersLeave) {
  DbfSpec s;
  s.version = 0x30;     // Visual FoxPro
  s.padding = 263;      // its back-link area after the terminator
  s.endMark = false;    // some writers leave the end mark out
  s.trailer = "junk after the last record";
  s.cols = {{std::string("COD\0XYZ", 7), 'C', 3}, {"N          ", 'N', 6, 2}, {"F", 'F', 8, 3}};
  s.records = {" A    1,50  -2.125", "*B    2.00   0.000", " C  ******        "};
  Put(s);
  auto t = Open();
  EXPECT_EQ(t->Fields()[0].name, "COD");
  EXPECT_EQ(t->Fields()[2].kind, FieldKind::kFloat);
  EXPECT_EQ(t->RecordCount(), 3u);
  EXPECT_EQ(Column(*t, "COD"), (std::vector<std::string>{"A", "C"}));
  t->First();
  EXPECT_EQ(t->FieldByName("N").AsFloat(), 1.5);
  EXPECT_EQ(t->FieldByName("F").AsFloat(), -2.125);
  t->Next();
  EXPECT_TRUE(t->FieldByName("N").IsNull());  // an overflow mark
  EXPECT_TRUE(t->FieldByName("F").IsNull());
}

TEST_F(ForeignTableTest, WideTextFieldsKeepTheirWidthInTheDecimalsByte) {
  DbfSpec s;
  s.cols = {{"LARGO", 'C', 300, 300 >> 8}, {"X", 'C', 1}};
  s.records = {" " + std::string(299, 'a') + "bZ"};
  Put(s);
  auto t = Open();
  EXPECT_EQ(t->Fields()[0].width, 300);
  EXPECT_EQ(t->FieldByName("LARGO").AsString(), std::string(299, 'a') + "b");
  EXPECT_EQ(t->FieldByName("X").AsString(), "Z");
}

TEST_F(ForeignTableTest, AppendingToAForeignTableLeavesItWhole) {
  DbfSpec s;
  s.languageId = 0x02;
  s.cols = {{"T", 'C', 2}};
  s.records = {" ab"};
  s.endMark = false;
  s.trailer = "xyz";
  std::string path = Put(s);
  {
    auto t = Open("FUERA", false);
    t->Append();
    t->FieldByName("T").SetAsString("cd");
    t->Post();
  }
  std::string bytes = test::ReadFile(path);
  EXPECT_EQ(bytes.substr(65), " ab cd\x1a");
  EXPECT_EQ(dbf::ReadU32(bytes.data() + 4), 2u);
  EXPECT_EQ(bytes[29], '\x02');  // the table keeps its own id
}

TEST_F(ForeignTableTest, NumbersThatAreNoNumbersAreReportedWithTheirField) {
  DbfSpec s;
  s.cols = {{"N", 'N', 4}};
  s.records = {" 1x2 "};
  s.records[0].pop_back();
  Put(s);
  auto t = Open();
  try {
    t->FieldByName("N").AsInteger();
    FAIL();
  } catch (const Error& e) {
    std::string m = e.what();
    EXPECT_NE(m.find("campo N"), std::string::npos) << m;
    EXPECT_NE(m.find("FUERA.DBF"), std::string::npos) << m;
  }
}

struct DamageCase {
  const char* name;
  std::function<void(std::string&)> damage;
  const char* words;  // part of the message
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

std::string GoodTable() {
  DbfSpec s;
  s.cols = {{"A", 'C', 3}, {"B", 'N', 4}};
  s.records = {" abc   1", " def   2"};
  return Build(s);
}

class DamagedTableTest : public ForeignTableTest,
                         public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedTableTest, GivesAClearErrorNamingTheTable) {
  std::string bytes = GoodTable();
  GetParam().damage(bytes);
  test::WriteFile(dir_.File("FUERA.DBF"), bytes);
  std::string m = OpenError();
  EXPECT_NE(m.find("FUERA.DBF"), std::string::npos) << m;
  EXPECT_NE(m.find(GetParam().words), std::string::npos) << m;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedTableTest,
    ::testing::Values(
        DamageCase{"Empty", [](std::string& b) { b.clear(); }, "demasiado corta"},
        DamageCase{"Short", [](std::string& b) { b.resize(20); }, "demasiado corta"},
        DamageCase{"HeaderLengthTiny", [](std::string& b) { dbf::WriteU16(&b[8], 12); },
                   "longitud de la cabecera"},
        DamageCase{"HeaderBeyondFile", [](std::string& b) { dbf::WriteU16(&b[8], 60000); },
                   "más larga que el archivo"},
        DamageCase{"RecordLengthZero", [](std::string& b) { dbf::WriteU16(&b[10], 0); },
                   "longitud de registro es 0"},
        DamageCase{"RecordLengthNotTheSum", [](std::string& b) { dbf::WriteU16(&b[10], 9); },
                   "no es la suma"},
        DamageCase{"CountBeyondTheRecords", [](std::string& b) { dbf::WriteU32(&b[4], 3); },
                   "solo contiene 2"},
        DamageCase{"HugeCount", [](std::string& b) { dbf::WriteU32(&b[4], 0xFFFFFFFF); },
                   "registros"},
        DamageCase{"DescriptorOutOfHeader", [](std::string& b) { dbf::WriteU16(&b[8], 80); },
                   "no termina donde dice"},
        DamageCase{"WidthZero", [](std::string& b) { b[64 + 16] = 0; }, "no es la suma"},
        DamageCase{"NamelessField", [](std::string& b) { b[32] = 0; }, "no tiene nombre"},
        DamageCase{"DBase2", [](std::string& b) { b[0] = 0x02; }, "versión 0x02"},
        // Marked as dBase 7, the 32-byte descriptors are read as 48-byte ones.
        DamageCase{"DBaseIIILayoutMarkedAsLevel7", [](std::string& b) { b[0] = 0x04; },
                   "no tiene nombre"},
        DamageCase{"HeaderLengthOneShort", [](std::string& b) { dbf::WriteU16(&b[8], 96); },
                   "no termina donde dice"},
        DamageCase{"NameFillsItsDescriptor",
                   [](std::string& b) { std::memcpy(&b[32], "ABCDEFGHIJK", 11); },
                   "no termina dentro"}));

TEST_F(ForeignTableTest, MutatedHeadersNeverCrash) {
  // Whatever a damaged header says, opening and walking either works or
  // gives our error; the sanitizer build watches for the rest.
  std::string good = GoodTable();
  std::mt19937 random(12345);
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = good;
    int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes; ++c) {
      size_t at = random() % (round % 3 == 0 ? bytes.size() : 98);
      bytes[at] = static_cast<char>(random());
    }
    if (round % 7 == 0) bytes.resize(random() % bytes.size());
    test::WriteFile(dir_.File("FUERA.DBF"), bytes);
    try {
      auto t = Open();
      for (t->First(); !t->Eof(); t->Next()) {
        for (size_t i = 0; i < t->Fields().size(); ++i) {
          try {
            t->FieldAt(static_cast<int>(i)).AsString();
          } catch (const Error&) {
          }
        }
      }
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("FUERA"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace tos
