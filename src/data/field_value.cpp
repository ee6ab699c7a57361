#include "data/field_value.h"

#include <cstring>

#include "data/clock.h"
#include "data/dbf_binary.h"
#include "data/error.h"
#include "data/text.h"

namespace tos {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void NotANumber(const FieldSlot& f, std::string_view raw) {
  throw Error("El campo " + f.info.name + " de la tabla " + f.path + " contiene '" +
              text::Cp1252ToUtf8(f.page.Decode(raw)) + "', que no es un número");
}

StoredNumber ReadNumber(const FieldSlot& f, std::string_view raw) {
  StoredNumber n = ParseStoredNumber(raw);
  if (n.kind == StoredNumber::kInvalid) NotANumber(f, raw);
  return n;
}

// The bytes stored as they are, cut to the width, blanks after them.
// Fields are a few bytes wide: plain loops rather than calls to memcpy.
void Put(const FieldSlot& f, char* at, std::string_view bytes) {
  size_t width = static_cast<size_t>(f.info.width);
  size_t n = std::min(bytes.size(), width);
  for (size_t i = 0; i < n; ++i) at[i] = bytes[i];
  for (size_t i = n; i < width; ++i) at[i] = ' ';
}

void PutNumber(const FieldSlot& f, char* at, double value) {
  if (!FormatStoredNumber(value, f.info.width, f.info.decimals, at))
    throw Error("El valor " + FloatToText(value) + " no cabe en el campo " + f.info.name + " (" +
                std::to_string(f.info.width) + " caracteres) de la tabla " + f.path);
}

// A value being written ends at its first NUL.
std::string_view UpToNul(std::string_view text) {
  size_t n = 0;
  while (n < text.size() && text[n] != '\0') ++n;
  return text.substr(0, n);
}

// A binary column of a number, or one whose bytes are no characters, is not
// written as text: a timestamp or a memo's block number would be corrupted.
[[noreturn]] void NotWritable(const FieldSlot& f) {
  throw Error("El campo " + f.info.name + " de la tabla " + f.path + " es de tipo " +
              std::string(1, f.info.type) + " y no se puede escribir");
}

void PutBinary(const FieldSlot& f, char* at, std::optional<double> value) {
  if (!dbf::WriteBinaryNumber(f.info.coding, at, value))
    throw Error("El valor " + FloatToText(*value) + " no cabe en el campo " + f.info.name +
                " (tipo " + std::string(1, f.info.type) + ") de la tabla " + f.path);
}

void PutText(const FieldSlot& f, char* at, std::string_view text) {
  // Character columns, nearly every one, need no further look.
  if (f.info.coding != FieldCoding::kCharacters && !dbf::TakesCharacters(f.info)) NotWritable(f);
  if (f.page.IsIdentity())
    Put(f, at, text);
  else
    Put(f, at, f.page.Encode(text, static_cast<size_t>(f.info.width)));
}

}  // namespace

std::string_view ReadText(const FieldSlot& f, std::string_view raw, std::string& spill) {
  if (f.info.coding != FieldCoding::kCharacters) [[unlikely]] {
    spill = dbf::ShowColumn(f.info, raw);
    return spill;
  }
  std::string_view text = TextAsRead(raw, raw.size());
  if (f.page.IsIdentity()) return text;
  spill = f.page.Decode(text);
  return spill;
}

WholeRead ReadWhole(const FieldSlot& f, std::string_view raw, std::string& spill) {
  if (f.info.coding != FieldCoding::kCharacters) [[unlikely]] {
    StoredNumber n = dbf::ReadBinaryNumber(f.info.coding, raw.data());
    if (n.kind == StoredNumber::kBlank) return {n, ""};
    spill = std::to_string(static_cast<int64_t>(n.value));
    return {n, spill};
  }
  size_t b = 0;
  size_t e = raw.size();
  while (b < e && IsBlank(raw[b])) ++b;
  while (e > b && IsBlank(raw[e - 1])) --e;
  std::string_view number = raw.substr(b, e - b);
  // Up to fifteen digits, as nearly every column holds them, the value is
  // read here at once; the general reading takes the rest, and checks them.
  StoredNumber n;
  std::optional<double> plainValue = ParsePlainDigits(number);
  if (plainValue)
    n = {StoredNumber::kValue, *plainValue};
  else
    n = ReadNumber(f, raw);
  if (n.kind == StoredNumber::kBlank) return {n, ""};
  bool hasSign = number[0] == '-' || number[0] == '+';
  std::string_view digits = number.substr(hasSign ? 1 : 0);
  bool plain = plainValue.has_value();
  if (!plain) {
    plain = !digits.empty();
    for (char c : digits) plain = plain && IsDigit(c);
  }
  if (plain) {
    size_t z = 0;
    while (z < digits.size() && digits[z] == '0') ++z;
    if (z == digits.size()) return {n, "0"};
    if (number[0] != '-') return {n, digits.substr(z)};
    if (z == 0) return {n, number};
    spill.assign(1, '-');
    spill.append(digits.substr(z));
    return {n, spill};
  }
  spill = FloatToText(n.value, DecimalSeparator());
  return {n, spill};
}

StoredNumber ReadFloat(const FieldSlot& f, std::string_view raw) {
  if (f.info.coding != FieldCoding::kCharacters) [[unlikely]]
    return dbf::ReadBinaryNumber(f.info.coding, raw.data());
  return ReadNumber(f, raw);
}

void WriteText(const FieldSlot& f, char* at, std::string_view text) { PutText(f, at, UpToNul(text)); }

void WriteWhole(const FieldSlot& f, char* at, std::optional<int32_t> value) {
  if (f.info.coding != FieldCoding::kCharacters) [[unlikely]]
    return PutBinary(f, at, value ? std::optional<double>(*value) : std::nullopt);
  if (!value) return Put(f, at, "");
  PutNumber(f, at, *value);
}

void WriteFloat(const FieldSlot& f, char* at, std::optional<double> value) {
  if (f.info.coding != FieldCoding::kCharacters) [[unlikely]] return PutBinary(f, at, value);
  if (!value) return Put(f, at, "");
  PutNumber(f, at, *value);
}

void SetFromText(const FieldSlot& f, char* at, std::string_view value) {
  value = UpToNul(value);
  switch (f.info.kind) {
    case FieldKind::kText: return PutText(f, at, value);
    case FieldKind::kFloat:
      if (value.empty()) return WriteFloat(f, at, std::nullopt);
      return WriteFloat(f, at, TextToFloat(value, DecimalSeparator()));
    case FieldKind::kWhole:
      if (value.empty()) return WriteWhole(f, at, std::nullopt);
      return WriteWhole(f, at, TextToWhole(value));
  }
}

void SetFromFloat(const FieldSlot& f, char* at, double value) {
  switch (f.info.kind) {
    case FieldKind::kText: return WriteText(f, at, FloatToText(value, DecimalSeparator()));
    case FieldKind::kFloat: return WriteFloat(f, at, value);
    case FieldKind::kWhole: {
      std::optional<int32_t> whole = RoundHalfEven(value);
      if (!whole) throw Error(Format("'%s' no es un valor entero válido", FloatToText(value)));
      return WriteWhole(f, at, *whole);
    }
  }
}

void SetFromWhole(const FieldSlot& f, char* at, int32_t value) {
  switch (f.info.kind) {
    case FieldKind::kText: return WriteText(f, at, std::to_string(value));
    case FieldKind::kFloat: return WriteFloat(f, at, value);
    case FieldKind::kWhole: return WriteWhole(f, at, value);
  }
}

void SetBlank(const FieldSlot& f, char* at) {
  if (!dbf::TakesCharacters(f.info))
    std::memset(at, 0, static_cast<size_t>(f.info.width));
  else
    Put(f, at, "");
}

}  // namespace tos
