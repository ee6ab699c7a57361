// The codes an import has written so far, for the subjects and teachers
// imports that keep only the first line of a code. Letter case is ignored
// for every Windows-1252 letter (mat = MAT, ñ = Ñ, é = É) while accented and
// plain letters stay apart (é is not e), as Windows' own comparison does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "import/large_array.h"

namespace tos {

// The lower-case form of a Windows-1252 byte (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ).
char Cp1252Lower(char c);

class CodigosVistos {
 public:
  CodigosVistos();
  // Adds the code; false when it (in any letter case) was there already.
  bool Add(std::string_view code);
  size_t Size() const { return shortCount_ + seen_.size(); }

 private:
  // Codes of up to 7 bytes (SICE's are 4), folded and packed with their
  // length into one number, in an open-addressing set; longer ones as text.
  bool AddShort(uint64_t key);
  LargeArray<uint64_t> shortSlots_;
  size_t shortCount_ = 0;
  std::unordered_set<std::string> seen_;
  std::string folded_;
};

}  // namespace tos
