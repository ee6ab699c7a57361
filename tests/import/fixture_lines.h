// SICE lines of each file laid out column by column, for the import tests.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "data/error.h"
#include "import/import_fixture.h"
#include "support/faulty_fs.h"

namespace tos::test {

// sice_asignat.txt: code 2-5, long code 6-25, name 26-175.
inline std::string Subject(const std::string& code, const std::string& longCode,
                           const std::string& name) {
  return "1" + Pad(code, 4) + Pad(longCode, 20) + name;
}
// sice_prof.txt: abbreviation 2-5, name 6-95, department 96-145.
inline std::string Teacher(const std::string& abbrev, const std::string& name,
                           const std::string& department) {
  return "1" + Pad(abbrev, 4) + Pad(name, 90) + department;
}
// sice_aulas.txt: abbreviation 12-15, name 86-185.
inline std::string Room(const std::string& abbrev, const std::string& name) {
  return "1" + Pad("2804567101", 10) + Pad(abbrev, 4) + std::string(70, '-') + name;
}
// sice_grupo.txt: unit 2-11, abbreviation 12-15, level 16-18, year 22-24,
// shift 35-37.
inline std::string Group(const std::string& unit, const std::string& abbrev,
                         const std::string& level, const std::string& year,
                         const std::string& shift) {
  return "1" + Pad(unit, 10) + Pad(abbrev, 4) + Pad(level, 3) + "LOE" + Pad(year, 3) +
         Pad("2026-27", 10) + shift;
}
// sice_asignatgrupo.txt: group 12-15, subject 16-19.
inline std::string Assignment(const std::string& group, const std::string& subject) {
  return "1" + Pad("UNIDAD", 10) + Pad(group, 4) + subject;
}
// sice_asignatcurso.txt: level 2-4, course 8-10, subject 24-27, hours 28-33.
inline std::string Hours(const std::string& level, const std::string& course,
                         const std::string& subject, const std::string& hours) {
  return "1" + Pad(level, 3) + "LOE" + Pad(course, 3) + Pad("2026-27", 13) + Pad(subject, 4) +
         hours;
}
// sice_sesiones.txt: slot code 5-8, day 9, start 10-13, end 14-17.
inline std::string Slot(const std::string& code, const std::string& day, const std::string& start,
                        const std::string& end) {
  return "1MA\xD1" + Pad(code, 4) + Pad(day, 1) + Pad(start, 4) + end;
}

// The header and trailer lines SICE puts around a file's lines: its
// self-name, the export's code and date, and in the trailer the count of
// data lines from column 72.
inline std::string HeaderLine(const std::string& selfName, const std::string& code = "28045671",
                              const std::string& date = "070920260815") {
  return "0" + Pad(selfName, 50) + Pad(code, 8) + date;
}
inline std::vector<std::string> AsSiceWritesIt(const std::string& selfName,
                                               std::vector<std::string> lines) {
  // The data lines after the last header.
  auto from = std::find_if(lines.rbegin(), lines.rend(), [](const auto& l) {
                return !l.empty() && l[0] == '0';
              }).base();
  size_t data = static_cast<size_t>(std::count_if(
      from, lines.end(), [](const auto& l) { return l.empty() || (l[0] != '0' && l[0] != '9'); }));
  lines.push_back("9" + HeaderLine(selfName).substr(1) + std::to_string(data));
  return lines;
}

}  // namespace tos::test
