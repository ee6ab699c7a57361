#include "data/text.h"

#include <gtest/gtest.h>

namespace tos::text {
namespace {

TEST(TextTest, Cp1252RoundTripsThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\xf1\xd1\xbd"), "€ñÑ½");
}

TEST(TextTest, OutsideCp1252BecomesQuestionMark) {
  EXPECT_EQ(Utf8ToCp1252("a\xe2\x82\xac" "b\xc4\x9b" "c\xff"), "a\x80" "b?c?");
}

TEST(TextTest, Utf16RoundTrip) {
  std::string s = "Año ½ € \xf0\x9f\x98\x80";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("ñ"), u"ñ");
}

TEST(TextTest, LetterCaseChangesAsciiOnly) {
  EXPECT_EQ(AsciiUpper("sice_\xe1\xf1.txt"), "SICE_\xe1\xf1.TXT");
  EXPECT_TRUE(EqualIgnoringAsciiCase("Sice.Txt", "SICE.TXT"));
  EXPECT_FALSE(EqualIgnoringAsciiCase("\xf1", "\xd1"));
}

// Every place of the byte sought, past every other byte value next to it
// (those just above and below it, 0x80 and 0xFF fool a careless word test),
// against a plain search.
TEST(TextTest, FirstOfFindsTheFirstOfEitherByteAnywhere) {
  for (char sought : {'\n', '\t', '\x1a'}) {
    for (int other = 0; other < 256; ++other) {
      for (size_t at = 0; at <= 19; ++at) {
        std::string s(19, static_cast<char>(other));
        if (at < s.size()) s[at] = sought;
        size_t expected = s.find_first_of(std::string{sought, '\r'});
        ASSERT_EQ(FirstOf(s, sought, '\r'), expected == std::string::npos ? s.size() : expected)
            << "sought " << int(sought) << ", other " << other << ", at " << at;
        ASSERT_EQ(FirstOf(std::string_view(s).substr(1), sought, sought),
                  std::min(s.substr(1).find(sought), s.size() - 1));
      }
    }
  }
}

}  // namespace
}  // namespace tos::text
