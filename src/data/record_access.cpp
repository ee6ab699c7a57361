// FieldReader and RecordWriter: reading a field in a walk and laying out
// whole records to append, for the readers and writers of large tables.
#include <cstring>

#include "data/error.h"
#include "data/field_value.h"
#include "data/table.h"
#include "data/table_impl.h"

namespace tos {

// --- FieldReader --------------------------------------------------------------

std::string_view FieldReader::AsStringView(std::string& spill) const {
  return field_.AsStringView(spill);
}

int32_t FieldReader::AsInteger() const { return field_.AsInteger(); }

// --- RecordWriter -------------------------------------------------------------

RecordWriter::RecordWriter(Table& table) : table_(table) {
  table_.impl_->RequireWritable();
  Clear();
}

void RecordWriter::Clear() { record_.assign(table_.impl_->blank); }

void RecordWriter::SetAsString(const Field& field, std::string_view value) {
  Table::Impl& t = *table_.impl_;
  if (field.table_ != &table_) throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(field.index_, false);
  SetFromText(t.Slot(field.index_), record_.data() + t.OffsetOf(field.index_), value);
}

void RecordWriter::SetAsFloat(const Field& field, double value) {
  Table::Impl& t = *table_.impl_;
  if (field.table_ != &table_) throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(field.index_, false);
  SetFromFloat(t.Slot(field.index_), record_.data() + t.OffsetOf(field.index_), value);
}

std::pair<size_t, size_t> RecordWriter::Span(const Field& first, const Field& last) const {
  Table::Impl& t = *table_.impl_;
  if (first.table_ != &table_ || last.table_ != &table_)
    throw Error("El campo no es de la tabla " + t.DisplayPath());
  t.Checked(first.index_, false);
  const FieldInfo& end = t.Checked(last.index_, false);
  if (record_.size() != t.header.recordLength)
    throw Error("El registro no es de la tabla " + t.Path() + " tal como está abierta");
  if (last.index_ < first.index_)
    throw Error("Los campos de la tabla " + t.Path() + " no están en ese orden");
  size_t from = t.OffsetOf(first.index_);
  size_t to = t.OffsetOf(last.index_) + static_cast<size_t>(end.width);
  return {from, to - from};
}

std::string_view RecordWriter::Stored(const Field& first, const Field& last) const {
  auto [at, size] = Span(first, last);
  return std::string_view(record_).substr(at, size);
}

void RecordWriter::SetStored(const Field& first, const Field& last, std::string_view bytes) {
  auto [at, size] = Span(first, last);
  if (bytes.size() != size)
    throw Error("Los datos no ocupan lo que los campos de la tabla " + table_.impl_->Path());
  if (size > 0) std::memcpy(record_.data() + at, bytes.data(), size);
}

void RecordWriter::Post() {
  Table::Impl& t = *table_.impl_;
  t.RequireWritable();
  // The table may have been closed and opened again since.
  if (record_.size() != t.header.recordLength)
    throw Error("El registro no es de la tabla " + t.Path() + " tal como está abierta");
  t.Settle(false);
  t.file->Append(record_.data());
  t.current = t.file->Count() - 1;
  t.record.assign(record_);
  t.eof = false;
}

}  // namespace tos
