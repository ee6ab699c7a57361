// The time-slot lookup against a walk of DIASHORAST from its first record:
// keys that take the direct table (a one-byte day and a plain period
// number), keys that only the hash index holds, and tables for which no
// direct table is built, each with duplicates, misses and codes short and
// long.
#include "export/slot_index.h"

#include <gtest/gtest.h>

#include <map>

#include "export/export_fixture.h"

namespace tos::test {
namespace {

struct Key {
  std::string day, period;
};

struct SlotCase {
  std::string name;
  std::vector<Slot> slots;
  std::vector<Key> lookups;  // besides every slot's own key
};

// What a walk from the first record finds: the first slot of each key.
std::map<std::pair<std::string, std::string>, std::string> FirstOfEachKey(
    const std::vector<Slot>& slots) {
  std::map<std::pair<std::string, std::string>, std::string> first;
  for (const Slot& s : slots) first.try_emplace({s.dia, s.hora}, s.code);
  return first;
}

// Many slots over five days, codes of every length a slot keeps or not,
// every tenth key twice; enough to grow the hash index several times.
SlotCase Large() {
  SlotCase c{"Large", {}, {}};
  uint32_t seed = 11;
  auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
  for (int i = 0; i < 6000; ++i) {
    std::string day = std::to_string(1 + next() % 5);
    std::string period = std::to_string(next() % 1500);
    std::string code = std::string(next() % 9, 'C') + std::to_string(i % 10);
    if (code.size() > 10) code.resize(10);
    c.slots.push_back({day, period, code});
    if (i % 10 == 0) c.slots.push_back({day, period, "DUP" + std::to_string(i)});
  }
  for (int i = 0; i < 3000; ++i)
    c.lookups.push_back({std::to_string(next() % 7), std::to_string(next() % 1600)});
  return c;
}

// Every byte a one-byte day can read as (a NUL or a blank reads as no day).
SlotCase ManyDays() {
  SlotCase c{"ManyDays", {}, {}};
  for (int b = 0x21; b <= 0xFF; ++b) {
    std::string day(1, static_cast<char>(b));
    c.slots.push_back({day, "1", "D" + std::to_string(b)});
    c.slots.push_back({day, std::to_string(b % 7), "E" + std::to_string(b)});
    c.lookups.push_back({day, "2"});
  }
  return c;
}

std::vector<SlotCase> Cases() {
  return {
      {"DigitDays",
       {{"1", "1", "0101"}, {"1", "2", "0102"}, {"2", "1", "0201"}, {"5", "40", "0540"}},
       {{"1", "0"},
        {"1", "3"},
        {"1", "41"},
        {"1", "01"},
        {"6", "1"},
        {"L", "1"},
        {"", "1"},
        {"1", ""},
        {"11", "1"}}},
      {"LetterDaysAndCodeLengths",
       {{"L", "1", ""},
        {"L", "2", "SEIS66"},
        {"L", "3", "SIETE77"},
        {"M", "1", "DIEZ100000"},
        {"M", "1", "SEGUNDO"},
        {"X", "2", "A"},
        {"X", "2", "B"}},
       {{"l", "1"}, {"M", "2"}, {"X", "1"}, {"J", "1"}}},
      {"ZeroAndLeadingZeros",
       {{"1", "0", "CERO"},
        {"1", "00", "DOBLE"},
        {"1", "007", "SIETE"},
        {"1", "7", "7"},
        {"1", "10", "DIEZ"}},
       {{"1", "07"}, {"1", "000"}, {"1", "010"}, {"1", "1"}}},
      {"SparsePeriods",  // too sparse for a direct table
       {{"1", "1", "UNO"}, {"1", "99999", "MUCHO"}, {"2", "50000", "MEDIO"}},
       {{"1", "2"}, {"1", "99998"}, {"2", "1"}}},
      {"OtherShapes",  // days of other lengths, periods that are no plain number
       {{"12", "1", "DOCE"},
        {"", "1", "VACIO"},
        {" 7", "1", "BLANCO"},
        {"1", "123456", "SEIS"},
        {"1", "+1", "SIGNO"},
        {"1", "PER-1", "TEXTO"},
        {"1", "1", "UNO"}},
       {{"7", "1"}, {"1", "12345"}, {"1", "1 "}, {"12", "2"}}},
      {"NoPlainKey", {{"12", "01", "A"}, {"LU", "1", "B"}}, {{"1", "1"}, {"12", "1"}}},
      {"Empty", {}, {{"1", "1"}, {"L", "2"}}},
      ManyDays(),
      Large(),
  };
}

void PrintTo(const SlotCase& c, std::ostream* os) {
  *os << c.name;
}

class SlotIndexTest : public ::testing::TestWithParam<SlotCase> {};

// The folder's DIASHORAST, open as the export opens it.
void OpenTramos(Table& tramos, const std::string& folder) {
  tramos.SetFolder(folder);
  tramos.SetTableName("DIASHORAST");
  tramos.SetTableType(TableType::kDBase);
  tramos.Open();
}

TEST_P(SlotIndexTest, FindsWhatAWalkFinds) {
  const SlotCase& c = GetParam();
  ExportFixture f;
  f.MakeTramos(c.slots);
  Table tramos("wwTableTramos");
  OpenTramos(tramos, f.otemp);
  SlotIndex index(tramos);
  auto first = FirstOfEachKey(c.slots);
  std::vector<Key> keys = c.lookups;
  for (const Slot& s : c.slots) keys.push_back({s.dia, s.hora});
  // Each key twice: the first lookup builds the index, later ones use it.
  for (int round = 0; round < 2; ++round) {
    for (const Key& key : keys) {
      auto found = first.find({key.day, key.period});
      ASSERT_EQ(index.Find(key.day, key.period), found == first.end() ? "" : found->second)
          << "day '" << key.day << "', period '" << key.period << "'";
    }
  }
}

// A record after the one that answers is never read: an unreadable HORA
// there fails only the lookups that reach it, and a lookup of another day
// passes it over.
TEST(SlotIndex, ReadsOnlyAsFarAsTheAnswer) {
  ExportFixture f;
  MakeTable(f.otemp, "DIASHORAST.DBF",
            {{"DIA", FieldKind::kText, 1}, {"HORA", FieldKind::kWhole, 0},
             {"CODDIHO", FieldKind::kText, 4}},
            {{"L", "1", "0101"}, {"L", "7", "XXXX"}, {"M", "2", "0202"}});
  // The second record's HORA made unreadable in the file itself.
  std::string path = fs::Join(f.otemp, "DIASHORAST.DBF");
  std::string bytes = ReadFile(path);
  size_t header = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
  size_t record = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
  size_t hora = header + record + 1 + 1;
  bytes.replace(hora, 11, "         ab");
  WriteFile(path, bytes);

  Table tramos("wwTableTramos");
  OpenTramos(tramos, f.otemp);
  SlotIndex index(tramos);
  EXPECT_EQ(index.Find("L", "1"), "0101");
  EXPECT_EQ(index.RecordsRead(), 1);
  EXPECT_THROW(index.Find("L", "2"), Error);
  EXPECT_EQ(index.Find("M", "2"), "0202");
  EXPECT_EQ(index.Find("L", "1"), "0101");
  EXPECT_THROW(index.Find("L", "9"), Error);
}

// Repeated records are told as they are read, by lookups or by the rest of
// the walk after them, each with the first record of its day and period;
// an unreadable HORA is none, and the walk goes on past it.
TEST(SlotIndex, TellsEachRepeatedRecordOnce) {
  ExportFixture f;
  MakeTable(f.otemp, "DIASHORAST.DBF",
            {{"DIA", FieldKind::kText, 1},
             {"HORA", FieldKind::kWhole, 0},
             {"CODDIHO", FieldKind::kText, 4}},
            {{"L", "1", "0101"},
             {"L", "1", "0102"},
             {"M", "2", "0202"},
             {"L", "7", "XXXX"},
             {"M", "2", "0203"},
             {"L", "1", "0104"}});
  std::string path = fs::Join(f.otemp, "DIASHORAST.DBF");
  std::string bytes = ReadFile(path);
  size_t header = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
  size_t record = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11])
                                                              << 8;
  bytes.replace(header + 3 * record + 1 + 1, 11, "         ab");
  WriteFile(path, bytes);

  Table tramos("wwTableTramos");
  OpenTramos(tramos, f.otemp);
  std::vector<std::string> told;
  SlotIndex index(tramos,
                  [&](std::string_view day, std::string_view period, int64_t at, int64_t first) {
                    told.push_back(std::string(day) + "/" + std::string(period) + " " +
                                   std::to_string(at) + "<" + std::to_string(first));
                  });
  EXPECT_EQ(index.Find("M", "2"), "0202");
  EXPECT_EQ(told, std::vector<std::string>{"L/1 2<1"});
  index.ReadRest();
  EXPECT_EQ(told, (std::vector<std::string>{"L/1 2<1", "M/2 5<3", "L/1 6<1"}));
  EXPECT_EQ(index.RecordsRead(), 6);
  index.ReadRest();
  EXPECT_EQ(told.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Export, SlotIndexTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tos::test
