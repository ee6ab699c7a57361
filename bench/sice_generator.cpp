#include "sice_generator.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "data/files.h"

namespace tos::bench {

namespace {

// Levels and courses as SICE pairs them; a group's pair decides which hours
// lines its assignments can match.
struct LevelCourse {
  const char* level;
  const char* course;
};
constexpr LevelCourse kLevelCourses[] = {
    {"ESO", "1"}, {"ESO", "2"}, {"ESO", "3"}, {"ESO", "4"}, {"BAC", "1"},
    {"BAC", "2"}, {"FPB", "1"}, {"FPB", "2"}, {"CFM", "1"}, {"CFM", "2"},
};
constexpr uint64_t kPairs = sizeof kLevelCourses / sizeof kLevelCourses[0];
constexpr const char* kHours[] = {"4", "3", "2,5", "2", "1", "1.5", "", "3,5", "5", "14"};
constexpr const char* kNames[] = {"Matem\xE1ticas", "Lengua Castellana y Literatura",
                                  "Educaci\xF3n F\xEDsica", "Ense\xF1\x61nzas Art\xEDsticas",
                                  "Biolog\xED"
                                  "a y Geolog\xED"
                                  "a"};
constexpr const char* kPeople[] = {"GARC\xCD\x41 L\xD3PEZ, MAR\xCD\x41",
                                   "MU\xD1OZ PE\xD1\x41, JOS\xC9",
                                   "N\xDA\xD1\x45Z IB\xC1\xD1\x45Z, \xC1NGELA"};

class Out {
 public:
  Out(const std::string& folder, const char* name, const char* selfName, const char* eol)
      : file_(fs::Current().Create(fs::Join(folder, name))), selfName_(selfName), eol_(eol) {
    Line("0" + Padded(selfName_, 50) + "28045671" + "070920260815");
    Line("1" + Padded(selfName_, 50));
  }
  ~Out() = default;

  void Line(const std::string& line) {
    buffer_ += line;
    buffer_ += eol_;
    if (buffer_.size() >= (1 << 20)) Flush();
  }
  uint64_t Finish(uint64_t records) {
    Line("9" + Padded(selfName_, 50) + "28045671" + "070920260815" + std::to_string(records));
    Flush();
    file_->Close();
    return written_;
  }
  static std::string Padded(const std::string& s, size_t width) {
    std::string out = s.substr(0, width);
    out.resize(width, ' ');
    return out;
  }

 private:
  void Flush() {
    file_->Write(buffer_.data(), buffer_.size());
    written_ += buffer_.size();
    buffer_.clear();
  }
  std::unique_ptr<fs::WriteStream> file_;
  std::string selfName_;
  const char* eol_;
  std::string buffer_;
  uint64_t written_ = 0;
};

std::string P(const std::string& s, size_t width) {
  return Out::Padded(s, width);
}

}  // namespace

std::string Code4(uint64_t n) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string code(4, '0');
  for (int i = 3; i >= 0; --i) {
    code[static_cast<size_t>(i)] = kDigits[n % 36];
    n /= 36;
  }
  return code;
}

uint64_t WriteSiceFolder(const std::string& folder, const SiceSizes& sizes) {
  if (sizes.groups == 0 || sizes.subjects == 0)
    throw std::invalid_argument("no groups or subjects");
  uint64_t total = 0;
  {
    Out out(folder, "sice_asignat.txt", "SICE_ASIGNAT.TXT", "\r\n");
    for (uint64_t i = 0; i < sizes.subjects; ++i) {
      out.Line("1" + Code4(i) + P("LC" + Code4(i) + "-ESO", 20) +
               P(std::string(kNames[i % 5]) + " " + std::to_string(i), 150));
    }
    total += out.Finish(sizes.subjects);
  }
  {
    Out out(folder, "sice_prof.txt", "SICE_PROF.TXT", "\n");
    for (uint64_t i = 0; i < sizes.teachers; ++i) {
      out.Line("1" + Code4(i) + P(kPeople[i % 3], 90) +
               P("Departamento de " + std::string(kNames[i % 5]), 50));
    }
    total += out.Finish(sizes.teachers);
  }
  {
    Out out(folder, "sice_aulas.txt", "SICE_AULAS.TXT", "\r\n");
    for (uint64_t i = 0; i < sizes.rooms; ++i) {
      out.Line("1" + P("2804567101", 10) + Code4(i) + P("", 70) +
               P("Aula " + std::to_string(i), 100));
    }
    total += out.Finish(sizes.rooms);
  }
  {
    Out out(folder, "sice_grupo.txt", "SICE_GRUPOS.TXT", "\n");
    for (uint64_t g = 0; g < sizes.groups; ++g) {
      const LevelCourse& lc = kLevelCourses[g % kPairs];
      std::string unit = std::string(lc.course) + lc.level + " " + Code4(g);
      out.Line("1" + P(unit, 10) + Code4(g) + P(lc.level, 3) + "LOE" + P(lc.course, 3) +
               P("2026-27", 10) + "MA\xD1");
    }
    total += out.Finish(sizes.groups);
  }
  {
    Out out(folder, "sice_asignatgrupo.txt", "SICE_ASIGNATGRUPO.TXT", "\r\n");
    for (uint64_t j = 0; j < sizes.assignments; ++j) {
      uint64_t g = j % sizes.groups;
      uint64_t s = (j * 7919) % sizes.subjects;
      out.Line("1" + P("UNIDAD", 10) + Code4(g) + Code4(s) + P("2026-27", 20));
    }
    total += out.Finish(sizes.assignments);
  }
  {
    // Line i holds subject i % subjects for pair i / subjects: all the pairs
    // of every subject come first, then repeats (first line wins).
    Out out(folder, "sice_asignatcurso.txt", "SICE_ASIGNATCURSO.TXT", "\n");
    for (uint64_t i = 0; i < sizes.hours; ++i) {
      const LevelCourse& lc = kLevelCourses[(i / sizes.subjects) % kPairs];
      out.Line("1" + P(lc.level, 3) + "LOE" + P(lc.course, 3) + P("2026-27", 13) +
               Code4(i % sizes.subjects) + P(kHours[i % 10], 6));
    }
    total += out.Finish(sizes.hours);
  }
  {
    Out out(folder, "sice_sesiones.txt", "SICE_SESIONES.TXT", "\r\n");
    static const char kDays[] = "LMXJV";
    for (uint64_t i = 0; i < sizes.slots; ++i) {
      uint64_t minute = (i / 5 * 7) % (24 * 60 - 60);
      char start[8], end[8];
      std::snprintf(start, sizeof start, "%02u%02u", static_cast<unsigned>(minute / 60),
                    static_cast<unsigned>(minute % 60));
      std::snprintf(end, sizeof end, "%02u%02u", static_cast<unsigned>((minute + 55) / 60),
                    static_cast<unsigned>((minute + 55) % 60));
      out.Line(std::string("1MA\xD1") + Code4(i) + kDays[i % 5] + start + end);
    }
    total += out.Finish(sizes.slots);
  }
  return total;
}

}  // namespace tos::bench
