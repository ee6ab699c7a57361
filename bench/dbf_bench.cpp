// Table engine speed: a million records of a ten-field table shaped like
// ASIGT appended and read back, each timed against the same bytes written
// and read with one buffered stream.
//   dbf_bench [RECORDS [ROUNDS]]
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "data/table.h"
#include "stopwatch.h"

namespace {

namespace stdfs = std::filesystem;

using tos::bench::Stopwatch;
using tos::bench::Timing;

const std::vector<tos::FieldDef> kFields = {
    {"CASIG", tos::FieldKind::kText, 4},  {"CPROF", tos::FieldKind::kText, 4},
    {"CGRUP", tos::FieldKind::kText, 4},  {"CAULA", tos::FieldKind::kText, 4},
    {"TURNO", tos::FieldKind::kText, 1},  {"NIVEL", tos::FieldKind::kText, 5},
    {"CURSO", tos::FieldKind::kText, 3},  {"GRUPO", tos::FieldKind::kText, 2},
    {"HORAS", tos::FieldKind::kFloat, 0}, {"SESIONES", tos::FieldKind::kText, 20}};

// The values of record i, as the assignments import would set them.
struct Source {
  std::vector<std::string> casig, cgrup, nivel, curso, grupo, sesiones;
  std::vector<double> horas;
  Source() {
    for (int i = 0; i < 997; ++i) casig.push_back(std::to_string(1000 + i));
    for (int i = 0; i < 101; ++i) cgrup.push_back("G" + std::to_string(i));
    nivel = {"ESO", "BACH", "FP1", "FP2", "CFGM"};
    curso = {"1", "2", "3", "4"};
    grupo = {"A", "B", "C", "D", "E", "F"};
    horas = {1, 2, 2.5, 3, 4, 4.5, 14};
    sesiones = {"1", "11", "211", "111", "1111", "2111", "14"};
  }
};

void AppendAll(const std::string& folder, uint32_t records, const Source& s, bool byName) {
  auto t = tos::RecrearTabla(folder, "ASIGT", kFields);
  std::vector<tos::Field> held;
  for (int i = 0; i < static_cast<int>(kFields.size()); ++i) held.push_back(t->FieldAt(i));
  // Looked up by name on every record, as the imports do, or held.
  auto field = [&](const char* name, int index) {
    return byName ? t->FieldByName(name) : held[static_cast<size_t>(index)];
  };
  for (uint32_t i = 0; i < records; ++i) {
    t->Append();
    field("CASIG", 0).SetAsString(s.casig[i % s.casig.size()]);
    field("CGRUP", 2).SetAsString(s.cgrup[i % s.cgrup.size()]);
    field("TURNO", 4).SetAsString(i % 2 ? "M" : "T");
    field("NIVEL", 5).SetAsString(s.nivel[i % s.nivel.size()]);
    field("CURSO", 6).SetAsString(s.curso[i % s.curso.size()]);
    field("GRUPO", 7).SetAsString(s.grupo[i % s.grupo.size()]);
    field("HORAS", 8).SetAsFloat(s.horas[i % s.horas.size()]);
    field("SESIONES", 9).SetAsString(s.sesiones[i % s.horas.size()]);
    field("CPROF", 1).SetAsString("");
    field("CAULA", 3).SetAsString("");
    t->Post();
  }
  t->Close();
}

// The same bytes from the same values, assembled by hand and written record
// by record through one buffered stream: a writer that knows its one layout.
void BaselineWrite(const std::string& path, const std::string& header, uint32_t records,
                   const Source& s) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  static std::vector<char> buffer(1 << 16);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  std::fwrite(header.data(), 1, header.size(), f);
  size_t length = 1;
  for (const tos::FieldDef& d : kFields) length += d.kind == tos::FieldKind::kFloat ? 20 : d.width;
  std::string record(length, ' ');
  auto put = [&](size_t at, size_t width, const std::string& v) {
    size_t n = std::min(width, v.size());
    std::memcpy(&record[at], v.data(), n);
    std::memset(&record[at + n], ' ', width - n);
  };
  const std::string turno[2] = {"T", "M"}, empty;
  for (uint32_t i = 0; i < records; ++i) {
    put(1, 4, s.casig[i % s.casig.size()]);
    put(5, 4, empty);
    put(9, 4, s.cgrup[i % s.cgrup.size()]);
    put(13, 4, empty);
    put(17, 1, turno[i % 2]);
    put(18, 5, s.nivel[i % s.nivel.size()]);
    put(23, 3, s.curso[i % s.curso.size()]);
    put(26, 2, s.grupo[i % s.grupo.size()]);
    char number[32];
    auto end = std::to_chars(number, number + sizeof number, s.horas[i % s.horas.size()],
                             std::chars_format::fixed, 4).ptr;
    size_t digits = static_cast<size_t>(end - number);
    std::memset(&record[28], ' ', 20 - digits);
    std::memcpy(&record[48 - digits], number, digits);
    put(48, 20, s.sesiones[i % s.horas.size()]);
    std::fwrite(record.data(), 1, record.size(), f);
  }
  std::fputc(0x1A, f);
  std::fclose(f);
}

// The finished file's bytes copied by one buffered stream: nothing to build.
void CopyWrite(const std::string& path, const std::string& bytes, size_t header, size_t record) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  static std::vector<char> buffer(1 << 16);
  std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
  std::fwrite(bytes.data(), 1, header, f);
  for (size_t at = header; at + record <= bytes.size(); at += record)
    std::fwrite(bytes.data() + at, 1, record, f);
  std::fclose(f);
}

uint64_t ReadAll(const std::string& folder) {
  tos::Table t;
  t.SetFolder(folder);
  t.SetTableName("ASIGT");
  t.SetReadOnly(true);
  t.Open();
  uint64_t checksum = 0;
  std::vector<tos::Field> fields;
  for (int i = 0; i < static_cast<int>(t.Fields().size()); ++i) fields.push_back(t.FieldAt(i));
  for (t.First(); !t.Eof(); t.Next()) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i == 8) {
        checksum += static_cast<uint64_t>(fields[i].AsFloat());
      } else {
        checksum += fields[i].AsString().size();
      }
    }
  }
  t.Close();
  return checksum;
}

std::string Slurp(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string all;
  std::vector<char> buffer(1 << 16);
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f)) all.append(buffer.data(), n);
  std::fclose(f);
  return all;
}

uint64_t BaselineRead(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<char> buffer(1 << 16);
  uint64_t checksum = 0;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f)) checksum += buffer[n - 1];
  std::fclose(f);
  return checksum;
}

void Report(const char* what, uint32_t records, const Timing& t, const Timing& base) {
  std::printf("%-8s %10.0f records/s (%.3f s wall, %.3f s cpu)   baseline %10.0f records/s"
              "   ratio %.2f wall, %.2f cpu\n",
              what, records / t.wall, t.wall, t.cpu, records / base.wall, t.wall / base.wall,
              t.cpu / std::max(base.cpu, 1e-9));
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t records = argc > 1 ? static_cast<uint32_t>(std::atol(argv[1])) : 1000000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  stdfs::path dir = stdfs::temp_directory_path() / ("tos-dbf-bench-" + std::to_string(std::time(nullptr)));
  stdfs::create_directories(dir);
  std::string folder = dir.string();
  std::string table = (dir / "ASIGT.DBF").string();
  std::string copy = (dir / "COPIA.DBF").string();
  Source source;

  Timing append, appendHeld, read, baseWrite, copyWrite, baseRead;
  uint64_t sums = 0;
  bool same = true;
  for (int r = 0; r < rounds; ++r) {
    {
      Stopwatch w;
      AppendAll(folder, records, source, false);
      w.KeepBest(appendHeld);
    }
    {
      Stopwatch w;
      AppendAll(folder, records, source, true);
      w.KeepBest(append);
    }
    std::string bytes = Slurp(table);
    size_t header = 32 + 32 * kFields.size() + 1;
    size_t record = (bytes.size() - header - 1) / records;
    {
      Stopwatch w;
      BaselineWrite(copy, bytes.substr(0, header), records, source);
      w.KeepBest(baseWrite);
    }
    same = same && Slurp(copy) == bytes;
    {
      Stopwatch w;
      CopyWrite(copy, bytes, header, record);
      w.KeepBest(copyWrite);
    }
    {
      Stopwatch w;
      sums += ReadAll(folder);
      w.KeepBest(read);
    }
    {
      Stopwatch w;
      sums += BaselineRead(table);
      w.KeepBest(baseRead);
    }
  }
  std::printf("dbf_bench: %u records of %zu fields (%.1f MB), best of %d rounds%s\n", records,
              kFields.size(), static_cast<double>(stdfs::file_size(table)) / 1e6, rounds,
              same ? "" : "  (BASELINE BYTES DIFFER)");
  std::printf("baseline: the records assembled by hand and written with one buffered stream\n");
  Report("append", records, append, baseWrite);
  Report("held", records, appendHeld, baseWrite);
  std::printf("against copying the finished bytes with one buffered stream:\n");
  Report("append", records, append, copyWrite);
  Report("held", records, appendHeld, copyWrite);
  std::printf("reading every field, against one buffered stream reading the file:\n");
  Report("read", records, read, baseRead);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(sums));
  std::error_code ec;
  stdfs::remove_all(dir, ec);
  return 0;
}
