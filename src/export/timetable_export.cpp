#include "export/timetable_export.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "data/error.h"
#include "data/files.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "export/slot_index.h"

namespace tos {

namespace {

constexpr const char* kHorario = "SICE_HORARIO.TXT";

enum class DayForm { kNumeric, kLetters };

// Both files are read line by line only as far as needed: sice_asignat.txt
// holds every subject and can be large, and only its header matters here.
// The lines are the ones a whole reading gives.
constexpr size_t kPeekBuffer = 64 << 10;

// Columns 52-59 of the file's first header line, as they stand (shorter when
// the line is); "" when no line starts with "0".
std::string HeaderCode(const std::string& path) {
  WholeFileLines lines(path, kPeekBuffer);
  std::string_view line;
  while (lines.Next(line)) {
    if (!line.empty() && line[0] == '0')
      return std::string(line.size() > 51 ? line.substr(51, 8) : "");
  }
  return "";
}

// SICE writes days as digits when column 9 of the sessions file's second
// line holds one from 1 to 7, and as letters otherwise.
DayForm DayFormOf(const std::string& path) {
  WholeFileLines lines(path, kPeekBuffer);
  std::string_view second;
  if (!lines.Next(second) || !lines.Next(second)) throw Error("List index out of bounds (1)");
  if (second.size() >= 9 && second[8] >= '1' && second[8] <= '7') return DayForm::kNumeric;
  return DayForm::kLetters;
}

// The day as the letter form writes it: SICE's letter for "1" to "7", any
// other day text as it is.
std::string_view DayLetter(std::string_view day) {
  static constexpr char kLetters[] = "LMXJVSD";
  if (day.size() == 1 && day[0] >= '1' && day[0] <= '7') return {&kLetters[day[0] - '1'], 1};
  return day;
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

// AnadirCampo's bytes for a value read from a table, put at out; returns
// their end. A line end inside the value would split a lesson over two
// lines and make the trailer's count wrong: it is written as a blank. Values
// are a few bytes long: one plain loop copies and checks them.
char* PutValue(char* out, std::string_view value, size_t width) {
  size_t size = value.size();
  for (size_t i = 0; i < size; ++i) {
    char c = value[i];
    out[i] = c == '\r' || c == '\n' ? ' ' : c;
  }
  size_t length = AnadirCampoLength(value, width);
  std::memset(out + size, ' ', length - size);
  return out + length;
}

// A detail line whose values all fit their slots: 26 columns, "LEC" in
// columns 15-17, the rest blanks until the values are put in.
constexpr size_t kPlainLine = 26;
constexpr char kPlainBlanks[] = "1             LEC         ";
static_assert(sizeof kPlainBlanks == kPlainLine + 1 && kPlainBlanks[14] == 'L');

// PutValue's bytes for a value of at most four bytes, over blanks already
// in place.
inline void PutShort(char* out, std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    out[i] = c == '\r' || c == '\n' ? ' ' : c;
  }
}

// One slot of a detail line: its value, its width, and whether the value
// comes from a table (and so may hold a line end).
struct LineSlot {
  std::string_view value;
  size_t width;
  bool fromTable;
};

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
  const FieldReader& Get() {
    if (!field_) [[unlikely]]
      field_.emplace(table_.FieldByName(name_));
    return *field_;
  }

 private:
  Table& table_;
  const char* name_;
  std::optional<FieldReader> field_;
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

// The detail lines of every lesson of SOLUC, in record order. Field texts
// are read as views into the current record and each line is written in
// place into the list: nothing is allocated per lesson.
void AppendLessons(ExportTables& tables, DayForm form, LineList& out) {
  Table& soluc = tables.soluc;
  LazyField dia(soluc, "DIA");
  LazyField hora(soluc, "HORA");
  LazyField prof(soluc, "PROF");
  LazyField grupo(soluc, "CODGRUPO");
  LazyField asig(soluc, "ASIG");
  LazyField aula(soluc, "AULA");
  SlotIndex slots(tables.tramos);

  // Every field's text is held until the line is written: each one whose
  // text has to be made gets a spill of its own.
  std::string spills[6];
  for (soluc.First(); !soluc.Eof(); soluc.Next()) {
    if (dia.Get().AsInteger() == 0) continue;
    std::string_view period = hora.Get().AsStringView(spills[0]);
    std::string_view day = dia.Get().AsStringView(spills[1]);
    if (form == DayForm::kLetters) day = DayLetter(day);
    std::string_view code = slots.Find(day, period);

    std::string_view teacher = prof.Get().AsStringView(spills[2]);
    std::string_view group = grupo.Get().AsStringView(spills[3]);
    std::string_view subject = asig.Get().AsStringView(spills[4]);
    std::string_view room = aula.Get().AsStringView(spills[5]);
    if (code.size() <= 4 && day.size() <= 1 && teacher.size() <= 4 && group.size() <= 4 &&
        subject.size() <= 4 && room.size() <= 4) {
      // Every value fits its slot, as in nearly every lesson: the line has
      // its 26 columns and each value goes at its own column over blanks.
      char* at = out.Append(kPlainLine);
      std::memcpy(at, kPlainBlanks, kPlainLine);
      PutShort(at + 1, code);
      PutShort(at + 5, day);
      PutShort(at + 6, teacher);
      PutShort(at + 10, group);
      PutShort(at + 18, subject);
      PutShort(at + 22, room);
      continue;
    }
    const LineSlot line[] = {{code, 4, true},  {day, 1, true},    {teacher, 4, true},
                             {group, 4, true}, {"LEC", 4, false}, {subject, 4, true},
                             {room, 4, true}};
    size_t length = 1;
    for (const LineSlot& slot : line) length += AnadirCampoLength(slot.value, slot.width);
    char* at = out.Append(length);
    *at++ = '1';
    for (const LineSlot& slot : line) {
      at = slot.fromTable ? PutValue(at, slot.value, slot.width)
                          : AnadirCampo(at, slot.value, slot.width);
    }
  }
}

}  // namespace

void BImportarClick(ProgramState& state, WindowServices& window, const std::string& otemp,
                    Clock& clock, Report* /*report*/) {
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
  std::string code = HeaderCode(state.RutaSice + "sice_asignat.txt");
  DayForm form = DayFormOf(state.RutaSice + "sice_sesiones.txt");

  LineList out;
  out.Add(FrameLine('0', code, clock));

  ExportTables tables(otemp);
  tables.OpenAll();
  AppendLessons(tables, form, out);
  tables.CloseAll();

  std::string trailer = FrameLine('9', code, clock);
  trailer += std::to_string(out.size() - 1);
  out.Add(trailer);

  // Replace the file under whatever letter case it already has.
  std::string target = state.RutaSice + kHorario;
  GuardarLineas(out, fs::Current().FindFile(target).value_or(target));

  hourglass.Off();
  state.EstadoTransformacion = 1;
  window.ShowMessage("Proceso finalizado");
  if (state.Embedded()) window.CloseWindow();
}

}  // namespace tos
