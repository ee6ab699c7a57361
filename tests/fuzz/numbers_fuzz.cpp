// The table layer's number conversions over arbitrary text: whole numbers
// (decimal, "$" and "0x" hexadecimal) and decimal numbers are checked against
// a plain restatement of their rules; the general form and the stored column
// form must read back as the value they were made from.
// Input: byte 0 picks the separator, bytes 1-2 a column width and decimals,
// then the text (also taken as the bytes of a double).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "data/error.h"
#include "data/number.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& text) {
  std::fprintf(stderr, "broken rule: %s for \"%s\"\n", what, text.c_str());
  std::abort();
}

bool OnlyOf(const std::string& s, const char* allowed) {
  return s.find_first_not_of(allowed) == std::string::npos;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<int32_t> Whole(const std::string& t) {
  size_t i = t.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == t.size()) return std::nullopt;
  long double magnitude = 0;
  for (; i < t.size(); ++i) {
    int d = Hex(t[i]);
    if (d < 0 || d >= base) return std::nullopt;
    magnitude = magnitude * base + d;
  }
  long double v = negative ? -magnitude : magnitude;
  if (v < -2147483648.0L || v > 2147483647.0L) return std::nullopt;
  return static_cast<int32_t>(v);
}

// "[blanks][sign]digits[point digits][e[sign]digits][blanks]" with at least
// one digit before the exponent, rewritten for strtod; nothing otherwise.
std::optional<std::string> DecimalForm(const std::string& t, char separator) {
  size_t b = t.find_first_not_of(' ');
  if (b == std::string::npos) return std::nullopt;
  size_t e = t.find_last_not_of(' ');
  std::string s = t.substr(b, e - b + 1);
  std::string out;
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') out += s[i++];
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (s[i] >= '0' && s[i] <= '9') {
      out += s[i];
      digits = true;
    } else if ((s[i] == '.' || s[i] == separator) && !point) {
      out += '.';
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') out += s[i++];
    if (i == start) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  return out;
}

void CheckWhole(const std::string& text) {
  std::optional<int32_t> got = tos::ParseWholeNumber(text);
  if (OnlyOf(text, " +-$xX0123456789abcdefABCDEF")) {
    if (got != Whole(text)) Broken("ParseWholeNumber differs", text);
  } else if (got && text.find_first_of("0123456789abcdefABCDEF") == std::string::npos) {
    Broken("a whole number without digits", text);
  }
  try {
    int32_t v = tos::TextToWhole(text);
    if (!got || v != *got) Broken("TextToWhole differs from ParseWholeNumber", text);
  } catch (const tos::Error& e) {
    if (got) Broken("TextToWhole refused a whole number", text);
    std::string m = e.what();
    // what() stops at a NUL of the text; the rest is checked where there is none.
    if (text.find('\0') != std::string::npos) return;
    const std::string tail = "' no es un valor entero válido";
    if (m.size() < tail.size() + 1 || m[0] != '\'' || m.compare(m.size() - tail.size(), tail.size(), tail) != 0) {
      Broken("TextToWhole message", m);
    }
  }
}

void CheckDecimal(const std::string& text, char separator) {
  std::optional<double> got = tos::ParseDecimalNumber(text, separator);
  std::optional<std::string> form = DecimalForm(text, separator);
  if (got && !std::isfinite(*got)) Broken("ParseDecimalNumber gave no finite number", text);
  if (OnlyOf(text, " +-.,eE0123456789")) {
    if (got && !form) {
      // A lone point (".", "-.") may read as 0; nothing else without digits.
      if (text.find_first_of("0123456789") != std::string::npos) Broken("accepted a bad form", text);
    }
    if (form) {
      double expected = std::strtod(form->c_str(), nullptr);
      bool representable = std::isfinite(expected);
      if (representable && !got) Broken("refused a decimal number", text);
      if (got && representable && *got != expected && !(*got == 0 && expected == 0)) {
        Broken("ParseDecimalNumber value", text);
      }
    }
  }
  try {
    double v = tos::TextToFloat(text, separator);
    if (!got || (v != *got && !(std::isnan(v) && std::isnan(*got)))) {
      Broken("TextToFloat differs from ParseDecimalNumber", text);
    }
  } catch (const tos::Error&) {
    if (got) Broken("TextToFloat refused a number", text);
  }
}

void CheckValue(double v, char separator, int width, int decimals) {
  std::string shown = tos::FloatToText(v, separator);
  if (std::isfinite(v)) {
    std::optional<double> back = tos::ParseDecimalNumber(shown, separator);
    if (!back) Broken("FloatToText gave a form that does not read back", shown);
    if (std::fabs(*back - v) > 1e-14 * std::fabs(v) + 1e-320) Broken("FloatToText lost more than 15 digits", shown);
    if (shown.find(separator == '.' ? ',' : '.') != std::string::npos) {
      Broken("FloatToText used the other separator", shown);
    }
    std::optional<int32_t> r = tos::RoundHalfEven(v);
    double n = std::nearbyint(v);  // the default rounding mode is to nearest, ties even
    if (n >= -2147483648.0 && n <= 2147483647.0) {
      if (!r || *r != static_cast<int32_t>(n)) Broken("RoundHalfEven", shown);
    } else if (r) {
      Broken("RoundHalfEven out of range gave a value", shown);
    }
  }
  std::optional<std::string> stored = tos::FormatStoredNumber(v, width, decimals);
  if (stored) {
    if (static_cast<int>(stored->size()) != width) Broken("stored form has the wrong width", *stored);
    tos::StoredNumber back = tos::ParseStoredNumber(*stored);
    if (back.kind != tos::StoredNumber::kValue || back.value != v) {
      if (!(back.kind == tos::StoredNumber::kValue && back.value == 0 && v == 0)) {
        Broken("stored form does not read back", *stored);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  char separator = (data[0] & 1) ? ',' : '.';
  int width = 1 + data[1] % 40;
  int decimals = data[2] % 16;
  std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
  CheckWhole(text);
  CheckDecimal(text, separator);
  tos::ParseStoredNumber(text);
  if (std::optional<double> v = tos::ParseDecimalNumber(text, separator)) {
    CheckValue(*v, separator, width, decimals);
  }
  if (text.size() >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, text.data(), sizeof raw);
    CheckValue(raw, separator, width, decimals);
  }
  return 0;
}
