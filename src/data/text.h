// Text helpers: letter case of the single-byte system text, and the
// conversions between Windows-1252 (file contents), UTF-8 (texts and paths
// inside the program) and UTF-16 (the Win32 boundary).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tos::text {

// A code of up to 4 bytes as a number, its first byte highest and zeros
// after a shorter one; bytes past the fourth are not looked at. A code as a
// field reads it back holds no NUL, so two such codes pack alike only when
// they are equal.
inline uint32_t PackedCode(std::string_view code) {
  auto byte = [&](size_t i, int shift) {
    return static_cast<uint32_t>(static_cast<unsigned char>(code[i])) << shift;
  };
  switch (code.size()) {
    case 0:
      return 0;
    case 1:
      return byte(0, 24);
    case 2:
      return byte(0, 24) | byte(1, 16);
    case 3:
      return byte(0, 24) | byte(1, 16) | byte(2, 8);
    default:
      return byte(0, 24) | byte(1, 16) | byte(2, 8) | byte(3, 0);
  }
}

// The place of the first byte of s that is a or b, or s.size(). Eight bytes
// at a time: every line of a SICE file is looked through for its end and
// its tabs, and the C library's memchr is a byte loop under Wine. In each
// word a byte equal to the one sought becomes zero; (x - 1) & ~x sets the
// high bit of a zero byte, and of a byte only above a zero one, so the
// lowest bit set is always a byte sought.
inline size_t FirstOf(std::string_view s, char a, char b) {
  static_assert(std::endian::native == std::endian::little);
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHigh = 0x8080808080808080u;
  const uint64_t wa = kOnes * static_cast<unsigned char>(a);
  const uint64_t wb = kOnes * static_cast<unsigned char>(b);
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    uint64_t x = word ^ wa;
    uint64_t y = word ^ wb;
    if (uint64_t hit = (((x - kOnes) & ~x) | ((y - kOnes) & ~y)) & kHigh)
      return i + static_cast<size_t>(std::countr_zero(hit)) / 8;
  }
  for (; i < s.size(); ++i)
    if (s[i] == a || s[i] == b) return i;
  return s.size();
}

// Letter case of ASCII letters only; every other byte is left as it is.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The Unicode code point of a Windows-1252 byte (the five unassigned bytes
// map to the C1 controls of the same number, as Windows does).
char32_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a code point, or '?' when it has none.
char Cp1252FromUnicode(char32_t cp);

std::string Cp1252ToUtf8(std::string_view cp1252);
// Characters outside Windows-1252 become "?"; malformed UTF-8 bytes too.
std::string Utf8ToCp1252(std::string_view utf8);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);
// Decodes one code point at s[i], moving i past it; U+FFFD for a bad byte.
char32_t NextUtf8(std::string_view s, size_t& i);

}  // namespace tos::text
