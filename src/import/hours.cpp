#include "import/hours.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Decimal digits of a whole number held in a double, exactly, minus 13. The
// value is at least 14, so the result never goes below 1.
std::string WholeMinus13(double whole) {
  if (whole < 9223372036854775808.0) {
    return std::to_string(static_cast<uint64_t>(whole) - 13);
  }
  // whole = mantissa * 2^exponent with a 53-bit mantissa; build the digits
  // least significant first by doubling.
  int exponent = 0;
  double fraction = std::frexp(whole, &exponent);
  auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  std::vector<uint8_t> digits;
  for (uint64_t m = mantissa; m > 0; m /= 10) digits.push_back(static_cast<uint8_t>(m % 10));
  for (int i = 0; i < exponent; ++i) {
    int carry = 0;
    for (uint8_t& d : digits) {
      int v = d * 2 + carry;
      d = static_cast<uint8_t>(v % 10);
      carry = v / 10;
    }
    if (carry) digits.push_back(static_cast<uint8_t>(carry));
  }
  int borrow = 13;
  for (size_t i = 0; borrow > 0 && i < digits.size(); ++i) {
    int v = digits[i] - borrow % 10;
    borrow /= 10;
    if (v < 0) {
      v += 10;
      ++borrow;
    }
    digits[i] = static_cast<uint8_t>(v);
  }
  while (digits.size() > 1 && digits.back() == 0) digits.pop_back();
  std::string out;
  out.reserve(digits.size());
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) out += static_cast<char>('0' + *it);
  return out;
}

}  // namespace

std::optional<double> LeerNumeroDecimal(std::string_view t) {
  const size_t n = t.size();
  size_t i = 0;
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  const size_t intBegin = i;
  while (i < n && IsDigit(t[i])) ++i;
  const size_t intEnd = i;
  bool point = false;
  size_t fracBegin = i;
  size_t fracEnd = i;
  if (i < n && t[i] == '.') {
    point = true;
    fracBegin = ++i;
    while (i < n && IsDigit(t[i])) ++i;
    fracEnd = i;
  }
  if (intBegin == intEnd && !point) return std::nullopt;
  int64_t exponent = 0;
  if (i < n && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    bool expNegative = false;
    if (i < n && (t[i] == '+' || t[i] == '-')) expNegative = t[i++] == '-';
    if (i == n || !IsDigit(t[i])) return std::nullopt;
    for (; i < n && IsDigit(t[i]); ++i) {
      // Far beyond any double's range already; stop growing.
      if (exponent < 1000000000) exponent = exponent * 10 + (t[i] - '0');
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != n) return std::nullopt;

  std::string_view intDigits = t.substr(intBegin, intEnd - intBegin);
  std::string_view fracDigits = t.substr(fracBegin, fracEnd - fracBegin);
  size_t intLead = std::min(intDigits.find_first_not_of('0'), intDigits.size());
  size_t fracLead = std::min(fracDigits.find_first_not_of('0'), fracDigits.size());
  if (intLead == intDigits.size() && fracLead == fracDigits.size()) return 0.0;

  // The decimal magnitude of the first significant digit tells an overflow
  // from an underflow when the conversion reports the value out of range.
  int64_t magnitude = intLead < intDigits.size()
                          ? static_cast<int64_t>(intDigits.size() - intLead) + exponent
                          : exponent - static_cast<int64_t>(fracLead);

  std::string canonical;
  canonical.reserve(intDigits.size() + fracDigits.size() + 16);
  if (intDigits.empty()) {
    canonical += '0';
  } else {
    canonical += intDigits;
  }
  if (!fracDigits.empty()) {
    canonical += '.';
    canonical += fracDigits;
  }
  if (exponent != 0) {
    canonical += 'e';
    canonical += std::to_string(exponent);
  }
  double value = 0;
  auto [end, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                   std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return std::nullopt;
    return 0.0;
  }
  if (ec != std::errc() || end != canonical.data() + canonical.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

double HorasDeTexto(std::string_view cut, bool* raised) {
  std::string textoHoras = cut.empty() ? std::string("1") : std::string(cut);
  std::replace(textoHoras.begin(), textoHoras.end(), ',', '.');
  std::optional<double> horas = LeerNumeroDecimal(textoHoras);
  if (!horas) {
    throw Error(
        Format("'%s' no es un valor punto flotante válido", text::Cp1252ToUtf8(textoHoras)));
  }
  if (raised) *raised = *horas < 1;
  return *horas < 1 ? 1.0 : *horas;
}

std::string SesionesDeHoras(double h) {
  if (!std::isfinite(h) || h < 1) return "1";
  double whole = std::floor(h);
  std::string sesiones;
  int ones = 13;
  if (whole > 13) {
    sesiones = WholeMinus13(whole);
  } else {
    ones = static_cast<int>(whole);
  }
  sesiones.append(static_cast<size_t>(ones), '1');
  if (whole < h) sesiones += '\xBD';
  return sesiones;
}

}  // namespace tos
