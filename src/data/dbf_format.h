// The dBase file layouts: reading and checking a table's header (dBase III+,
// IV and 5, FoxPro, Visual FoxPro, dBase 7), and building the header of a
// table we create, always dBase III+.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/table.h"

namespace tos::dbf {

constexpr size_t kPrefixSize = 32;      // the fixed part of the header
constexpr size_t kDescriptorSize = 32;  // one per field
constexpr char kTerminator = 0x0D;      // after the last descriptor
constexpr char kEndOfFile = 0x1A;       // after the last record
constexpr char kDeleted = '*';         // a deleted record's first byte
// dBase 7 (level 7, version bits 0-2 = 4): a 68-byte fixed part holding the
// language driver's name at 32-63, and 48-byte descriptors.
constexpr size_t kLevel7PrefixSize = 68;
constexpr size_t kLevel7DescriptorSize = 48;
constexpr uint8_t kVersion = 0x03;           // dBase III+/IV, no memo
constexpr uint8_t kLanguageAnsi1252 = 0x03;  // Windows ANSI 1252

// Column shapes of the tables we create.
constexpr int kFloatWidth = 20;
constexpr int kFloatDecimals = 4;
constexpr int kWholeWidth = 11;  // "-2147483648"
constexpr int kMaxTextWidth = 254;
constexpr size_t kMaxNameLength = 10;

struct Header {
  uint8_t version = kVersion;
  uint8_t languageId = 0;
  std::string languageName;  // dBase 7 only: the language driver's name
  uint32_t recordCount = 0;
  uint32_t headerLength = 0;
  uint32_t recordLength = 0;
  std::vector<FieldInfo> fields;
  std::vector<uint32_t> offsets;  // of each field in the record, after the flag byte
};

inline uint16_t ReadU16(const char* p) {
  return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) |
                               static_cast<unsigned char>(p[1]) << 8);
}
inline uint32_t ReadU32(const char* p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(p[0])) |
         static_cast<uint32_t>(static_cast<unsigned char>(p[1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(p[2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(p[3])) << 24;
}
inline void WriteU16(char* p, uint32_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void WriteU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline bool IsLevel7(uint8_t version) { return (version & 0x07) == 0x04; }
inline bool IsVisualFoxPro(uint8_t version) { return version >= 0x30 && version <= 0x32; }

// The name of the format a version byte stands for: "dBase III", "dBase IV",
// "FoxPro", "Visual FoxPro", "dBase 7", or "dBase (versión 0xNN)".
std::string FormatName(uint8_t version);

// The field kind of a column as its file declares it: N without decimals
// and the binary integers (I, +) are whole numbers, N with decimals, F and
// the binary B (Visual FoxPro), O and Y floating point, everything else is
// read and written as text.
FieldKind KindOf(char type, int decimals, FieldCoding coding = FieldCoding::kCharacters);

// The header length the fixed part of a header declares (bytes 8-9), after
// checking the version and the length. prefix holds kPrefixSize bytes. Raises the
// damaged-table error naming path.
uint32_t DeclaredHeaderLength(const char* prefix, uint64_t fileSize, const std::string& path);

// Reads and checks the whole header (headerLength bytes) against the file's
// size: descriptors inside the header, widths adding up to the record
// length, binary columns of their one width, records within the file. Raises the damaged-table error naming path.
Header ParseHeader(const std::string& bytes, uint64_t fileSize, const std::string& path);

// The header bytes (terminator included) of a new, empty table.
std::string BuildHeader(const std::vector<FieldInfo>& fields, const LocalTime& date);

// Bytes 1-7 of the header: the date of the last update and the record count.
void StampHeader(char* seven, const LocalTime& date, uint32_t count);

}  // namespace tos::dbf
