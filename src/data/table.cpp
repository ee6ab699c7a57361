#include "data/table.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>

#include "data/clock.h"
#include "data/codepage.h"
#include "data/dbf_format.h"
#include "data/error.h"
#include "data/files.h"
#include "data/number.h"
#include "data/text.h"

namespace tos {

namespace {

// Records are read in chunks of about this size while walking, and appended
// ones are written out in batches of about this size.
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kAppendBatch = 256 * 1024;

enum class IoWhat { kOpen, kCreate, kRead, kWrite, kDelete };

// "la tabla X" or "el archivo X": what a message is about.
struct Subject {
  std::string path;
  bool table = true;
  std::string Lower() const { return (table ? "la tabla " : "el archivo ") + path; }
  std::string Upper() const { return (table ? "La tabla " : "El archivo ") + path; }
};

[[noreturn]] void FailIo(const Error& e, IoWhat what, const Subject& s) {
  int code = e.Code();
  switch (code) {
    case fs::kSharingViolation:
    case fs::kLockViolation:
      throw Error(s.Upper() + " está en uso por otro programa", code);
    case fs::kFileNotFound:
      throw Error("No se encuentra " + s.Lower(), code);
    case fs::kPathNotFound:
      throw Error("No se encuentra la carpeta de " + s.Lower(), code);
    case fs::kTooManyOpenFiles:
      throw Error("Hay demasiados archivos abiertos para abrir " + s.Lower(), code);
    case fs::kDiskFull:
      throw Error("No queda espacio en el disco para escribir " + s.Lower(), code);
    case fs::kAccessDenied:
      switch (what) {
        case IoWhat::kOpen:
        case IoWhat::kRead: throw Error("No hay permiso para leer " + s.Lower(), code);
        case IoWhat::kDelete: throw Error("No hay permiso para borrar " + s.Lower(), code);
        default: throw Error("No hay permiso para escribir en " + s.Lower(), code);
      }
    default: break;
  }
  const char* verb = "leer";
  switch (what) {
    case IoWhat::kOpen: verb = "abrir"; break;
    case IoWhat::kCreate: verb = "crear"; break;
    case IoWhat::kRead: verb = "leer"; break;
    case IoWhat::kWrite: verb = "escribir"; break;
    case IoWhat::kDelete: verb = "borrar"; break;
  }
  throw Error("Error de E/S " + std::to_string(fs::ShownNumber(code)) + " al " + verb + " " + s.Lower(), code);
}

// Runs one file operation, turning the file layer's error into ours.
template <class F>
auto Io(IoWhat what, const Subject& s, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const Error& e) {
    FailIo(e, what, s);
  }
}

bool HasExtension(const std::string& name) {
  std::string base = fs::BaseName(name);
  return base.find('.') != std::string::npos;
}

std::string Extension(const std::string& name) {
  std::string base = fs::BaseName(name);
  size_t dot = base.rfind('.');
  return dot == std::string::npos ? "" : base.substr(dot);
}

// The path with its extension replaced (or added).
std::string WithExtension(const std::string& path, const std::string& ext) {
  std::string base = fs::BaseName(path);
  size_t dot = base.rfind('.');
  std::string stem = dot == std::string::npos ? path : path.substr(0, path.size() - base.size() + dot);
  return stem + ext;
}

fs::TableMode ModeFor(bool exclusive, bool readOnly) {
  if (exclusive) return readOnly ? fs::TableMode::kReadExclusive : fs::TableMode::kWriteExclusive;
  return readOnly ? fs::TableMode::kReadShared : fs::TableMode::kWriteShared;
}

// Whether a Remove failure means the file simply was not there.
bool IsMissing(const Error& e) {
  return e.Code() == fs::kFileNotFound || e.Code() == fs::kPathNotFound;
}

// Deletes a file found beside a table (ignoring letter case), if there is one.
void RemoveIfPresent(const std::string& path) {
  std::optional<std::string> found = fs::Current().FindFile(path);
  if (!found) return;
  try {
    fs::Current().Remove(*found);
  } catch (const Error& e) {
    if (IsMissing(e)) return;
    FailIo(e, IoWhat::kDelete, Subject{*found, false});
  }
}

// Deletes a file, passing over a failure.
void RemoveQuietly(const std::string& path) {
  try {
    fs::Current().Remove(path);
  } catch (const Error&) {
  }
}

constexpr size_t kKeyLetters = 7;

uint64_t NameKey(std::string_view name) {
  uint64_t key = name.size() & 0xFF;
  size_t n = name.size() < kKeyLetters ? name.size() : kKeyLetters;
  for (size_t i = 0; i < n; ++i)
    key |= static_cast<uint64_t>(static_cast<unsigned char>(text::AsciiUpper(name[i]))) << (8 * (i + 1));
  return key;
}

}  // namespace

struct Table::Impl {
  std::string objectName;
  std::string folder;
  std::string tableName;
  TableType type = TableType::kFromExtension;
  bool exclusive = false;
  bool readOnly = false;
  std::vector<FieldDef> defs;

  // While open.
  std::unique_ptr<fs::RandomAccessFile> file;
  std::string path;
  bool openReadOnly = false;
  dbf::Header header;
  const cp::CodePage* page = nullptr;
  uint32_t count = 0;    // records, the appended ones not yet written included
  uint32_t written = 0;  // records in the file
  TableState state = TableState::kClosed;
  int64_t current = -1;  // -1: no current record
  bool eof = true;
  std::string record;    // the current record, or the one being appended or edited
  std::string original;  // the record as it was when the edit began
  bool changed = false;
  int64_t savedCurrent = -1;  // where an append started from
  std::string savedRecord;
  bool savedEof = true;
  bool modified = false;
  LocalTime stamp;
  // Read chunk and the records edited in it.
  uint32_t cacheFirst = 0;
  uint32_t cacheCount = 0;
  std::string cache;
  uint32_t dirtyFrom = 0;
  uint32_t dirtyTo = 0;
  // Appended records from `written` on.
  std::string pending;
  std::string scratch;

  Subject Me() const { return Subject{DisplayPath(), true}; }

  std::string NameWithExtension() const {
    return HasExtension(tableName) ? tableName : tableName + ".DBF";
  }
  std::string GivenPath() const { return fs::Join(folder, NameWithExtension()); }
  std::string DisplayPath() const { return file ? path : GivenPath(); }

  std::string Prefix() const { return objectName.empty() ? "" : objectName + ": "; }

  void CheckType() const {
    if (tableName.empty()) throw Error(Prefix() + "La tabla no tiene nombre");
    if (type == TableType::kFromExtension) {
      std::string ext = Extension(tableName);
      if (!ext.empty() && !text::EqualIgnoringAsciiCase(ext, ".DBF"))
        throw Error("La tabla " + GivenPath() + " no es una tabla dBase (extensión " + ext + ")");
    }
  }

  void RequireClosed() const {
    if (file)
      throw Error("La tabla " + path + " está abierta: hay que cerrarla antes de cambiarla");
  }
  void RequireOpen() const {
    if (!file) throw Error(Prefix() + "La tabla " + GivenPath() + " no está abierta");
  }
  void RequireWritable() const {
    RequireOpen();
    if (openReadOnly) throw Error("La tabla " + path + " está abierta solo para lectura", fs::kAccessDenied);
  }
  void RequireChanging(const FieldInfo& f) const {
    RequireOpen();
    if (state != TableState::kAppending && state != TableState::kEditing)
      throw Error("No se puede escribir el campo " + f.name + ": la tabla " + path +
                  " no está en modo de alta ni de edición");
  }

  uint64_t Offset(uint32_t index) const {
    return header.headerLength + static_cast<uint64_t>(index) * header.recordLength;
  }
  std::string Blank() const { return std::string(header.recordLength, ' '); }
  // The blank record, kept so that starting an append allocates nothing.
  std::string blank;
  // Where the last field lookup found its field: callers set fields in
  // their table's order, so the next lookup usually wants the one after it.
  mutable size_t lastFound = 0;
  // Each field's name folded to a number (length and first seven letters,
  // upper case), so that a lookup compares numbers.
  std::vector<uint64_t> nameKeys;

  // --- Record I/O -------------------------------------------------------

  void FlushCache() {
    if (dirtyTo <= dirtyFrom) return;
    size_t len = header.recordLength;
    const char* from = cache.data() + (dirtyFrom - cacheFirst) * len;
    size_t size = (dirtyTo - dirtyFrom) * len;
    uint64_t at = Offset(dirtyFrom);
    dirtyFrom = dirtyTo = 0;
    Io(IoWhat::kWrite, Me(), [&] { file->WriteAt(at, from, size); });
  }

  const char* RecordAt(uint32_t index) {
    size_t len = header.recordLength;
    if (index >= written) return pending.data() + (index - written) * len;
    if (index < cacheFirst || index >= cacheFirst + cacheCount) {
      FlushCache();
      uint32_t n = static_cast<uint32_t>(std::max<size_t>(1, kReadChunk / len));
      n = std::min(n, written - index);
      cache.resize(static_cast<size_t>(n) * len);
      cacheCount = 0;
      size_t got = Io(IoWhat::kRead, Me(), [&] { return file->ReadAt(Offset(index), cache.data(), cache.size()); });
      if (got < len)
        throw Error("La tabla " + path + " está dañada: el archivo termina antes del registro " +
                    std::to_string(index + 1));
      cacheFirst = index;
      cacheCount = static_cast<uint32_t>(got / len);
    }
    return cache.data() + (index - cacheFirst) * len;
  }

  void WriteRecord(uint32_t index, const std::string& bytes) {
    Touch();
    size_t len = header.recordLength;
    if (index >= written) {
      std::memcpy(pending.data() + (index - written) * len, bytes.data(), len);
    } else if (index >= cacheFirst && index < cacheFirst + cacheCount) {
      std::memcpy(cache.data() + (index - cacheFirst) * len, bytes.data(), len);
      if (dirtyTo <= dirtyFrom) {
        dirtyFrom = index;
        dirtyTo = index + 1;
      } else {
        dirtyFrom = std::min(dirtyFrom, index);
        dirtyTo = std::max(dirtyTo, index + 1);
      }
    } else {
      Io(IoWhat::kWrite, Me(), [&] { file->WriteAt(Offset(index), bytes.data(), len); });
    }
  }

  void AppendRecord(const std::string& bytes) {
    if (count == UINT32_MAX || Offset(count + 1) + 1 > (uint64_t{1} << 32))
      throw Error("La tabla " + path + " está llena: no caben más registros");
    Touch();
    pending += bytes;
    ++count;
    if (pending.size() >= kAppendBatch) FlushPending();
  }

  // Writes the appended records, the end mark after them and the new count,
  // so that the file is whole again after every batch.
  void FlushPending() {
    if (pending.empty()) return;
    uint32_t n = static_cast<uint32_t>(pending.size() / header.recordLength);
    try {
      // The end mark goes with the batch; the buffer keeps its room.
      pending += dbf::kEndOfFile;
      Io(IoWhat::kWrite, Me(), [&] { file->WriteAt(Offset(written), pending.data(), pending.size()); });
    } catch (...) {
      // The batch is lost; the count stays with the records the file holds.
      pending.clear();
      count = written;
      throw;
    }
    pending.clear();
    written += n;
    WriteStamp();
  }

  void WriteStamp() {
    char seven[7];
    dbf::StampHeader(seven, stamp, written);
    Io(IoWhat::kWrite, Me(), [&] { file->WriteAt(1, seven, sizeof seven); });
  }

  void Touch() {
    if (!modified) stamp = SystemClock().Now();
    modified = true;
  }

  // Count, end mark and size brought into agreement, once something changed.
  void Finish() {
    FlushCache();
    FlushPending();
    uint64_t end = Offset(written);
    char mark = dbf::kEndOfFile;
    Io(IoWhat::kWrite, Me(), [&] {
      // Shrink first: a half-written batch or another writer's trailing bytes
      // go, and on a full disk that frees the byte the end mark needs.
      uint64_t size = file->Size();
      if (size > end + 1) file->Truncate(end);
      file->WriteAt(end, &mark, 1);
    });
    WriteStamp();
  }

  // --- Positioning ----------------------------------------------------------

  // Makes the first live record from index on current; false when none.
  bool SeekLive(uint32_t from) {
    for (uint32_t i = from; i < count; ++i) {
      const char* r = RecordAt(i);
      if (r[0] == dbf::kDeleted) continue;
      current = i;
      // Every record of the table has the same length: the bytes are
      // copied over the old ones, with nothing to allocate or resize.
      if (record.size() == header.recordLength)
        std::memcpy(record.data(), r, record.size());
      else
        record.assign(r, header.recordLength);
      eof = false;
      return true;
    }
    return false;
  }

  // Posts a pending append or edit; without changes it is dropped, unless
  // the caller posts explicitly.
  void Settle(bool explicitPost) {
    if (state == TableState::kAppending) {
      if (changed || explicitPost) {
        AppendRecord(record);
        current = count - 1;
        eof = false;
      } else {
        current = savedCurrent;
        record.swap(savedRecord);
        eof = savedEof;
      }
    } else if (state == TableState::kEditing) {
      if (record != original) WriteRecord(static_cast<uint32_t>(current), record);
    }
    state = TableState::kBrowsing;
    changed = false;
  }

  void DropPending() {
    if (state == TableState::kAppending) {
      current = savedCurrent;
      record.swap(savedRecord);
      eof = savedEof;
    } else if (state == TableState::kEditing) {
      record = original;
    }
    if (state != TableState::kClosed) state = TableState::kBrowsing;
    changed = false;
  }

  void Reset() {
    file.reset();
    state = TableState::kClosed;
    header = dbf::Header();
    page = nullptr;
    count = written = 0;
    current = -1;
    eof = true;
    record.clear();
    original.clear();
    savedRecord.clear();
    blank.clear();
    lastFound = 0;
    nameKeys.clear();
    changed = modified = false;
    cache.clear();
    cacheFirst = cacheCount = dirtyFrom = dirtyTo = 0;
    pending.clear();
    openReadOnly = false;
  }

  // --- Fields -----------------------------------------------------------

  const FieldInfo& Info(int index) const { return header.fields[static_cast<size_t>(index)]; }

  // The field a Field object stands for, after checking that it may be read
  // (or written): the table open, the field still one of its own.
  const FieldInfo& Checked(int index, bool writing) const {
    bool usable = file && static_cast<size_t>(index) < header.fields.size() &&
                  (!writing || state == TableState::kAppending || state == TableState::kEditing);
    if (!usable) [[unlikely]]
      Refuse(index);
    return header.fields[static_cast<size_t>(index)];
  }
  [[noreturn]] void Refuse(int index) const {
    RequireOpen();
    if (static_cast<size_t>(index) >= header.fields.size())
      throw Error("La tabla " + path + " no tiene el campo número " + std::to_string(index + 1));
    RequireChanging(header.fields[static_cast<size_t>(index)]);  // throws: not appending or editing
    throw Error("La tabla " + path + " no admite cambios ahora");
  }

  std::string_view Raw(int index) const {
    return std::string_view(record).substr(header.offsets[static_cast<size_t>(index)],
                                           static_cast<size_t>(Info(index).width));
  }

  StoredNumber Number(int index) const {
    StoredNumber n = ParseStoredNumber(Raw(index));
    if (n.kind == StoredNumber::kInvalid)
      throw Error("El campo " + Info(index).name + " de la tabla " + path + " contiene '" +
                  text::Cp1252ToUtf8(page->Decode(Raw(index))) + "', que no es un número");
    return n;
  }

  std::string Text(int index) const {
    std::string_view raw = Raw(index);
    size_t nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
    if (page->IsIdentity()) return std::string(raw);
    return page->Decode(raw);
  }

  // Text, as a view into the record unless a code page has to convert it.
  // Fields are a few bytes wide: plain loops rather than calls to memchr.
  std::string_view TextView(int index, std::string& spill) const {
    std::string_view raw = Raw(index);
    size_t n = 0;
    while (n < raw.size() && raw[n] != '\0') ++n;
    while (n > 0 && raw[n - 1] == ' ') --n;
    raw = raw.substr(0, n);
    if (page->IsIdentity()) return raw;
    spill = page->Decode(raw);
    return spill;
  }

  void Store(int index, std::string_view bytes) {
    StoreInto(record, index, bytes);
    changed = true;
  }

  void StoreNumber(int index, double value) {
    StoreNumberInto(record, index, value);
    changed = true;
  }

  // The field writes, into a record of this table's layout.
  void StoreInto(std::string& into, int index, std::string_view bytes) const {
    const FieldInfo& f = Info(index);
    size_t width = static_cast<size_t>(f.width);
    char* at = into.data() + header.offsets[static_cast<size_t>(index)];
    size_t n = std::min(bytes.size(), width);
    // An empty view may have no storage behind it at all.
    if (n > 0) std::memcpy(at, bytes.data(), n);
    std::memset(at + n, ' ', width - n);
  }

  void StoreNumberInto(std::string& into, int index, double value) const {
    const FieldInfo& f = Info(index);
    char* at = into.data() + header.offsets[static_cast<size_t>(index)];
    if (!FormatStoredNumber(value, f.width, f.decimals, at))
      throw Error("El valor " + FloatToText(value) + " no cabe en el campo " + f.name + " (" +
                  std::to_string(f.width) + " caracteres) de la tabla " + path);
  }

  void SetTextInto(std::string& into, int index, std::string_view value) const {
    const FieldInfo& f = Info(index);
    size_t nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    switch (f.kind) {
      case FieldKind::kText:
        if (page->IsIdentity())
          StoreInto(into, index, value);
        else
          StoreInto(into, index, page->Encode(value, static_cast<size_t>(f.width)));
        return;
      case FieldKind::kFloat:
        if (value.empty()) return StoreInto(into, index, "");
        return StoreNumberInto(into, index, TextToFloat(value, DecimalSeparator()));
      case FieldKind::kWhole:
        if (value.empty()) return StoreInto(into, index, "");
        return StoreNumberInto(into, index, TextToWhole(value));
    }
  }

  void SetFloatInto(std::string& into, int index, double value) const {
    const FieldInfo& f = Info(index);
    switch (f.kind) {
      case FieldKind::kText:
        return SetTextInto(into, index, FloatToText(value, DecimalSeparator()));
      case FieldKind::kFloat:
        return StoreNumberInto(into, index, value);
      case FieldKind::kWhole: {
        std::optional<int32_t> whole = RoundHalfEven(value);
        if (!whole) throw Error(Format("'%s' no es un valor entero válido", FloatToText(value)));
        return StoreNumberInto(into, index, *whole);
      }
    }
  }
};

// --- Field --------------------------------------------------------------------

const FieldInfo& Field::Info() const { return table_->impl_->Checked(index_, false); }

std::string Field::AsString() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) return t.Text(index_);
  StoredNumber n = t.Number(index_);
  if (n.kind == StoredNumber::kBlank) return "";
  if (f.kind == FieldKind::kWhole) {
    // Whole columns keep every digit, even beyond a double's precision.
    std::string_view raw = t.Raw(index_);
    size_t b = raw.find_first_not_of(std::string_view(" \0", 2));
    size_t e = raw.find_last_not_of(std::string_view(" \0", 2));
    std::string_view digits = raw.substr(b, e - b + 1);
    bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos) {
      size_t z = digits.find_first_not_of('0');
      if (z == std::string_view::npos) return "0";
      return (negative ? "-" : "") + std::string(digits.substr(z));
    }
  }
  return FloatToText(n.value, DecimalSeparator());
}

std::string_view Field::AsStringView(std::string& spill) const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) return t.TextView(index_, spill);
  if (f.kind == FieldKind::kWhole) {
    // Digits with an optional sign, as whole columns nearly always hold
    // them: the digits without their leading zeros, as AsString gives them.
    // 18 digits at most, so that the general reading would take them too.
    std::string_view raw = t.Raw(index_);
    auto blank = [](char c) { return c == ' ' || c == '\0'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    size_t b = 0;
    size_t e = raw.size();
    while (b < e && blank(raw[b])) ++b;
    while (e > b && blank(raw[e - 1])) --e;
    if (b < e) {
      std::string_view number = raw.substr(b, e - b);
      bool hasSign = number[0] == '-' || number[0] == '+';
      std::string_view digits = number.substr(hasSign ? 1 : 0);
      if (!digits.empty() && digits.size() <= 18 &&
          std::all_of(digits.begin(), digits.end(), digit)) {
        size_t z = 0;
        while (z < digits.size() && digits[z] == '0') ++z;
        if (z == digits.size()) return "0";
        if (number[0] != '-') return digits.substr(z);
        if (z == 0) return number;
        spill.assign(1, '-');
        spill.append(digits.substr(z));
        return spill;
      }
    }
  }
  spill = AsString();
  return spill;
}

int32_t Field::AsInteger() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) {
    std::string spill;
    return TextToWhole(t.TextView(index_, spill));
  }
  StoredNumber n = t.Number(index_);
  if (n.kind == StoredNumber::kBlank) return 0;
  std::optional<int32_t> v = RoundHalfEven(n.value);
  if (!v) throw Error(Format("'%s' no es un valor entero válido", AsString()));
  return *v;
}

double Field::AsFloat() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) return TextToFloat(t.Text(index_), DecimalSeparator());
  StoredNumber n = t.Number(index_);
  return n.kind == StoredNumber::kBlank ? 0 : n.value;
}

bool Field::IsNull() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) return t.Text(index_).empty();
  return t.Number(index_).kind == StoredNumber::kBlank;
}

void Field::SetAsString(std::string_view value) {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  t.SetTextInto(t.record, index_, value);
  t.changed = true;
}

void Field::SetAsFloat(double value) {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  t.SetFloatInto(t.record, index_, value);
  t.changed = true;
}

void Field::SetAsInteger(int32_t value) {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, true);
  if (f.kind == FieldKind::kText) return SetAsString(std::to_string(value));
  t.StoreNumber(index_, value);
}

void Field::Clear() {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  t.Store(index_, "");
}

// --- FieldReader --------------------------------------------------------------

FieldReader::FieldReader(const Field& field) : field_(field) {
  const Table::Impl& t = *field.table_->impl_;
  size_t index = static_cast<size_t>(field.index_);
  if (!t.file || index >= t.header.fields.size()) return;  // the Field reports it
  const FieldInfo& f = t.header.fields[index];
  record_ = &t.record;
  offset_ = t.header.offsets[index];
  width_ = static_cast<size_t>(f.width);
  end_ = offset_ + width_;
  if (f.kind == FieldKind::kText && t.page->IsIdentity()) shape_ = Shape::kText;
  if (f.kind == FieldKind::kWhole) shape_ = Shape::kWhole;
}

// --- Table --------------------------------------------------------------------

Table::Table(std::string objectName) : impl_(std::make_unique<Impl>()) {
  impl_->objectName = std::move(objectName);
}

Table::~Table() {
  try {
    Close();
  } catch (...) {
    // Close has released the file whatever happened; a destructor cannot report.
  }
}

void Table::SetFolder(std::string folder) {
  impl_->RequireClosed();
  impl_->folder = std::move(folder);
}
void Table::SetTableName(std::string name) {
  impl_->RequireClosed();
  impl_->tableName = std::move(name);
}
void Table::SetTableType(TableType type) {
  impl_->RequireClosed();
  impl_->type = type;
}
void Table::SetExclusive(bool exclusive) {
  impl_->RequireClosed();
  impl_->exclusive = exclusive;
}
void Table::SetReadOnly(bool readOnly) {
  impl_->RequireClosed();
  impl_->readOnly = readOnly;
}
std::vector<FieldDef>& Table::FieldDefs() { return impl_->defs; }

const std::string& Table::ObjectName() const { return impl_->objectName; }
std::string Table::FilePath() const { return impl_->DisplayPath(); }

void Table::Create() {
  Impl& t = *impl_;
  t.RequireClosed();
  t.CheckType();
  std::string given = t.GivenPath();

  std::vector<FieldInfo> fields;
  uint64_t recordLength = 1;
  for (const FieldDef& d : t.defs) {
    FieldInfo f;
    f.name = text::AsciiUpper(d.name);
    if (f.name.empty() || f.name.size() > dbf::kMaxNameLength ||
        f.name.find('\0') != std::string::npos)
      throw Error("No se puede crear la tabla " + given + ": el nombre de campo '" + d.name +
                  "' no es válido (de 1 a 10 caracteres)");
    for (const FieldInfo& other : fields)
      if (other.name == f.name)
        throw Error("No se puede crear la tabla " + given + ": el campo " + f.name +
                    " está repetido");
    f.kind = d.kind;
    switch (d.kind) {
      case FieldKind::kText:
        if (d.width < 1 || d.width > dbf::kMaxTextWidth)
          throw Error("No se puede crear la tabla " + given + ": el campo " + f.name +
                      " tiene una longitud no válida (" + std::to_string(d.width) + ")");
        f.type = 'C';
        f.width = d.width;
        break;
      case FieldKind::kFloat:
        f.type = 'N';
        f.width = dbf::kFloatWidth;
        f.decimals = dbf::kFloatDecimals;
        break;
      case FieldKind::kWhole:
        f.type = 'N';
        f.width = dbf::kWholeWidth;
        break;
    }
    recordLength += static_cast<uint64_t>(f.width);
    fields.push_back(f);
  }
  if (recordLength > 0xFFFF || fields.size() > 2046)
    throw Error("No se puede crear la tabla " + given + ": tiene demasiados campos");

  if (!t.folder.empty() && !fs::Current().DirectoryExists(t.folder))
    throw Error("No se encuentra la carpeta " + t.folder, fs::kPathNotFound);
  // Replace a table of that name whatever the letter case it has on disk.
  std::string path = fs::Current().FindFile(given).value_or(given);
  Subject s{path, true};
  std::string bytes = dbf::BuildHeader(fields, SystemClock().Now());
  bytes += dbf::kEndOfFile;
  auto file = Io(IoWhat::kCreate, s, [&] {
    return fs::Current().OpenTable(path, fs::TableMode::kWriteExclusive, true);
  });
  try {
    Io(IoWhat::kWrite, s, [&] {
      file->WriteAt(0, bytes.data(), bytes.size());
      file->Close();
    });
  } catch (...) {
    // A half-written table would meet Orvalent as a damaged one: none is
    // better, and the next run creates it.
    file.reset();
    try {
      fs::Current().Remove(path);
    } catch (const Error&) {
    }
    throw;
  }
  // Another tool's code-page note would override the id we just wrote.
  RemoveIfPresent(WithExtension(path, ".cpg"));
}

void Table::Open() {
  Impl& t = *impl_;
  if (t.file) return;
  t.CheckType();
  std::string given = t.GivenPath();
  if (!t.folder.empty() && !fs::Current().DirectoryExists(t.folder))
    throw Error("No se encuentra la carpeta " + t.folder, fs::kPathNotFound);
  std::optional<std::string> found = fs::Current().FindFile(given);
  if (!found) throw Error("No se encuentra la tabla " + given, fs::kFileNotFound);
  std::string path = *found;
  Subject s{path, true};

  bool readOnly = t.readOnly;
  std::unique_ptr<fs::RandomAccessFile> file;
  try {
    file = fs::Current().OpenTable(path, ModeFor(t.exclusive, readOnly), false);
  } catch (const Error& e) {
    if (readOnly || e.Code() != fs::kAccessDenied) FailIo(e, IoWhat::kOpen, s);
    // A read-only file is opened for reading instead; writing then fails.
    readOnly = true;
    file = Io(IoWhat::kOpen, s, [&] {
      return fs::Current().OpenTable(path, ModeFor(t.exclusive, true), false);
    });
  }

  uint64_t size = Io(IoWhat::kRead, s, [&] { return file->Size(); });
  std::string prefix(dbf::kPrefixSize, '\0');
  size_t got = Io(IoWhat::kRead, s, [&] { return file->ReadAt(0, prefix.data(), prefix.size()); });
  prefix.resize(got);
  // A file shorter than its size said (being cut elsewhere) counts as short.
  uint32_t headerLength =
      dbf::DeclaredHeaderLength(prefix.data(), got < dbf::kPrefixSize ? got : size, path);
  std::string headerBytes(headerLength, '\0');
  got = Io(IoWhat::kRead, s, [&] { return file->ReadAt(0, headerBytes.data(), headerLength); });
  headerBytes.resize(got);
  dbf::Header header = dbf::ParseHeader(headerBytes, size, path);

  // A .cpg note beside the table names its code page and wins over the id.
  const cp::CodePage* page = nullptr;
  if (std::optional<std::string> cpg = fs::Current().FindFile(WithExtension(path, ".cpg"))) {
    try {
      auto in = fs::Current().OpenRead(*cpg);
      char buffer[256];
      size_t n = in->Read(buffer, sizeof buffer);
      if (std::optional<int> number = cp::CodePageOfCpg(std::string_view(buffer, n)))
        page = cp::CodePage::ForNumber(*number);
    } catch (const Error&) {
      // An unreadable note is no note: the id decides.
    }
  }
  if (!page) page = cp::CodePage::ForNumber(cp::CodePageOfLanguageId(header.languageId));
  if (!page) page = &cp::CodePage::Windows1252();

  t.file = std::move(file);
  t.path = path;
  t.openReadOnly = readOnly;
  t.header = std::move(header);
  t.page = page;
  t.count = t.written = t.header.recordCount;
  t.state = TableState::kBrowsing;
  t.modified = false;
  t.current = -1;
  t.eof = true;
  t.blank = t.Blank();
  t.nameKeys.clear();
  for (const FieldInfo& f : t.header.fields) t.nameKeys.push_back(NameKey(f.name));
  t.pending.reserve(kAppendBatch + t.header.recordLength + 1);
  t.record = t.blank;
  try {
    if (!t.SeekLive(0)) t.eof = true;
  } catch (...) {
    t.Reset();
    throw;
  }
}

void Table::Close() {
  Impl& t = *impl_;
  if (!t.file) {
    t.state = TableState::kClosed;
    return;
  }
  t.DropPending();
  std::exception_ptr failure;
  try {
    if (t.modified) t.Finish();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    Io(IoWhat::kWrite, t.Me(), [&] { t.file->Close(); });
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  t.Reset();
  if (failure) std::rethrow_exception(failure);
}

bool Table::Active() const { return impl_->file != nullptr; }
TableState Table::State() const { return impl_->state; }
bool Table::IsReadOnly() const { return impl_->file ? impl_->openReadOnly : impl_->readOnly; }

void Table::First() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.Settle(false);
  if (!t.SeekLive(0)) {
    t.current = -1;
    t.record = t.Blank();
    t.eof = true;
  }
}

void Table::Next() {
  Impl& t = *impl_;
  t.RequireOpen();
  t.Settle(false);
  if (!t.SeekLive(static_cast<uint32_t>(t.current + 1))) t.eof = true;
}

bool Table::Eof() const { return impl_->eof; }

void Table::Append() {
  Impl& t = *impl_;
  t.RequireWritable();
  t.Settle(false);
  t.savedCurrent = t.current;
  t.savedRecord.swap(t.record);
  t.savedEof = t.eof;
  t.record.assign(t.blank);
  t.state = TableState::kAppending;
  t.changed = false;
}

void Table::Edit() {
  Impl& t = *impl_;
  t.RequireWritable();
  if (t.state == TableState::kAppending || t.state == TableState::kEditing) return;
  if (t.current < 0)
    throw Error("La tabla " + t.path + " no tiene ningún registro que modificar");
  t.original = t.record;
  t.state = TableState::kEditing;
  t.changed = false;
}

void Table::Post() {
  Impl& t = *impl_;
  t.RequireOpen();
  if (t.state != TableState::kAppending && t.state != TableState::kEditing)
    throw Error("No hay nada que grabar: la tabla " + t.path +
                " no está en modo de alta ni de edición");
  t.Settle(true);
}

uint32_t Table::RecordCount() const { return impl_->count; }
const std::vector<FieldInfo>& Table::Fields() const { return impl_->header.fields; }

int Table::FindField(std::string_view name) const {
  const auto& fields = impl_->header.fields;
  const auto& keys = impl_->nameKeys;
  size_t n = fields.size();
  uint64_t key = NameKey(name);
  size_t i = impl_->lastFound;
  for (size_t k = 0; k < n; ++k) {
    if (++i >= n) i = 0;
    if (keys[i] != key) continue;
    if (name.size() <= kKeyLetters || text::EqualIgnoringAsciiCase(fields[i].name, name)) {
      impl_->lastFound = i;
      return static_cast<int>(i);
    }
  }
  return -1;
}

Field Table::FieldByName(std::string_view name) {
  impl_->RequireOpen();
  int index = FindField(name);
  if (index < 0)
    throw Error(impl_->Prefix() + Format("No se encuentra el campo '%s'", name));
  return Field(this, index);
}

Field Table::FieldAt(int index) {
  impl_->RequireOpen();
  if (index < 0 || static_cast<size_t>(index) >= impl_->header.fields.size())
    throw Error("La tabla " + impl_->path + " no tiene el campo número " +
                std::to_string(index + 1));
  return Field(this, index);
}

// --- RecordWriter -------------------------------------------------------------

RecordWriter::RecordWriter(Table& table) : table_(table) {
  table_.impl_->RequireWritable();
  Clear();
}

void RecordWriter::Clear() {
  record_.assign(table_.impl_->blank);
}

void RecordWriter::SetAsString(const Field& field, std::string_view value) {
  Table::Impl& t = *table_.impl_;
  if (field.table_ != &table_) throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(field.index_, false);
  t.SetTextInto(record_, field.index_, value);
}

void RecordWriter::SetAsFloat(const Field& field, double value) {
  Table::Impl& t = *table_.impl_;
  if (field.table_ != &table_) throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(field.index_, false);
  t.SetFloatInto(record_, field.index_, value);
}

std::pair<size_t, size_t> RecordWriter::Span(const Field& first, const Field& last) const {
  Table::Impl& t = *table_.impl_;
  if (first.table_ != &table_ || last.table_ != &table_)
    throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(first.index_, false);
  const FieldInfo& end = t.Checked(last.index_, false);
  if (record_.size() != t.header.recordLength)
    throw Error("El registro no es de la tabla " + t.path + " tal como está abierta");
  if (last.index_ < first.index_)
    throw Error("Los campos de la tabla " + t.path + " no están en ese orden");
  size_t from = t.header.offsets[static_cast<size_t>(first.index_)];
  size_t to = t.header.offsets[static_cast<size_t>(last.index_)] + static_cast<size_t>(end.width);
  return {from, to - from};
}

std::string_view RecordWriter::Stored(const Field& first, const Field& last) const {
  auto [at, size] = Span(first, last);
  return std::string_view(record_).substr(at, size);
}

void RecordWriter::SetStored(const Field& first, const Field& last, std::string_view bytes) {
  auto [at, size] = Span(first, last);
  if (bytes.size() != size)
    throw Error("Los datos no ocupan lo que los campos de la tabla " + table_.impl_->path);
  if (size > 0) std::memcpy(record_.data() + at, bytes.data(), size);
}

void RecordWriter::Post() {
  Table::Impl& t = *table_.impl_;
  t.RequireWritable();
  // The table may have been closed and opened again since.
  if (record_.size() != t.header.recordLength)
    throw Error("El registro no es de la tabla " + t.path + " tal como está abierta");
  t.Settle(false);
  t.AppendRecord(record_);
  t.current = t.count - 1;
  t.record.assign(record_);
  t.eof = false;
}

std::unique_ptr<Table> RecrearTabla(const std::string& folder, const std::string& name,
                                    const std::vector<FieldDef>& fields) {
  std::string base = HasExtension(name) ? name : name + ".DBF";
  std::string given = fs::Join(folder, base);
  // Old files go first; a deletion that fails is passed over, and creating
  // the table then decides. The one exception: a table another program
  // holds is left alone, and so is its index.
  if (std::optional<std::string> dbf = fs::Current().FindFile(given)) {
    std::unique_ptr<fs::RandomAccessFile> held;
    for (fs::TableMode mode : {fs::TableMode::kWriteExclusive, fs::TableMode::kReadExclusive}) {
      try {
        held = fs::Current().OpenTable(*dbf, mode, false);
        break;
      } catch (const Error& e) {
        if (e.Code() == fs::kSharingViolation || e.Code() == fs::kLockViolation)
          FailIo(e, IoWhat::kOpen, Subject{*dbf, true});
        if (e.Code() != fs::kAccessDenied) break;
      }
    }
    // Windows refuses to delete a file while any handle, ours too, is open.
    held.reset();
    RemoveQuietly(*dbf);
  }
  for (const char* ext : {".MDX", ".CPG"}) {
    if (std::optional<std::string> found = fs::Current().FindFile(WithExtension(given, ext)))
      RemoveQuietly(*found);
  }

  auto table = std::make_unique<Table>();
  table->SetFolder(folder);
  table->SetTableName(base);
  table->SetTableType(TableType::kDBase);
  table->SetExclusive(false);
  table->SetReadOnly(false);
  table->FieldDefs() = fields;
  table->Create();
  table->Open();
  return table;
}

}  // namespace tos
