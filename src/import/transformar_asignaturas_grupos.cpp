// Subject-group assignments: sice_asignatgrupo.txt -> ASIGT, completed with
// the group's shift, level, course and letter from GRUPOST and with the
// subject's hours for that level and course from sice_asignatcurso.txt.
//
// The passes (assignments, groups, hours, defaults) work on the records in
// memory, and the table is written once at the end. When a failure stops a
// pass, the records are written as far as the passes had got, so the table
// holds what a record-by-record rebuild would have left. The first GRUPOST
// record of a group is found by its code packed in a number; the first
// hours line of a subject, level and course through an index of the
// assignments by that key, as the hours file is read.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/error.h"
#include "data/field_value.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "data/text.h"
#include "import/hours.h"
#include "import/imports.h"

namespace tos {

namespace {

// Texts as text fields of their width read them back (cut at a NUL, to the
// width, blanks on the right dropped), zero-filled to that width in place:
// such a text never holds a NUL, so the zeros end it.
template <size_t N>
struct Packed {
  std::array<char, N> bytes{};
  static Packed Of(std::string_view text) {
    Packed packed;
    text = TextAsRead(text, N);
    // A byte at a time over the N places: a copy of the text's length would
    // be a call to memmove for every code of every line.
    for (size_t i = 0; i < N; ++i)
      if (i < text.size()) packed.bytes[i] = text[i];
    return packed;
  }
  std::string_view View() const {
    return {bytes.data(),
            static_cast<size_t>(std::find(bytes.begin(), bytes.end(), '\0') - bytes.begin())};
  }
  std::string Text() const { return std::string(View()); }
};

// A code's number as text::PackedCode gives it. Its 4 bytes, zeros after a
// shorter code, pack as the code itself does, without looking for its end.
struct Codigo : Packed<4> {
  static Codigo Of(std::string_view text) { return {Packed<4>::Of(text)}; }
  uint32_t Number() const { return text::PackedCode({bytes.data(), bytes.size()}); }
};

// A level and course zero-filled to 3 bytes each, packed in a number, the
// level's first byte highest. Only texts that fit and hold no NUL have one:
// a record's texts never hold a NUL, and a longer level or course never
// equals a line's. The others get kNoLevelCourse, which no packed pair of
// 3 bytes each reaches.
constexpr uint64_t kNoLevelCourse = UINT64_MAX;
uint64_t LevelCourseOf(std::string_view nivel, std::string_view curso) {
  if (nivel.size() > 3 || curso.size() > 3) return kNoLevelCourse;
  for (std::string_view part : {nivel, curso})
    for (char c : part)
      if (c == '\0') return kNoLevelCourse;
  // PackedCode lays out 4 bytes, the first highest: its top 3 are the part's.
  return uint64_t{text::PackedCode(nivel) >> 8} << 24 | text::PackedCode(curso) >> 8;
}

// A group's fields as ASIGT holds them, and the place of its level and
// course among the groups' (Grupos::levelCourses), when they are short
// enough ever to equal an hours line's.
struct Grupo {
  Packed<1> turno;
  Packed<5> nivel;
  Packed<3> curso;
  Packed<2> grupo;
  static constexpr uint32_t kUnkeyed = UINT32_MAX;
  uint32_t levelCourse = kUnkeyed;
};

// The distinct hours texts of the hours file (at most 6 bytes, as cut),
// each read once, where the first record in file order uses it.
struct HoursText {
  std::array<char, 6> bytes{};
  uint8_t length = 0;
  bool read = false;
  double value = 0;
  bool raised = false;
  std::string sesiones;
  std::string_view View() const { return {bytes.data(), length}; }
};

struct Asignacion {
  Codigo casig, cgrup;
  uint32_t grupo = 0;  // the group's place in Grupos plus one, once the groups pass found it
  uint32_t horas = 0;  // the hours text's place plus one, once the hours pass gave them
};

constexpr const char* kAssignments = "sice_asignatgrupo.txt";

// The line of sice_asignatgrupo.txt each assignment comes from, for the
// report. Assignments follow one another line by line, but where the file
// has a line that holds none: only where each such run starts is kept,
// rather than a number per record.
class AssignmentLines {
 public:
  void Add(uint32_t record, uint64_t line) {
    if (runs_.empty() || line - runs_.back().line != record - runs_.back().record)
      runs_.push_back({record, line});
  }
  uint64_t Of(uint32_t record) const {
    auto run = std::upper_bound(runs_.begin(), runs_.end(), record,
                                [](uint32_t r, const Run& x) { return r < x.record; });
    --run;
    return run->line + (record - run->record);
  }
  Notice About(const Asignacion& a, uint32_t record, std::string values = {}) const {
    return {Place{kAssignments, Of(record)}.Text(),
            "asignatura " + a.casig.Text() + ", grupo " + a.cgrup.Text() +
                (values.empty() ? "" : "; " + values),
            ""};
  }

 private:
  struct Run {
    uint32_t record;
    uint64_t line;
  };
  std::vector<Run> runs_;
};

void ReadAssignments(ImportContext& context, LectorLineas& input, FileWatch& watch,
                     std::vector<Asignacion>& asignaciones, AssignmentLines& lines) {
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    ++number;
    if (!watch.See(line)) continue;
    Asignacion a;
    a.casig = Codigo::Of(CortarCampoVista(line, 16, 4));
    a.cgrup = Codigo::Of(CortarCampoVista(line, 12, 4));
    context.CheckLine(line, a.casig.View().empty() ? a.casig.View() : a.cgrup.View(), 16,
                      {kAssignments, number});
    lines.Add(static_cast<uint32_t>(asignaciones.size()), number);
    asignaciones.push_back(a);
  }
  watch.ReadToEnd();
  input.Close();
}

// The groups of GRUPOST, the first record of a code only, in table order,
// found by their code packed in a number.
struct Grupos {
  std::unordered_map<uint32_t, uint32_t> places;  // a code's place in grupos plus one
  std::vector<Grupo> grupos;
  // The groups' levels and courses, and the empty ones, packed, sorted,
  // each once.
  std::vector<uint64_t> levelCourses = {0};
  // The place of a packed level and course in levelCourses; kUnkeyed when
  // it is not there.
  uint32_t PlaceOf(uint64_t levelCourse) const {
    auto at = std::lower_bound(levelCourses.begin(), levelCourses.end(), levelCourse);
    if (at == levelCourses.end() || *at != levelCourse) return Grupo::kUnkeyed;
    return static_cast<uint32_t>(at - levelCourses.begin());
  }
  // The group's place plus one; 0 for none.
  uint32_t Find(const Codigo& code) const {
    auto at = places.find(code.Number());
    return at == places.end() ? 0 : at->second;
  }
  const Grupo& Of(const Asignacion& a) const { return grupos[a.grupo - 1]; }
};

// For each assignment, the first GRUPOST record (in table order) whose ABREV
// is its CGRUP. A table without TURNO, NIVEL, CURSO or GRUPO fails only when
// one of its groups is used, naming the first field missing.
void GroupsPass(ImportContext& context, std::vector<Asignacion>& asignaciones,
                const AssignmentLines& lines, Grupos& found) {
  Table grupost;
  grupost.SetFolder(context.otemp);
  grupost.SetTableName("GRUPOST.DBF");
  grupost.SetTableType(TableType::kFromExtension);
  grupost.SetReadOnly(true);
  grupost.Open();
  if (asignaciones.empty()) return;
  grupost.First();
  static const char* const kCopied[] = {"TURNO", "NIVEL", "CURSO", "GRUPO"};
  const char* missing = nullptr;
  // An empty table needs none of its fields: no assignment finds its group,
  // and each is told so below.
  if (!grupost.Eof()) {
    for (const char* name : kCopied) {
      if (grupost.FindField(name) < 0) {
        missing = name;
        break;
      }
    }
    Field abrev = grupost.FieldByName("ABREV");
    std::optional<Field> copied[4];
    if (!missing)
      for (size_t f = 0; f < 4; ++f) copied[f].emplace(grupost.FieldByName(kCopied[f]));
    std::string spill;
    for (; !grupost.Eof(); grupost.Next()) {
      std::string_view code = abrev.AsStringView(spill);
      // Longer codes never equal a CGRUP, which ASIGT holds in 4 characters.
      if (code.size() > 4) continue;
      uint32_t place = static_cast<uint32_t>(found.grupos.size()) + 1;
      if (!found.places.try_emplace(text::PackedCode(code), place).second) continue;
      Grupo& g = found.grupos.emplace_back();
      if (missing) continue;
      g.turno = Packed<1>::Of(copied[0]->AsStringView(spill));
      g.nivel = Packed<5>::Of(copied[1]->AsStringView(spill));
      g.curso = Packed<3>::Of(copied[2]->AsStringView(spill));
      g.grupo = Packed<2>::Of(copied[3]->AsStringView(spill));
    }
  }
  for (const Grupo& g : found.grupos)
    if (uint64_t packed = LevelCourseOf(g.nivel.View(), g.curso.View()); packed != kNoLevelCourse)
      found.levelCourses.push_back(packed);
  std::sort(found.levelCourses.begin(), found.levelCourses.end());
  found.levelCourses.erase(std::unique(found.levelCourses.begin(), found.levelCourses.end()),
                           found.levelCourses.end());
  for (Grupo& g : found.grupos)
    if (uint64_t packed = LevelCourseOf(g.nivel.View(), g.curso.View()); packed != kNoLevelCourse)
      g.levelCourse = found.PlaceOf(packed);
  for (uint32_t i = 0; i < asignaciones.size(); ++i) {
    Asignacion& a = asignaciones[i];
    uint32_t g = found.Find(a.cgrup);
    if (g == 0) {
      context.report.Add(NoticeKind::kGrupoDesconocido, [&] { return lines.About(a, i); });
      continue;
    }
    if (missing) {
      // Nothing has changed yet, so failing after the lookups is the same.
      for (Asignacion& undone : asignaciones) undone.grupo = 0;
      grupost.FieldByName(missing);  // raises the field's error
    }
    a.grupo = g;
  }
  grupost.Close();
}

// The assignments' subject codes packed (the high half) beside their
// records, sorted by code and then by record: a pass a byte of the code,
// the lowest first, each moving the records in order into the bucket of
// that byte; a byte that every code shares moves nothing. (Numbering the
// subjects through a hash map a record at a time met the map all over
// memory: at 4,000,000 records a record cost four times as much as at
// 100,000.)
std::vector<uint64_t> RecordsByCode(const std::vector<Asignacion>& asignaciones) {
  std::vector<uint64_t> keys(asignaciones.size());
  std::array<std::array<size_t, 257>, 4> start{};  // start[p][b + 1]: the codes whose byte p is b
  for (uint32_t i = 0; i < asignaciones.size(); ++i) {
    const uint32_t code = asignaciones[i].casig.Number();
    keys[i] = uint64_t{code} << 32 | i;
    for (int p = 0; p < 4; ++p) ++start[p][(code >> 8 * p & 0xFF) + 1];
  }
  std::vector<uint64_t> moved(keys.size());
  for (int p = 0; p < 4; ++p) {
    std::array<size_t, 257>& at = start[p];
    if (std::find(at.begin(), at.end(), keys.size()) != at.end()) continue;
    std::partial_sum(at.begin(), at.end(), at.begin());
    for (uint64_t k : keys) moved[at[k >> (32 + 8 * p) & 0xFF]++] = k;
    keys.swap(moved);
  }
  return keys;
}

// Each assignment's hours from the first data line of its subject, level
// and course. The assignments are indexed by that key first: each subject
// of the assignments gets a number, in code order, and its assignments are
// kept together, ordered by the place of their level and course among the
// groups' (Grupos::levelCourses), then by file order. The report's check of
// each assignment's subject is made there, and subjectsTold set.
// The hours file is then read once, a line at a time as CargarLineas reads
// it, and each line gives its hours to the assignments of its key when no
// line before it did: of the file only its distinct hours texts are kept.
// A failing hours text stops the pass at the first record that uses it:
// the records before keep their hours, it and the ones after get none.
void HoursPass(ImportContext& context, const std::string& path, const Grupos& grupos,
               std::vector<Asignacion>& asignaciones, const AssignmentLines& assignmentLines,
               std::vector<HoursText>& texts, bool& subjectsTold) {
  const bool checkSubjects = kNotices && context.subjects;
  subjectsTold = checkSubjects;
  const std::vector<uint32_t> none;
  const std::vector<uint32_t>& subjects = context.subjects ? *context.subjects : none;
  // Without a group, the level and course are empty: the first place.
  auto levelCourseOf = [&](const Asignacion& a) { return a.grupo ? grupos.Of(a).levelCourse : 0; };
  // A subject's assignments are entries[first[s]] up to entries[first[s + 1]],
  // each its level and course's place (the high half) and its record,
  // written over the records sorted by code (as many or fewer: a record
  // whose level and course no line can have is left out), then each
  // subject's sorted. The run's subjects, sorted too, are walked beside.
  std::vector<uint64_t> entries = RecordsByCode(asignaciones);
  std::unordered_map<uint32_t, uint32_t> subjectOf;  // a packed code's number
  subjectOf.reserve(subjects.size());
  std::vector<uint32_t> first;
  std::vector<uint32_t> unknown;  // records whose subject the run did not write
  auto known = subjects.begin();
  bool isKnown = true;
  uint32_t code = 0;
  size_t kept = 0;
  for (size_t k = 0; k < entries.size(); ++k) {
    const auto record = static_cast<uint32_t>(entries[k]);
    if (k == 0 || entries[k] >> 32 != code) {
      code = static_cast<uint32_t>(entries[k] >> 32);
      subjectOf.emplace(code, static_cast<uint32_t>(first.size()));
      first.push_back(static_cast<uint32_t>(kept));
      while (known != subjects.end() && *known < code) ++known;
      isKnown = known != subjects.end() && *known == code;
    }
    if (checkSubjects && !isKnown) unknown.push_back(record);
    const uint32_t levelCourse = levelCourseOf(asignaciones[record]);
    if (levelCourse != Grupo::kUnkeyed) entries[kept++] = uint64_t{levelCourse} << 32 | record;
  }
  first.push_back(static_cast<uint32_t>(kept));
  entries.resize(kept);
  for (size_t s = 0; s + 1 < first.size(); ++s)
    std::sort(entries.begin() + first[s], entries.begin() + first[s + 1]);
  std::sort(unknown.begin(), unknown.end());
  for (uint32_t i : unknown)
    context.report.Add(NoticeKind::kAsignaturaDesconocida,
                       [&] { return assignmentLines.About(asignaciones[i], i); });
  unknown = {};

  // The hours text (its place plus one) of each entry, kept beside the
  // index while the file is read and given to the records after it: the
  // index is met in its own order, the records all over the assignments
  // (giving them their hours line by line was a sixth of the import).
  std::vector<uint32_t> hoursOf(entries.size(), 0);
  std::unordered_map<uint64_t, uint32_t> placeOf;  // a text's bytes and length packed
  FileWatch& watch = context.Watch("sice_asignatcurso.txt", "SICE_ASIGNATCURSO.TXT");
  {
    WholeFileLines file(path, WholeFileLines::kBuffer, &watch.decoding);
    for (std::string_view line; file.Next(line);) {
      if (!watch.See(line)) continue;
      std::string_view casig = CortarCampoVista(line, 24, 4);
      const uint64_t levelCourse =
          LevelCourseOf(CortarCampoVista(line, 2, 3), CortarCampoVista(line, 8, 3));
      if (levelCourse == kNoLevelCourse || casig.find('\0') != std::string_view::npos) continue;
      uint32_t place = grupos.PlaceOf(levelCourse);
      if (place == Grupo::kUnkeyed) continue;
      auto subject = subjectOf.find(text::PackedCode(casig));
      if (subject == subjectOf.end()) continue;
      auto end = entries.begin() + first[subject->second + 1];
      auto at =
          std::lower_bound(entries.begin() + first[subject->second], end, uint64_t{place} << 32);
      auto placeAt = [](uint64_t entry) { return static_cast<uint32_t>(entry >> 32); };
      if (at == end || placeAt(*at) != place || hoursOf[at - entries.begin()] != 0) continue;
      HoursText text;
      std::string_view hours = CortarCampoVista(line, 28, 6);
      std::copy(hours.begin(), hours.end(), text.bytes.begin());
      text.length = static_cast<uint8_t>(hours.size());
      uint64_t packed = text.length;
      std::memcpy(reinterpret_cast<char*>(&packed) + 1, text.bytes.data(), text.bytes.size());
      auto [textAt, added] = placeOf.try_emplace(packed, static_cast<uint32_t>(texts.size()));
      if (added) texts.push_back(std::move(text));
      for (; at != end && placeAt(*at) == place; ++at)
        hoursOf[at - entries.begin()] = textAt->second + 1;
    }
    watch.ReadToEnd();
  }
  // Only a file read to its end gives the records their hours.
  for (size_t e = 0; e < entries.size(); ++e)
    asignaciones[static_cast<uint32_t>(entries[e])].horas = hoursOf[e];
  hoursOf = {};
  entries = {};
  first = {};
  subjectOf = {};
  placeOf = {};

  // Each text is read where the first record in file order uses it.
  for (uint32_t i = 0; i < asignaciones.size(); ++i) {
    Asignacion& a = asignaciones[i];
    if (a.horas == 0) continue;
    HoursText& t = texts[a.horas - 1];
    if (!t.read) {
      try {
        t.value = HorasDeTexto(t.View(), &t.raised);
      } catch (...) {
        for (size_t j = i; j < asignaciones.size(); ++j) asignaciones[j].horas = 0;
        throw;
      }
      t.read = true;
      t.sesiones = SesionesDeHoras(t.value);
    }
    if (t.raised)
      context.report.Add(NoticeKind::kHorasElevadas, [&] {
        return assignmentLines.About(a, i, "horas " + std::string(t.View()));
      });
  }
}

// Tells the report of each assignment whose subject the run did not write,
// in file order, unless the hours pass told them.
void TellUnknownSubjects(ImportContext& context, const std::vector<Asignacion>& asignaciones,
                         const AssignmentLines& lines, bool subjectsTold) {
  if (!kNotices || !context.subjects || subjectsTold) return;
  for (uint32_t i = 0; i < asignaciones.size(); ++i) {
    const Asignacion& a = asignaciones[i];
    if (!context.KnownSubject(a.casig.View()))
      context.report.Add(NoticeKind::kAsignaturaDesconocida, [&] { return lines.About(a, i); });
  }
}

// A text as ASIGT stores it: the table is ours, in Windows-1252 like the
// program's text, so its bytes are stored as they are, blanks after them.
template <size_t N>
void Store(std::string& record, size_t at, const Packed<N>& text) {
  for (size_t k = 0; k < N; ++k) record[at + k] = text.bytes[k] ? text.bytes[k] : ' ';
}

// The first record of each hours text is written through the fields, and
// the bytes they laid out for HORAS and SESIONES kept; every other record
// is put together from its texts and those bytes and appended whole: going
// through the fields for each of a million records was most of the time
// of writing ASIGT.
void Write(ImportContext& context, Table& table, const Grupos& grupos,
           const std::vector<Asignacion>& asignaciones, const AssignmentLines& lines,
           const std::vector<HoursText>& texts) {
  Field casig = table.FieldByName("CASIG");
  Field cgrup = table.FieldByName("CGRUP");
  Field groupFields[] = {table.FieldByName("TURNO"), table.FieldByName("NIVEL"),
                         table.FieldByName("CURSO"), table.FieldByName("GRUPO")};
  Field horas = table.FieldByName("HORAS");
  Field sesiones = table.FieldByName("SESIONES");
  const size_t sesionesWidth = static_cast<size_t>(sesiones.Info().width);
  size_t at[6];
  for (size_t f = 0; f < 4; ++f) at[f] = groupFields[f].Offset();
  at[4] = casig.Offset();
  at[5] = cgrup.Offset();
  const size_t hoursAt = horas.Offset();
  // HORAS's and SESIONES's bytes (they follow one another in the record),
  // for each text; empty until first laid out.
  std::vector<std::string> hoursBytes(texts.size());
  std::string blank;  // the record as Append starts it
  std::string record;
  for (uint32_t i = 0; i < asignaciones.size(); ++i) {
    const Asignacion& a = asignaciones[i];
    const Grupo* g = a.grupo ? &grupos.Of(a) : nullptr;
    const HoursText* t = a.horas ? &texts[a.horas - 1] : nullptr;
    std::string* hours = a.horas ? &hoursBytes[a.horas - 1] : nullptr;
    if (blank.empty() || (hours && hours->empty())) {
      table.Append();
      if (blank.empty()) blank = table.StoredRecord();
      casig.SetAsString(a.casig.View());
      cgrup.SetAsString(a.cgrup.View());
      if (g) {
        const std::string_view values[] = {g->turno.View(), g->nivel.View(), g->curso.View(),
                                           g->grupo.View()};
        for (size_t f = 0; f < 4; ++f) groupFields[f].SetAsString(values[f]);
      }
      if (t) {
        horas.SetAsFloat(t->value);
        sesiones.SetAsString(t->sesiones);
        *hours = std::string(horas.Stored()) + std::string(sesiones.Stored());
      }
      table.Post();
    } else {
      record = blank;
      Store(record, at[4], a.casig);
      Store(record, at[5], a.cgrup);
      if (g) {
        Store(record, at[0], g->turno);
        Store(record, at[1], g->nivel);
        Store(record, at[2], g->curso);
        Store(record, at[3], g->grupo);
      }
      if (hours) std::copy(hours->begin(), hours->end(), record.begin() + hoursAt);
      table.AppendStored(record);
    }
    if (t && t->sesiones.size() > sesionesWidth)
      context.Cut(sesiones, t->sesiones, {kAssignments, lines.Of(i)});
  }
}

}  // namespace

void TransformarAsignaturasGrupos(ImportContext& context) {
  const std::string assignmentsPath = context.SicePath("sice_asignatgrupo.txt");
  if (!ExisteArchivo(assignmentsPath)) {
    context.MissingFile("No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)", kAssignments);
    return;
  }
  FileWatch& watch = context.Watch(kAssignments, "SICE_ASIGNATGRUPO.TXT");
  LectorLineas input;
  input.Open(assignmentsPath, &watch.decoding);
  std::unique_ptr<Table> table = RecrearTabla(context.otemp, "ASIGT",
                                              {{"CASIG", FieldKind::kText, 4},
                                               {"CPROF", FieldKind::kText, 4},
                                               {"CGRUP", FieldKind::kText, 4},
                                               {"CAULA", FieldKind::kText, 4},
                                               {"TURNO", FieldKind::kText, 1},
                                               {"NIVEL", FieldKind::kText, 5},
                                               {"CURSO", FieldKind::kText, 3},
                                               {"GRUPO", FieldKind::kText, 2},
                                               {"HORAS", FieldKind::kFloat, 0},
                                               {"SESIONES", FieldKind::kText, 20}});
  std::vector<Asignacion> asignaciones;
  AssignmentLines lines;
  Grupos grupos;
  const std::string hoursPath = context.SicePath("sice_asignatcurso.txt");
  bool hoursMissing = false;
  bool subjectsTold = false;  // by the hours pass
  std::vector<HoursText> texts;
  try {
    ReadAssignments(context, input, watch, asignaciones, lines);
    GroupsPass(context, asignaciones, lines, grupos);
    hoursMissing = !ExisteArchivo(hoursPath);
    if (!hoursMissing) {
      HoursPass(context, hoursPath, grupos, asignaciones, lines, texts, subjectsTold);
      // Assignments without an hours line get one session.
      HoursText one;
      one.read = true;
      one.value = 1;
      one.sesiones = SesionesDeHoras(1);
      texts.push_back(std::move(one));
      for (uint32_t i = 0; i < asignaciones.size(); ++i) {
        Asignacion& a = asignaciones[i];
        if (a.horas != 0) continue;
        a.horas = static_cast<uint32_t>(texts.size());
        context.report.Add(NoticeKind::kSinHoras, [&] { return lines.About(a, i); });
      }
    }
  } catch (...) {
    // Keep what the passes had done; the failure itself is what the user
    // must see, not a second one while saving.
    try {
      TellUnknownSubjects(context, asignaciones, lines, subjectsTold);
      Write(context, *table, grupos, asignaciones, lines, texts);
    } catch (...) {
    }
    throw;
  }
  TellUnknownSubjects(context, asignaciones, lines, subjectsTold);
  Write(context, *table, grupos, asignaciones, lines, texts);
  Written(context, "ASIGT", table->RecordCount());
  // The hours file is optional for Orvalent: no change of the outcome.
  if (hoursMissing) {
    const std::string message = "No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)";
    context.window.ShowMessage(message);
    context.report.Add(NoticeKind::kFicheroAusente,
                       {"sice_asignatcurso.txt", message,
                        "ASIGT se escribe sin horas: HORAS y SESIONES quedan vacíos."});
  }
  table->Close();
}

}  // namespace tos
