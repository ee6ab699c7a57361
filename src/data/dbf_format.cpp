#include "data/dbf_format.h"

#include <cstring>

#include "data/error.h"

namespace tos::dbf {

namespace {

[[noreturn]] void Damaged(const std::string& path, const std::string& reason) {
  throw Error("La tabla " + path + " está dañada: " + reason);
}

std::string Hex2(unsigned v) {
  const char* digits = "0123456789ABCDEF";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

}  // namespace

std::string FormatName(uint8_t version) {
  if (IsVisualFoxPro(version)) return "Visual FoxPro";
  if (IsLevel7(version)) return "dBase 7";
  switch (version) {
    case 0x03: case 0x83: return "dBase III";
    case 0x04: case 0x43: case 0x63: case 0x7B: case 0x8B: case 0xCB: return "dBase IV";
    case 0xF5: case 0xFB: return "FoxPro";
    default: return "dBase (versión " + Hex2(version) + ")";
  }
}

FieldKind KindOf(char type, int decimals, FieldCoding coding) {
  switch (coding) {
    case FieldCoding::kLong:
    case FieldCoding::kLongHighFirst:
      return FieldKind::kWhole;
    case FieldCoding::kDouble:
    case FieldCoding::kDoubleHighFirst:
    case FieldCoding::kCurrency:
      return FieldKind::kFloat;
    case FieldCoding::kCharacters:
      break;
    default:
      return FieldKind::kText;
  }
  if (type == 'F' || (type == 'N' && decimals > 0)) return FieldKind::kFloat;
  if (type == 'N') return FieldKind::kWhole;
  return FieldKind::kText;
}

namespace {

// How a column's bytes hold its value, from its type letter and the
// table's version; 0 is the width a binary number column must have, or 0
// when any width will do.
struct Coding {
  FieldCoding coding;
  int width;
};
Coding CodingOf(char type, int width, uint8_t version) {
  bool level7 = IsLevel7(version);
  switch (type) {
    case 'I': case '+':
      return {level7 ? FieldCoding::kLongHighFirst : FieldCoding::kLong, 4};
    case 'O': return {FieldCoding::kDoubleHighFirst, 8};
    case 'Y': return {FieldCoding::kCurrency, 8};
    case 'B':
      // A double in Visual FoxPro, a binary memo's block number elsewhere.
      if (IsVisualFoxPro(version)) return {FieldCoding::kDouble, 8};
      return {FieldCoding::kMemo, 0};
    case 'M': case 'G': case 'P': return {FieldCoding::kMemo, 0};
    case 'L': return {FieldCoding::kLogical, 0};
    case 'T': case '@':
      return {width == 8 ? FieldCoding::kTimestamp : FieldCoding::kCharacters, 0};
    case '0': return {FieldCoding::kBytes, 0};
    default: return {FieldCoding::kCharacters, 0};
  }
}

}  // namespace

uint32_t DeclaredHeaderLength(const char* prefix, uint64_t fileSize, const std::string& path) {
  if (fileSize < kPrefixSize) Damaged(path, "es demasiado corta para ser una tabla dBase");
  unsigned version = static_cast<unsigned char>(prefix[0]);
  // dBase II lays its header out in another way altogether.
  if (version == 0x02 || version == 0x00)
    Damaged(path, "no es una tabla dBase III, IV, 5, 7 ni FoxPro (versión " + Hex2(version) + ")");
  size_t fixed = IsLevel7(static_cast<uint8_t>(version)) ? kLevel7PrefixSize : kPrefixSize;
  uint32_t headerLength = ReadU16(prefix + 8);
  if (headerLength < fixed + 1)
    Damaged(path, "la longitud de la cabecera (" + std::to_string(headerLength) +
                      ") no es válida");
  if (headerLength > fileSize)
    Damaged(path, "la cabecera (" + std::to_string(headerLength) +
                      " bytes) es más larga que el archivo (" + std::to_string(fileSize) +
                      " bytes)");
  return headerLength;
}

Header ParseHeader(const std::string& bytes, uint64_t fileSize, const std::string& path) {
  Header h;
  h.headerLength = DeclaredHeaderLength(bytes.data(), fileSize, path);
  if (bytes.size() < h.headerLength) Damaged(path, "la cabecera está incompleta");
  h.version = static_cast<uint8_t>(bytes[0]);
  h.recordCount = ReadU32(bytes.data() + 4);
  h.recordLength = ReadU16(bytes.data() + 10);
  h.languageId = static_cast<uint8_t>(bytes[29]);
  if (h.recordLength == 0) Damaged(path, "la longitud de registro es 0");

  // dBase 7: the driver's name in 32-63, then 48-byte descriptors holding a
  // name of up to 31 letters in 0-31, the type in 32, the width in 33 and
  // the decimals in 34. Elsewhere 32-byte descriptors: a name of up to 10
  // letters in 0-10, the type in 11, the width in 16 and the decimals in 17.
  const bool level7 = IsLevel7(h.version);
  const size_t prefixSize = level7 ? kLevel7PrefixSize : kPrefixSize;
  const size_t descriptorSize = level7 ? kLevel7DescriptorSize : kDescriptorSize;
  const size_t nameRoom = level7 ? 32 : 11;
  const size_t typeAt = level7 ? 32 : 11;
  const size_t widthAt = level7 ? 33 : 16;
  if (level7) {
    std::string_view name(bytes.data() + 32, 32);
    h.languageName = name.substr(0, name.find('\0'));
  }

  // Descriptors run until the terminator, which must lie inside the header
  // (a header length one short would shift every field by a byte); what
  // follows it up to the header length (dBase 7's field properties, Visual
  // FoxPro's database link, other writers' padding) is not ours to read.
  std::vector<unsigned> rawWidths, rawDecimals;
  size_t at = prefixSize;
  while (at < h.headerLength && bytes[at] != kTerminator) {
    if (at + descriptorSize >= h.headerLength)
      Damaged(path, "la cabecera no termina donde dice su longitud (" +
                        std::to_string(h.headerLength) + " bytes)");
    const char* d = bytes.data() + at;
    // A name ends at a NUL (dBase 7: within its 32 bytes). A dBase III name
    // has at most 10 letters: the 11th byte ends it (NUL, or a blank from
    // writers that pad with blanks); what follows a NUL is ignored.
    bool ended = std::memchr(d, '\0', level7 ? nameRoom : 10) != nullptr ||
                 (!level7 && (d[10] == '\0' || d[10] == ' '));
    if (!ended)
      Damaged(path, "el nombre del campo " + std::to_string(h.fields.size() + 1) +
                        " no termina dentro de su descripción");
    std::string name;
    for (size_t i = 0; i < nameRoom && d[i] != '\0'; ++i) name += d[i];
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty())
      Damaged(path, "el campo " + std::to_string(h.fields.size() + 1) + " no tiene nombre");
    FieldInfo f;
    f.name = name;
    f.type = d[typeAt];
    rawWidths.push_back(static_cast<unsigned char>(d[widthAt]));
    rawDecimals.push_back(static_cast<unsigned char>(d[widthAt + 1]));
    h.fields.push_back(f);
    at += descriptorSize;
  }

  // Clipper and FoxPro keep the high byte of a wide text field's width in
  // its decimals byte; the record length tells which reading is meant.
  auto sum = [&](bool wideText) {
    uint64_t total = 1;
    for (size_t i = 0; i < h.fields.size(); ++i) {
      unsigned w = rawWidths[i];
      if (wideText && h.fields[i].type == 'C') w += rawDecimals[i] << 8;
      total += w;
    }
    return total;
  };
  bool wideText = false;
  if (sum(false) != h.recordLength && sum(true) == h.recordLength) wideText = true;
  if (sum(wideText) != h.recordLength)
    Damaged(path, "la longitud de registro (" + std::to_string(h.recordLength) +
                      ") no es la suma de las longitudes de los campos (" +
                      std::to_string(sum(false)) + ")");
  uint32_t offset = 1;
  for (size_t i = 0; i < h.fields.size(); ++i) {
    FieldInfo& f = h.fields[i];
    bool wide = wideText && f.type == 'C';
    f.width = static_cast<int>(rawWidths[i] + (wide ? rawDecimals[i] << 8 : 0));
    f.decimals = wide ? 0 : static_cast<int>(rawDecimals[i]);
    if (f.width == 0) Damaged(path, "el campo " + f.name + " tiene longitud 0");
    Coding c = CodingOf(f.type, f.width, h.version);
    if (c.width != 0 && f.width != c.width)
      Damaged(path, "el campo " + f.name + " es de tipo " + std::string(1, f.type) +
                        " y tiene longitud " + std::to_string(f.width) + " (debe ser " +
                        std::to_string(c.width) + ")");
    f.coding = c.coding;
    f.kind = KindOf(f.type, f.decimals, f.coding);
    h.offsets.push_back(offset);
    offset += static_cast<uint32_t>(f.width);
  }

  uint64_t room = (fileSize - h.headerLength) / h.recordLength;
  if (h.recordCount > room)
    Damaged(path, "la cabecera declara " + std::to_string(h.recordCount) +
                      " registros, pero el archivo solo contiene " + std::to_string(room));
  return h;
}

void StampHeader(char* seven, const LocalTime& date, uint32_t count) {
  int year = date.year - 1900;
  seven[0] = static_cast<char>(year < 0 ? 0 : (year > 255 ? 255 : year));
  seven[1] = static_cast<char>(date.month);
  seven[2] = static_cast<char>(date.day);
  WriteU32(seven + 3, count);
}

std::string BuildHeader(const std::vector<FieldInfo>& fields, const LocalTime& date) {
  uint32_t headerLength = static_cast<uint32_t>(kPrefixSize + kDescriptorSize * fields.size() + 1);
  uint32_t recordLength = 1;
  for (const FieldInfo& f : fields) recordLength += static_cast<uint32_t>(f.width);
  std::string h(headerLength, '\0');
  h[0] = static_cast<char>(kVersion);
  StampHeader(&h[1], date, 0);
  WriteU16(&h[8], headerLength);
  WriteU16(&h[10], recordLength);
  h[29] = static_cast<char>(kLanguageAnsi1252);
  uint32_t offset = 1;
  for (size_t i = 0; i < fields.size(); ++i) {
    char* d = &h[kPrefixSize + kDescriptorSize * i];
    const FieldInfo& f = fields[i];
    for (size_t c = 0; c < f.name.size() && c < kMaxNameLength; ++c) d[c] = f.name[c];
    d[11] = f.type;
    WriteU32(d + 12, offset);
    d[16] = static_cast<char>(f.width);
    d[17] = static_cast<char>(f.decimals);
    offset += static_cast<uint32_t>(f.width);
  }
  h[headerLength - 1] = kTerminator;
  return h;
}

}  // namespace tos::dbf
