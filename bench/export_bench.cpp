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
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/clock.h"
#include "data/sice_text.h"
#include "export/timetable_export.h"
#include "sice_generator.h"
#include "stopwatch.h"

namespace {

namespace stdfs = std::filesystem;

using tos::bench::Stopwatch;
using tos::bench::Timing;

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
  stdfs::path root = stdfs::temp_directory_path() /
                     ("tos-export-bench-" +
                      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  stdfs::path sice = root / "sice";
  stdfs::path otemp = root / "otemp";
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);

  tos::bench::WriteTimetableFolders(sice.string(), otemp.string(), lessons, slots, notices);

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
