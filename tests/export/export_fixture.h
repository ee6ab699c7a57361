// A SICE folder and a working folder holding the export's inputs, built for
// one test: the two SICE files, SOLUC, DIASHORAST and the four tables the
// export only opens.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "data/clock.h"
#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "export/timetable_export.h"
#include "support/recording_window.h"
#include "support/temp_dir.h"

namespace tos::test {

// Hands out the times it was given, one per reading; the last one repeats.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(std::vector<LocalTime> times) : times_(std::move(times)) {}
  LocalTime Now() override {
    size_t i = reads_ < times_.size() ? reads_ : times_.size() - 1;
    ++reads_;
    return times_[i];
  }
  size_t Reads() const { return reads_; }

 private:
  std::vector<LocalTime> times_;
  size_t reads_ = 0;
};

// 9 December 2026: the header is built at 08:59, the trailer at 09:00.
inline constexpr LocalTime kHeaderTime{2026, 12, 9, 8, 59, 58};
inline constexpr LocalTime kTrailerTime{2026, 12, 9, 9, 0, 1};

// One row of a table: a value per field, nothing for a field never written.
using Row = std::vector<std::optional<std::string>>;

// Creates folder/name with the fields and rows given. Numbers are written
// from their C-locale text.
inline void MakeTable(const std::string& folder, const std::string& name,
                      const std::vector<FieldDef>& fields, const std::vector<Row>& rows) {
  auto table = RecrearTabla(folder, name, fields);
  for (const Row& row : rows) {
    table->Append();
    for (size_t i = 0; i < row.size() && i < fields.size(); ++i) {
      if (!row[i]) continue;
      Field field = table->FieldByName(fields[i].name);
      if (fields[i].kind == FieldKind::kText) {
        field.SetAsString(*row[i]);
      } else {
        double value = 0;
        const std::string& text = *row[i];
        std::from_chars(text.data(), text.data() + text.size(), value);
        field.SetAsFloat(value);
      }
    }
    table->Post();
  }
  table->Close();
}

struct Lesson {
  std::optional<std::string> dia, hora, prof, grupo, asig, aula;
};

struct Slot {
  std::string dia, hora, code;
};

// A header line of a SICE file: "0", the self-name in 50, then the code.
inline std::string SiceHeader(const std::string& selfName, const std::string& code) {
  std::string line = "0";
  AnadirCampo(line, selfName, 50);
  return line + code;
}

// A data line of the sessions file: slot code at 5-8, day at 9, times after.
inline std::string SessionLine(const std::string& code, char day, const std::string& times) {
  return "1   " + code + day + times;
}

// The status before a run in the tests of failing runs: one that no run
// sets, so that whatever a run writes shows, and that a clean run must
// change to 1.
constexpr int32_t kStatusBefore = 7;

class ExportFixture {
 public:
  ExportFixture() : clock({kHeaderTime, kTrailerTime}), window(sice) {}

  std::string SiceFile(const std::string& name) const { return fs::Join(sice, name); }
  std::string Output() const { return SiceFile("SICE_HORARIO.TXT"); }

  void WriteAsignat(const std::vector<std::string>& lines) {
    test::WriteLines(SiceFile("sice_asignat.txt"), lines);
  }
  void WriteSesiones(const std::vector<std::string>& lines) {
    test::WriteLines(SiceFile("sice_sesiones.txt"), lines);
  }
  // Sessions whose second line has dayChar in column 9.
  void WriteSesionesWithDay(char dayChar) {
    WriteSesiones({SiceHeader("SICE_SESIONES.TXT", "HC2026A1"),
                   SessionLine("0001", dayChar, "08000855"), "9"});
  }

  void MakeSoluc(const std::vector<Lesson>& lessons, FieldKind diaKind = FieldKind::kWhole,
                 FieldKind horaKind = FieldKind::kWhole) {
    std::vector<FieldDef> fields = {{"DIA", diaKind, 2},
                                    {"HORA", horaKind, 20},
                                    {"PROF", FieldKind::kText, 10},
                                    {"CODGRUPO", FieldKind::kText, 10},
                                    {"ASIG", FieldKind::kText, 10},
                                    {"AULA", FieldKind::kText, 10}};
    std::vector<Row> rows;
    for (const Lesson& l : lessons)
      rows.push_back({l.dia, l.hora, l.prof, l.grupo, l.asig, l.aula});
    MakeTable(otemp, "SOLUC.DBF", fields, rows);
  }

  void MakeTramos(const std::vector<Slot>& slots) {
    std::vector<Row> rows;
    for (const Slot& s : slots) rows.push_back({s.dia + s.hora, s.code, s.dia, "", s.hora});
    MakeTable(otemp, "DIASHORAST.DBF", TramosFields(), rows);
  }

  static std::vector<FieldDef> TramosFields() {
    return {{"DIHO", FieldKind::kText, 10},     {"CODDIHO", FieldKind::kText, 10},
            {"DIA", FieldKind::kText, 20},      {"TEXTODIA", FieldKind::kText, 20},
            {"HORA", FieldKind::kText, 8},      {"HORADESDE", FieldKind::kText, 8},
            {"HORAHASTA", FieldKind::kText, 8}, {"MINUTOS", FieldKind::kText, 8}};
  }

  // The four tables the export opens and never reads: one record each.
  void MakeUnreadTables() {
    for (const char* name : {"GRUPOST.DBF", "PROFT.DBF", "AULAT.DBF", "ASIGNOMT.DBF"}) {
      MakeTable(otemp, name, {{"CODIGO", FieldKind::kText, 10}}, {{"X"}});
    }
  }

  // Every input in place: a letter-form sessions file, one slot, one lesson.
  void MakeValidInputs() {
    WriteAsignat({SiceHeader("SICE_ASIGNAT.TXT", "HC2026A1"), "1   MAT Matematicas", "9"});
    WriteSesionesWithDay('L');
    MakeSoluc({{"1", "1", "P001", "G1A", "MAT", "A01"}});
    MakeTramos({{"L", "1", "0001"}});
    MakeUnreadTables();
  }

  void Run() { BImportarClick(state, window, otemp, clock); }

  // Runs the export on that file system; the text of the error that ended
  // it, "" when none did.
  std::string RunOn(fs::FileSystem& files) {
    fs::ScopedFileSystem scope(files);
    try {
      Run();
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }

  // The output's lines, without their CR LF; fails the test if a line end
  // is anything else.
  std::vector<std::string> OutputLines() const {
    std::string data = ReadFile(Output());
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < data.size()) {
      size_t end = data.find("\r\n", at);
      EXPECT_NE(end, std::string::npos) << "last line without CR LF";
      if (end == std::string::npos) end = data.size();
      lines.push_back(data.substr(at, end - at));
      EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
      at = end + 2;
    }
    return lines;
  }

  TempDir temp;
  std::string sice = temp.MakeDir("sice");
  std::string otemp = temp.MakeDir("otemp");
  FixedClock clock;
  ProgramState state;
  RecordingWindow window;
};

}  // namespace tos::test
