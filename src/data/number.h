// Numbers as text: the whole-number and decimal forms that field values are
// read from, the general form floating-point values are shown in, and the
// right-aligned ASCII form of dBase numeric columns. Locale-independent
// except where a decimal separator is passed in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tos {

// A whole number: leading blanks, an optional sign, then decimal digits, or
// hexadecimal digits after "$" or "0x"; nothing after the digits. Its value
// must lie in the 32-bit signed range (hexadecimal included: "$FFFFFFFF" is
// out of range, not -1). Nothing for any other text, the empty one included.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

// ParseWholeNumber, raising "'%s' no es un valor entero válido" with the text
// (Windows-1252, shown as UTF-8) when it holds no whole number.
int32_t TextToWhole(std::string_view text);

// A decimal number as a user types it: blanks around it allowed, an optional
// sign, digits with at most one decimal point ("." or separator), an optional
// exponent. Nothing for any other text, the empty one included.
std::optional<double> ParseDecimalNumber(std::string_view text, char separator);

// ParseDecimalNumber, raising "'%s' no es un valor punto flotante válido".
double TextToFloat(std::string_view text, char separator);

// The general form of a value: at most 15 significant digits, no trailing
// zeros, separator as decimal point; exponent form ("1E20", "1,5E-7") when
// the value needs more than 15 digits before the point or is below 0.00001.
// "NAN", "INF" and "-INF" for the values that are no numbers.
std::string FloatToText(double value, char separator = '.');

// Rounds to the nearest whole number, a half to the even neighbour; nothing
// when the result falls outside the 32-bit signed range.
std::optional<int32_t> RoundHalfEven(double value);

// What a dBase numeric column holds.
struct StoredNumber {
  enum Kind { kBlank, kValue, kInvalid } kind = kBlank;
  double value = 0;
};

// A sign and one to fifteen digits, nothing around them: their value, read
// as ParseStoredNumber reads them. Nothing for any other text.
std::optional<double> ParsePlainDigits(std::string_view text);

// Reads a numeric column tolerantly: blanks and NULs around the number are
// ignored, "," is taken as decimal point, an exponent is accepted; blank and
// "*"-filled columns (an overflow mark) are blank.
StoredNumber ParseStoredNumber(std::string_view stored);

// The text a numeric column of that width and decimals holds for value,
// right-aligned. The fixed form with the column's decimals when it reads back
// as exactly value; otherwise the shortest form that does (more decimals, or
// an exponent). Nothing when no form that reads back fits the width.
std::optional<std::string> FormatStoredNumber(double value, int width, int decimals);
// The same into out[0..width-1]; false, leaving out alone, when nothing fits.
bool FormatStoredNumber(double value, int width, int decimals, char* out);

}  // namespace tos
