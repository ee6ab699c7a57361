#include "data/number.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kPowersOfTen[16] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses "[-]digits[.digits][e[+-]digits]" already checked for form.
std::optional<double> ParseChecked(const std::string& s) {
  double value = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (end != last) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Too small underflows to zero; too large has no value.
    bool tiny = false;
    size_t e = s.find_first_of("eE");
    if (e != std::string::npos && e + 1 < s.size() && s[e + 1] == '-') tiny = true;
    if (!tiny) return std::nullopt;
    return s[0] == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

// Checks the form "[sign]digits[point digits][e[sign]digits]" and rewrites it
// for from_chars: "." as point, no "+" in front, "0" in front of a lone point.
std::optional<std::string> Normalise(std::string_view t, char point, char otherPoint) {
  std::string out;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') out += '-';
    ++i;
  }
  bool digits = false;
  bool seenPoint = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (IsDigit(c)) {
      out += c;
      digits = true;
    } else if ((c == point || (otherPoint && c == otherPoint)) && !seenPoint) {
      if (!digits) out += '0';
      out += '.';
      seenPoint = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
    bool expDigits = false;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
      out += t[i];
      expDigits = true;
    }
    if (!expDigits) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  if (out.back() == '.') out += '0';
  return out;
}

std::string_view TrimBlanks(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\0')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
  return t;
}

// Shortest decimal form that reads back as value (printf's %g style).
std::string Shortest(double value) {
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

std::string Fixed(double value, int decimals) {
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return std::string();
  return std::string(buffer, r.ptr);
}

bool ReadsBackAs(const std::string& s, double value) {
  std::optional<double> back = ParseChecked(s);
  return back && *back == value;
}

}  // namespace

std::optional<int32_t> ParseWholeNumber(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    negative = t[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return std::nullopt;
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    int d = base == 16 ? HexValue(t[i]) : (IsDigit(t[i]) ? t[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int32_t TextToWhole(std::string_view t) {
  std::optional<int32_t> value = ParseWholeNumber(t);
  if (!value) throw Error(Format("'%s' no es un valor entero válido", text::Cp1252ToUtf8(t)));
  return *value;
}

std::optional<double> ParseDecimalNumber(std::string_view t, char separator) {
  t = TrimBlanks(t);
  std::optional<std::string> s = Normalise(t, '.', separator == '.' ? 0 : separator);
  if (!s) return std::nullopt;
  return ParseChecked(*s);
}

double TextToFloat(std::string_view t, char separator) {
  std::optional<double> value = ParseDecimalNumber(t, separator);
  if (!value)
    throw Error(Format("'%s' no es un valor punto flotante válido", text::Cp1252ToUtf8(t)));
  return *value;
}

std::string FloatToText(double value, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // 15 significant digits, rounded from the exact binary value.
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  std::string_view sci(buffer, static_cast<size_t>(r.ptr - buffer));
  bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  size_t ePos = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, ePos))
    if (IsDigit(c)) digits += c;
  int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
  if (exponent >= 308) {
    // Next to the largest double, rounding to 15 digits can step out of the
    // range of doubles ("1.79769313486232E308"); cut the digits instead, so
    // that the text still reads back.
    std::string check = digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent);
    if (!ParseChecked(check)) {
      r = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                        std::chars_format::scientific, 15);
      std::string_view longer(buffer, static_cast<size_t>(r.ptr - buffer));
      digits.clear();
      for (char c : longer.substr(0, longer.find('e')))
        if (IsDigit(c)) digits += c;
      digits.resize(15);
      exponent = std::atoi(std::string(longer.substr(longer.find('e') + 1)).c_str());
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += separator;
      out.append(digits, 1, std::string::npos);
    }
    out += 'E';
    if (exponent < 0) out += '-';
    out += std::to_string(exponent < 0 ? -exponent : exponent);
  } else if (exponent >= 0) {
    size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intDigits) {
      out += digits;
      out.append(intDigits - digits.size(), '0');
    } else {
      out.append(digits, 0, intDigits);
      out += separator;
      out.append(digits, intDigits, std::string::npos);
    }
  } else {
    out += '0';
    out += separator;
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += digits;
  }
  return out;
}

std::optional<int32_t> RoundHalfEven(double value) {
  // A whole value in range, as nearly every one is, needs no rounding.
  if (value >= -2147483648.0 && value <= 2147483647.0) {
    int32_t whole = static_cast<int32_t>(value);
    if (whole == value) return whole;
  }
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::floor(value);
  double diff = value - rounded;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(rounded, 2.0) != 0)) rounded += 1;
  if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

// Digits with an optional sign, the form nearly every stored number has:
// read at once. Up to 15 digits a double holds the value exactly, so it is the
// one the general reading finds; anything else is left to that reading.
std::optional<double> ParsePlainDigits(std::string_view t) {
  size_t i = 0;
  bool negative = false;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    i = 1;
  }
  if (i == t.size() || t.size() - i > 15) return std::nullopt;
  int64_t magnitude = 0;
  for (; i < t.size(); ++i) {
    if (!IsDigit(t[i])) return std::nullopt;
    magnitude = magnitude * 10 + (t[i] - '0');
  }
  double value = static_cast<double>(magnitude);
  return negative ? -value : value;
}

StoredNumber ParseStoredNumber(std::string_view stored) {
  std::string_view t = TrimBlanks(stored);
  if (t.empty()) return {};
  if (std::optional<double> plain = ParsePlainDigits(t)) return {StoredNumber::kValue, *plain};
  if (t.find_first_not_of('*') == std::string_view::npos) return {};
  std::optional<std::string> s = Normalise(t, '.', ',');
  if (!s) return {StoredNumber::kInvalid, 0};
  std::optional<double> value = ParseChecked(*s);
  if (!value) return {StoredNumber::kInvalid, 0};
  return {StoredNumber::kValue, *value};
}

bool FormatStoredNumber(double value, int width, int decimals, char* out) {
  if (!std::isfinite(value) || width <= 0 || decimals < 0) return false;
  if (value == 0) value = 0;  // no "-0"
  char digits[32];
  size_t size = 0;
  // The common case, at once: value * 10^decimals rounds to a whole number
  // that, divided back, gives value; its fixed form reads back as value.
  if (decimals <= 15) {
    double scale = kPowersOfTen[decimals];
    double scaled = value * scale;
    // scaled and 10^decimals are exact doubles, so their quotient is the
    // double nearest to the decimal text below: the value the text reads as.
    if (std::fabs(scaled) < 9007199254740992.0 && scaled == std::floor(scaled) &&
        scaled / scale == value) {
      int64_t whole = static_cast<int64_t>(scaled);
      bool negative = whole < 0;
      uint64_t magnitude = negative ? static_cast<uint64_t>(-whole) : static_cast<uint64_t>(whole);
      char reversed[24];
      size_t n = 0;
      do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
      } while (magnitude > 0);
      while (n <= static_cast<size_t>(decimals)) reversed[n++] = '0';  // a leading "0."
      if (negative) digits[size++] = '-';
      for (size_t i = n; i-- > 0;) {
        digits[size++] = reversed[i];
        if (i == static_cast<size_t>(decimals) && decimals > 0) digits[size++] = '.';
      }
      if (static_cast<int>(size) <= width) {
        std::memset(out, ' ', static_cast<size_t>(width) - size);
        std::memcpy(out + (width - static_cast<int>(size)), digits, size);
        return true;
      }
    }
  }
  std::string text;
  std::string fixed = Fixed(value, decimals);
  if (!fixed.empty() && static_cast<int>(fixed.size()) <= width && ReadsBackAs(fixed, value)) {
    text = fixed;
  } else {
    // The shortest form reads back by construction; prefer it without an
    // exponent when that fits, as every reader takes that form.
    std::string shortest = Shortest(value);
    if (shortest.find('e') != std::string::npos) {
      std::string plain = Fixed(value, 0);
      if (!plain.empty() && plain.size() <= shortest.size() + 4 &&
          static_cast<int>(plain.size()) <= width && ReadsBackAs(plain, value))
        shortest = plain;
    }
    if (static_cast<int>(shortest.size()) > width) return false;
    text = shortest;
  }
  std::memset(out, ' ', static_cast<size_t>(width) - text.size());
  std::memcpy(out + (static_cast<size_t>(width) - text.size()), text.data(), text.size());
  return true;
}

std::optional<std::string> FormatStoredNumber(double value, int width, int decimals) {
  if (width <= 0) return std::nullopt;
  std::string out(static_cast<size_t>(width), ' ');
  if (!FormatStoredNumber(value, width, decimals, out.data())) return std::nullopt;
  return out;
}

}  // namespace tos
