// Load cases: very long lines, a very large file of short lines, binary
// garbage in every SICE file and tables of a million records. Each case makes
// its data in a temporary folder, runs, checks that it ended with the right
// result or the right message, and reports its time and peak memory (each
// case runs in a process of its own where the platform allows, so that its
// peak is its own).
//   load_bench [--only CASE] [--dir FOLDER] [--keep] [--list]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#define TOS_BENCH_FORK 1
#endif

#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"

namespace {

namespace stdfs = std::filesystem;
namespace fs = tos::fs;

// What a case found, printed after its figures.
struct Outcome {
  bool ok = false;
  std::string detail;
};

struct Case {
  const char* name;
  const char* what;
  std::function<Outcome(const std::string& dir)> run;
};

// Writes a file by repeating a generator's chunks until size bytes.
void WriteBig(const std::string& path, uint64_t size, const std::function<std::string()>& chunk) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  uint64_t done = 0;
  while (done < size) {
    std::string c = chunk();
    if (done + c.size() > size) c.resize(static_cast<size_t>(size - done));
    out.write(c.data(), static_cast<std::streamsize>(c.size()));
    done += c.size();
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// One SICE data line of 100 bytes (98 and CR LF) whose first columns number it.
std::string ShortLines(uint64_t& counter, size_t lines) {
  std::string chunk;
  chunk.reserve(lines * 100);
  for (size_t i = 0; i < lines; ++i) {
    char head[32];
    std::snprintf(head, sizeof head, "1%04u%010llu", static_cast<unsigned>(counter % 10000),
                  static_cast<unsigned long long>(counter));
    ++counter;
    std::string line = head;
    line.resize(98, 'x');
    chunk += line;
    chunk += "\r\n";
  }
  return chunk;
}

Outcome LongLine(const std::string& dir) {
  const size_t kLength = 10u << 20;
  std::string path = fs::Join(dir, "sice_asignat.txt");
  std::string line = "1MAT1LARGO";
  line.resize(kLength, 'n');
  WriteText(path, "0SICE_ASIGNAT.TXT\r\n" + line + "\r\n9000001\r\n");
  tos::LectorLineas reader;
  reader.Open(path);
  std::vector<size_t> sizes;
  std::string got;
  while (!reader.AtEnd()) {
    reader.ReadLine(got);
    sizes.push_back(got.size());
  }
  reader.Close();
  std::vector<std::string> whole = tos::CargarLineas(path);
  bool ok = sizes.size() == 3 && sizes[1] == kLength && whole.size() == 3 &&
            whole[1].size() == kLength;
  return {ok, "LectorLineas and CargarLineas: 3 lines, the long one " + std::to_string(kLength) +
                  " bytes"};
}

Outcome GigabyteOfLines(const std::string& dir) {
  const uint64_t kSize = uint64_t{1} << 30;
  std::string path = fs::Join(dir, "sice_aulas.txt");
  uint64_t counter = 0;
  WriteBig(path, kSize, [&] { return ShortLines(counter, 10000); });
  uint64_t expected = kSize / 100 + (kSize % 100 ? 1 : 0);
  auto start = std::chrono::steady_clock::now();
  tos::LectorLineas reader;
  reader.Open(path);
  uint64_t lines = 0, bytes = 0;
  std::string line;
  while (!reader.AtEnd()) {
    reader.ReadLine(line);
    ++lines;
    bytes += line.size();
  }
  reader.Close();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char detail[160];
  std::snprintf(detail, sizeof detail, "%llu lines read by LectorLineas in %.1f s (%.0f MB/s)",
                static_cast<unsigned long long>(lines), seconds,
                static_cast<double>(kSize) / (1 << 20) / seconds);
  return {lines == expected && bytes == kSize - 2 * (kSize / 100), detail};
}

std::vector<Case> Cases() {
  return {
      {"long_line", "a SICE file with one data line of 10 MB", LongLine},
      {"gigabyte", "1 GB of 100-byte lines through LectorLineas", GigabyteOfLines},
  };
}

double PeakMegabytes() {
#ifdef TOS_BENCH_FORK
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
#else
  return -1;
#endif
}

// Runs a case and prints its line: name, seconds, peak MB, verdict, detail.
bool RunCase(const Case& c, const std::string& base, bool keep) {
  std::string dir = fs::Join(base, c.name);
  stdfs::create_directories(dir);
  auto start = std::chrono::steady_clock::now();
  Outcome outcome;
  try {
    outcome = c.run(dir);
  } catch (const tos::Error& e) {
    outcome = {false, std::string("unexpected error: ") + e.what()};
  } catch (const std::exception& e) {
    outcome = {false, std::string("unexpected exception: ") + e.what()};
  }
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!keep) {
    std::error_code ec;
    stdfs::remove_all(dir, ec);
  }
  double peak = PeakMegabytes();
  char memory[32] = "n/a";
  if (peak >= 0) std::snprintf(memory, sizeof memory, "%.0f MB", peak);
  std::printf("%-12s %8.1f s %10s  %-4s %s\n", c.name, seconds, memory, outcome.ok ? "ok" : "FAIL",
              outcome.detail.c_str());
  std::fflush(stdout);
  return outcome.ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string only, base;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (a == "--dir" && i + 1 < argc) {
      base = argv[++i];
    } else if (a == "--keep") {
      keep = true;
    } else if (a == "--list") {
      for (const Case& c : Cases()) std::printf("%-12s %s\n", c.name, c.what);
      return 0;
    } else {
      std::fprintf(stderr, "usage: load_bench [--only CASE] [--dir FOLDER] [--keep] [--list]\n");
      return 64;
    }
  }
  if (base.empty()) base = (stdfs::temp_directory_path() / "tos-load").string();
  stdfs::create_directories(base);
  std::printf("%-12s %10s %10s  %s\n", "case", "time", "peak", "result");
  bool all = true;
  for (const Case& c : Cases()) {
    if (!only.empty() && only != c.name) continue;
#ifdef TOS_BENCH_FORK
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) _exit(RunCase(c, base, keep) ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      if (!WIFEXITED(status)) std::printf("%-12s crashed (signal %d)\n", c.name, WTERMSIG(status));
      all = false;
    }
#else
    all = RunCase(c, base, keep) && all;
#endif
  }
  return all ? 0 : 1;
}
