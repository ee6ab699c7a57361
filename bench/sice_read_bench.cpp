// SICE text file reading speed: a 100 MB file of fixed-width lines read
// with LectorLineas (streaming) and CargarLineas (whole file), each timed
// against a plain memchr pass over the same file read in chunks.
//   sice_read_bench [MEGABYTES [ROUNDS]]
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

#include "data/sice_text.h"
#include "stopwatch.h"

namespace {

namespace stdfs = std::filesystem;

using tos::bench::Stopwatch;
using tos::bench::Timing;

// Lines like those of SICE_ASIGNATGRUPO.TXT: a header, fixed-width data
// lines of varying content with CR LF, Windows-1252 text, and a trailer.
uint64_t Generate(const std::string& path, uint64_t bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::string line = "0SICE_ASIGNATGRUPO.TXT";
  line.resize(60, ' ');
  line += "\r\n";
  uint64_t lines = 0;
  std::fwrite(line.data(), 1, line.size(), f);
  uint64_t written = line.size();
  char buffer[128];
  while (written < bytes) {
    int n = std::snprintf(buffer, sizeof buffer, "1%03llu   %04llu%-4s%04llu  Matem\xe1ticas %-20llu\r\n",
                          static_cast<unsigned long long>(lines % 997),
                          static_cast<unsigned long long>(lines % 9973), "G1",
                          static_cast<unsigned long long>(lines % 7919),
                          static_cast<unsigned long long>(lines));
    std::fwrite(buffer, 1, static_cast<size_t>(n), f);
    written += static_cast<uint64_t>(n);
    ++lines;
  }
  std::fwrite("9FIN\r\n", 1, 6, f);
  std::fclose(f);
  return lines + 2;
}

// The least a line reader must do: read the file and find every line end.
uint64_t MemchrPass(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<char> buffer(1 << 16);
  uint64_t lines = 0;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f)) {
    const char* p = buffer.data();
    const char* end = p + n;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
      ++lines;
      ++p;
    }
  }
  std::fclose(f);
  return lines;
}

uint64_t Streamed(const std::string& path, uint64_t& chars) {
  tos::LectorLineas reader;
  reader.Open(path);
  uint64_t lines = 0;
  while (!reader.AtEnd()) {
    chars += reader.ReadLineView().size();
    ++lines;
  }
  reader.Close();
  return lines;
}

uint64_t Whole(const std::string& path, uint64_t& chars) {
  std::vector<std::string> lines = tos::CargarLineas(path);
  for (const std::string& l : lines) chars += l.size();
  return lines.size();
}

void Report(const char* what, double megabytes, const Timing& t, const Timing& base) {
  std::printf("%-13s %8.1f MB/s (%.3f s wall, %.3f s cpu)   memchr %8.1f MB/s   ratio %.2f wall, "
              "%.2f cpu\n",
              what, megabytes / t.wall, t.wall, t.cpu, megabytes / base.wall, t.wall / base.wall,
              t.cpu / std::max(base.cpu, 1e-9));
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t megabytes = argc > 1 ? static_cast<uint64_t>(std::atol(argv[1])) : 100;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  stdfs::path dir =
      stdfs::temp_directory_path() / ("tos-sice-bench-" + std::to_string(std::time(nullptr)));
  stdfs::create_directories(dir);
  std::string path = (dir / "sice_asignatgrupo.txt").string();
  uint64_t expected = Generate(path, megabytes * 1000 * 1000);
  double size = static_cast<double>(stdfs::file_size(path)) / 1e6;

  Timing base, streamed, whole;
  uint64_t chars = 0;
  bool agree = true;
  for (int r = 0; r < rounds; ++r) {
    {
      Stopwatch w;
      agree = MemchrPass(path) == expected && agree;
      w.KeepBest(base);
    }
    {
      Stopwatch w;
      agree = Streamed(path, chars) == expected && agree;
      w.KeepBest(streamed);
    }
    {
      Stopwatch w;
      agree = Whole(path, chars) == expected && agree;
      w.KeepBest(whole);
    }
  }
  std::printf("sice_read_bench: %.1f MB, %llu lines, best of %d rounds%s\n", size,
              static_cast<unsigned long long>(expected), rounds,
              agree ? "" : "  (LINE COUNTS DIFFER)");
  Report("LectorLineas", size, streamed, base);
  Report("CargarLineas", size, whole, base);
  std::printf("(%llu characters)\n", static_cast<unsigned long long>(chars));
  std::error_code ec;
  stdfs::remove_all(dir, ec);
  return agree ? 0 : 1;
}
