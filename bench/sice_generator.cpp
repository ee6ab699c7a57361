#include "sice_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"

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

struct Column {
  const char* name;
  char type;
  int width;
};

// A dBase III table written straight from its layout, so that building a
// million records does not dominate the run.
class DbfWriter {
 public:
  DbfWriter(const std::string& path, std::vector<Column> columns, uint32_t count)
      : file_(std::fopen(path.c_str(), "wb")), columns_(std::move(columns)) {
    if (!file_) {
      std::perror(path.c_str());
      std::exit(1);
    }
    uint16_t recordLength = 1;
    for (const Column& c : columns_) recordLength = static_cast<uint16_t>(recordLength + c.width);
    uint16_t headerLength = static_cast<uint16_t>(32 + 32 * columns_.size() + 1);
    unsigned char header[32] = {0x03, 126, 12, 9};
    std::memcpy(header + 4, &count, 4);  // little-endian hosts only, as the benchmarks run
    std::memcpy(header + 8, &headerLength, 2);
    std::memcpy(header + 10, &recordLength, 2);
    header[29] = 0x03;  // Windows ANSI
    std::fwrite(header, 1, 32, file_);
    for (const Column& c : columns_) {
      unsigned char d[32] = {};
      std::memcpy(d, c.name, std::strlen(c.name));
      d[11] = static_cast<unsigned char>(c.type);
      d[16] = static_cast<unsigned char>(c.width);
      std::fwrite(d, 1, 32, file_);
    }
    std::fputc(0x0D, file_);
    record_.reserve(recordLength);
  }
  ~DbfWriter() {
    std::fputc(0x1A, file_);
    std::fclose(file_);
  }
  void Add(const std::vector<std::string>& values) {
    record_.assign(1, ' ');
    for (size_t i = 0; i < columns_.size(); ++i) {
      std::string v = values[i].substr(0, columns_[i].width);
      std::string pad(columns_[i].width - v.size(), ' ');
      record_ += columns_[i].type == 'N' ? pad + v : v + pad;
    }
    std::fwrite(record_.data(), 1, record_.size(), file_);
  }

 private:
  std::FILE* file_;
  std::vector<Column> columns_;
  std::string record_;
};

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

SiceSizes Scaled(double scale) {
  SiceSizes s;
  for (uint64_t* n :
       {&s.subjects, &s.teachers, &s.rooms, &s.groups, &s.assignments, &s.hours, &s.slots})
    *n = std::max<uint64_t>(1, static_cast<uint64_t>(static_cast<double>(*n) * scale));
  return s;
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

void WriteTimetableFolders(const std::string& sice, const std::string& otemp, uint32_t lessons,
                           uint32_t slots, bool notices) {
  constexpr uint32_t kDays = 5;
  const uint32_t periods = (slots + kDays - 1) / kDays;
  std::string header = "0";
  AnadirCampo(header, "SICE_ASIGNAT.TXT", 50);
  GuardarLineas(header + "CODIGO01\r\n", fs::Join(sice, "sice_asignat.txt"));
  GuardarLineas("0\r\n1   0001108000855\r\n", fs::Join(sice, "sice_sesiones.txt"));
  {
    DbfWriter tramos(fs::Join(otemp, "DIASHORAST.DBF"),
                     {{"CODDIHO", 'C', 10}, {"DIA", 'C', 20}, {"HORA", 'C', 8}}, slots);
    for (uint32_t i = 0; i < slots; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%04u", static_cast<unsigned>(i % 10000));
      tramos.Add({code, std::to_string(1 + i / periods), std::to_string(1 + i % periods)});
    }
  }
  {
    DbfWriter soluc(fs::Join(otemp, "SOLUC.DBF"),
                    {{"DIA", 'N', 1},
                     {"HORA", 'N', 4},
                     {"PROF", 'C', 4},
                     {"CODGRUPO", 'C', 4},
                     {"ASIG", 'C', 4},
                     {"AULA", 'C', 4}},
                    lessons);
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < lessons; ++i) {
      seed = seed * 1103515245u + 12345u;
      uint32_t r = seed >> 8;
      soluc.Add({std::to_string(1 + r % kDays), std::to_string(1 + (r / kDays) % periods),
                 "P" + std::to_string(r % 900 + 100), "G" + std::to_string(r % 90 + 10),
                 "A" + std::to_string(r % 300 + 100), "R" + std::to_string(r % 80 + 10)});
    }
  }
  if (notices) {
    // 100,000 codes a table, each once and in code order, as an import of
    // that many SICE lines writes them: Code4 numbers ("0000" to "255R")
    // and then, in PROFT, GRUPOST and ASIGNOMT, the lessons' teachers
    // P100-P999, groups G10-G99 and subjects A100-A399. AULAT holds none of
    // the lessons' rooms R10-R89.
    const std::pair<const char*, const char*> tables[] = {{"PROFT.DBF", "ABREV"},
                                                          {"GRUPOST.DBF", "ABREV"},
                                                          {"ASIGNOMT.DBF", "COD"},
                                                          {"AULAT.DBF", "ABREV"}};
    const struct {
      const char* prefix;
      uint32_t first, count;
    } lessonCodes[] = {{"P", 100, 900}, {"G", 10, 90}, {"A", 100, 300}, {"R", 0, 0}};
    constexpr uint32_t kCodes = 100000;
    for (size_t t = 0; t < 4; ++t) {
      DbfWriter codes(fs::Join(otemp, tables[t].first), {{tables[t].second, 'C', 4}}, kCodes);
      const auto& own = lessonCodes[t];
      for (uint32_t i = 0; i < kCodes - own.count; ++i) codes.Add({Code4(i)});
      for (uint32_t i = 0; i < own.count; ++i)
        codes.Add({own.prefix + std::to_string(own.first + i)});
    }
  } else {
    for (const char* name : {"GRUPOST.DBF", "PROFT.DBF", "AULAT.DBF", "ASIGNOMT.DBF"}) {
      RecrearTabla(otemp, name, {{"CODIGO", FieldKind::kText, 10}});
    }
  }
}

}  // namespace tos::bench
