// The imports' own readings of SICE fields over arbitrary text: the hours
// (a "." decimal number whatever the machine's settings) and the session
// string made from them, the time slots' whole decimal numbers, and the
// letter-case folding of the seen codes, each against a plain restatement of
// its rule.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "data/error.h"
#include "data/sice_text.h"
#include "import/hours.h"
#include "import/seen_codes.h"
#include "import/slot_time.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& text) {
  std::fprintf(stderr, "broken rule: %s for \"%s\"\n", what, text.c_str());
  std::abort();
}

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The hours form, rewritten for strtod: "[sign][digits][.[digits]][e[sign]digits]"
// with a digit or the point in the mantissa.
std::optional<std::string> HoursForm(const std::string& t) {
  std::string out;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
  bool digits = false, point = false;
  for (; i < t.size(); ++i) {
    if (Digit(t[i])) {
      out += t[i];
      digits = true;
    } else if (t[i] == '.' && !point) {
      point = true;
      out += '.';
    } else {
      break;
    }
  }
  if (!digits && !point) return std::nullopt;
  if (!digits) out.insert(out.size() - 1, "0");
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
    size_t start = i;
    while (i < t.size() && Digit(t[i])) out += t[i++];
    if (i == start) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return out;
}

void CheckDecimal(const std::string& t) {
  std::optional<double> got = tos::LeerNumeroDecimal(t);
  std::optional<std::string> form = HoursForm(t);
  if (!form) {
    if (got) Broken("LeerNumeroDecimal accepted a bad form", t);
    return;
  }
  double expected = std::strtod(form->c_str(), nullptr);
  if (!std::isfinite(expected)) {
    if (got) Broken("LeerNumeroDecimal gave a value that does not fit a double", t);
    return;
  }
  if (!got) Broken("LeerNumeroDecimal refused a number", t);
  // Below the normal range either the subnormal value or 0 will do.
  bool tiny = expected != 0 && std::fabs(expected) < 2.2250738585072014e-308;
  if (*got != expected && !(tiny && *got == 0)) Broken("LeerNumeroDecimal value", t);
}

void CheckHours(std::string t) {
  std::string replaced = t;
  for (char& c : replaced) c = c == ',' ? '.' : c;
  double h = 0;
  try {
    h = tos::HorasDeTexto(t);
  } catch (const tos::Error& e) {
    if (replaced.empty() || tos::LeerNumeroDecimal(replaced)) Broken("HorasDeTexto refused", t);
    if (replaced.find('\0') == std::string::npos &&
        std::string(e.what()).rfind("' no es un valor punto flotante válido") == std::string::npos) {
      Broken("HorasDeTexto message", e.what());
    }
    return;
  }
  double expected = replaced.empty() ? 1 : std::max(1.0, *tos::LeerNumeroDecimal(replaced));
  if (h != expected) Broken("HorasDeTexto value", t);

  std::string s = tos::SesionesDeHoras(h);
  double whole = std::floor(h);
  std::string count;
  if (whole > 13) {
    // The exact decimal digits of the whole number, less 13.
    char buffer[400];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, whole, std::chars_format::fixed, 0);
    count.assign(buffer, r.ptr);
    int borrow = 13;
    for (size_t i = count.size(); borrow > 0 && i-- > 0;) {
      int v = (count[i] - '0') - borrow % 10;
      borrow /= 10;
      if (v < 0) {
        v += 10;
        ++borrow;
      }
      count[i] = static_cast<char>('0' + v);
    }
    count.erase(0, std::min(count.find_first_not_of('0'), count.size() - 1));
  }
  std::string ones(static_cast<size_t>(std::min(whole, 13.0)), '1');
  std::string expectedSessions = count + ones + (whole < h ? "\xBD" : "");
  if (s != expectedSessions) Broken("SesionesDeHoras", t + " -> " + s);
}

void CheckWhole(const std::string& t) {
  std::optional<int32_t> got = tos::LeerEnteroDecimal(t);
  size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  bool form = i < t.size();
  long double v = 0;
  for (size_t j = i; j < t.size(); ++j) {
    if (!Digit(t[j])) {
      form = false;
      break;
    }
    v = v * 10 + (t[j] - '0');
  }
  if (!t.empty() && t[0] == '-') v = -v;
  std::optional<int32_t> expected;
  if (form && v >= -2147483648.0L && v <= 2147483647.0L) expected = static_cast<int32_t>(v);
  if (got != expected) Broken("LeerEnteroDecimal", t);
}

unsigned char Fold(unsigned char b) {
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return b + 0x20;
  if (b == 0x8A || b == 0x8C || b == 0x8E) return b + 0x10;
  if (b == 0x9F) return 0xFF;
  return b;
}

void CheckSeenCodes(const std::string& t) {
  tos::CodigosVistos seen;
  std::set<std::string> reference;
  size_t at = 0;
  while (at <= t.size()) {
    size_t end = t.find('\n', at);
    if (end == std::string::npos) end = t.size();
    // Cut and trimmed as the imports cut a code from its line.
    std::string code(tos::CortarCampoVista(std::string_view(t).substr(at, end - at), 1, 4));
    std::string folded = code;
    for (char& c : folded) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    bool isNew = reference.insert(folded).second;
    if (seen.Add(code) != isNew) Broken("CodigosVistos", code);
    at = end + 1;
  }
  if (seen.Size() != reference.size()) Broken("CodigosVistos size", t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string t(reinterpret_cast<const char*>(data), size);
  CheckDecimal(t);
  CheckHours(t);
  CheckWhole(t);
  CheckSeenCodes(t);
  return 0;
}
