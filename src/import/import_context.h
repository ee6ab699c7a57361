// What every import works with: the program state (RutaSice,
// EstadoTransformacion), the window for its messages, the working folder its
// table goes to ("C:\OTEMP" in the window), and the report that tells the
// user what the data lost on the way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/table.h"
#include "data/text.h"
#include "import/file_watch.h"
#include "report/report.h"

namespace tos {

// A line of a SICE file, for the report: "sice_prof.txt, línea 12".
struct Place {
  const char* file;
  uint64_t line;
  std::string Text() const { return std::string(file) + ", línea " + std::to_string(line); }
};

struct ImportContext {
  ProgramState& state;
  WindowServices& window;
  std::string otemp;
  Report& report;
  // The subject codes this run wrote to ASIGNOMT, as ASIGNOMT holds them
  // (at most 4 bytes, no NUL) packed into numbers and sorted, for the
  // report's check of the assignments' subjects; none when the subjects
  // file was missing.
  std::optional<std::vector<uint32_t>> subjects;
  bool KnownSubject(std::string_view code) const {
    return !subjects ||
           std::binary_search(subjects->begin(), subjects->end(), text::PackedCode(code));
  }
  // The SICE files read, in the order they were opened, each with what its
  // lines and characters told (the report's notices of where they came
  // from, told when the run ends).
  std::deque<FileWatch> files = {};
  FileWatch& Watch(const char* file, const char* selfName) {
    return files.emplace_back(file, selfName);
  }

  // A SICE file of the chosen folder (RutaSice ends in the separator).
  std::string SicePath(std::string_view name) const { return state.RutaSice + std::string(name); }

  // A missing input file: its message, and the run's outcome is incomplete.
  void MissingFile(const std::string& message, std::string_view file) {
    window.ShowMessage(message);
    state.EstadoTransformacion = -1;
    report.Add(NoticeKind::kFicheroAusente, {std::string(file), message, ""});
  }

  // Sets a text field, telling the report when the field cuts the value.
  void Put(Field& field, std::string_view value, const Place& place) {
    field.SetAsString(value);
    if (value.size() > static_cast<size_t>(field.Info().width)) Cut(field, value, place);
  }
  void Cut(const Field& field, std::string_view value, const Place& place) {
    report.Add(NoticeKind::kValorCortado, [&] {
      return Notice{
          place.Text(),
          "campo " + field.Info().name + " (ancho " +
              Counted(static_cast<uint64_t>(field.Info().width), "carácter", "caracteres") +
              "): «" + std::string(value) + "»; se guarda «" +
              std::string(value.substr(0, static_cast<size_t>(field.Info().width))) + "»",
          ""};
    });
  }

  // A data line whose code is empty, or too short to reach its last field
  // (which then reads as empty).
  void CheckLine(std::string_view line, std::string_view code, size_t lastColumn,
                 const Place& place) {
    if constexpr (!kNotices) return;
    if (code.empty())
      report.Add(NoticeKind::kCodigoVacio, [&] {
        return Notice{place.Text(), "«" + std::string(line.substr(0, 60)) + "»", ""};
      });
    if (line.size() < lastColumn)
      report.Add(NoticeKind::kLineaCorta, [&] {
        return Notice{place.Text(),
                      Counted(line.size(), "carácter", "caracteres") +
                          "; sus campos llegan a la columna " + std::to_string(lastColumn),
                      ""};
      });
  }
};

// The codes of an import that keeps every line, for the report's notice of
// a code written twice. Codes are cut to 4 bytes and trimmed (never ending
// in a NUL), so packed in a number they stay apart.
class CodigosRepetidos {
 public:
  // name: what the line calls the room or group, for the report.
  void Add(ImportContext& context, std::string_view code, std::string_view name,
           const Place& place) {
    if constexpr (!kNotices) return;
    auto [at, added] = first_.try_emplace(text::PackedCode(code), place.line);
    if (added) return;
    const uint64_t firstLine = at->second;
    context.report.Add(NoticeKind::kCodigoRepetidoConservado, [&] {
      return Notice{place.Text(),
                    "código " + std::string(code) + " (" + std::string(name) +
                        "); ya estaba en la línea " + std::to_string(firstLine),
                    ""};
    });
  }

 private:
  std::unordered_map<uint32_t, uint64_t> first_;
};

// The outcome of an import's table for the report's head: its records.
inline void Written(ImportContext& context, const char* table, uint64_t records) {
  context.report.AddOutput(table, records, "registro", "registros");
}

}  // namespace tos
