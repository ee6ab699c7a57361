// The field conversions: how each shape of field (text, whole number,
// floating number) is read from a record's bytes and written into them.
// One reading and one writing rule per shape; Field and anything else that
// reads or writes a field's bytes go through them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/codepage.h"
#include "data/number.h"
#include "data/table.h"

namespace tos {

// A field of an open table as its conversions see it: what the file
// declares, the table's code page, and the table's path, which messages name.
struct FieldSlot {
  const FieldInfo& info;
  const cp::CodePage& page;
  const std::string& path;
};

// A text as a text field of that width reads it back once written (code
// page aside): it ends at its first NUL, is cut to the width and loses the
// blanks on its right. Inline: the imports pack every code of every line
// with it. Fields are a few bytes wide: plain loops rather than memchr.
inline std::string_view TextAsRead(std::string_view text, size_t width) {
  size_t end = text.size() < width ? text.size() : width;
  size_t n = 0;
  while (n < end && text[n] != '\0') ++n;
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

// --- Reading: raw is the field's bytes in the record ---------------------------

// A text field's text in Windows-1252: a view into raw, or into spill when
// the code page converts it.
std::string_view ReadText(const FieldSlot& f, std::string_view raw, std::string& spill);

// A whole-number field: its number, and its text as the field shows it:
// "" when blank, the digits as stored (a minus kept, leading zeros dropped,
// every digit even beyond a double's precision), or else the general form
// of the value. text views raw, spill or a constant.
struct WholeRead {
  StoredNumber number;
  std::string_view text;
};
WholeRead ReadWhole(const FieldSlot& f, std::string_view raw, std::string& spill);

// A floating-number field: blank or its value.
StoredNumber ReadFloat(const FieldSlot& f, std::string_view raw);

// Both numeric readings raise "El campo X de la tabla P contiene '...', que
// no es un número" for bytes that hold no number.

// --- Writing: at is the field's bytes in the record (info.width of them) -------

// Text up to its first NUL, in the table's code page, cut to the width and
// followed by blanks.
void WriteText(const FieldSlot& f, char* at, std::string_view text);
// A number right-aligned in the column, or blanks for none. Raise "El valor
// V no cabe en el campo X (N caracteres) de la tabla P" when it cannot fit.
void WriteWhole(const FieldSlot& f, char* at, std::optional<int32_t> value);
void WriteFloat(const FieldSlot& f, char* at, std::optional<double> value);

// --- Writing a value into a field of any shape ----------------------------------

// Text: up to its first NUL; a number field takes its value ("" blanks it)
// and raises the number parser's error for text that is none.
void SetFromText(const FieldSlot& f, char* at, std::string_view value);
// A text field takes the general form; a whole-number field the value
// rounded half to even (raising "'%s' no es un valor entero válido" out of range).
void SetFromFloat(const FieldSlot& f, char* at, double value);
// A text field takes the decimal digits.
void SetFromWhole(const FieldSlot& f, char* at, int32_t value);
// Blanks, as if never written.
void SetBlank(const FieldSlot& f, char* at);

}  // namespace tos
