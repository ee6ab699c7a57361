// The small rules the imports apply to SICE's texts: the hours number, the
// session string, the slot times, and the seen-codes comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "data/error.h"
#include "import/hours.h"
#include "import/seen_codes.h"
#include "import/slot_time.h"

namespace tos {
namespace {

TEST(LeerNumeroDecimal, AcceptsOnlyTheDecimalForm) {
  struct Case {
    const char* text;
    std::optional<double> value;
  };
  const Case cases[] = {
      {"0", 0.0},
      {"3", 3.0},
      {"-3", -3.0},
      {"+2.5", 2.5},
      {"2.", 2.0},
      {".5", 0.5},
      {".", 0.0},
      {"-.", 0.0},
      {"1E2", 100.0},
      {"1e+2", 100.0},
      {"25E-1", 2.5},
      {".5e1", 5.0},
      {"007", 7.0},
      {"1E-999", 0.0},
      {"0E999", 0.0},
      {"1E99999999999", std::nullopt},
      {"1E999", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"E5", std::nullopt},
      {"1E", std::nullopt},
      {"1E+", std::nullopt},
      {"1..5", std::nullopt},
      {"1,5", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"0x10", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
      {"--1", std::nullopt},
      {"1e5.0", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LeerNumeroDecimal(c.text), c.value);
  }
  EXPECT_EQ(LeerNumeroDecimal(std::string(400, '9')), std::nullopt);
  EXPECT_DOUBLE_EQ(*LeerNumeroDecimal("0." + std::string(400, '0') + "1E402"), 10.0);
}

TEST(HorasDeTexto, EmptyMeansOneCommaIsAPointAndBelowOneIsOne) {
  EXPECT_EQ(HorasDeTexto(""), 1.0);
  EXPECT_EQ(HorasDeTexto("0,5"), 1.0);
  EXPECT_EQ(HorasDeTexto(","), 1.0);
  EXPECT_EQ(HorasDeTexto("-3"), 1.0);
  EXPECT_EQ(HorasDeTexto("2,5"), 2.5);
  EXPECT_EQ(HorasDeTexto("3E9"), 3e9);
  try {
    HorasDeTexto("1,2,3");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'1.2.3' no es un valor punto flotante válido");
  }
}

TEST(SesionesDeHoras, CountsSessionsCappingTheOnesAtThirteen) {
  const std::string ones13(13, '1');
  struct Case {
    double h;
    std::string sesiones;
  };
  const Case cases[] = {
      {1, "1"},
      {1.25, "1\xBD"},
      {1.000001, "1\xBD"},
      {2.5, "11\xBD"},
      {13, ones13},
      {13.5, ones13 + "\xBD"},
      {13.999, ones13 + "\xBD"},
      {14, "1" + ones13},
      {20, "7" + ones13},
      {25.5, "12" + ones13 + "\xBD"},
      {2147483647, "2147483634" + ones13},
      {2147483648.0, "2147483635" + ones13},
      {3e9, "2999999987" + ones13},
      {9223372036854775808.0, "9223372036854775795" + ones13},
      {18446744073709551616.0, "18446744073709551603" + ones13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.h);
    EXPECT_EQ(SesionesDeHoras(c.h), c.sesiones);
  }
}

TEST(SesionesDeHoras, HugeValuesGetEveryDigit) {
  std::string s = SesionesDeHoras(1e300);
  EXPECT_EQ(s.substr(0, 60), "100000000000000005250476025520442024870446858110815915491585");
  EXPECT_EQ(s.size(), 301u + 13u);
  std::string max = SesionesDeHoras(std::numeric_limits<double>::max());
  EXPECT_EQ(max.size(), 309u + 13u);
  EXPECT_EQ(max.substr(0, 20), "17976931348623157081");
}

TEST(SesionesDeHoras, OutsideItsDomainGivesOneSession) {
  EXPECT_EQ(SesionesDeHoras(0.5), "1");
  EXPECT_EQ(SesionesDeHoras(-4), "1");
  EXPECT_EQ(SesionesDeHoras(std::nan("")), "1");
  EXPECT_EQ(SesionesDeHoras(std::numeric_limits<double>::infinity()), "1");
}

TEST(LeerEnteroDecimal, DigitsWithAnOptionalSign) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  };
  const Case cases[] = {
      {"0800", 800},
      {"10", 10},
      {"-0030", -30},
      {"+7", 7},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"8:00", std::nullopt},
      {"$3E8", std::nullopt},
      {"0x10", std::nullopt},
      {" 800", std::nullopt},
      {"80 0", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LeerEnteroDecimal(c.text), c.value);
  }
  EXPECT_EQ(MinutosDeTramo(830, 925), 55);
  EXPECT_EQ(MinutosDeTramo(800, 830), -10);
  EXPECT_EQ(MinutosDeTramo(INT32_MIN, INT32_MAX), 4294967255LL);
}

TEST(CodigosVistos, IgnoresCaseOfEveryLetterButKeepsAccentsApart) {
  CodigosVistos vistos;
  EXPECT_TRUE(vistos.Add("MAT"));
  EXPECT_FALSE(vistos.Add("mat"));
  EXPECT_FALSE(vistos.Add("MaT"));
  EXPECT_TRUE(vistos.Add("A\xD1O"));   // AÑO
  EXPECT_FALSE(vistos.Add("a\xF1o"));  // año
  EXPECT_TRUE(vistos.Add("ANO"));      // N is not Ñ
  EXPECT_TRUE(vistos.Add("\xC9"));     // É
  EXPECT_FALSE(vistos.Add("\xE9"));    // é
  EXPECT_TRUE(vistos.Add("E"));
  EXPECT_TRUE(vistos.Add("\x8A"));   // Š
  EXPECT_FALSE(vistos.Add("\x9A"));  // š
  EXPECT_TRUE(vistos.Add("\x9F"));   // Ÿ
  EXPECT_FALSE(vistos.Add("\xFF"));  // ÿ
  EXPECT_TRUE(vistos.Add("\xD7"));   // × has no lower case
  EXPECT_TRUE(vistos.Add("\xF7"));   // ÷
  EXPECT_TRUE(vistos.Add(""));
  EXPECT_FALSE(vistos.Add(""));
  EXPECT_TRUE(vistos.Add(std::string("A\0B", 3)));
  EXPECT_TRUE(vistos.Add(std::string("A\0C", 3)));
}

// Codes of every length up to the 4 bytes the imports cut them to, many of
// them: each is new once, in whatever letter case it comes back, and the
// first line's code and fields are the ones kept.
TEST(CodigosVistos, EveryShortCodeOnceInAnyCase) {
  CodigosVistos vistos;
  std::vector<std::string> codes = {"c", "\xE9"};
  for (int i = 0; i < 1000; ++i) codes.push_back("c" + std::to_string(i));
  for (int round = 0; round < 2; ++round) {
    for (size_t i = 0; i < codes.size(); ++i) {
      std::string code = codes[i];
      if (round == 1) code[0] = code[0] == 'c' ? 'C' : '\xC9';
      EXPECT_EQ(vistos.Add(code, i + 1, "nombre", "dep"), round == 0) << code;
    }
  }
  EXPECT_EQ(vistos.Size(), codes.size());
  CodigosVistos::Primera kept = vistos.First("C12");
  EXPECT_EQ(kept.line, 15u);
  EXPECT_EQ(kept.code, "c12");
  EXPECT_EQ(kept.rest, OtherFields("nombre", "dep"));
}

}  // namespace
}  // namespace tos
