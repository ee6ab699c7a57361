// Tables laid out byte by byte as other engines write them, for the tests
// that read foreign tables: dBase III+ and its kin (32-byte header and
// descriptors), and dBase 7 (version bits 0-2 = 4: a 68-byte fixed part with
// the language driver's name at 32-63, 48-byte descriptors with the name in
// 0-31, type 32, width 33, decimals 34, then the terminator, the field
// properties and the records from the header length on). Also the bytes of
// the binary numbers: FoxPro's least significant byte first; dBase 7's most
// significant first, an integer with its sign bit inverted and a double
// with its sign bit set when positive and every bit inverted when negative.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/dbf_format.h"

namespace tos::test {

struct Col {
  std::string name;
  char type;
  int width;
  int decimals = 0;
};

struct DbfSpec {
  uint8_t version = 0x03;
  uint8_t languageId = 0x03;
  std::string languageName;  // dBase 7 only
  std::vector<Col> cols;
  std::vector<std::string> records;  // flag byte included
  int64_t count = -1;                // -1: the number of records
  size_t padding = 0;                // bytes after the terminator (dBase 7: field properties)
  bool endMark = true;
  std::string trailer;  // after the end mark
};

inline std::string Build(const DbfSpec& s) {
  bool level7 = dbf::IsLevel7(s.version);
  size_t prefix = level7 ? 68 : 32;
  size_t descriptor = level7 ? 48 : 32;
  uint32_t recordLength = 1;
  for (const Col& c : s.cols) recordLength += static_cast<uint32_t>(c.width);
  uint32_t headerLength =
      static_cast<uint32_t>(prefix + descriptor * s.cols.size() + 1 + s.padding);
  std::string h(headerLength, '\0');
  h[0] = static_cast<char>(s.version);
  h[1] = 95;
  h[2] = 7;
  h[3] = 1;
  dbf::WriteU32(&h[4], static_cast<uint32_t>(s.count < 0 ? s.records.size() : s.count));
  dbf::WriteU16(&h[8], headerLength);
  dbf::WriteU16(&h[10], recordLength);
  h[29] = static_cast<char>(s.languageId);
  if (level7)
    std::memcpy(&h[32], s.languageName.data(), std::min<size_t>(32, s.languageName.size()));
  size_t nameRoom = level7 ? 32 : 11;
  size_t typeAt = level7 ? 32 : 11;
  size_t widthAt = level7 ? 33 : 16;
  for (size_t i = 0; i < s.cols.size(); ++i) {
    char* d = &h[prefix + descriptor * i];
    std::memcpy(d, s.cols[i].name.data(), std::min(nameRoom, s.cols[i].name.size()));
    d[typeAt] = s.cols[i].type;
    d[widthAt] = static_cast<char>(s.cols[i].width & 0xFF);  // wide text: decimals hold the rest
    d[widthAt + 1] = static_cast<char>(s.cols[i].decimals);
  }
  h[prefix + descriptor * s.cols.size()] = 0x0D;
  // Whatever follows the terminator is not the reader's business: fill it.
  for (size_t i = 0; i < s.padding; ++i) h[headerLength - s.padding + i] = static_cast<char>(i * 7);
  std::string out = h;
  for (const std::string& r : s.records) out += r;
  if (s.endMark) out += '\x1a';
  return out + s.trailer;
}

inline std::string BytesHighFirst(uint64_t v, int n) {
  std::string out(static_cast<size_t>(n), '\0');
  for (int i = 0; i < n; ++i)
    out[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * (n - 1 - i)));
  return out;
}
inline std::string BytesLowFirst(uint64_t v, int n) {
  std::string out(static_cast<size_t>(n), '\0');
  for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
  return out;
}
inline uint64_t BitsOf(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// dBase 7's I and +.
inline std::string Long7(int32_t v) {
  return BytesHighFirst(static_cast<uint32_t>(v) ^ 0x80000000u, 4);
}
// dBase 7's O.
inline std::string Double7(double v) {
  uint64_t bits = BitsOf(v);
  return BytesHighFirst(v < 0 ? ~bits : bits | 0x8000000000000000u, 8);
}
// FoxPro's I, Visual FoxPro's B and Y.
inline std::string LongFox(int32_t v) {
  return BytesLowFirst(static_cast<uint32_t>(v), 4);
}
inline std::string DoubleFox(double v) {
  return BytesLowFirst(BitsOf(v), 8);
}
inline std::string CurrencyFox(int64_t tenThousandths) {
  return BytesLowFirst(static_cast<uint64_t>(tenThousandths), 8);
}

}  // namespace tos::test
