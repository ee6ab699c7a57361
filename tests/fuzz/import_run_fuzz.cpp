// The whole import run over a fuzzed SICE folder: the input is split at
// "\n@@\n" into the seven SICE files in the order the imports read them (a
// part that is exactly "-" leaves that file out). The run must end with
// "Proceso finalizado" or a tos::Error, hold nothing afterwards, leave tables
// that open and walk, and a second run over the same folder must end the same
// way with the same tables.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "data/error.h"
#include "data/table.h"
#include "import/import_run.h"
#include "memory_fs.h"
#include "support/recording_window.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "broken rule: %s %s\n", what, detail.c_str());
  std::abort();
}

using Window = tos::test::RecordingWindow;

const char* const kFiles[] = {"sice_asignat.txt", "sice_prof.txt",         "sice_aulas.txt",
                              "sice_grupo.txt",   "sice_asignatgrupo.txt", "sice_asignatcurso.txt",
                              "sice_sesiones.txt"};
const char* const kTables[] = {"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

struct Result {
  std::string error;  // empty when the run reached its end
  std::vector<std::string> messages;
  int32_t estado = 0;
  std::map<std::string, std::string> tables;  // name -> bytes, dates blanked
};

Result Run(tos::fuzz::MemoryFileSystem& files) {
  Result r;
  tos::ProgramState state;
  state.NumParametros = 2;
  Window window("/sice");
  try {
    tos::BExportarClick(state, window, "/otemp");
    if (window.messages.empty() || window.messages.back() != "Proceso finalizado") {
      Broken("a run that ended gave no \"Proceso finalizado\"");
    }
    if (state.EstadoTransformacion != 1 && state.EstadoTransformacion != -1) {
      Broken("status after a run");
    }
    if (window.closes != 1) Broken("an embedded run that ended did not close the window");
  } catch (const tos::Error& e) {
    r.error = e.what();
    if (r.error.empty()) Broken("an error without a message");
    if (window.closes != 0) Broken("a failed run closed the window");
  }
  if (window.hourglass) Broken("the hourglass stays after the run");
  if (files.OpenHandles() != 0) Broken("a file or table stays held after the run", r.error);
  r.messages = window.messages;
  r.estado = state.EstadoTransformacion;
  for (const char* name : kTables) {
    std::string path = std::string("/otemp/") + name + ".DBF";
    const std::string* bytes = files.Get(path);
    if (!bytes) continue;
    std::string b = *bytes;
    if (b.size() >= 4) b.replace(1, 3, "DDD");  // the date of the last update
    r.tables[name] = b;
  }
  return r;
}

// Every table the run left must open and walk.
void CheckTables(const Result& r) {
  for (const auto& [name, bytes] : r.tables) {
    tos::Table t;
    t.SetFolder("/otemp");
    t.SetTableName(name + ".DBF");
    t.SetReadOnly(true);
    try {
      t.Open();
      uint32_t n = 0;
      for (t.First(); !t.Eof(); t.Next()) {
        ++n;
        for (int i = 0; i < static_cast<int>(t.Fields().size()); ++i) t.FieldAt(i).AsString();
      }
      if (n > t.RecordCount()) Broken("more records than counted in", name);
    } catch (const tos::Error& e) {
      Broken("a table the run wrote does not open:", name + ": " + e.what());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  tos::fuzz::MemoryFileSystem files;
  files.AddFolder("/sice");
  files.AddFolder("/otemp");
  size_t at = 0;
  for (const char* name : kFiles) {
    if (at > input.size()) break;
    size_t end = input.find("\n@@\n", at);
    if (end == std::string::npos) end = input.size();
    std::string part = input.substr(at, end - at);
    at = end + 4;
    if (part != "-") files.Put(std::string("/sice/") + name, part);
  }
  tos::fs::ScopedFileSystem scope(files);

  Result first = Run(files);
  CheckTables(first);
  Result second = Run(files);
  if (second.error != first.error) Broken("the second run ended otherwise:", second.error);
  if (second.messages != first.messages) Broken("the second run said otherwise");
  if (second.estado != first.estado) Broken("the second run's status differs");
  if (second.tables != first.tables) {
    for (const auto& [name, bytes] : first.tables) {
      auto it = second.tables.find(name);
      if (it == second.tables.end() || it->second != bytes)
        Broken("the second run rebuilt otherwise", name);
    }
    Broken("the second run left other tables");
  }
  return 0;
}
