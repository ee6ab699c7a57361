// The hours of a subject for a level and course, as SICE writes them in the
// subject hours file, and the session string Orvalent derives from them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tos {

// A decimal number with "." as the decimal point, whatever the machine's
// regional settings: an optional sign, digits with at most one "." among
// them (a lone "." reads as 0), then an optional exponent ("E" or "e", an
// optional sign, digits). Nothing else, no blanks. Nothing when the text has
// another form or its value does not fit a double; a value too small for one
// reads as 0.
std::optional<double> LeerNumeroDecimal(std::string_view text);

// HORAS from the hours field as cut from the line: an empty field means 1,
// every "," is a decimal point, and a value below 1 becomes 1. Raises
// "'%s' no es un valor punto flotante válido" with the text after the comma
// replacement when it is no number. raised, when given, tells whether the
// value was below 1.
double HorasDeTexto(std::string_view cut, bool* raised = nullptr);

// The session string of h (Windows-1252): h rounded down gives n characters
// "1", of which at most 13 are written, the rest counted in decimal digits in
// front; a fraction adds "½" (0xBD). 3 -> "111", 2.5 -> "11½", 20 -> "7" and
// thirteen "1". The count is exact at any size (3E9 -> "2999999987" and
// thirteen "1"). Defined for finite h of at least 1; anything else gives "1".
std::string SesionesDeHoras(double h);

}  // namespace tos
