// Timetable export speed: SOLUC with a million lessons against 20,000 time
// slots, timed against the bare reading and writing of the same bytes.
//   export_bench [LESSONS [SLOTS]] [--keep] [--notices]
// --keep leaves the folders and names them (to time the converter on them);
// --notices gives PROFT, GRUPOST and ASIGNOMT 100,000 different codes each,
// the lessons' among them, and AULAT 100,000 codes none of the lessons'
// rooms is: every lesson gives the report a notice.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/clock.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "export/timetable_export.h"
#include "sice_generator.h"
#include "stopwatch.h"

namespace {

namespace stdfs = std::filesystem;

using tos::bench::Stopwatch;
using tos::bench::Timing;

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
    std::memcpy(header + 4, &count, 4);  // little-endian hosts only, as this bench is run
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

class SilentWindow final : public tos::WindowServices {
 public:
  explicit SilentWindow(std::string folder) : folder_(std::move(folder)) {}
  std::string ChosenFolder() override { return folder_; }
  void ShowMessage(const std::string&) override {}
  void SetHourglass(bool) override {}
  void CloseWindow() override {}

 private:
  std::string folder_;
};

class FixedClock final : public tos::Clock {
 public:
  tos::LocalTime Now() override { return {2026, 12, 9, 8, 30, 0}; }
};

// Reads the table file whole and writes as many bytes as the export wrote:
// the least any export of these tables has to do.
void RawIo(const std::string& table, const std::string& output, uint64_t outputBytes,
           Timing& best) {
  Stopwatch watch;
  std::vector<char> buffer(1 << 16);
  std::FILE* in = std::fopen(table.c_str(), "rb");
  uint64_t checksum = 0;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), in)) checksum += buffer[n - 1];
  std::fclose(in);
  std::FILE* out = std::fopen(output.c_str(), "wb");
  std::fill(buffer.begin(), buffer.end(), static_cast<char>(checksum | ' '));
  for (uint64_t left = outputBytes; left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
    std::fwrite(buffer.data(), 1, n, out);
    left -= n;
  }
  std::fclose(out);
  watch.KeepBest(best);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> numbers;
  bool keep = false;
  bool notices = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--keep") {
      keep = true;
    } else if (arg == "--notices") {
      notices = true;
    } else {
      numbers.push_back(arg);
    }
  }
  const uint32_t lessons =
      numbers.size() > 0 ? static_cast<uint32_t>(std::atol(numbers[0].c_str())) : 1000000;
  const uint32_t slots =
      numbers.size() > 1 ? static_cast<uint32_t>(std::atol(numbers[1].c_str())) : 20000;
  constexpr uint32_t kDays = 5;
  const uint32_t periods = (slots + kDays - 1) / kDays;

  stdfs::path root = stdfs::temp_directory_path() /
                     ("tos-export-bench-" +
                      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  stdfs::path sice = root / "sice";
  stdfs::path otemp = root / "otemp";
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);

  std::string header = "0";
  tos::AnadirCampo(header, "SICE_ASIGNAT.TXT", 50);
  tos::GuardarLineas(header + "CODIGO01\r\n", (sice / "sice_asignat.txt").string());
  tos::GuardarLineas("0\r\n1   0001108000855\r\n", (sice / "sice_sesiones.txt").string());
  {
    DbfWriter tramos((otemp / "DIASHORAST.DBF").string(),
                     {{"CODDIHO", 'C', 10}, {"DIA", 'C', 20}, {"HORA", 'C', 8}}, slots);
    for (uint32_t i = 0; i < slots; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%04u", static_cast<unsigned>(i % 10000));
      tramos.Add({code, std::to_string(1 + i / periods), std::to_string(1 + i % periods)});
    }
  }
  {
    DbfWriter soluc((otemp / "SOLUC.DBF").string(),
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
      DbfWriter codes((otemp / tables[t].first).string(), {{tables[t].second, 'C', 4}}, kCodes);
      const auto& own = lessonCodes[t];
      for (uint32_t i = 0; i < kCodes - own.count; ++i) codes.Add({tos::bench::Code4(i)});
      for (uint32_t i = 0; i < own.count; ++i)
        codes.Add({own.prefix + std::to_string(own.first + i)});
    }
  } else {
    for (const char* name : {"GRUPOST.DBF", "PROFT.DBF", "AULAT.DBF", "ASIGNOMT.DBF"}) {
      tos::RecrearTabla(otemp.string(), name, {{"CODIGO", tos::FieldKind::kText, 10}});
    }
  }

  std::string output = (sice / "SICE_HORARIO.TXT").string();
  std::string table = (otemp / "SOLUC.DBF").string();
  FixedClock clock;
  Timing best;
  Timing baseline;
  for (int run = 0; run < 5; ++run) {
    tos::ProgramState state;
    SilentWindow window(sice.string());
    Stopwatch watch;
    tos::BImportarClick(state, window, otemp.string(), clock);
    watch.KeepBest(best);
    if (state.EstadoTransformacion != 1) {
      std::fprintf(stderr, "the export did not finish\n");
      return 1;
    }
    uint64_t written = stdfs::file_size(output);
    RawIo(table, (root / "raw.txt").string(), written, baseline);
  }

  std::vector<std::string> lines = tos::CargarLineas(output);
  std::printf("export: %u lessons, %u slots, %zu lines written\n", lessons, slots, lines.size());
  std::printf("                 wall      processor   lessons/s (processor)\n");
  std::printf("  export       %7.3f s  %7.3f s  %12.0f\n", best.wall, best.cpu, lessons / best.cpu);
  std::printf("  raw I/O      %7.3f s  %7.3f s  (read SOLUC.DBF, write as many bytes)\n",
              baseline.wall, baseline.cpu);
  std::printf("  ratio        %7.2f x  %7.2f x\n", best.wall / baseline.wall,
              best.cpu / baseline.cpu);
  if (keep) {
    std::printf("kept: %s\n", root.string().c_str());
  } else {
    std::error_code ec;
    stdfs::remove_all(root, ec);
  }
  return lines.size() == static_cast<size_t>(lessons) + 2 ? 0 : 1;
}
