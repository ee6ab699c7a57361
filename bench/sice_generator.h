// Writes a consistent SICE folder of any size for the benchmarks: every
// assignment's group is in the groups file and most find an hours line for
// their subject, level and course; lines are laid out at SICE's full widths,
// in Windows-1252, with the header, self-name and trailer lines SICE writes.
#pragma once

#include <cstdint>
#include <string>

namespace tos::bench {

struct SiceSizes {
  uint64_t subjects = 100000;
  uint64_t teachers = 100000;
  uint64_t rooms = 10000;
  uint64_t groups = 100000;
  uint64_t assignments = 1000000;
  uint64_t hours = 1000000;
  uint64_t slots = 20000;
};

// The seven files of one folder (which must exist); returns the bytes written.
uint64_t WriteSiceFolder(const std::string& folder, const SiceSizes& sizes);

// A SICE-style code of at most four characters for a number (base 36).
std::string Code4(uint64_t n);

}  // namespace tos::bench
