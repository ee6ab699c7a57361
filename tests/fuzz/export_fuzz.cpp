// The timetable export over a fuzzed SOLUC.DBF (and, after "\n@@\n", a fuzzed
// DIASHORAST.DBF; a sound one otherwise), the other inputs sound. The export
// must end with "Proceso finalizado" and a well-formed SICE_HORARIO.TXT, or
// with a tos::Error and no output file; nothing may stay held; a second
// export must end the same way with the same file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "data/clock.h"
#include "data/error.h"
#include "data/table.h"
#include "export/timetable_export.h"
#include "memory_fs.h"
#include "support/recording_window.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "broken rule: %s %s\n", what, detail.c_str());
  std::abort();
}

using Window = tos::test::RecordingWindow;

class FixedClock final : public tos::Clock {
 public:
  tos::LocalTime Now() override { return {2026, 12, 9, 8, 59, 0}; }
};

struct Sound {
  std::string tramos;
  std::string other;  // GRUPOST, PROFT, AULAT, ASIGNOMT
};

// The sound tables, made once by our own engine.
const Sound& SoundTables() {
  static const Sound sound = [] {
    tos::fuzz::MemoryFileSystem files;
    files.AddFolder("/t");
    tos::fs::ScopedFileSystem scope(files);
    {
      auto t = tos::RecrearTabla("/t", "DIASHORAST.DBF",
                                 {{"DIHO", tos::FieldKind::kText, 10},
                                  {"CODDIHO", tos::FieldKind::kText, 10},
                                  {"DIA", tos::FieldKind::kText, 20},
                                  {"HORA", tos::FieldKind::kText, 8}});
      const char* rows[][3] = {{"0001", "L", "1"}, {"0002", "L", "2"}, {"0003", "1", "1"}};
      for (auto& r : rows) {
        t->Append();
        t->FieldByName("CODDIHO").SetAsString(r[0]);
        t->FieldByName("DIA").SetAsString(r[1]);
        t->FieldByName("HORA").SetAsString(r[2]);
        t->Post();
      }
      t->Close();
    }
    tos::RecrearTabla("/t", "X.DBF", {{"CODIGO", tos::FieldKind::kText, 4}})->Close();
    return Sound{*files.Get("/t/DIASHORAST.DBF"), *files.Get("/t/X.DBF")};
  }();
  return sound;
}

struct Result {
  std::string error;
  std::string output;
  bool wrote = false;
};

Result Run(tos::fuzz::MemoryFileSystem& files) {
  Result r;
  tos::ProgramState state;
  state.NumParametros = 2;
  state.EstadoTransformacion = 7;
  Window window("/sice");
  FixedClock clock;
  try {
    tos::BImportarClick(state, window, "/otemp", clock);
    if (window.messages != std::vector<std::string>{"Proceso finalizado"}) {
      Broken("an export that ended said something else");
    }
    if (state.EstadoTransformacion != 1 || window.closes != 1) Broken("status after an export");
  } catch (const tos::Error& e) {
    r.error = e.what();
    if (r.error.empty()) Broken("an error without a message");
    if (state.EstadoTransformacion != 7 || window.closes != 0)
      Broken("a failed export changed the status");
  }
  if (window.hourglass) Broken("the hourglass stays after the export");
  if (files.OpenHandles() != 0) Broken("a table stays held after the export", r.error);
  if (files.Get("/sice/SICE_HORARIO.TXT.tmp~")) Broken("a temporary file is left");
  if (const std::string* out = files.Get("/sice/SICE_HORARIO.TXT")) {
    r.output = *out;
    r.wrote = true;
  }
  return r;
}

void CheckOutput(const std::string& out) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < out.size()) {
    size_t end = out.find("\r\n", at);
    if (end == std::string::npos) Broken("a line without CR LF");
    std::string line = out.substr(at, end - at);
    if (line.find_first_of("\r\n") != std::string::npos) Broken("a line end inside a line", line);
    lines.push_back(line);
    at = end + 2;
  }
  if (lines.size() < 2) Broken("no header and trailer");
  if (lines.front().rfind("0SICE_HORARIO.TXT", 0) != 0) Broken("header", lines.front());
  const std::string& trailer = lines.back();
  if (trailer.rfind("9SICE_HORARIO.TXT", 0) != 0 || trailer.size() < 72) Broken("trailer", trailer);
  if (trailer.substr(71) != std::to_string(lines.size() - 2)) Broken("trailer count", trailer);
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    if (lines[i].empty() || lines[i][0] != '1' || lines[i].size() < 26)
      Broken("detail line", lines[i]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Sound& sound = SoundTables();
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string soluc = input;
  std::string tramos = sound.tramos;
  size_t split = input.find("\n@@\n");
  if (split != std::string::npos) {
    soluc = input.substr(0, split);
    tramos = input.substr(split + 4);
  }
  tos::fuzz::MemoryFileSystem files;
  files.AddFolder("/sice");
  files.AddFolder("/otemp");
  files.Put("/sice/sice_asignat.txt", "0SICE_ASIGNAT.TXT" + std::string(34, ' ') + "HC2026A1\r\n");
  // The day form follows the input's length: letters or digits.
  files.Put("/sice/SICE_SESIONES.TXT",
            std::string("0\r\n1   0001") + (size % 2 ? 'L' : '1') + "08000855\r\n");
  files.Put("/otemp/SOLUC.DBF", soluc);
  files.Put("/otemp/DIASHORAST.DBF", tramos);
  for (const char* name : {"GRUPOST", "PROFT", "AULAT", "ASIGNOMT"}) {
    files.Put(std::string("/otemp/") + name + ".DBF", sound.other);
  }
  tos::fs::ScopedFileSystem scope(files);

  Result first = Run(files);
  if (first.error.empty()) {
    CheckOutput(first.output);
  } else if (first.wrote) {
    Broken("a failed export wrote its file", first.error);
  }
  Result second = Run(files);
  if (second.error != first.error) Broken("the second export ended otherwise", second.error);
  if (second.output != first.output) Broken("the second export wrote another file");
  return 0;
}
