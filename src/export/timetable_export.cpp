#include "export/timetable_export.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "export/export_notices.h"
#include "export/slot_index.h"
#include "report/report.h"

namespace tos {

namespace {

constexpr const char* kHorario = "SICE_HORARIO.TXT";

enum class DayForm { kNumeric, kLetters };

// Both files are read as CargarLineas reads them, but only as far as
// needed: sice_asignat.txt holds every subject and can be large, and only
// its header matters here.
constexpr size_t kPeekBuffer = 64 << 10;

// Columns 52-59 of the file's first header line, as they stand (shorter when
// the line is); "" when no line starts with "0".
std::string HeaderCode(const std::string& path, Report& report) {
  FileDecoding decoding;
  std::string code;
  {
    WholeFileLines lines(path, kPeekBuffer, &decoding);
    for (std::string_view line; lines.Next(line);) {
      if (!line.empty() && line[0] == '0') {
        code = line.size() > 51 ? line.substr(51, 8) : "";
        break;
      }
    }
  }
  TellDecoding(report, "sice_asignat.txt", decoding);
  return code;
}

// SICE writes days as digits when column 9 of the sessions file's second
// line holds one from 1 to 7, and as letters otherwise.
DayForm DayFormOf(const std::string& path, Report& report) {
  FileDecoding decoding;
  std::string_view second;
  WholeFileLines lines(path, kPeekBuffer, &decoding);
  bool two = lines.Next(second) && lines.Next(second);
  TellDecoding(report, "sice_sesiones.txt", decoding);
  if (!two) throw Error("List index out of bounds (1)");
  if (second.size() >= 9 && second[8] >= '1' && second[8] <= '7') return DayForm::kNumeric;
  return DayForm::kLetters;
}

// The day as the letter form writes it: SICE's letter for "1" to "7", any
// other day text as it is.
std::string_view DayLetter(std::string_view day) {
  static constexpr std::string_view kLetters = "LMXJVSD";
  if (day.size() == 1 && day[0] >= '1' && day[0] <= '7')
    return kLetters.substr(static_cast<size_t>(day[0] - '1'), 1);
  return day;
}

// Whether a DIA read as text is a whole number other than 0 in any column
// type: then it needs no second reading as a number to tell day 0 apart.
bool NonZeroWhole(std::string_view day) {
  if (day.empty() || day.size() > 9 || day[0] < '1' || day[0] > '9') return false;
  for (char c : day)
    if (c < '0' || c > '9') return false;
  return true;
}

// "ddmmyyyyhhnn", read from the clock when the line is built.
std::string Stamp(Clock& clock) {
  LocalTime t = clock.Now();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d%02d%04d%02d%02d", t.day, t.month, t.year, t.hour,
                t.minute);
  return buffer;
}

// The header ("0") and trailer ("9") lines share their first 71 columns.
std::string FrameLine(char kind, const std::string& code, Clock& clock) {
  std::string line(1, kind);
  AnadirCampo(line, kHorario, 50);
  AnadirCampo(line, code, 8);
  AnadirCampo(line, Stamp(clock), 8);
  return line;
}

// The six tables the export holds exclusively while it runs. Destruction
// closes whatever is still open, so a failure never leaves one locked.
struct ExportTables {
  explicit ExportTables(const std::string& otemp) {
    static constexpr const char* kNames[] = {"SOLUC", "GRUPOST",  "PROFT",
                                             "AULAT", "ASIGNOMT", "DIASHORAST"};
    std::vector<Table*> tables = InOrder();
    for (size_t i = 0; i < tables.size(); ++i) {
      tables[i]->SetFolder(otemp);
      tables[i]->SetTableName(kNames[i]);
      tables[i]->SetTableType(TableType::kDBase);
      tables[i]->SetExclusive(true);
      tables[i]->SetReadOnly(false);
    }
  }
  void OpenAll() {
    for (Table* table : InOrder()) table->Open();
  }
  void CloseAll() {
    for (Table* table : InOrder()) table->Close();
  }
  std::vector<Table*> InOrder() { return {&soluc, &grupos, &profesor, &aulas, &nomAsg, &tramos}; }

  Table soluc{"wwTableSoluc"};
  Table grupos{"wwTableGrupos"};
  Table profesor{"wwTableProfesor"};
  Table aulas{"wwTableAulas"};
  Table nomAsg{"wwTableNomAsg"};
  Table tramos{"wwTableTramos"};
};

// A field found by name on its first use and kept: a missing field fails on
// the first record that needs it, as a lookup per record would.
class LazyField {
 public:
  LazyField(Table& table, const char* name) : table_(table), name_(name) {}
  Field Get() {
    if (!field_) [[unlikely]]
      field_.emplace(table_.FieldByName(name_));
    return *field_;
  }

 private:
  Table& table_;
  const char* name_;
  std::optional<Field> field_;
};

class Hourglass {
 public:
  explicit Hourglass(WindowServices& window) : window_(window) { window_.SetHourglass(true); }
  ~Hourglass() { Off(); }
  void Off() {
    if (on_) window_.SetHourglass(false);
    on_ = false;
  }

 private:
  WindowServices& window_;
  bool on_ = true;
};

// Appends a lesson's line: "1", each value padded with blanks to its width
// as AnadirCampo pads it (a longer one whole), CR LF. The line is sized
// first and its bytes put in place one by one: values are a few bytes, and
// a call to copy each cost more than the copy. A line end inside a value
// would split the lesson over two lines and make the trailer's count wrong:
// it is written as a blank.
void PutLesson(std::string& out, const std::array<std::pair<std::string_view, size_t>, 7>& fields) {
  size_t size = 3;
  for (const auto& [value, width] : fields) size += std::max(value.size(), width);
  size_t at = out.size();
  out.resize(at + size);
  char* p = out.data() + at;
  *p++ = '1';
  for (const auto& [value, width] : fields) {
    for (char c : value) *p++ = c == '\r' || c == '\n' ? ' ' : c;
    for (size_t i = value.size(); i < width; ++i) *p++ = ' ';
  }
  *p++ = '\r';
  *p = '\n';
}

// The detail lines of every lesson of SOLUC, in record order, each with its
// CR LF, written to file a block of lines at a time; returns how many.
size_t WriteLessons(ExportTables& tables, DayForm form, EscritorLineas& file,
                    ExportNotices& notices) {
  constexpr size_t kBlock = 64 << 10;
  std::string out;
  out.reserve(kBlock + 256);
  Table& soluc = tables.soluc;
  LazyField dia(soluc, "DIA");
  LazyField hora(soluc, "HORA");
  LazyField prof(soluc, "PROF");
  LazyField grupo(soluc, "CODGRUPO");
  LazyField asig(soluc, "ASIG");
  LazyField aula(soluc, "AULA");
  SlotIndex slots(tables.tramos,
                  [&](std::string_view day, std::string_view period, int64_t record,
                      int64_t first) { notices.RepeatedSlot(day, period, record, first); });
  size_t count = 0;
  uint64_t record = 0;
  // Each value is read as a view into the record (or into its spill when
  // it has to be made), valid until the next record.
  std::string spill[6];
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    ++record;
    std::string_view day = dia.Get().AsStringView(spill[1]);
    if (!NonZeroWhole(day) && dia.Get().AsInteger() == 0) {
      notices.DayZero();
      continue;
    }
    std::string_view period = hora.Get().AsStringView(spill[0]);
    if (form == DayForm::kLetters) day = DayLetter(day);
    std::string_view code = slots.Find(day, period);
    std::string_view teacher = prof.Get().AsStringView(spill[2]);
    std::string_view group = grupo.Get().AsStringView(spill[3]);
    std::string_view subject = asig.Get().AsStringView(spill[4]);
    std::string_view room = aula.Get().AsStringView(spill[5]);
    notices.Lesson(record, {day, period, code, teacher, group, subject, room});
    PutLesson(
        out,
        {{{code, 4}, {day, 1}, {teacher, 4}, {group, 4}, {"LEC", 4}, {subject, 4}, {room, 4}}});
    ++count;
    if (out.size() >= kBlock) {
      file.Write(out);
      out.clear();
    }
  }
  file.Write(out);
  // Every slot is read once, for the report's repeated ones.
  if constexpr (kNotices) slots.ReadRest();
  return count;
}

}  // namespace

void BImportarClick(ProgramState& state, WindowServices& window, const std::string& otemp,
                    Clock& clock, Report* report) {
  std::string folder = window.ChosenFolder();
  state.RutaSice = folder + fs::kSeparator;
  if (!fs::Current().DirectoryExists(folder)) {
    window.ShowMessage("No existe la carpeta");
    if (state.Embedded()) {
      state.EstadoTransformacion = 0;
      window.CloseWindow();
    }
    return;
  }

  Hourglass hourglass(window);
  Report unread(Direction::kOrvalentASice);
  Report& told = report ? *report : unread;
  std::string code = HeaderCode(state.RutaSice + "sice_asignat.txt", told);
  DayForm form = DayFormOf(state.RutaSice + "sice_sesiones.txt", told);

  ExportNotices notices(told);
  ExportTables tables(otemp);
  tables.OpenAll();
  notices.ReadCodes(tables.profesor, tables.grupos, tables.nomAsg, tables.aulas);
  // Replaces the file under whatever letter case it already has, once the
  // whole of it is written; a failure before leaves the old one.
  std::string target = state.RutaSice + kHorario;
  EscritorLineas file(fs::Current().FindFile(target).value_or(target));
  file.Write(FrameLine('0', code, clock) + "\r\n");
  size_t lessons = WriteLessons(tables, form, file, notices);
  tables.CloseAll();
  file.Write(FrameLine('9', code, clock) + std::to_string(lessons) + "\r\n");
  file.Commit();
  if (report)
    report->AddOutput(kHorario, lessons, "sesión", "sesiones",
                      Counted(lessons + 2, "línea", "líneas"));

  hourglass.Off();
  state.EstadoTransformacion = 1;
  window.ShowMessage("Proceso finalizado");
  if (state.Embedded()) window.CloseWindow();
}

}  // namespace tos
