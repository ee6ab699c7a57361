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

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/clock.h"
#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "export/timetable_export.h"
#include "import/import_run.h"
#include "sice_generator.h"

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

// The window the conversions talk to: remembers the last message.
class BenchWindow final : public tos::WindowServices {
 public:
  explicit BenchWindow(std::string folder) : folder_(std::move(folder)) {}
  std::string ChosenFolder() override { return folder_; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void SetHourglass(bool) override {}
  void CloseWindow() override {}
  std::vector<std::string> messages;

 private:
  std::string folder_;
};

// The import run; "" when it reached "Proceso finalizado", else the error.
std::string RunImport(const std::string& otemp, BenchWindow& window) {
  tos::ProgramState state;
  try {
    tos::BExportarClick(state, window, otemp);
  } catch (const tos::Error& e) {
    return e.what();
  }
  return "";
}

std::string RunExport(const std::string& otemp, BenchWindow& window) {
  tos::ProgramState state;
  try {
    tos::BImportarClick(state, window, otemp, tos::SystemClock());
  } catch (const tos::Error& e) {
    return e.what();
  }
  return "";
}

uint32_t Records(const std::string& otemp, const std::string& name) {
  tos::Table t;
  t.SetFolder(otemp);
  t.SetTableName(name + ".DBF");
  t.SetReadOnly(true);
  t.Open();
  return t.RecordCount();
}

// A data line padded with blanks to 200 columns, then filled up to 10 MB.
std::string Huge(std::string line) {
  line.resize(200, ' ');
  line.resize(10u << 20, 'n');
  return line;
}

std::string Field(const std::string& value, size_t width) {
  std::string out = value;
  out.resize(width, ' ');
  return out;
}

Outcome LongLine(const std::string& dir) {
  const size_t kLength = 10u << 20;
  std::string sice = fs::Join(dir, "sice");
  std::string otemp = fs::Join(dir, "otemp");
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);
  // Every SICE file holds one sound data line of 10 MB between its header
  // and trailer.
  const std::pair<const char*, std::string> files[] = {
      {"sice_asignat.txt", "1MAT " + Field("MATEM", 20) + "Matematicas"},
      {"sice_prof.txt", "1P001" + Field("Garcia, Ana", 90) + "Ciencias"},
      {"sice_aulas.txt", "1" + Field("2804567101", 10) + "A01 " + std::string(70, '-') + "Aula"},
      {"sice_grupo.txt", "1" + Field("1ESO A", 10) + "G1A ESOLOE1  " + Field("2026-27", 10) + "MAN"},
      {"sice_asignatgrupo.txt", "1" + Field("UNIDAD", 10) + "G1A MAT "},
      {"sice_asignatcurso.txt", "1ESOLOE1  " + Field("2026-27", 13) + "MAT 3"},
      {"sice_sesiones.txt", "1MA 0001L08000855"},
  };
  for (const auto& [name, line] : files) {
    WriteText(fs::Join(sice, name), "0SICE\r\n" + Huge(line) + "\r\n9000001\r\n");
  }
  std::string path = fs::Join(sice, "sice_asignat.txt");
  tos::LectorLineas reader;
  reader.Open(path);
  std::vector<size_t> sizes;
  while (!reader.AtEnd()) sizes.push_back(reader.ReadLineView().size());
  reader.Close();
  std::vector<std::string> whole = tos::CargarLineas(path);
  bool readers = sizes.size() == 3 && sizes[1] == kLength && whole.size() == 3 &&
                 whole[1].size() == kLength;

  BenchWindow window(sice);
  std::string error = RunImport(otemp, window);
  bool imported = error.empty() && window.messages == std::vector<std::string>{"Proceso finalizado"};
  std::string name;
  if (imported) {
    tos::Table t;
    t.SetFolder(otemp);
    t.SetTableName("ASIGNOMT.DBF");
    t.SetReadOnly(true);
    t.Open();
    t.First();
    name = t.FieldByName("NOMBRE").AsString();
    for (const char* table : {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"}) {
      imported = imported && Records(otemp, table) == 1;
    }
  }
  return {readers && imported && name == "Matematicas",
          std::string("both readers give the 10 MB line whole; the import run over seven such "
                      "files: ") +
              (error.empty() ? "Proceso finalizado, one record per table, NOMBRE \"" + name + "\" (" +
                                   std::to_string(name.size()) + " characters)"
                             : error)};
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
  while (!reader.AtEnd()) {
    bytes += reader.ReadLineView().size();
    ++lines;
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

const char* const kSiceFiles[] = {"sice_asignat.txt",      "sice_prof.txt",
                                  "sice_aulas.txt",        "sice_grupo.txt",
                                  "sice_asignatgrupo.txt", "sice_asignatcurso.txt",
                                  "sice_sesiones.txt"};

// Binary garbage of 1 MB in every SICE file, several times over: each import
// run and each export must end with "Proceso finalizado" or a message.
Outcome Garbage(const std::string& dir) {
  std::string sice = fs::Join(dir, "sice");
  std::string otemp = fs::Join(dir, "otemp");
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);
  {
    // A small SOLUC, so that the export gets as far as the garbage lets it.
    auto soluc = tos::RecrearTabla(otemp, "SOLUC.DBF", {{"DIA", tos::FieldKind::kWhole, 0},
                                                       {"HORA", tos::FieldKind::kWhole, 0},
                                                       {"PROF", tos::FieldKind::kText, 4},
                                                       {"CODGRUPO", tos::FieldKind::kText, 4},
                                                       {"ASIG", tos::FieldKind::kText, 4},
                                                       {"AULA", tos::FieldKind::kText, 4}});
    for (int i = 0; i < 10; ++i) {
      soluc->Append();
      soluc->FieldByName("DIA").SetAsFloat(1 + i % 5);
      soluc->FieldByName("HORA").SetAsFloat(1 + i % 3);
      soluc->Post();
    }
  }
  std::mt19937_64 random(20261209);
  std::string detail;
  bool ok = true;
  for (int round = 0; round < 4; ++round) {
    for (const char* name : kSiceFiles) {
      std::string bytes(1 << 20, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      // Half the rounds with line ends sprinkled in, as a text file would have.
      if (round % 2) {
        for (size_t i = 0; i < bytes.size(); i += 1 + random() % 300) bytes[i] = '\n';
      }
      WriteText(fs::Join(sice, name), bytes);
    }
    BenchWindow window(sice);
    std::string error = RunImport(otemp, window);
    bool ended = error.empty() && !window.messages.empty() &&
                 window.messages.back() == "Proceso finalizado";
    ok = ok && (ended || !error.empty());
    BenchWindow exportWindow(sice);
    std::string exportError = RunExport(otemp, exportWindow);
    ok = ok && (!exportError.empty() || exportWindow.messages.back() == "Proceso finalizado");
    if (round < 2) {
      detail += "import: " + (error.empty() ? std::string("Proceso finalizado") : error.substr(0, 60)) +
                "; export: " + (exportError.empty() ? std::string("Proceso finalizado") : exportError.substr(0, 60)) + ". ";
    }
  }
  return {ok, detail};
}

// A million records in the tables: the import from a generated SICE folder
// (a million subjects, teachers, rooms, assignments and hours lines), then
// the export over a SOLUC of a million lessons.
Outcome Million(const std::string& dir) {
  std::string sice = fs::Join(dir, "sice");
  std::string otemp = fs::Join(dir, "otemp");
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);
  tos::bench::SiceSizes sizes;
  sizes.subjects = sizes.teachers = sizes.rooms = sizes.assignments = sizes.hours = 1000000;
  sizes.groups = 100000;
  sizes.slots = 20000;
  tos::bench::WriteSiceFolder(sice, sizes);

  auto t0 = std::chrono::steady_clock::now();
  BenchWindow window(sice);
  std::string error = RunImport(otemp, window);
  double importSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!error.empty()) return {false, "import: " + error};
  uint32_t asig = Records(otemp, "ASIGNOMT"), prof = Records(otemp, "PROFT"),
           aulas = Records(otemp, "AULAT"), asigt = Records(otemp, "ASIGT");

  {
    auto soluc = tos::RecrearTabla(otemp, "SOLUC.DBF",
                                   {{"DIA", tos::FieldKind::kWhole, 0},
                                    {"HORA", tos::FieldKind::kWhole, 0},
                                    {"PROF", tos::FieldKind::kText, 4},
                                    {"CODGRUPO", tos::FieldKind::kText, 4},
                                    {"ASIG", tos::FieldKind::kText, 4},
                                    {"AULA", tos::FieldKind::kText, 4}});
    tos::Field dia = soluc->FieldByName("DIA"), hora = soluc->FieldByName("HORA"),
               p = soluc->FieldByName("PROF"), g = soluc->FieldByName("CODGRUPO"),
               a = soluc->FieldByName("ASIG"), r = soluc->FieldByName("AULA");
    for (uint32_t i = 0; i < 1000000; ++i) {
      soluc->Append();
      dia.SetAsFloat(1 + i % 5);
      hora.SetAsFloat(1 + i % 7);
      p.SetAsString(tos::bench::Code4(i % 5000));
      g.SetAsString(tos::bench::Code4(i % 3000));
      a.SetAsString(tos::bench::Code4(i % 800));
      r.SetAsString(tos::bench::Code4(i % 400));
      soluc->Post();
    }
    soluc->Close();
  }
  auto t1 = std::chrono::steady_clock::now();
  BenchWindow exportWindow(sice);
  std::string exportError = RunExport(otemp, exportWindow);
  double exportSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
  if (!exportError.empty()) return {false, "export: " + exportError};
  std::vector<std::string> lines = tos::CargarLineas(fs::Join(sice, "SICE_HORARIO.TXT"));
  bool counted = lines.size() == 1000002 && lines.back().substr(71) == "1000000";

  char detail[300];
  std::snprintf(detail, sizeof detail,
                "import %.1f s (ASIGNOMT %u, PROFT %u, AULAT %u, ASIGT %u records); "
                "export of 1000000 lessons %.1f s, trailer count %s",
                importSeconds, asig, prof, aulas, asigt, exportSeconds, counted ? "right" : "WRONG");
  bool ok = asig == 1000000 && prof == 1000000 && aulas == 1000000 && asigt == 1000000 && counted;
  return {ok, detail};
}

// A table of a million records held by another user: re-creating it fails at
// once and leaves it, and its index, as they were.
Outcome HeldMillion(const std::string& dir) {
  std::string otemp = fs::Join(dir, "otemp");
  stdfs::create_directories(otemp);
  {
    auto t = tos::RecrearTabla(otemp, "ASIGT.DBF", {{"CASIG", tos::FieldKind::kText, 4},
                                                   {"HORAS", tos::FieldKind::kFloat, 0}});
    tos::Field c = t->FieldByName("CASIG"), h = t->FieldByName("HORAS");
    for (uint32_t i = 0; i < 1000000; ++i) {
      t->Append();
      c.SetAsString(tos::bench::Code4(i));
      h.SetAsFloat(1 + i % 9);
      t->Post();
    }
  }
  std::string dbf = fs::Join(otemp, "ASIGT.DBF");
  WriteText(fs::Join(otemp, "ASIGT.MDX"), "index");
  uint64_t size = stdfs::file_size(dbf);
  tos::Table holder;
  holder.SetFolder(otemp);
  holder.SetTableName("ASIGT.DBF");
  holder.SetReadOnly(true);
  holder.Open();
  auto t0 = std::chrono::steady_clock::now();
  std::string error;
  try {
    tos::RecrearTabla(otemp, "ASIGT.DBF", {{"CASIG", tos::FieldKind::kText, 4}});
  } catch (const tos::Error& e) {
    error = e.what();
  }
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  holder.Close();
  bool kept = stdfs::file_size(dbf) == size && Records(otemp, "ASIGT") == 1000000 &&
              stdfs::exists(fs::Join(otemp, "ASIGT.MDX"));
  char detail[300];
  std::snprintf(detail, sizeof detail, "refused in %.1f ms: \"%s\"; table and index %s", ms,
                error.c_str(), kept ? "kept" : "LOST");
  return {!error.empty() && kept, detail};
}

// 1 GB of teachers, the same 10,000 over and over, through the import run:
// the file is streamed, and PROFT keeps the first line of each code.
Outcome GigabyteImport(const std::string& dir) {
  const uint64_t kSize = uint64_t{1} << 30;
  std::string sice = fs::Join(dir, "sice");
  std::string otemp = fs::Join(dir, "otemp");
  stdfs::create_directories(sice);
  stdfs::create_directories(otemp);
  uint64_t n = 0;
  WriteBig(fs::Join(sice, "sice_prof.txt"), kSize, [&] {
    std::string chunk;
    for (int i = 0; i < 10000; ++i, ++n) {
      std::string line = "1" + Field(tos::bench::Code4(n % 10000), 4) + "Profesor " + std::to_string(n);
      line.resize(98, ' ');
      chunk += line + "\r\n";
    }
    return chunk;
  });
  BenchWindow window(sice);
  std::string error = RunImport(otemp, window);
  if (!error.empty()) return {false, error};
  uint32_t teachers = Records(otemp, "PROFT");
  return {teachers == 10000 && window.messages.back() == "Proceso finalizado",
          "import run over a 1 GB sice_prof.txt: PROFT " + std::to_string(teachers) +
              " records, " + std::to_string(window.messages.size() - 1) + " missing-file messages"};
}

std::vector<Case> Cases() {
  return {
      {"long_line", "a SICE file with one data line of 10 MB", LongLine},
      {"gigabyte", "1 GB of 100-byte lines through LectorLineas", GigabyteOfLines},
      {"gigabyte_import", "the import run over a 1 GB teachers file", GigabyteImport},
      {"garbage", "1 MB of binary garbage in every SICE file, import and export", Garbage},
      {"million", "import into tables of 1,000,000 records, export of 1,000,000 lessons", Million},
      {"held_million", "RecrearTabla over a held table of 1,000,000 records", HeldMillion},
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
  std::printf("%-16s %8.1f s %10s  %-4s %s\n", c.name, seconds, memory, outcome.ok ? "ok" : "FAIL",
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
      for (const Case& c : Cases()) std::printf("%-16s %s\n", c.name, c.what);
      return 0;
    } else {
      std::fprintf(stderr, "usage: load_bench [--only CASE] [--dir FOLDER] [--keep] [--list]\n");
      return 64;
    }
  }
  if (base.empty()) base = (stdfs::temp_directory_path() / "tos-load").string();
  stdfs::create_directories(base);
  std::printf("%-16s %10s %10s  %s\n", "case", "time", "peak", "result");
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
