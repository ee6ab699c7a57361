#include "data/dbf_binary.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tos::dbf {

namespace {

// Unsigned integers of n bytes, least or most significant byte first.
uint64_t LowFirst(const char* p, int n) {
  uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}
uint64_t HighFirst(const char* p, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}
void PutLowFirst(char* p, int n, uint64_t v) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutHighFirst(char* p, int n, uint64_t v) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<char>((v >> (8 * (n - 1 - i))) & 0xFF);
}

bool AllZero(const char* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i] != '\0') return false;
  return true;
}

double BitsToDouble(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
uint64_t DoubleToBits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

constexpr uint32_t kSign32 = 0x80000000u;
constexpr uint64_t kSign64 = 0x8000000000000000u;

// dBase 7 keeps its doubles so that their bytes sort as their values: a
// positive value (sign bit clear) has its sign bit set, a negative one has
// every bit inverted.
uint64_t OrderedDouble(double d) {
  uint64_t bits = DoubleToBits(d);
  return (bits & kSign64) ? ~bits : bits | kSign64;
}
double FromOrderedDouble(uint64_t stored) {
  return BitsToDouble((stored & kSign64) ? stored & ~kSign64 : ~stored);
}

constexpr double kTenThousand = 10000.0;

// The date of a Julian day number (day 2440588 is 1 January 1970), or false
// outside the years 1 to 9999.
bool CivilDate(int64_t julian, int& year, int& month, int& day) {
  if (julian < 1721426 || julian > 5373484) return false;
  int64_t l = julian + 68569;
  int64_t n = 4 * l / 146097;
  l -= (146097 * n + 3) / 4;
  int64_t i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  int64_t j = 80 * l / 2447;
  day = static_cast<int>(l - 2447 * j / 80);
  l = j / 11;
  month = static_cast<int>(j + 2 - 12 * l);
  year = static_cast<int>(100 * (n - 49) + i + l);
  return true;
}

std::string Hex(std::string_view raw) {
  const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : raw) {
    unsigned b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Timestamp(const FieldInfo& f, std::string_view raw) {
  // A day number (Julian) and the milliseconds since midnight, 4 bytes each:
  // Visual FoxPro's T least significant byte first, dBase 7's @ most.
  bool highFirst = f.type == '@';
  uint64_t day = highFirst ? HighFirst(raw.data(), 4) : LowFirst(raw.data(), 4);
  uint64_t ms = highFirst ? HighFirst(raw.data() + 4, 4) : LowFirst(raw.data() + 4, 4);
  if (day == 0 && ms == 0) return "";
  int y, m, d;
  if (ms >= 86400000 || !CivilDate(static_cast<int64_t>(day), y, m, d)) return Hex(raw);
  unsigned s = static_cast<unsigned>(ms / 1000);
  char out[48];
  std::snprintf(out, sizeof out, "%04d%02d%02d %02u:%02u:%02u", y, m, d, s / 3600, s / 60 % 60,
                s % 60);
  return out;
}

std::string Trimmed(std::string_view raw) {
  size_t b = 0, e = raw.size();
  while (b < e && (raw[b] == ' ' || raw[b] == '\0')) ++b;
  while (e > b && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
  return std::string(raw.substr(b, e - b));
}

}  // namespace

bool IsBinaryNumber(FieldCoding coding) {
  switch (coding) {
    case FieldCoding::kLong:
    case FieldCoding::kLongHighFirst:
    case FieldCoding::kDouble:
    case FieldCoding::kDoubleHighFirst:
    case FieldCoding::kCurrency:
      return true;
    default:
      return false;
  }
}

StoredNumber ReadBinaryNumber(FieldCoding coding, const char* at) {
  switch (coding) {
    case FieldCoding::kLong:
      return {StoredNumber::kValue,
              static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(LowFirst(at, 4))))};
    case FieldCoding::kLongHighFirst: {
      if (AllZero(at, 4)) return {};
      uint32_t v = static_cast<uint32_t>(HighFirst(at, 4)) ^ kSign32;
      return {StoredNumber::kValue, static_cast<double>(static_cast<int32_t>(v))};
    }
    case FieldCoding::kDouble:
      return {StoredNumber::kValue, BitsToDouble(LowFirst(at, 8))};
    case FieldCoding::kDoubleHighFirst:
      if (AllZero(at, 8)) return {};
      return {StoredNumber::kValue, FromOrderedDouble(HighFirst(at, 8))};
    case FieldCoding::kCurrency:
      return {StoredNumber::kValue,
              static_cast<double>(static_cast<int64_t>(LowFirst(at, 8))) / kTenThousand};
    default:
      return {};
  }
}

bool WriteBinaryNumber(FieldCoding coding, char* at, std::optional<double> value) {
  int width = coding == FieldCoding::kLong || coding == FieldCoding::kLongHighFirst ? 4 : 8;
  if (!value) {
    std::memset(at, 0, static_cast<size_t>(width));
    return true;
  }
  double v = *value;
  switch (coding) {
    case FieldCoding::kLong:
    case FieldCoding::kLongHighFirst: {
      // dBase 7 has no -2147483648: its bytes would be all zero, the blank.
      double lowest = coding == FieldCoding::kLong ? -2147483648.0 : -2147483647.0;
      if (!(v >= lowest && v <= 2147483647.0) || v != std::floor(v)) return false;
      uint32_t bits = static_cast<uint32_t>(static_cast<int32_t>(v));
      if (coding == FieldCoding::kLong)
        PutLowFirst(at, 4, bits);
      else
        PutHighFirst(at, 4, bits ^ kSign32);
      return true;
    }
    case FieldCoding::kDouble:
      PutLowFirst(at, 8, DoubleToBits(v));
      return true;
    case FieldCoding::kDoubleHighFirst:
      PutHighFirst(at, 8, OrderedDouble(v));
      return true;
    case FieldCoding::kCurrency: {
      double units = std::nearbyint(v * kTenThousand);
      // 2^63: the first value an 8-byte integer cannot hold.
      if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0)) return false;
      PutLowFirst(at, 8, static_cast<uint64_t>(static_cast<int64_t>(units)));
      return true;
    }
    default:
      return false;
  }
}

std::string ShowColumn(const FieldInfo& f, std::string_view raw) {
  switch (f.coding) {
    case FieldCoding::kLogical:
      if (raw.empty()) return "";
      switch (raw[0]) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
          return "T";
        case 'F':
        case 'f':
        case 'N':
        case 'n':
          return "F";
        default:
          return "";
      }
    case FieldCoding::kMemo: {
      // Visual FoxPro keeps the block number in 4 bytes, the others in
      // characters, right-aligned.
      if (raw.size() != 4) return Trimmed(raw);
      uint64_t block = LowFirst(raw.data(), 4);
      return block == 0 ? "" : std::to_string(block);
    }
    case FieldCoding::kTimestamp:
      return Timestamp(f, raw);
    case FieldCoding::kBytes:
      return Hex(raw);
    default:
      return std::string(raw);
  }
}

bool TakesCharacters(const FieldInfo& f) {
  switch (f.coding) {
    case FieldCoding::kCharacters:
    case FieldCoding::kLogical:
      return true;
    case FieldCoding::kMemo:
      return f.width != 4;
    default:
      return false;
  }
}

}  // namespace tos::dbf
