// How the converter's cost grows with the school: both directions timed as
// whole processes at several sizes, with the peak memory the system
// accounts to each run.
//   growth_bench [--cli PATH] [--sizes N,N,...] [--runs K] [--keep]
// N is the records of a run: assignments and hours lines for the import
// (with a tenth as many subjects, teachers and groups), lessons for the
// export (with one time slot for each 50). A first round of every size
// warms the caches, then K rounds (5 by default) are timed; the medians are
// shown.
//
// Per record, each figure three ways: the whole run over its records; the
// run less one of 100 records, over the records beyond those (what is left
// when the converter's start and a run's fixed work, such as making six
// tables anew, are taken away); and from the size before (what each record
// the larger school adds costs). The last line of each table gives the
// largest over the smallest of each column.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sice_generator.h"

#if defined(__linux__)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {

namespace stdfs = std::filesystem;

struct Sample {
  double seconds = 0;
  double peakMiB = 0;
};

// One run of the converter, its output thrown away; exits on a failed run.
Sample RunOnce(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "the converter failed: %s %s\n", command[0].c_str(), command[1].c_str());
    std::exit(1);
  }
  Sample s;
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  s.peakMiB = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
  return s;
}

// The median of each column of samples.
Sample Median(std::vector<Sample> samples) {
  auto middle = [&](double Sample::*figure) {
    std::vector<double> v;
    for (const Sample& s : samples) v.push_back(s.*figure);
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  return {middle(&Sample::seconds), middle(&Sample::peakMiB)};
}

struct Row {
  uint64_t records;
  Sample sample;
};

// The table of one direction: rows[0] is the run of 100 records.
void Print(const char* title, const std::vector<Row>& rows) {
  std::printf("\n%s\n", title);
  std::printf("%10s %10s %9s | %s | %s\n", "records", "wall ms", "peak MiB",
              "us a record: whole  beyond 100  from before",
              "bytes a record: whole  beyond 100  from before");
  const Row& base = rows[0];
  std::printf("%10llu %10.3f %9.1f |\n", static_cast<unsigned long long>(base.records),
              base.sample.seconds * 1e3, base.sample.peakMiB);
  std::vector<std::vector<double>> columns(6);
  for (size_t i = 1; i < rows.size(); ++i) {
    const Row& r = rows[i];
    const Row& before = rows[i - 1];
    const double n = static_cast<double>(r.records);
    const double beyond = n - static_cast<double>(base.records);
    const double added = n - static_cast<double>(before.records);
    const double mib = 1048576.0;
    const double figures[6] = {r.sample.seconds / n * 1e6,
                               (r.sample.seconds - base.sample.seconds) / beyond * 1e6,
                               (r.sample.seconds - before.sample.seconds) / added * 1e6,
                               r.sample.peakMiB * mib / n,
                               (r.sample.peakMiB - base.sample.peakMiB) * mib / beyond,
                               (r.sample.peakMiB - before.sample.peakMiB) * mib / added};
    std::printf(
        "%10llu %10.3f %9.1f |            %7.3f  %10.3f  %11.3f |"
        "               %7.1f  %10.1f  %11.1f\n",
        static_cast<unsigned long long>(r.records), r.sample.seconds * 1e3, r.sample.peakMiB,
        figures[0], figures[1], figures[2], figures[3], figures[4], figures[5]);
    for (size_t c = 0; c < 6; ++c) columns[c].push_back(figures[c]);
  }
  // A column whose smallest figure is not above 0 (a peak no larger than
  // the smaller run's: memory that does not grow) has no ratio.
  std::string spread[6];
  for (size_t c = 0; c < 6; ++c) {
    auto [low, high] = std::minmax_element(columns[c].begin(), columns[c].end());
    char text[32] = "-";
    if (*low > 0) std::snprintf(text, sizeof text, "%.2f", *high / *low);
    spread[c] = text;
  }
  std::printf("%31s |  largest/smallest: %5s  %10s  %11s |  largest/smallest:    %5s  %10s  %11s\n",
              "", spread[0].c_str(), spread[1].c_str(), spread[2].c_str(), spread[3].c_str(),
              spread[4].c_str(), spread[5].c_str());
}

std::vector<uint64_t> ParseSizes(const std::string& list) {
  std::vector<uint64_t> sizes;
  for (size_t at = 0; at <= list.size();) {
    size_t comma = std::min(list.find(',', at), list.size());
    uint64_t n = std::strtoull(list.substr(at, comma - at).c_str(), nullptr, 10);
    if (n > 100) sizes.push_back(n);
    at = comma + 1;
  }
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());  // each step adds records
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  stdfs::path self = stdfs::absolute(argv[0]);
  std::string cli =
      (self.parent_path().parent_path() / "src" / "cli" / "transorvalentsice-cli").string();
  std::vector<uint64_t> sizes = {10000, 100000, 1000000, 4000000};
  int runs = 5;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--cli" && i + 1 < argc) {
      cli = argv[++i];
    } else if (arg == "--sizes" && i + 1 < argc) {
      sizes = ParseSizes(argv[++i]);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr,
                   "uso: growth_bench [--cli PATH] [--sizes N,N,...] [--runs K] [--keep]\n");
      return 64;
    }
  }
  if (sizes.empty() || !stdfs::exists(cli)) {
    std::fprintf(stderr, "no sizes, or no converter at %s (--cli PATH)\n", cli.c_str());
    return 64;
  }
  sizes.insert(sizes.begin(), 100);
  const stdfs::path root = stdfs::temp_directory_path() / "tos-growth-bench";
  stdfs::remove_all(root);

  std::printf("converter: %s; medians of %d rounds of every size, after one to warm up\n",
              cli.c_str(), runs);
  // Every folder is written first and on disk before the first run, so
  // that no run shares the machine with the writing back of another's.
  struct Folders {
    std::string in, inTables, out, outTables;
  };
  std::vector<Folders> folders;
  for (uint64_t n : sizes) {
    const stdfs::path folder = root / std::to_string(n);
    Folders f{(folder / "import-sice").string(), (folder / "import-otemp").string(),
              (folder / "export-sice").string(), (folder / "export-otemp").string()};
    for (const std::string& d : {f.in, f.inTables, f.out, f.outTables})
      stdfs::create_directories(d);
    tos::bench::WriteSiceFolder(f.in, tos::bench::Scaled(static_cast<double>(n) / 1e6));
    const auto lessons = static_cast<uint32_t>(n);
    tos::bench::WriteTimetableFolders(f.out, f.outTables, lessons,
                                      std::max<uint32_t>(2, lessons / 50), false);
    folders.push_back(f);
  }
  sync();
  // Round by round, every size once each way: a machine that slows down
  // for a while slows every size alike, not the one being run then. The
  // first round warms the caches and is not counted.
  std::vector<std::vector<Sample>> importRuns(sizes.size()), exportRuns(sizes.size());
  for (int round = 0; round <= runs; ++round) {
    for (size_t i = 0; i < sizes.size(); ++i) {
      const Folders& f = folders[i];
      Sample in = RunOnce({cli, "exportar", f.in, "--otemp", f.inTables, "--sin-informe"});
      Sample out = RunOnce({cli, "importar", f.out, "--otemp", f.outTables, "--sin-informe"});
      if (round == 0) continue;
      importRuns[i].push_back(in);
      exportRuns[i].push_back(out);
    }
  }
  std::vector<Row> imports, exports;
  for (size_t i = 0; i < sizes.size(); ++i) {
    imports.push_back({sizes[i], Median(importRuns[i])});
    exports.push_back({sizes[i], Median(exportRuns[i])});
  }
  Print("SICE to Orvalent (exportar), records = assignments", imports);
  Print("Orvalent to SICE (importar), records = lessons", exports);
  if (keep) {
    std::printf("\nkept: %s\n", root.string().c_str());
  } else {
    stdfs::remove_all(root);
  }
  return 0;
}

#else

int main() {
  std::fprintf(stderr,
               "growth_bench reads a run's peak as Linux accounts it; run it natively on Linux\n");
  return 64;
}

#endif
