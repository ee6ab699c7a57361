// The codes an import has written so far, for the subjects and teachers
// imports that keep only the first line of a code. Letter case is ignored
// for every Windows-1252 letter (mat = MAT, ñ = Ñ, é = É) while accented and
// plain letters stay apart (é is not e), as Windows' own comparison does.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace tos {

// The lower-case form of a Windows-1252 byte (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ).
char Cp1252Lower(char c);

class CodigosVistos {
 public:
  // Adds the code; false when it (in any letter case) was there already.
  bool Add(std::string_view code);
  size_t Size() const { return seen_.size(); }

 private:
  std::unordered_set<std::string> seen_;
};

}  // namespace tos
