// The codes an import has written so far, for the subjects and teachers
// imports that keep only the first line of a code. Letter case is ignored
// for every Windows-1252 letter (mat = MAT, ñ = Ñ, é = É) while accented and
// plain letters stay apart (é is not e), as Windows' own comparison does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "report/report.h"

namespace tos {

// The lower-case form of a Windows-1252 byte (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ).
char Cp1252Lower(char c);

class CodigosVistos {
 public:
  // The first line of a code: its number, the code as that line writes it
  // and the line's two other fields joined as OtherFields joins them. The
  // views are valid until the next Add.
  struct Primera {
    uint64_t line;
    std::string_view code;
    std::string_view rest;
  };
  // Adds the code (at most 4 bytes, as the imports cut it, never ending in a
  // NUL) with its line and its line's two other fields; false when it (in
  // any letter case) was there already.
  bool Add(std::string_view code, uint64_t line = 0, std::string_view first = {},
           std::string_view second = {});
  // The first line of a code that is there (in any letter case).
  Primera First(std::string_view code) const;
  size_t Size() const { return entries_.size(); }

 private:
  // Where a first line's code and fields lie in texts_.
  struct Entry {
    uint64_t line;
    size_t at;
    uint32_t codeSize;  // at most 4
    uint32_t restSize;  // of one line
  };
  // The code folded to lower case, packed in a number.
  static uint32_t Key(std::string_view code);
  // The entry of a key, or nullptr.
  const Entry* Find(uint32_t key) const;
  // The keys, each with its entry's place. A key above all before it (every
  // key, in a file that lists its codes in order) goes to the end of
  // ascending_, which so stays sorted and is looked up by bisection; any
  // other goes to others_. A hash map of every code, a node each, was a
  // quarter of the subjects' import.
  std::vector<std::pair<uint32_t, uint32_t>> ascending_;
  std::unordered_map<uint32_t, uint32_t> others_;
  std::vector<Entry> entries_;
  // Every first line's code and other fields, one after another: one
  // growing text rather than a string per code.
  std::string texts_;
};

// A line's other fields as one text, to tell whether a repeated line holds
// the same data.
std::string OtherFields(std::string_view first, std::string_view second);

// The report's notice for a line dropped for its repeated code: both lines'
// codes and names (name is which of the two other fields is the name, 0 or
// 1), and whether the codes differ only in letter case.
Notice RepeatedCodeNotice(const char* file, uint64_t line, std::string_view code,
                          const CodigosVistos::Primera& first, std::string_view rest, int name);

}  // namespace tos
