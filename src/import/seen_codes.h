// The codes an import has written so far, for the subjects and teachers
// imports that keep only the first line of a code. Letter case is ignored
// for every Windows-1252 letter (mat = MAT, ñ = Ñ, é = É) while accented and
// plain letters stay apart (é is not e), as Windows' own comparison does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "report/report.h"

namespace tos {

// The lower-case form of a Windows-1252 byte (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ).
char Cp1252Lower(char c);

class CodigosVistos {
 public:
  // The first line of a code, and its other fields, for the report.
  // The first line of a code: its number, and in one text the code as
  // that line writes it (after a byte that holds its length) and the line's
  // two other fields, for the report.
  struct Primera {
    uint64_t line;
    std::string fields;
    std::string_view Code() const {
      return std::string_view(fields).substr(1, static_cast<unsigned char>(fields[0]));
    }
    std::string_view Rest() const {
      return std::string_view(fields).substr(1 + static_cast<unsigned char>(fields[0]));
    }
  };
  // Adds the code with its line and its line's two other fields; false when
  // it (in any letter case) was there already.
  bool Add(std::string_view code, uint64_t line = 0, std::string_view first = {},
           std::string_view second = {});
  // The first line of a code that is there (in any letter case).
  const Primera& First(std::string_view code) const;
  size_t Size() const { return seen_.size(); }

 private:
  std::unordered_map<std::string, Primera> seen_;
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
