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
//
// A million assignments meet a million hours lines here, so memory is kept
// small: the codes are packed into a few bytes each, the hours file is read
// through a reused buffer, and each distinct hours text is read once. The
// large lists live in LargeArray memory, whose fresh pages come 2 MiB at a
// time where the system gives huge pages.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "data/error.h"
#include "data/sice_text.h"
#include "data/table.h"
#include "import/data_lines.h"
#include "import/hours.h"
#include "import/imports.h"
#include "import/large_array.h"

namespace tos {

namespace {

// A text as a text field of that width reads it back: it ends at a NUL, is
// cut to the width and loses the blanks on its right.
std::string_view Stored(std::string_view value, size_t width) {
  value = value.substr(0, std::min(value.find('\0'), width));
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  return value;
}

// Texts of at most N bytes, zero-filled to N. Every text packed here either
// holds no NUL (as a field reads back) or does not end in one (a trimmed
// field), so two texts pack alike only when they are equal.
template <size_t N>
struct Packed {
  char bytes[N] = {};

  static Packed Of(std::string_view text) {
    Packed p;
    if (!text.empty()) std::memcpy(p.bytes, text.data(), std::min(text.size(), N));
    return p;
  }
  std::string_view View() const {
    size_t n = N;
    while (n > 0 && bytes[n - 1] == '\0') --n;
    return {bytes, n};
  }
};

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDULL;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ULL;
  return h ^ (h >> 33);
}

constexpr uint32_t kNone = UINT32_MAX;

// An open-addressing map from whole-number keys to numbers, the first value
// set for a key kept.
template <class Key>
class FlatMap {
 public:
  explicit FlatMap(size_t expected = 16) { Rehash(CapacityFor(expected)); }

  // The key's value, setting it to value when the key is new.
  uint32_t Insert(Key key, uint32_t value) {
    if ((size_ + 1) * 2 > slots_.size()) Rehash(slots_.size() * 2);
    Slot& slot = slots_[Find(key)];
    if (slot.value == kNone) {
      slot = {key, value};
      ++size_;
    }
    return slot.value;
  }
  uint32_t Get(Key key) const { return slots_[Find(key)].value; }

 private:
  struct Slot {
    Key key;
    uint32_t value;
  };
  static size_t CapacityFor(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    return capacity;
  }
  size_t Find(Key key) const {
    size_t mask = slots_.size() - 1;
    for (size_t at = Mix(key) & mask;; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.value == kNone || slot.key == key) return at;
    }
  }
  void Rehash(size_t capacity) {
    LargeArray<Slot> old;
    old.assign(capacity, Slot{0, kNone});
    old.swap(slots_);
    size_t mask = capacity - 1;
    for (const Slot& slot : old) {
      if (slot.value == kNone) continue;
      size_t at = Mix(slot.key) & mask;
      while (slots_[at].value != kNone) at = (at + 1) & mask;
      slots_[at] = slot;
    }
  }
  LargeArray<Slot> slots_;
  size_t size_ = 0;
};

// A packed text as a whole number.
template <class Key, size_t N>
Key KeyOf(const Packed<N>& p) {
  static_assert(N <= sizeof(Key));
  Key key = 0;
  std::memcpy(&key, p.bytes, N);
  return key;
}

constexpr uint32_t kNoGroup = kNone;

struct Asignacion {
  Packed<4> casig;  // as ASIGT holds them
  Packed<4> cgrup;
  uint32_t group = kNoGroup;  // in grupos, once the groups pass found it
};

struct GrupoAsignado {
  Packed<1> turno;  // as ASIGT holds them
  Packed<5> nivel;
  Packed<3> curso;
  Packed<2> grupo;
};

// The HORAS values the records take, each with its session string.
struct HoursValues {
  std::vector<double> values;
  std::vector<std::string> sesiones;

  uint32_t Add(double horas) {
    values.push_back(horas);
    sesiones.push_back(SesionesDeHoras(horas));
    return static_cast<uint32_t>(values.size());
  }
};

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

  // horas: each record's 1 + place in hours, 0 for none (or no list at all).
  // The writer keeps its record from one to the next, so the group's and
  // the hours' fields are set again only when they change. A group's four
  // fields, and the two of an hours value, are laid out by the writer the
  // first time a record uses them and copied as those bytes after that.
  void Write(const LargeArray<Asignacion>& asignaciones, const LargeArray<GrupoAsignado>& grupos,
             const HoursValues& hours, const LargeArray<uint32_t>& horas) {
    RecordWriter writer(table_);
    const size_t groupBytes = writer.Stored(turno_, grupo_).size();
    LargeArray<char> groupImages;  // laid out where groupDone says so
    LargeArray<uint8_t> groupDone;
    groupImages.Extend(grupos.size() * groupBytes);
    groupDone.assign(grupos.size(), 0);
    std::vector<std::string> hoursImages(hours.values.size());
    uint32_t group = kNoGroup;  // what the writer's record holds: blanks
    uint32_t hoursOf = 0;
    for (size_t i = 0; i < asignaciones.size(); ++i) {
      const Asignacion& a = asignaciones[i];
      writer.SetAsString(casig_, a.casig.View());
      writer.SetAsString(cgrup_, a.cgrup.View());
      if (a.group != group) {
        group = a.group;
        if (group == kNoGroup) {
          SetGroup(writer, GrupoAsignado());  // blanks
        } else if (groupDone[group]) {
          writer.SetStored(turno_, grupo_, {&groupImages[group * groupBytes], groupBytes});
        } else {
          SetGroup(writer, grupos[group]);
          std::string_view image = writer.Stored(turno_, grupo_);
          std::memcpy(&groupImages[group * groupBytes], image.data(), groupBytes);
          groupDone[group] = 1;
        }
      }
      uint32_t h = i < horas.size() ? horas[i] : 0;
      if (h != hoursOf) {
        hoursOf = h;
        if (h == 0) {
          writer.SetAsString(horas_, "");
          writer.SetAsString(sesiones_, "");
        } else if (!hoursImages[h - 1].empty()) {
          writer.SetStored(horas_, sesiones_, hoursImages[h - 1]);
        } else {
          writer.SetAsFloat(horas_, hours.values[h - 1]);
          writer.SetAsString(sesiones_, hours.sesiones[h - 1]);
          hoursImages[h - 1] = writer.Stored(horas_, sesiones_);
        }
      }
      writer.Post();
    }
  }

 private:
  void SetGroup(RecordWriter& writer, const GrupoAsignado& g) {
    writer.SetAsString(turno_, g.turno.View());
    writer.SetAsString(nivel_, g.nivel.View());
    writer.SetAsString(curso_, g.curso.View());
    writer.SetAsString(grupo_, g.grupo.View());
  }

  Table& table_;
  Field casig_, cgrup_, turno_, nivel_, curso_, grupo_, horas_, sesiones_;
};

// Room for about as many records as the file can hold lines of `lineBytes`
// (a hint only: the list still grows past it).
template <class List>
void ReserveFor(List& list, uint64_t fileSize, uint64_t lineBytes) {
  list.reserve(static_cast<size_t>(std::min<uint64_t>(fileSize / lineBytes + 16, 1u << 22)));
}

void ReadAssignments(LectorLineas& input, LargeArray<Asignacion>& asignaciones) {
  ReserveFor(asignaciones, input.FileSize(), 32);
  while (!input.AtEnd()) {
    std::string_view line = input.ReadLineView();
    if (!EsLineaDeDatosRapida(line, "SICE_ASIGNATGRUPO.TXT")) continue;
    Asignacion a;
    a.casig = Packed<4>::Of(Stored(CortarCampoVista(line, 16, 4), 4));
    a.cgrup = Packed<4>::Of(Stored(CortarCampoVista(line, 12, 4), 4));
    asignaciones.push_back(a);
  }
  input.Close();
}

// For each assignment, the first GRUPOST record (in table order) whose ABREV
// is its CGRUP.
void GroupsPass(const std::string& otemp, LargeArray<Asignacion>& asignaciones,
                LargeArray<GrupoAsignado>& grupos) {
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
  // Keyed by the packed code: a read field holds no NUL.
  FlatMap<uint32_t> byCode(std::min<size_t>(grupost.RecordCount(), 1u << 22));
  std::string text;
  for (; !grupost.Eof(); grupost.Next()) {
    text = abrev.AsString();
    // Longer codes never equal a CGRUP, which ASIGT holds in 4 characters.
    if (text.size() > 4) continue;
    // Groups are numbered in 32 bits, kNone apart (never reached: a table
    // that large does not fit memory).
    if (grupos.size() >= kNone - 1) break;
    byCode.Insert(KeyOf<uint32_t>(Packed<4>::Of(text)), static_cast<uint32_t>(grupos.size()));
    GrupoAsignado g;
    if (!missing) {
      g = {Packed<1>::Of(Stored(grupost.FieldAt(columns[0]).AsString(), 1)),
           Packed<5>::Of(Stored(grupost.FieldAt(columns[1]).AsString(), 5)),
           Packed<3>::Of(Stored(grupost.FieldAt(columns[2]).AsString(), 3)),
           Packed<2>::Of(Stored(grupost.FieldAt(columns[3]).AsString(), 2))};
    }
    grupos.push_back(g);
  }
  bool used = false;
  for (Asignacion& a : asignaciones) {
    a.group = byCode.Get(KeyOf<uint32_t>(a.cgrup));
    if (a.group != kNoGroup) used = true;
  }
  // Nothing else has changed yet, so failing after the lookups is the same.
  if (used && missing) {
    for (Asignacion& a : asignaciones) a.group = kNoGroup;
    grupost.FieldByName(missing);  // raises the field's error
  }
  grupost.Close();
}

// An hours key, a subject, level and course of at most 4, 3 and 3 bytes,
// as two numbers: byte i of the ten at bits 8i of lo, and bytes 8 and 9
// in hi. Keys are put together, hashed and compared in registers: reading
// back a key just written byte by byte stalls the processor.
struct KeyParts {
  uint64_t lo;
  uint16_t hi;
  bool operator==(const KeyParts&) const = default;
};

// Up to eight bytes as a number, byte i at bits 8i.
uint64_t BytesOf(std::string_view text) {
  uint64_t v = 0;
  for (size_t i = 0; i < text.size() && i < 8; ++i)
    v |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  return v;
}

// The key of a subject, level and course each no longer than its part of
// the key (4, 3 and 3 bytes); zero bytes fill what they leave.
KeyParts HoursKey(std::string_view casig, std::string_view nivel, std::string_view curso) {
  uint64_t c = BytesOf(curso);
  return {BytesOf(casig) | BytesOf(nivel) << 32 | (c & 0xFF) << 56, static_cast<uint16_t>(c >> 8)};
}

// An hours line's key and its hours text (at most 6 bytes).
struct HoursEntry {
  uint64_t lo;  // the key's parts
  uint16_t hi;
  Packed<6> hours;
  KeyParts Key() const { return {lo, hi}; }
};
static_assert(sizeof(HoursEntry) == 16);

// With a million keys one index fits no cache and every lookup waits for
// memory, so entries and lookups are split by the high bits of the key's
// hash into partitions whose indexes stay in the cache; equal keys always
// meet in one partition, and each partition keeps the file's order.
constexpr int kPartitionBits = 8;
constexpr size_t kPartitions = size_t{1} << kPartitionBits;

uint64_t HashOf(KeyParts key) {
  return Mix(key.lo ^ (key.hi * 0x9E3779B97F4A7C15ULL));
}

size_t PartitionOf(uint64_t hash) {
  return static_cast<size_t>(hash >> (64 - kPartitionBits));
}

// The hours entries of every partition, in one arena that fills in file
// order: each partition holds its entries in chunks of the arena, so that
// no partition needs room of its own ahead of its entries and at most one
// part-filled chunk per partition is wasted.
class PartitionedEntries {
 public:
  // Room for about n entries (a hint only: the arena still grows past it).
  void Reserve(size_t n) { arena_.reserve(n + kPartitions * kChunk); }

  void Add(size_t partition, const HoursEntry& entry) {
    Part& part = parts_[partition];
    size_t within = part.count % kChunk;
    if (within == 0) {
      part.chunks.push_back(arena_.size());
      arena_.Extend(kChunk);
    }
    arena_[part.chunks.back() + within] = entry;
    ++part.count;
  }

  // A partition's entries in file order, into out.
  void Gather(size_t partition, std::vector<HoursEntry>& out) const {
    const Part& part = parts_[partition];
    out.resize(part.count);
    for (size_t c = 0, at = 0; at < part.count; ++c, at += kChunk) {
      size_t n = std::min(kChunk, part.count - at);
      std::memcpy(out.data() + at, arena_.data() + part.chunks[c], n * sizeof(HoursEntry));
    }
  }

 private:
  static constexpr size_t kChunk = 128;
  struct Part {
    std::vector<size_t> chunks;  // where each chunk starts in the arena
    size_t count = 0;
  };
  LargeArray<HoursEntry> arena_;
  Part parts_[kPartitions];
};

// The first entry of each key in one partition, found by open addressing
// over slots that hold the entry's place plus one (0: empty). The slots are
// reused from partition to partition.
class PartitionIndex {
 public:
  void Build(const std::vector<HoursEntry>& entries) {
    entries_ = &entries;
    size_t capacity = 16;
    while (capacity < entries.size() * 2) capacity *= 2;
    slots_.assign(capacity, 0);
    mask_ = capacity - 1;
    // Slots number entries in 32 bits (never reached: memory runs out first).
    size_t count = std::min<size_t>(entries.size(), kNone - 1);
    for (size_t i = 0; i < count; ++i) {
      KeyParts key = entries[i].Key();
      size_t at = Find(key, HashOf(key));
      if (slots_[at] == 0) slots_[at] = static_cast<uint32_t>(i + 1);
    }
  }
  const HoursEntry* Get(KeyParts key, uint64_t hash) const {
    uint32_t slot = slots_[Find(key, hash)];
    return slot == 0 ? nullptr : &(*entries_)[slot - 1];
  }

 private:
  size_t Find(KeyParts key, uint64_t hash) const {
    for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
      uint32_t slot = slots_[at];
      if (slot == 0 || (*entries_)[slot - 1].Key() == key) return at;
    }
  }
  const std::vector<HoursEntry>* entries_ = nullptr;
  std::vector<uint32_t> slots_;
  size_t mask_ = 0;
};

// Each assignment's hours from the first data line of its subject, level
// and course. A failing hours text stops the pass at the first record (in
// table order) that uses it: the records before keep their hours, it and
// the ones after get none.
// Lookups are met partition by partition, so the first failure in table
// order is found after all of them.
void HoursPass(const std::string& path, const LargeArray<Asignacion>& asignaciones,
               const LargeArray<GrupoAsignado>& grupos, HoursValues& hours,
               LargeArray<uint32_t>& horas) {
  PartitionedEntries entries;
  {
    WholeFileLines lines(path);
    entries.Reserve(static_cast<size_t>(std::min<uint64_t>(lines.FileSize() / 32, 1u << 22)));
    for (std::string_view line; lines.Next(line);) {
      if (!EsLineaDeDatosRapida(line, "SICE_ASIGNATCURSO.TXT")) continue;
      // The cuts are no longer than the key's parts.
      KeyParts key = HoursKey(CortarCampoVista(line, 24, 4), CortarCampoVista(line, 2, 3),
                              CortarCampoVista(line, 8, 3));
      HoursEntry entry{key.lo, key.hi, Packed<6>::Of(CortarCampoVista(line, 28, 6))};
      entries.Add(PartitionOf(HashOf(key)), entry);
    }
  }

  // The lookups of each partition, in table order (a counting sort). A
  // lookup's key follows from its subject and group, so it holds those.
  struct Lookup {
    char casig[4];  // as Asignacion packs it
    uint32_t group;
    uint32_t record;
  };
  // Filled below: no need to clear it first.
  static_assert(std::is_trivially_default_constructible_v<Lookup>);
  // Records are numbered in 32 bits; a table never holds more than that,
  // so records past it would never be written anyway.
  const size_t n = std::min<size_t>(asignaciones.size(), kNone - 1);
  // Each group's level and course as the key holds them; none for a group
  // whose level or course is too long ever to equal an hours line's.
  struct LevelCourse {
    uint32_t lo;  // bytes 4-7 of the key
    uint16_t hi;  // bytes 8-9
    bool usable;
  };
  LargeArray<LevelCourse> levelCourses;
  levelCourses.Extend(grupos.size());
  for (size_t g = 0; g < grupos.size(); ++g) {
    std::string_view nivel = grupos[g].nivel.View();
    std::string_view curso = grupos[g].curso.View();
    // Filled whole either way: the array comes uninitialised.
    LevelCourse& lc = levelCourses[g];
    lc.usable = nivel.size() <= 3 && curso.size() <= 3;
    KeyParts parts = lc.usable ? HoursKey({}, nivel, curso) : KeyParts{0, 0};
    lc.lo = static_cast<uint32_t>(parts.lo >> 32);
    lc.hi = parts.hi;
  }
  auto keyOf = [&](const char(&casig)[4], uint32_t group, KeyParts& key) {
    if (group == kNoGroup) {
      key = {BytesOf({casig, 4}), 0};
      return true;
    }
    const LevelCourse& lc = levelCourses[group];
    key = {BytesOf({casig, 4}) | uint64_t{lc.lo} << 32, lc.hi};
    return lc.usable;
  };
  std::vector<uint32_t> starts(kPartitions + 1, 0);
  for (size_t i = 0; i < n; ++i) {
    const Asignacion& a = asignaciones[i];
    KeyParts key;
    if (keyOf(a.casig.bytes, a.group, key)) ++starts[PartitionOf(HashOf(key)) + 1];
  }
  for (size_t p = 0; p < kPartitions; ++p) starts[p + 1] += starts[p];
  LargeArray<Lookup> lookups;
  lookups.Extend(starts[kPartitions]);
  {
    std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
    for (size_t i = 0; i < n; ++i) {
      const Asignacion& a = asignaciones[i];
      KeyParts key;
      if (!keyOf(a.casig.bytes, a.group, key)) continue;
      Lookup& lookup = lookups[next[PartitionOf(HashOf(key))]++];
      std::memcpy(lookup.casig, a.casig.bytes, 4);
      lookup.group = a.group;
      lookup.record = static_cast<uint32_t>(i);
    }
  }

  // Each distinct hours text is read once: its HORAS, or kFails.
  constexpr uint32_t kFails = UINT32_MAX - 1;
  FlatMap<uint64_t> byText;
  size_t firstFailure = n;
  Packed<6> failingText;
  PartitionIndex index;
  std::vector<HoursEntry> part;
  for (size_t p = 0; p < kPartitions; ++p) {
    entries.Gather(p, part);
    index.Build(part);
    for (uint32_t k = starts[p]; k < starts[p + 1]; ++k) {
      const Lookup& lookup = lookups[k];
      uint32_t record = lookup.record;
      KeyParts key;
      keyOf(lookup.casig, lookup.group, key);
      const HoursEntry* entry = index.Get(key, HashOf(key));
      if (!entry) continue;
      uint64_t textKey = KeyOf<uint64_t>(entry->hours);
      uint32_t id = byText.Get(textKey);
      if (id == kNone) {
        try {
          id = hours.Add(HorasDeTexto(entry->hours.View()));
        } catch (const Error&) {
          id = kFails;
        }
        byText.Insert(textKey, id);
      }
      if (id == kFails) {
        if (record < firstFailure) {
          firstFailure = record;
          failingText = entry->hours;
        }
        continue;
      }
      horas[record] = id;
    }
  }
  if (firstFailure < n) {
    for (size_t i = firstFailure; i < horas.size(); ++i) horas[i] = 0;
    HorasDeTexto(failingText.View());  // raises the text's error
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
  LargeArray<Asignacion> asignaciones;
  LargeArray<GrupoAsignado> grupos;
  HoursValues hours;
  LargeArray<uint32_t> horas;  // HORAS of each record, once the hours pass ran
  const std::string hoursPath = context.SicePath("sice_asignatcurso.txt");
  bool hoursMissing = false;
  try {
    ReadAssignments(input, asignaciones);
    GroupsPass(context.otemp, asignaciones, grupos);
    hoursMissing = !ExisteArchivo(hoursPath);
    if (!hoursMissing) {
      horas.assign(asignaciones.size(), 0);
      HoursPass(hoursPath, asignaciones, grupos, hours, horas);
      // Assignments without an hours line get one session.
      uint32_t one = 0;
      for (uint32_t& h : horas) {
        if (h != 0) continue;
        if (one == 0) one = hours.Add(1);
        h = one;
      }
    }
  } catch (...) {
    // Keep what the passes had done; the failure itself is what the user
    // must see, not a second one while saving.
    try {
      asigt.Write(asignaciones, grupos, hours, horas);
    } catch (...) {
    }
    throw;
  }
  asigt.Write(asignaciones, grupos, hours, horas);
  // The hours file is optional for Orvalent: no change of the outcome.
  if (hoursMissing)
    context.window.ShowMessage("No existe archivo de grupos (SICE_ASIGNATCURSO.TXT)");
  table->Close();
}

}  // namespace tos
