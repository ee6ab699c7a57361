// Subject-group assignments: sice_asignatgrupo.txt -> ASIGT, completed with
// the group's shift, level, course and letter from GRUPOST and with the
// subject's hours for that level and course from sice_asignatcurso.txt.
//
// The passes (assignments, groups, hours, defaults) run over the records in
// memory and the table is written once at the end, each record with what
// the passes gave it. When a failure stops a pass, the records are written
// as far as the passes had got, so the table holds what a record-by-record
// rebuild would have left. Groups and hours lines are found through hash
// indexes: the first GRUPOST record, the first hours line, exact text.
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>

#include "data/error.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "import/data_lines.h"
#include "import/flat_index.h"
#include "import/hours.h"
#include "import/imports.h"

namespace tos {

namespace {

// A text of at most 7 bytes.
class ShortText {
 public:
  ShortText() = default;
  explicit ShortText(std::string_view s) {
    size_ = static_cast<uint8_t>(std::min(s.size(), sizeof bytes_));
    if (size_ > 0) std::memcpy(bytes_, s.data(), size_);
  }
  std::string_view View() const { return {bytes_, size_}; }

 private:
  char bytes_[7] = {};
  uint8_t size_ = 0;
};

// A text as a text field of that width reads it back: it ends at a NUL, is
// cut to the width and loses the blanks on its right.
std::string_view Stored(std::string_view value, size_t width) {
  value = value.substr(0, std::min(value.find('\0'), width));
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  return value;
}

constexpr uint32_t kNoGroup = UINT32_MAX;

struct Asignacion {
  ShortText casig;  // as ASIGT holds them
  ShortText cgrup;
  uint32_t group = kNoGroup;  // in grupos, once the groups pass found it
  double horas = 0;           // 0: never set
};

struct GrupoAsignado {
  ShortText turno, nivel, curso, grupo;  // as ASIGT holds them
};

IndexKey GroupKey(std::string_view abrev) {
  IndexKey key;
  key.Add(abrev);
  return key;
}

// False when a text is too long ever to match.
bool HoursKey(std::string_view casig, std::string_view nivel, std::string_view curso,
              IndexKey& key) {
  if (casig.size() > 4 || nivel.size() > 3 || curso.size() > 3) return false;
  return key.Add(casig) && key.Add(nivel) && key.Add(curso);
}

class Asigt {
 public:
  explicit Asigt(Table& table)
      : table_(table),
        casig_(table.FieldByName("CASIG")),
        cgrup_(table.FieldByName("CGRUP")),
        turno_(table.FieldByName("TURNO")),
        nivel_(table.FieldByName("NIVEL")),
        curso_(table.FieldByName("CURSO")),
        grupo_(table.FieldByName("GRUPO")),
        horas_(table.FieldByName("HORAS")),
        sesiones_(table.FieldByName("SESIONES")) {}

  void Write(const std::vector<Asignacion>& asignaciones,
             const std::vector<GrupoAsignado>& grupos) {
    for (const Asignacion& a : asignaciones) {
      table_.Append();
      casig_.SetAsString(a.casig.View());
      cgrup_.SetAsString(a.cgrup.View());
      if (a.group != kNoGroup) {
        const GrupoAsignado& g = grupos[a.group];
        turno_.SetAsString(g.turno.View());
        nivel_.SetAsString(g.nivel.View());
        curso_.SetAsString(g.curso.View());
        grupo_.SetAsString(g.grupo.View());
      }
      if (a.horas != 0) {
        horas_.SetAsFloat(a.horas);
        sesiones_.SetAsString(SesionesDeHoras(a.horas));
      }
      table_.Post();
    }
  }

 private:
  Table& table_;
  Field casig_, cgrup_, turno_, nivel_, curso_, grupo_, horas_, sesiones_;
};

void ReadAssignments(LectorLineas& input, std::vector<Asignacion>& asignaciones) {
  std::string line;
  while (!input.AtEnd()) {
    input.ReadLine(line);
    if (!EsLineaDeDatosRapida(line, "SICE_ASIGNATGRUPO.TXT")) continue;
    Asignacion a;
    a.casig = ShortText(Stored(CortarCampo(line, 16, 4), 4));
    a.cgrup = ShortText(Stored(CortarCampo(line, 12, 4), 4));
    asignaciones.push_back(a);
  }
  input.Close();
}

// For each assignment, the first GRUPOST record (in table order) whose ABREV
// is its CGRUP.
void GroupsPass(const std::string& otemp, std::vector<Asignacion>& asignaciones,
                std::vector<GrupoAsignado>& grupos) {
  Table grupost;
  grupost.SetFolder(otemp);
  grupost.SetTableName("GRUPOST.DBF");
  grupost.SetTableType(TableType::kFromExtension);
  grupost.SetReadOnly(true);
  grupost.Open();
  if (asignaciones.empty()) return;
  grupost.First();
  if (grupost.Eof()) return;

  Field abrev = grupost.FieldByName("ABREV");
  // A table without one of these fails only when one of its groups is used,
  // naming the first one missing.
  static const char* const kCopied[] = {"TURNO", "NIVEL", "CURSO", "GRUPO"};
  const char* missing = nullptr;
  int columns[4];
  for (int i = 0; i < 4; ++i) {
    columns[i] = grupost.FindField(kCopied[i]);
    if (columns[i] < 0 && !missing) missing = kCopied[i];
  }
  PartitionedJoin<uint32_t> join(grupost.RecordCount(), asignaciones.size());
  std::string text;
  for (; !grupost.Eof(); grupost.Next()) {
    text = abrev.AsString();
    // Longer codes never equal a CGRUP, which ASIGT holds in 4 characters.
    if (text.size() > 4) continue;
    join.AddEntry(GroupKey(text), static_cast<uint32_t>(grupos.size()));
    GrupoAsignado g;
    if (!missing) {
      g = {ShortText(Stored(grupost.FieldAt(columns[0]).AsString(), 1)),
           ShortText(Stored(grupost.FieldAt(columns[1]).AsString(), 5)),
           ShortText(Stored(grupost.FieldAt(columns[2]).AsString(), 3)),
           ShortText(Stored(grupost.FieldAt(columns[3]).AsString(), 2))};
    }
    grupos.push_back(g);
  }
  for (size_t i = 0; i < asignaciones.size(); ++i) {
    join.AddLookup(GroupKey(asignaciones[i].cgrup.View()), static_cast<uint32_t>(i));
  }
  bool used = false;
  join.Run([&](uint32_t record, uint32_t group) {
    asignaciones[record].group = group;
    used = true;
  });
  // Nothing else has changed yet, so failing after the join is the same.
  if (used && missing) {
    for (Asignacion& a : asignaciones) a.group = kNoGroup;
    grupost.FieldByName(missing);  // raises the field's error
  }
  grupost.Close();
}

// Each assignment's hours from the first data line of its subject, level
// and course. A failing hours text stops the pass at the first record (in
// table order) that uses it: the records before keep their hours, it and
// the ones after get none.
// Lookups are met partition by partition, so the first failure in table
// order is found after all of them.
void HoursPass(const std::string& path, std::vector<Asignacion>& asignaciones,
               const std::vector<GrupoAsignado>& grupos) {
  std::optional<PartitionedJoin<ShortText>> join;
  {
    LineBlock block = LoadLineBlock(path);
    join.emplace(block.lines.size(), asignaciones.size());
    for (std::string_view line : block.lines) {
      if (!EsLineaDeDatosRapida(line, "SICE_ASIGNATCURSO.TXT")) continue;
      IndexKey key;
      if (!HoursKey(CortarCampo(line, 24, 4), CortarCampo(line, 2, 3), CortarCampo(line, 8, 3),
                    key)) {
        continue;
      }
      join->AddEntry(key, ShortText(CortarCampo(line, 28, 6)));
    }
  }
  for (size_t i = 0; i < asignaciones.size(); ++i) {
    const Asignacion& a = asignaciones[i];
    std::string_view nivel, curso;
    if (a.group != kNoGroup) {
      nivel = grupos[a.group].nivel.View();
      curso = grupos[a.group].curso.View();
    }
    IndexKey key;
    if (HoursKey(a.casig.View(), nivel, curso, key)) join->AddLookup(key, static_cast<uint32_t>(i));
  }

  size_t firstFailure = asignaciones.size();
  std::exception_ptr failure;
  join->Run([&](uint32_t record, const ShortText& hours) {
    try {
      asignaciones[record].horas = HorasDeTexto(hours.View());
    } catch (const Error&) {
      if (record < firstFailure) {
        firstFailure = record;
        failure = std::current_exception();
      }
    }
  });
  if (failure) {
    for (size_t i = firstFailure; i < asignaciones.size(); ++i) asignaciones[i].horas = 0;
    std::rethrow_exception(failure);
  }
}

}  // namespace

void TransformarAsignaturasGrupos(ImportContext& context) {
  const std::string assignmentsPath = context.SicePath("sice_asignatgrupo.txt");
  if (!ExisteArchivo(assignmentsPath)) {
    context.MissingFile("No existe archivo de grupos (SICE_ASIGNATGRUPO.TXT)");
    return;
  }
  LectorLineas input;
  input.Open(assignmentsPath);
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
  Asigt asigt(*table);
  std::vector<Asignacion> asignaciones;
  std::vector<GrupoAsignado> grupos;
  const std::string hoursPath = context.SicePath("sice_asignatcurso.txt");
  bool hoursMissing = false;
  try {
    ReadAssignments(input, asignaciones);
    GroupsPass(context.otemp, asignaciones, grupos);
    hoursMissing = !ExisteArchivo(hoursPath);
    if (!hoursMissing) {
      HoursPass(hoursPath, asignaciones, grupos);
      // Assignments without an hours line get one session.
      for (Asignacion& a : asignaciones) {
        if (a.horas == 0) a.horas = 1;
      }
    }
  } catch (...) {
    // Keep what the passes had done; the failure itself is what the user
    // must see, not a second one while saving.
    try {
      asigt.Write(asignaciones, grupos);
    } catch (...) {
    }
    throw;
  }
  asigt.Write(asignaciones, grupos);
  // The hours file is optional for Orvalent: no change of the outcome.
  if (hoursMissing)
    context.window.ShowMessage("No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)");
  table->Close();
}

}  // namespace tos
