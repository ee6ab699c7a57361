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

// The default sizes times scale, each at least 1.
SiceSizes Scaled(double scale);

// The seven files of one folder (which must exist); returns the bytes written.
uint64_t WriteSiceFolder(const std::string& folder, const SiceSizes& sizes);

// The folders of a timetable export: in otemp, SOLUC with `lessons`
// lessons spread over `slots` time slots and DIASHORAST with those slots;
// in sice, the two files the export reads. Both folders must exist.
// notices: PROFT, GRUPOST and ASIGNOMT get 100,000 codes each, the
// lessons' among them, and AULAT 100,000 codes none of the lessons' rooms
// is, so that every lesson gives the report a notice; without it, those
// four tables are empty.
void WriteTimetableFolders(const std::string& sice, const std::string& otemp, uint32_t lessons,
                           uint32_t slots, bool notices);

// A SICE-style code of at most four characters for a number (base 36).
std::string Code4(uint64_t n);

}  // namespace tos::bench
