// Subject-group assignments: sice_asignatgrupo.txt -> ASIGT, completed with
// the group's shift, level, course and letter from GRUPOST and with the
// subject's hours for that level and course from sice_asignatcurso.txt.
//
// The passes (assignments, groups, hours, defaults) work on the records in
// memory, and the table is written once at the end. When a failure stops a
// pass, the records are written as far as the passes had got, so the table
// holds what a record-by-record rebuild would have left. The first GRUPOST
// record of a group is found by a binary search over the groups' codes,
// packed in numbers and sorted; the first hours line of a subject, level and
// course by sorting the lines and the assignments by that key and meeting
// them in one walk.
#include <algorithm>
#include <array>
#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/error.h"
#include "data/field_value.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "import/hours.h"
#include "import/imports.h"

namespace tos {

namespace {

// A text as a text field of that width reads it back.
std::string Stored(std::string_view value, size_t width) {
  return std::string(TextAsRead(value, width));
}

// An hours line's key: subject, level and course, zero-filled to 4, 3 and
// 3 bytes, as two numbers compared whole. Only texts that fit and hold no
// NUL have one: a record's texts never hold a NUL, and a longer level or
// course never equals a line's.
struct HoursKey {
  uint64_t first = 0;  // bytes 0-7, the first one highest
  uint16_t rest = 0;   // bytes 8-9
  auto operator<=>(const HoursKey&) const = default;
  // The subject's bytes: the key's highest, so keys sort by subject first.
  uint32_t Subject() const { return static_cast<uint32_t>(first >> 32); }
};

std::optional<HoursKey> KeyOf(std::string_view casig, std::string_view nivel,
                              std::string_view curso) {
  HoursKey key;
  int at = 0;
  for (auto [part, width] : {std::pair{casig, 4}, {nivel, 3}, {curso, 3}}) {
    if (part.size() > static_cast<size_t>(width) || part.find('\0') != std::string_view::npos)
      return std::nullopt;
    for (int i = 0; i < width; ++i, ++at) {
      uint64_t byte = i < static_cast<int>(part.size()) ? static_cast<unsigned char>(part[i]) : 0;
      if (at < 8)
        key.first |= byte << (8 * (7 - at));
      else
        key.rest = static_cast<uint16_t>(key.rest | byte << (8 * (9 - at)));
    }
  }
  return key;
}

// A group's fields as ASIGT holds them.
struct Grupo {
  std::string turno, nivel, curso, grupo;
  // Its level and course as an hours key holds them (the subject's bytes
  // zero); none when they are too long ever to equal a line's.
  std::optional<HoursKey> levelCourse = HoursKey{};
};

// A code as ASIGT holds it: at most 4 bytes. A million assignments hold
// two each, so they are kept in place rather than as strings (a third of
// the memory, and fresh memory is costly to touch).
struct Codigo {
  std::array<char, 4> bytes{};
  uint8_t size = 0;
  static Codigo Of(std::string_view text) {
    Codigo code;
    code.size = static_cast<uint8_t>(std::min<size_t>(text.size(), 4));
    std::copy(text.begin(), text.begin() + code.size, code.bytes.begin());
    return code;
  }
  std::string_view View() const { return {bytes.data(), size}; }
  std::string Text() const { return std::string(View()); }
};

struct Asignacion {
  Codigo casig, cgrup;
  uint64_t line = 0;             // in sice_asignatgrupo.txt, for the report
  const Grupo* grupo = nullptr;  // once the groups pass found it
  double horas = 0;              // once the hours pass gave them (1 or more)
};

constexpr const char* kAssignments = "sice_asignatgrupo.txt";

Notice About(const Asignacion& a, std::string values = {}) {
  return {Place{kAssignments, a.line}.Text(),
          "asignatura " + a.casig.Text() + ", grupo " + a.cgrup.Text() +
              (values.empty() ? "" : "; " + values),
          ""};
}

void ReadAssignments(ImportContext& context, LectorLineas& input, FileWatch& watch,
                     std::vector<Asignacion>& asignaciones) {
  uint64_t number = 0;
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    ++number;
    if (!watch.See(line)) continue;
    Asignacion a;
    a.casig = Codigo::Of(TextAsRead(CortarCampoVista(line, 16, 4), 4));
    a.cgrup = Codigo::Of(TextAsRead(CortarCampoVista(line, 12, 4), 4));
    a.line = number;
    context.CheckLine(line, a.casig.size == 0 ? a.casig.View() : a.cgrup.View(), 16,
                      {kAssignments, number});
    asignaciones.push_back(std::move(a));
  }
  watch.ReadToEnd();
  input.Close();
}

// The groups of GRUPOST by code packed in a number, the first record of a
// code only, sorted by code: a million assignments find theirs by a binary
// search over the codes, which lie in one small block of memory.
struct Grupos {
  std::vector<uint32_t> codes;
  std::vector<Grupo> grupos;  // in the order of codes
  const Grupo* Find(std::string_view code) const {
    uint32_t packed = ImportContext::PackedCode(code);
    auto at = std::lower_bound(codes.begin(), codes.end(), packed);
    return at != codes.end() && *at == packed ? &grupos[static_cast<size_t>(at - codes.begin())]
                                              : nullptr;
  }
};

// For each assignment, the first GRUPOST record (in table order) whose ABREV
// is its CGRUP. A table without TURNO, NIVEL, CURSO or GRUPO fails only when
// one of its groups is used, naming the first field missing.
void GroupsPass(ImportContext& context, std::vector<Asignacion>& asignaciones, Grupos& found) {
  Table grupost;
  grupost.SetFolder(context.otemp);
  grupost.SetTableName("GRUPOST.DBF");
  grupost.SetTableType(TableType::kFromExtension);
  grupost.SetReadOnly(true);
  grupost.Open();
  if (asignaciones.empty()) return;
  grupost.First();
  if (grupost.Eof()) return;
  static const char* const kCopied[] = {"TURNO", "NIVEL", "CURSO", "GRUPO"};
  const char* missing = nullptr;
  for (const char* name : kCopied) {
    if (grupost.FindField(name) < 0) {
      missing = name;
      break;
    }
  }
  Field abrev = grupost.FieldByName("ABREV");
  std::vector<std::pair<uint32_t, Grupo>> read;
  std::unordered_set<uint32_t> seen;
  for (; !grupost.Eof(); grupost.Next()) {
    std::string code = abrev.AsString();
    // Longer codes never equal a CGRUP, which ASIGT holds in 4 characters.
    if (code.size() > 4 || !seen.insert(ImportContext::PackedCode(code)).second) continue;
    Grupo g;
    if (!missing) {
      g = {Stored(grupost.FieldByName("TURNO").AsString(), 1),
           Stored(grupost.FieldByName("NIVEL").AsString(), 5),
           Stored(grupost.FieldByName("CURSO").AsString(), 3),
           Stored(grupost.FieldByName("GRUPO").AsString(), 2)};
      g.levelCourse = KeyOf("", g.nivel, g.curso);
    }
    read.emplace_back(ImportContext::PackedCode(code), std::move(g));
  }
  std::sort(read.begin(), read.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  for (auto& [code, g] : read) {
    found.codes.push_back(code);
    found.grupos.push_back(std::move(g));
  }
  for (Asignacion& a : asignaciones) {
    const Grupo* g = found.Find(a.cgrup.View());
    if (!g) {
      context.report.Add(NoticeKind::kGrupoDesconocido, [&] { return About(a); });
      continue;
    }
    if (missing) {
      // Nothing has changed yet, so failing after the lookups is the same.
      for (Asignacion& undone : asignaciones) undone.grupo = nullptr;
      grupost.FieldByName(missing);  // raises the field's error
    }
    a.grupo = g;
  }
  grupost.Close();
}

// Each assignment's hours from the first data line of its subject, level
// and course. The file is read as CargarLineas reads it, a line at a time.
// The lines and the assignments are each sorted by key and met in one walk
// (a million of each take a fraction of a second this way; a hash map of
// strings takes over a second and twice the memory). A failing hours text stops the pass at the
// first record that uses it: the records before keep their hours, it and
// the ones after get none.
void HoursPass(ImportContext& context, const std::string& path,
               std::vector<Asignacion>& asignaciones, std::vector<uint8_t>& verdicts) {
  // A line's key and hours text (at most 6 bytes, as cut), with its place
  // in the file so that the first line of a key sorts first.
  struct Line {
    HoursKey key;
    std::array<char, 6> hours;
    uint8_t length;
    uint32_t order;
    std::string_view Hours() const { return {hours.data(), length}; }
    bool operator<(const Line& other) const {
      return key != other.key ? key < other.key : order < other.order;
    }
  };
  std::vector<Line> lines;
  FileWatch& watch = context.Watch("sice_asignatcurso.txt", "SICE_ASIGNATCURSO.TXT");
  WholeFileLines file(path, WholeFileLines::kBuffer, &watch.decoding);
  for (std::string_view line; file.Next(line);) {
    if (!watch.See(line)) continue;
    std::optional<HoursKey> key = KeyOf(CortarCampoVista(line, 24, 4), CortarCampoVista(line, 2, 3),
                                        CortarCampoVista(line, 8, 3));
    if (!key) continue;
    std::string_view hours = CortarCampoVista(line, 28, 6);
    Line entry{*key, {}, static_cast<uint8_t>(hours.size()), static_cast<uint32_t>(lines.size())};
    std::copy(hours.begin(), hours.end(), entry.hours.begin());
    lines.push_back(entry);
  }
  watch.ReadToEnd();
  std::sort(lines.begin(), lines.end());

  struct Want {
    HoursKey key;
    size_t record;
  };
  std::vector<Want> wants;
  for (size_t i = 0; i < asignaciones.size(); ++i) {
    const Asignacion& a = asignaciones[i];
    static const Grupo kNone;
    const std::optional<HoursKey>& levelCourse = (a.grupo ? *a.grupo : kNone).levelCourse;
    if (!levelCourse) continue;
    // The subject's code is at most 4 bytes and holds no NUL: it has a key.
    HoursKey subject = *KeyOf(a.casig.View(), "", "");
    wants.push_back({{subject.first | levelCourse->first, levelCourse->rest}, i});
  }
  std::sort(wants.begin(), wants.end(), [](const Want& x, const Want& y) { return x.key < y.key; });
  std::vector<const Line*> found(asignaciones.size(), nullptr);
  auto line = lines.begin();
  for (const Want& want : wants) {
    while (line != lines.end() && line->key < want.key) ++line;
    if (line != lines.end() && line->key == want.key) found[want.record] = &*line;
  }
  // The wants come by subject: the walk tells the report's check of each
  // assignment's subject too, with no search.
  if (kNotices && context.subjects) {
    verdicts.assign(asignaciones.size(), 0);
    auto subject = context.subjects->begin();
    for (const Want& want : wants) {
      while (subject != context.subjects->end() && *subject < want.key.Subject()) ++subject;
      bool known = subject != context.subjects->end() && *subject == want.key.Subject();
      verdicts[want.record] = known ? 1 : 2;
    }
  }

  // A school has a few distinct hours texts: each is read once.
  std::unordered_map<std::string_view, std::pair<double, bool>> read;
  for (size_t i = 0; i < asignaciones.size(); ++i) {
    if (!found[i]) continue;
    Asignacion& a = asignaciones[i];
    auto known = read.find(found[i]->Hours());
    if (known == read.end()) {
      bool raised = false;
      double value = HorasDeTexto(found[i]->Hours(), &raised);
      known = read.emplace(found[i]->Hours(), std::pair{value, raised}).first;
    }
    auto [value, raised] = known->second;
    a.horas = value;
    if (raised)
      context.report.Add(NoticeKind::kHorasElevadas,
                         [&] { return About(a, "horas " + std::string(found[i]->Hours())); });
  }
}

// Tells the report of each assignment whose subject the run did not write,
// in file order. verdicts holds, for each record the hours pass met, 1 for
// a known subject and 2 for an unknown one; the others are looked up.
void TellUnknownSubjects(ImportContext& context, const std::vector<Asignacion>& asignaciones,
                         const std::vector<uint8_t>& verdicts) {
  if (!kNotices || !context.subjects) return;
  for (size_t i = 0; i < asignaciones.size(); ++i) {
    const Asignacion& a = asignaciones[i];
    uint8_t verdict = i < verdicts.size() ? verdicts[i] : 0;
    bool known = verdict != 0 ? verdict == 1 : context.KnownSubject(a.casig.View());
    if (!known) context.report.Add(NoticeKind::kAsignaturaDesconocida, [&] { return About(a); });
  }
}

void Write(ImportContext& context, Table& table, const std::vector<Asignacion>& asignaciones) {
  Field casig = table.FieldByName("CASIG");
  Field cgrup = table.FieldByName("CGRUP");
  Field turno = table.FieldByName("TURNO");
  Field nivel = table.FieldByName("NIVEL");
  Field curso = table.FieldByName("CURSO");
  Field grupo = table.FieldByName("GRUPO");
  Field horas = table.FieldByName("HORAS");
  Field sesiones = table.FieldByName("SESIONES");
  // Each distinct HORAS gives its session string once.
  std::unordered_map<double, std::string> sessionStrings;
  for (const Asignacion& a : asignaciones) {
    table.Append();
    casig.SetAsString(a.casig.View());
    cgrup.SetAsString(a.cgrup.View());
    if (a.grupo) {
      turno.SetAsString(a.grupo->turno);
      nivel.SetAsString(a.grupo->nivel);
      curso.SetAsString(a.grupo->curso);
      grupo.SetAsString(a.grupo->grupo);
    }
    if (a.horas != 0) {
      horas.SetAsFloat(a.horas);
      auto [text, added] = sessionStrings.try_emplace(a.horas);
      if (added) text->second = SesionesDeHoras(a.horas);
      context.Put(sesiones, text->second, {kAssignments, a.line});
    }
    table.Post();
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
  Grupos grupos;
  const std::string hoursPath = context.SicePath("sice_asignatcurso.txt");
  bool hoursMissing = false;
  std::vector<uint8_t> verdicts;  // of the subjects, as the hours pass met them
  try {
    ReadAssignments(context, input, watch, asignaciones);
    GroupsPass(context, asignaciones, grupos);
    hoursMissing = !ExisteArchivo(hoursPath);
    if (!hoursMissing) {
      HoursPass(context, hoursPath, asignaciones, verdicts);
      // Assignments without an hours line get one session.
      for (Asignacion& a : asignaciones) {
        if (a.horas != 0) continue;
        a.horas = 1;
        context.report.Add(NoticeKind::kSinHoras, [&] { return About(a); });
      }
    }
  } catch (...) {
    // Keep what the passes had done; the failure itself is what the user
    // must see, not a second one while saving.
    try {
      TellUnknownSubjects(context, asignaciones, verdicts);
      Write(context, *table, asignaciones);
    } catch (...) {
    }
    throw;
  }
  TellUnknownSubjects(context, asignaciones, verdicts);
  Write(context, *table, asignaciones);
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
