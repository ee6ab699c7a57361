// Text helpers: letter case of the single-byte system text, and the
// conversions between Windows-1252 (file contents), UTF-8 (texts and paths
// inside the program) and UTF-16 (the Win32 boundary).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tos::text {

// A code of up to 4 bytes as a number, its first byte highest and zeros
// after a shorter one; bytes past the fourth are not looked at. A code as a
// field reads it back holds no NUL, so two such codes pack alike only when
// they are equal.
inline uint32_t PackedCode(std::string_view code) {
  uint32_t packed = 0;
  for (size_t i = 0; i < 4; ++i)
    packed = packed << 8 | (i < code.size() ? static_cast<unsigned char>(code[i]) : 0u);
  return packed;
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
