#include "import/seen_codes.h"

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

bool CodigosVistos::Add(std::string_view code) {
  std::string folded(code);
  for (char& c : folded) c = Cp1252Lower(c);
  return seen_.insert(std::move(folded)).second;
}

}  // namespace tos
