#include "import/seen_codes.h"

#include <algorithm>

namespace tos {

char Cp1252Lower(char c) {
  auto b = static_cast<unsigned char>(c);
  if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
    return static_cast<char>(b + 0x20);
  }
  switch (b) {
    case 0x8A:
      return '\x9A';  // Š
    case 0x8C:
      return '\x9C';  // Œ
    case 0x8E:
      return '\x9E';  // Ž
    case 0x9F:
      return '\xFF';  // Ÿ
    default:
      return c;
  }
}

namespace {
std::string Folded(std::string_view code) {
  std::string folded(code);
  for (char& c : folded) c = Cp1252Lower(c);
  return folded;
}
}  // namespace

bool CodigosVistos::Add(std::string_view code, uint64_t line, std::string_view first,
                        std::string_view second) {
  auto [at, added] = seen_.try_emplace(Folded(code));
  if (added) {
    // A code is cut to 4 bytes: its length fits the byte before it.
    code = code.substr(0, 255);
    at->second.line = line;
    at->second.fields = std::string(1, static_cast<char>(code.size())) + std::string(code) +
                        OtherFields(first, second);
  }
  return added;
}

const CodigosVistos::Primera& CodigosVistos::First(std::string_view code) const {
  return seen_.at(Folded(code));
}

std::string OtherFields(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + 1 + second.size());
  text.append(first).append(1, '\0').append(second);
  return text;
}

namespace {
// One of the two fields OtherFields joined.
std::string_view FieldOf(std::string_view joined, int which) {
  size_t nul = joined.find('\0');
  if (nul == std::string_view::npos) return which == 0 ? joined : std::string_view();
  return which == 0 ? joined.substr(0, nul) : joined.substr(nul + 1);
}
}  // namespace

Notice RepeatedCodeNotice(const char* file, uint64_t line, std::string_view code,
                          const CodigosVistos::Primera& first, std::string_view rest, int name) {
  std::string values = "código " + std::string(code) + " (" + std::string(FieldOf(rest, name)) +
                       "); la línea " + std::to_string(first.line) + " tiene " +
                       std::string(first.Code()) + " (" + std::string(FieldOf(first.Rest(), name)) +
                       ")";
  if (first.Code() != code)
    values += ": se toman por el mismo código, sin mirar mayúsculas y minúsculas";
  values += rest == first.Rest() ? "; los demás datos son iguales" : "; los demás datos difieren";
  return {std::string(file) + ", línea " + std::to_string(line), std::move(values), ""};
}

}  // namespace tos
