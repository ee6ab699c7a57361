// The character sets of dBase tables: which one a table uses (its language
// driver id, or a .cpg file beside it) and the conversions between it and the
// program's Windows-1252 text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tos::cp {

constexpr int kWindows1252 = 1252;
constexpr int kUtf8 = 65001;

// One character set, converting to and from Windows-1252. Characters with no
// Windows-1252 form become "?", and so do Windows-1252 characters that the
// table's set cannot hold.
class CodePage {
 public:
  // The code page of that number (850, 1252, 65001, 28591, 10000 ...), or
  // nullptr when we do not know it.
  static const CodePage* ForNumber(int number);
  static const CodePage& Windows1252() { return *ForNumber(kWindows1252); }

  int Number() const { return number_; }
  bool IsIdentity() const { return number_ == kWindows1252; }

  // Stored bytes to Windows-1252, appended to out.
  void Decode(std::string_view stored, std::string& out) const;
  std::string Decode(std::string_view stored) const;
  // Windows-1252 to stored bytes: at most maxBytes of them, never the first
  // half of a character.
  std::string Encode(std::string_view cp1252, size_t maxBytes) const;

  // Builds a single-byte page from the code points of its bytes 0x80-0xFF
  // (the lower half is ASCII); utf8 marks the one multi-byte page we read.
  CodePage(int number, const char16_t* high, bool utf8);

 private:
  int number_;
  bool utf8_;
  char toAnsi_[256];
  char fromAnsi_[256];
};

// The code page a dBase language driver id stands for. Id 0 ("none") means
// the OEM page, 850; an id we do not know is taken as Windows-1252.
int CodePageOfLanguageId(uint8_t id);

// The code page a dBase 7 language driver's name stands for: the Windows
// ANSI drivers (DBWINUS0, DBWINWE0 ...) Windows-1252, the DOS ones their OEM
// page (DB437US0 437, DB850ES0 850 ...). Nothing for any other name.
std::optional<int> CodePageOfLanguageName(std::string_view name);

// The code page a .cpg file names ("CP1252", "1252", "ANSI 1252", "UTF-8",
// "850", "ISO-8859-1", ...), or nothing when the text names none we know.
std::optional<int> CodePageOfCpg(std::string_view text);

}  // namespace tos::cp
