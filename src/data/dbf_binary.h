// The binary columns of the other dBase engines (FoxPro, Visual FoxPro,
// dBase 7): the numbers in their bytes, read and written, and the text that
// the columns we only show (logicals, memos, timestamps, flags) read as.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/number.h"
#include "data/table.h"

namespace tos::dbf {

// Whether the coding holds a number in bytes (I, +, B, O, Y).
bool IsBinaryNumber(FieldCoding coding);

// The number at at (a column of a binary number coding, of its width).
// dBase 7 marks a column never written by all-zero bytes; FoxPro's columns
// have no such mark and read as 0.
StoredNumber ReadBinaryNumber(FieldCoding coding, const char* at);

// Writes value into a binary number column; nothing makes it blank (zero
// bytes). False, leaving the column alone, when the coding cannot hold it.
bool WriteBinaryNumber(FieldCoding coding, char* at, std::optional<double> value);

// The text a column of a shown-only coding (logical, memo, timestamp, bytes)
// reads as: T or F; the memo's block number; "yyyymmdd hh:mm:ss"; the bytes
// in hexadecimal. "" for a column never written.
std::string ShowColumn(const FieldInfo& f, std::string_view raw);

// Whether text may be written into the column as characters: a column whose
// bytes are binary (a memo's 4-byte block number, a timestamp, flags) is
// written only through its number or not at all.
bool TakesCharacters(const FieldInfo& f);

}  // namespace tos::dbf
