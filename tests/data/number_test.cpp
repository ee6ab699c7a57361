#include "data/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/error.h"

namespace tos {
namespace {

struct WholeCase {
  const char* text;
  std::optional<int32_t> value;
};

TEST(ParseWholeNumberTest, Forms) {
  const WholeCase cases[] = {
      {"0", 0},
      {"42", 42},
      {"+7", 7},
      {"-7", -7},
      {"   12", 12},
      {"007", 7},
      {"$1F", 31},
      {"$ff", 255},
      {"0x1A", 26},
      {"0X1a", 26},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$7FFFFFFF", 2147483647},
      {"-$80000000", -2147483647 - 1},
      // Refused.
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"12 ", std::nullopt},
      {"1 2", std::nullopt},
      {"1.5", std::nullopt},
      {"1e3", std::nullopt},
      {"\t12", std::nullopt},
      {"--1", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"$FFFFFFFF", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"12a", std::nullopt},
      {"$G", std::nullopt},
  };
  for (const WholeCase& c : cases) EXPECT_EQ(ParseWholeNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseWholeNumberTest, ErrorQuotesTheTextInUtf8) {
  try {
    TextToWhole("a\xf1o");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'a\xc3\xb1o' no es un valor entero válido");
  }
  EXPECT_EQ(TextToWhole(" -5"), -5);
}

struct TextCase {
  double value;
  const char* dot;
  const char* comma;
};

TEST(FloatToTextTest, GeneralForm) {
  const TextCase cases[] = {
      {0, "0", "0"},
      {-0.0, "0", "0"},
      {3, "3", "3"},
      {-3, "-3", "-3"},
      {1.5, "1.5", "1,5"},
      {2.5, "2.5", "2,5"},
      {0.1, "0.1", "0,1"},
      {100, "100", "100"},
      {1e9, "1000000000", "1000000000"},
      {123456.75, "123456.75", "123456,75"},
      {1.0 / 3, "0.333333333333333", "0,333333333333333"},
      {2.0 / 3, "0.666666666666667", "0,666666666666667"},
      {0.00001, "0.00001", "0,00001"},
      {0.000001, "1E-6", "1E-6"},
      {1.5e-7, "1.5E-7", "1,5E-7"},
      {999999999999999, "999999999999999", "999999999999999"},
      {1e15, "1E15", "1E15"},
      {1e20, "1E20", "1E20"},
      {-1.25e100, "-1.25E100", "-1,25E100"},
      {9999999999999999.0, "1E16", "1E16"},  // rounds up to 15 digits
      {0.1 + 0.2, "0.3", "0,3"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(FloatToText(c.value, '.'), c.dot) << c.dot;
    EXPECT_EQ(FloatToText(c.value, ','), c.comma) << c.comma;
  }
  // Rounded up, the largest double would not read back: its digits are cut.
  EXPECT_EQ(FloatToText(std::numeric_limits<double>::max()), "1.79769313486231E308");
  EXPECT_EQ(FloatToText(-std::numeric_limits<double>::max()), "-1.79769313486231E308");
  EXPECT_EQ(FloatToText(1.7976931348623e308), "1.7976931348623E308");
  EXPECT_EQ(FloatToText(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FloatToText(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FloatToText(std::nan("")), "NAN");
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.4999999), 1);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(2147483647.4), 2147483647);
  EXPECT_EQ(RoundHalfEven(2147483647.5), std::nullopt);
  EXPECT_EQ(RoundHalfEven(-2147483648.5), -2147483647 - 1);  // even
  EXPECT_EQ(RoundHalfEven(-2147483649.0), std::nullopt);
  EXPECT_EQ(RoundHalfEven(std::nan("")), std::nullopt);
}

TEST(RoundHalfEvenTest, WholeValuesComeBackAsTheyAre) {
  const struct {
    double value;
    std::optional<int32_t> whole;
  } cases[] = {
      {0.0, 0},
      {-0.0, 0},
      {7.0, 7},
      {-7.0, -7},
      {2147483647.0, 2147483647},
      {-2147483648.0, -2147483647 - 1},
      {2147483648.0, std::nullopt},
      {-2147483649.0, std::nullopt},
      {1e300, std::nullopt},
      {-1e300, std::nullopt},
      {std::numeric_limits<double>::infinity(), std::nullopt},
      {-std::numeric_limits<double>::infinity(), std::nullopt},
      {2147483646.5, 2147483646},
      {-2147483647.5, -2147483647 - 1},
      {1e-300, 0},
      {-1e-300, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.whole) << c.value;
}

TEST(ParseDecimalNumberTest, Forms) {
  EXPECT_EQ(ParseDecimalNumber("2.5", '.'), 2.5);
  EXPECT_EQ(ParseDecimalNumber(" 2.5 ", '.'), 2.5);
  EXPECT_EQ(ParseDecimalNumber("2,5", ','), 2.5);
  EXPECT_EQ(ParseDecimalNumber("2.5", ','), 2.5);  // "." is always taken
  EXPECT_EQ(ParseDecimalNumber("2,5", '.'), std::nullopt);
  EXPECT_EQ(ParseDecimalNumber("+.5", '.'), 0.5);
  EXPECT_EQ(ParseDecimalNumber("5.", '.'), 5);
  EXPECT_EQ(ParseDecimalNumber("-1E9", '.'), -1e9);
  EXPECT_EQ(ParseDecimalNumber("1e-400", '.'), 0);
  EXPECT_EQ(ParseDecimalNumber("1e400", '.'), std::nullopt);
  for (const char* bad : {"", ".", "e5", "1e", "1.2.3", "inf", "nan", "0x10", "1 2", "--1"})
    EXPECT_EQ(ParseDecimalNumber(bad, '.'), std::nullopt) << bad;
  try {
    TextToFloat("abc", '.');
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'abc' no es un valor punto flotante válido");
  }
}

TEST(StoredNumberTest, ReadingIsTolerant) {
  struct Case {
    std::string stored;
    StoredNumber::Kind kind;
    double value;
  };
  const Case cases[] = {
      {"      ", StoredNumber::kBlank, 0},
      {"", StoredNumber::kBlank, 0},
      {"******", StoredNumber::kBlank, 0},
      {std::string("\0\0\0", 3), StoredNumber::kBlank, 0},
      {"   2.5000", StoredNumber::kValue, 2.5},
      {"   2,5", StoredNumber::kValue, 2.5},
      {"  -3", StoredNumber::kValue, -3},
      {"+14", StoredNumber::kValue, 14},
      {"1.5e+300", StoredNumber::kValue, 1.5e300},
      {"12  ", StoredNumber::kValue, 12},
      {"  1 2", StoredNumber::kInvalid, 0},
      {"abc", StoredNumber::kInvalid, 0},
      {"**12", StoredNumber::kInvalid, 0},
      // Around the shortcut for plain digits: signs, zeros, NULs, 15 and 16
      // digits, and what only the general reading takes or refuses.
      {"-0", StoredNumber::kValue, -0.0},
      {"-0007", StoredNumber::kValue, -7},
      {std::string("\0\0" "7", 3), StoredNumber::kValue, 7},
      {std::string("7\0\0", 3), StoredNumber::kValue, 7},
      {std::string("1\0" "2", 3), StoredNumber::kInvalid, 0},
      {"-999999999999999", StoredNumber::kValue, -999999999999999},
      {"9999999999999999", StoredNumber::kValue, 9999999999999999.0},
      {"2147483648", StoredNumber::kValue, 2147483648.0},
      {std::string(200, '9'), StoredNumber::kValue, std::stod(std::string(200, '9'))},
      {"1e400", StoredNumber::kInvalid, 0},
      {"-", StoredNumber::kInvalid, 0},
      {"--7", StoredNumber::kInvalid, 0},
      {"7-", StoredNumber::kInvalid, 0},
      {"0x1A", StoredNumber::kInvalid, 0},
      {"$1F", StoredNumber::kInvalid, 0},
  };
  for (const Case& c : cases) {
    StoredNumber n = ParseStoredNumber(c.stored);
    EXPECT_EQ(n.kind, c.kind) << '"' << c.stored << '"';
    if (c.kind == StoredNumber::kValue) {
      EXPECT_EQ(n.value, c.value) << c.stored;
      EXPECT_EQ(std::signbit(n.value), std::signbit(c.value)) << c.stored;
    }
  }
}

TEST(StoredNumberTest, WritingKeepsTheColumnsDecimalsWhenExact) {
  EXPECT_EQ(FormatStoredNumber(2.5, 20, 4), std::string(14, ' ') + "2.5000");
  EXPECT_EQ(FormatStoredNumber(-3, 20, 4), std::string(13, ' ') + "-3.0000");
  EXPECT_EQ(FormatStoredNumber(1e9, 20, 4), std::string(5, ' ') + "1000000000.0000");
  EXPECT_EQ(FormatStoredNumber(-0.0, 5, 0), "    0");
  EXPECT_EQ(FormatStoredNumber(-2147483648.0, 11, 0), "-2147483648");
  // More decimals than the column declares rather than a cut value.
  EXPECT_EQ(FormatStoredNumber(2.125, 8, 2), "   2.125");
  // An exponent when the fixed form is too wide.
  EXPECT_EQ(FormatStoredNumber(1e300, 20, 4), std::string(14, ' ') + "1e+300");
  EXPECT_EQ(FormatStoredNumber(100000, 5, 0), "1e+05");
  // Nothing that reads back fits: refused, never cut.
  EXPECT_EQ(FormatStoredNumber(123456, 4, 0), std::nullopt);
  EXPECT_EQ(FormatStoredNumber(std::nan(""), 20, 4), std::nullopt);
  EXPECT_EQ(FormatStoredNumber(1.0 / 3, 10, 4), std::nullopt);
}

TEST(StoredNumberTest, EverySixCharacterHoursValueReadsBackExactly) {
  // Hours texts are at most six characters; their values must survive a
  // round trip through the column the engine gives floating-point fields.
  const char* texts[] = {"2.5", "0.5", "-3", "14", "1E9", "9E99", "1E308", "1.7E308", ".33333",
                         "99999.", "1.2345", "123456", "1E-99", "5E-324", "-1E-9", "7.1E13"};
  for (const char* t : texts) {
    std::optional<double> v = ParseDecimalNumber(t, '.');
    ASSERT_TRUE(v) << t;
    std::optional<std::string> stored = FormatStoredNumber(*v, 20, 4);
    ASSERT_TRUE(stored) << t;
    EXPECT_EQ(stored->size(), 20u);
    StoredNumber back = ParseStoredNumber(*stored);
    EXPECT_EQ(back.kind, StoredNumber::kValue) << *stored;
    EXPECT_EQ(back.value, *v) << t << " -> " << *stored;
  }
}

}  // namespace
}  // namespace tos
