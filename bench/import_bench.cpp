// The whole SICE-to-Orvalent run on a generated school of any size: records
// per second, the ratio to plain buffered I/O of the same bytes, peak memory,
// each import's share, and (with --ogr2ogr) GDAL's time for ASIGT's records.
//
//   import_bench [--dir DIR] [--scale F] [--ogr2ogr] [--keep] [--utf8]
//
// The default size is 1,000,000 assignments and hours lines, 100,000 groups,
// subjects and teachers, 20,000 time slots; --scale multiplies all of them.
// --utf8 writes the folder in UTF-8 without a mark, as an editor saves it.
// --keep leaves the folder (DIR/sice) for timing the converter on it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/files.h"
#include "data/table.h"
#include "data/text.h"
#include "import/import_run.h"
#include "import/imports.h"
#include "sice_generator.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#define TOS_HAVE_RUSAGE 1
#endif

namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

class QuietWindow final : public tos::WindowServices {
 public:
  explicit QuietWindow(std::string folder) : folder_(std::move(folder)) {}
  std::string ChosenFolder() override { return folder_; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetHourglass(bool) override {}
  void CloseWindow() override {}
  std::vector<std::string> messages;

 private:
  std::string folder_;
};

// Wall-clock and processor time of a piece of work. The machines this runs
// on are often shared, so the processor time (user + system, of this
// process or, for ogr2ogr, of its children) is the steadier figure.
struct Timing {
  double wall = 0;
  double cpu = -1;  // where the platform tells it
};

double CpuSeconds(bool children) {
#ifdef TOS_HAVE_RUSAGE
  rusage usage{};
  getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#else
  (void)children;
  return -1;
#endif
}

Timing Measure(const std::function<void()>& work, bool children = false) {
  double cpu = CpuSeconds(children);
  auto start = Clock::now();
  work();
  Timing t;
  t.wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (cpu >= 0) t.cpu = CpuSeconds(children) - cpu;
  return t;
}

std::string Show(const Timing& t) {
  char text[96];
  if (t.cpu >= 0) {
    std::snprintf(text, sizeof text, "%.3f s wall, %.3f s cpu", t.wall, t.cpu);
  } else {
    std::snprintf(text, sizeof text, "%.3f s wall", t.wall);
  }
  return text;
}

// The figure rates are computed from: processor time where known.
double Basis(const Timing& t) {
  return t.cpu > 0 ? t.cpu : t.wall;
}

double PeakMegabytes() {
#ifdef TOS_HAVE_RUSAGE
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
#else
  return -1;
#endif
}

uint64_t FolderBytes(const std::string& folder) {
  uint64_t total = 0;
  for (const auto& entry : stdfs::directory_iterator(folder)) {
    if (entry.is_regular_file()) total += entry.file_size();
  }
  return total;
}

// Reads every input byte and writes outputBytes with plain buffered streams.
void RawIo(const std::string& sice, const std::string& scratch, uint64_t outputBytes) {
  std::vector<char> buffer(1 << 20);
  uint64_t checksum = 0;
  for (const auto& entry : stdfs::directory_iterator(sice)) {
    std::ifstream in(entry.path(), std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
      checksum += static_cast<unsigned char>(buffer[0]);
      if (in.eof()) break;
    }
  }
  std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
  buffer.assign(buffer.size(), static_cast<char>(checksum & 0x7F));
  for (uint64_t left = outputBytes; left > 0;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
    out.write(buffer.data(), static_cast<std::streamsize>(n));
    left -= n;
  }
  out.close();
}

uint32_t Records(const std::string& otemp, const char* name) {
  tos::Table table;
  table.SetFolder(otemp);
  table.SetTableName(std::string(name) + ".DBF");
  table.SetReadOnly(true);
  table.Open();
  return table.RecordCount();
}

// ASIGT's shape as CSV for ogr2ogr; returns the seconds GDAL took.
Timing Ogr2ogr(const std::string& dir, uint64_t rows) {
  std::string csv = tos::fs::Join(dir, "asigt.csv");
  {
    std::ofstream out(csv, std::ios::binary);
    out << "CASIG,CPROF,CGRUP,CAULA,TURNO,NIVEL,CURSO,GRUPO,HORAS,SESIONES\n";
    for (uint64_t i = 0; i < rows; ++i) {
      out << tos::bench::Code4(i % 100000) << ",," << tos::bench::Code4(i % 99991) << ",,M,ESO,"
          << (i % 4 + 1) << ",A," << (i % 5 + 1) << ".5," << std::string(i % 5 + 1, '1') << "\n";
    }
  }
  std::string out = tos::fs::Join(dir, "asigt_ogr");
  stdfs::remove_all(out);
  std::string command = "ogr2ogr -f \"ESRI Shapefile\" -lco ENCODING=CP1252 \"" + out + "\" \"" +
                        csv + "\" >/dev/null 2>&1";
  int status = 0;
  Timing t = Measure([&] { status = std::system(command.c_str()); }, true);
  if (status != 0) t.wall = -1;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = (stdfs::temp_directory_path() / "tos-import-bench").string();
  double scale = 1;
  bool ogr = false;
  bool keep = false;
  bool utf8 = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else if (arg == "--scale" && i + 1 < argc) {
      scale = std::atof(argv[++i]);
    } else if (arg == "--ogr2ogr") {
      ogr = true;
    } else if (arg == "--keep") {
      keep = true;
    } else if (arg == "--utf8") {
      utf8 = true;
    } else {
      std::fprintf(stderr,
                   "uso: import_bench [--dir DIR] [--scale F] [--ogr2ogr] [--keep] [--utf8]\n");
      return 64;
    }
  }
  const tos::bench::SiceSizes sizes = tos::bench::Scaled(scale);

  stdfs::remove_all(dir);
  std::string sice = tos::fs::Join(dir, "sice");
  std::string otemp = tos::fs::Join(dir, "otemp");
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);

  uint64_t inputBytes = 0;
  Timing generate = Measure([&] {
    inputBytes = tos::bench::WriteSiceFolder(sice, sizes);
    // As a text editor saves them: the same files in UTF-8 without a mark.
    if (utf8) {
      inputBytes = 0;
      for (const auto& entry : stdfs::directory_iterator(sice)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string converted = tos::text::Cp1252ToUtf8(bytes);
        std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << converted;
        inputBytes += converted.size();
      }
    }
  });
  double peakBefore = PeakMegabytes();

  tos::ProgramState state;
  QuietWindow window(sice);
  Timing run = Measure([&] { tos::BExportarClick(state, window, otemp); });
  double peakRun = PeakMegabytes();
  if (state.EstadoTransformacion != 1 || window.messages.size() != 1) {
    std::fprintf(stderr, "the run did not end cleanly (estado %d, %zu messages)\n",
                 state.EstadoTransformacion, window.messages.size());
    return 1;
  }

  const char* tables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};
  uint64_t records = 0;
  for (const char* t : tables) records += Records(otemp, t);
  uint64_t outputBytes = FolderBytes(otemp);
  uint64_t asigtRecords = Records(otemp, "ASIGT");

  // The same bytes through plain streams, once to warm the cache alike.
  std::string scratch = tos::fs::Join(dir, "raw.out");
  RawIo(sice, scratch, outputBytes);
  Timing raw = Measure([&] { RawIo(sice, scratch, outputBytes); });
  stdfs::remove(scratch);

  // Each import on its own (the run's order, so GRUPOST is there).
  tos::Report report(tos::Direction::kSiceAOrvalent);
  tos::ImportContext context{state, window, otemp, report, std::nullopt};
  using Import = void (*)(tos::ImportContext&);
  const std::pair<const char*, Import> imports[] = {
      {"TransformarAsignaturas", tos::TransformarAsignaturas},
      {"TransformarProfesores", tos::TransformarProfesores},
      {"TransformarAulas", tos::TransformarAulas},
      {"TransformarGrupos", tos::TransformarGrupos},
      {"TransformarAsignaturasGrupos", tos::TransformarAsignaturasGrupos},
      {"TransformarSesiones", tos::TransformarSesiones}};
  std::vector<Timing> each;
  for (const auto& [name, import] : imports) each.push_back(Measure([&] { import(context); }));

  std::printf("SICE folder: %.1f MB in 7 files (generated in %.2f s)\n", inputBytes / 1e6,
              generate.wall);
  std::printf(
      "  %llu subjects, %llu teachers, %llu rooms, %llu groups, %llu assignments,\n"
      "  %llu hours lines, %llu time slots\n",
      static_cast<unsigned long long>(sizes.subjects),
      static_cast<unsigned long long>(sizes.teachers), static_cast<unsigned long long>(sizes.rooms),
      static_cast<unsigned long long>(sizes.groups),
      static_cast<unsigned long long>(sizes.assignments),
      static_cast<unsigned long long>(sizes.hours), static_cast<unsigned long long>(sizes.slots));
  std::printf("Tables: %llu records, %.1f MB\n", static_cast<unsigned long long>(records),
              outputBytes / 1e6);
  std::printf("Import run:        %s; %.0f records/s\n", Show(run).c_str(), records / Basis(run));
  std::printf("Raw-I/O baseline:  %s (read %.1f MB, write %.1f MB)\n", Show(raw).c_str(),
              inputBytes / 1e6, outputBytes / 1e6);
  std::printf("Ratio to baseline: %.2fx (target at most 5x; wall %.2fx)\n", Basis(run) / Basis(raw),
              run.wall / raw.wall);
  if (peakRun >= 0) {
    std::printf("Peak memory:       %.1f MB (%.1f MB before the run; inputs %.1f MB, %.2fx)\n",
                peakRun, peakBefore, inputBytes / 1e6, peakRun * 1048576.0 / inputBytes);
  }
  std::printf("Each import:\n");
  for (size_t i = 0; i < each.size(); ++i) {
    std::printf("  %-30s %s\n", imports[i].first, Show(each[i]).c_str());
  }
  const Timing& asigt = each[4];
  std::printf("ASIGT: %llu records, %s; %.0f records/s\n",
              static_cast<unsigned long long>(asigtRecords), Show(asigt).c_str(),
              asigtRecords / Basis(asigt));
  if (ogr) {
    Timing gdal = Ogr2ogr(dir, asigtRecords);
    if (gdal.wall < 0) {
      std::printf("ogr2ogr: failed or not installed\n");
    } else {
      std::printf(
          "ogr2ogr, %llu CSV rows of ASIGT's shape to DBF: %s;\n"
          "  the ASIGT import is %.1fx faster (target 20x; wall %.1fx)\n",
          static_cast<unsigned long long>(asigtRecords), Show(gdal).c_str(),
          Basis(gdal) / Basis(asigt), gdal.wall / asigt.wall);
    }
  }
  if (!keep) stdfs::remove_all(dir);
  return 0;
}
