#include "data/codepage.h"

#include <gtest/gtest.h>

namespace tos::cp {
namespace {

TEST(LanguageIdTest, KnownIdsAndTheDefault) {
  struct Case {
    uint8_t id;
    int page;
  };
  const Case cases[] = {{0x00, 850},  {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x57, 1252},
                        {0x58, 1252}, {0x59, 1252}, {0x64, 852},  {0x65, 866},  {0xC8, 1250},
                        {0xC9, 1251}, {0xCB, 1253}, {0x26, 866},  {0x1F, 852},  {0xEE, 1252}};
  for (const Case& c : cases) EXPECT_EQ(CodePageOfLanguageId(c.id), c.page) << int(c.id);
  for (int id = 0; id < 256; ++id)
    EXPECT_NE(CodePage::ForNumber(CodePageOfLanguageId(static_cast<uint8_t>(id))), nullptr) << id;
}

TEST(CpgTest, NamesOtherWritersUse) {
  struct Case {
    const char* text;
    std::optional<int> page;
  };
  const Case cases[] = {{"CP1252", 1252},      {"1252", 1252},        {"ANSI 1252", 1252},
                        {"ansi 1252\r\n", 1252}, {"Windows-1252", 1252}, {"UTF-8", kUtf8},
                        {"utf8", kUtf8},       {"\xEF\xBB\xBFUTF-8", kUtf8}, {"CP850", 850},
                        {"850", 850},          {"OEM 850", 850},      {"IBM437", 437},
                        {"ISO-8859-1", 28591}, {"ISO 8859-15", 28605}, {"LATIN1", 28591},
                        {"  866  ", 866},      {"", std::nullopt},    {"klingon", std::nullopt},
                        {"CP99999", std::nullopt}, {"ISO-8859-9", std::nullopt},
                        {"12520", std::nullopt}, {"1252 extra", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(CodePageOfCpg(c.text), c.page) << c.text;
}

TEST(CodePageTest, Cp850RoundTripsSpanishText) {
  const CodePage* p = CodePage::ForNumber(850);
  ASSERT_NE(p, nullptr);
  // á ñ Ñ ½ ü in cp850 are A0 A4 A5 AB 81.
  EXPECT_EQ(p->Decode("\xA0\xA4\xA5\xAB\x81"), "\xE1\xF1\xD1\xBD\xFC");
  EXPECT_EQ(p->Encode("\xE1\xF1\xD1\xBD\xFC", 10), "\xA0\xA4\xA5\xAB\x81");
  // The euro has no cp850 form; box drawing has no Windows-1252 one.
  EXPECT_EQ(p->Encode("\x80", 10), "?");
  EXPECT_EQ(p->Decode("\xC9"), "?");
  EXPECT_EQ(p->Encode("ABCDEF", 4), "ABCD");
}

TEST(CodePageTest, EveryPageRoundTripsWhatItCanHold) {
  for (int number : {437, 737, 850, 852, 857, 860, 861, 863, 865, 866, 874, 1250, 1251, 1253,
                     1254, 1255, 1256, 1257, 1258, 10000, 28591, 28592, 28605}) {
    const CodePage* p = CodePage::ForNumber(number);
    ASSERT_NE(p, nullptr) << number;
    for (int b = 0; b < 256; ++b) {
      std::string ansi = p->Decode(std::string(1, static_cast<char>(b)));
      ASSERT_EQ(ansi.size(), 1u);
      if (ansi != "?") {
        EXPECT_EQ(p->Decode(p->Encode(ansi, 1)), ansi) << number << " " << b;
      }
    }
  }
}

TEST(CodePageTest, Utf8CutsOnlyAtCharacterBoundaries) {
  const CodePage* p = CodePage::ForNumber(kUtf8);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Encode("a\xF1\x80", 10), "a\xC3\xB1\xE2\x82\xAC");
  EXPECT_EQ(p->Encode("a\xF1\x80", 5), "a\xC3\xB1");  // the euro would need three more
  EXPECT_EQ(p->Encode("a\xF1", 2), "a");
  EXPECT_EQ(p->Decode("a\xC3\xB1\xE2\x82\xAC\xE4\xB8\xAD"), "a\xF1\x80?");
  EXPECT_EQ(p->Decode("\xFF"), "?");
}

TEST(CodePageTest, Windows1252IsLeftAlone) {
  const CodePage& p = CodePage::Windows1252();
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(p.Decode(all), all);
  EXPECT_EQ(p.Encode(all, 300), all);
}

}  // namespace
}  // namespace tos::cp
