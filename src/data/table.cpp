// The table object and its states: closed, browsing, appending, editing;
// moving through the records, posting and dropping changes, finding fields.
// Opening and creating are in table_open.cpp, the fields in field.cpp.
#include "data/table.h"

#include <cstring>
#include <exception>

#include "data/error.h"
#include "data/files.h"
#include "data/table_impl.h"
#include "data/text.h"

namespace tos {

namespace {
constexpr size_t kKeyLetters = 7;
}  // namespace

uint64_t NameKey(std::string_view name) {
  uint64_t key = name.size() & 0xFF;
  size_t n = name.size() < kKeyLetters ? name.size() : kKeyLetters;
  for (size_t i = 0; i < n; ++i)
    key |= static_cast<uint64_t>(static_cast<unsigned char>(text::AsciiUpper(name[i]))) << (8 * (i + 1));
  return key;
}

// --- Table::Impl --------------------------------------------------------------

void Table::Impl::CheckType() const {
  if (tableName.empty()) throw Error(Prefix() + "La tabla no tiene nombre");
  if (type == TableType::kFromExtension) {
    std::string ext = fs::Extension(tableName);
    if (!ext.empty() && !text::EqualIgnoringAsciiCase(ext, ".DBF"))
      throw Error("La tabla " + GivenPath() + " no es una tabla dBase (extensión " + ext + ")");
  }
}

void Table::Impl::RequireClosed() const {
  if (file)
    throw Error("La tabla " + Path() + " está abierta: hay que cerrarla antes de cambiarla");
}

void Table::Impl::RequireOpen() const {
  if (!file) throw Error(Prefix() + "La tabla " + GivenPath() + " no está abierta");
}

void Table::Impl::RequireWritable() const {
  RequireOpen();
  if (openReadOnly)
    throw Error("La tabla " + Path() + " está abierta solo para lectura", fs::kAccessDenied);
}

void Table::Impl::RequireChanging(const FieldInfo& f) const {
  RequireOpen();
  if (state != TableState::kAppending && state != TableState::kEditing)
    throw Error("No se puede escribir el campo " + f.name + ": la tabla " + Path() +
                " no está en modo de alta ni de edición");
}

void Table::Impl::Refuse(int index) const {
  RequireOpen();
  if (static_cast<size_t>(index) >= header.fields.size())
    throw Error("La tabla " + Path() + " no tiene el campo número " + std::to_string(index + 1));
  RequireChanging(header.fields[static_cast<size_t>(index)]);  // throws: not appending or editing
  throw Error("La tabla " + Path() + " no admite cambios ahora");
}

bool Table::Impl::SeekLive(uint32_t from) {
  for (uint32_t i = from; i < file->Count(); ++i) {
    const char* r = file->Read(i);
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

void Table::Impl::Settle(bool explicitPost) {
  if (state == TableState::kAppending) {
    if (changed || explicitPost) {
      file->Append(record.data());
      current = file->Count() - 1;
      eof = false;
    } else {
      current = savedCurrent;
      record.swap(savedRecord);
      eof = savedEof;
    }
  } else if (state == TableState::kEditing) {
    if (record != original) file->Write(static_cast<uint32_t>(current), record.data());
  }
  state = TableState::kBrowsing;
  changed = false;
}

void Table::Impl::DropPending() {
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

void Table::Impl::Reset() {
  file.reset();
  state = TableState::kClosed;
  header = dbf::Header();
  page = nullptr;
  current = -1;
  eof = true;
  record.clear();
  original.clear();
  savedRecord.clear();
  blank.clear();
  lastFound = 0;
  nameKeys.clear();
  changed = false;
  openReadOnly = false;
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

void Table::Close() {
  Impl& t = *impl_;
  if (!t.file) {
    t.state = TableState::kClosed;
    return;
  }
  t.DropPending();
  std::exception_ptr failure;
  try {
    if (t.file->Modified()) t.file->Finish();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    t.file->Close();
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
    t.record = t.blank;
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
    throw Error("La tabla " + t.Path() + " no tiene ningún registro que modificar");
  t.original = t.record;
  t.state = TableState::kEditing;
  t.changed = false;
}

void Table::Post() {
  Impl& t = *impl_;
  t.RequireOpen();
  if (t.state != TableState::kAppending && t.state != TableState::kEditing)
    throw Error("No hay nada que grabar: la tabla " + t.Path() +
                " no está en modo de alta ni de edición");
  t.Settle(true);
}

std::string_view Table::StoredRecord() const {
  impl_->RequireOpen();
  return impl_->record;
}

void Table::AppendStored(std::string_view bytes) {
  Impl& t = *impl_;
  t.RequireWritable();
  t.Settle(false);
  if (bytes.size() != t.header.recordLength)
    throw Error("Los registros de la tabla " + t.Path() + " tienen " +
                std::to_string(t.header.recordLength) + " bytes, no " +
                std::to_string(bytes.size()));
  t.file->Append(bytes.data());
  t.current = t.file->Count() - 1;
  t.eof = false;
  if (t.record.size() == bytes.size())
    std::memcpy(t.record.data(), bytes.data(), bytes.size());
  else
    t.record.assign(bytes);
}

uint32_t Table::RecordCount() const { return impl_->file ? impl_->file->Count() : 0; }
const std::vector<FieldInfo>& Table::Fields() const { return impl_->header.fields; }

std::string Table::FormatName() const {
  impl_->RequireOpen();
  return dbf::FormatName(impl_->header.version);
}

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
    throw Error("La tabla " + impl_->Path() + " no tiene el campo número " +
                std::to_string(index + 1));
  return Field(this, index);
}

}  // namespace tos
