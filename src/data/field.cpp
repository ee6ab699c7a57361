// A field of an open table: reading the current record's value and writing
// the record being appended or edited, through the conversions of
// field_value.h.
#include <functional>
#include <optional>

#include "data/clock.h"
#include "data/error.h"
#include "data/field_value.h"
#include "data/number.h"
#include "data/table.h"
#include "data/table_impl.h"

namespace tos {

const FieldInfo& Field::Info() const {
  return table_->impl_->Checked(index_, false);
}

std::string Field::AsString() const {
  std::string spill;
  std::string_view text = AsStringView(spill);
  // text views spill or the record: either way a copy is made here.
  return std::string(text);
}

namespace {
// A field's text as AsStringView gives it, from the field's bytes.
std::string_view TextOf(const FieldSlot& slot, FieldKind kind, std::string_view raw,
                        std::string& spill) {
  switch (kind) {
    case FieldKind::kText:
      return ReadText(slot, raw, spill);
    case FieldKind::kWhole:
      return ReadWhole(slot, raw, spill).text;
    case FieldKind::kFloat:
      break;
  }
  StoredNumber n = ReadFloat(slot, raw);
  if (n.kind == StoredNumber::kBlank) return "";
  spill = FloatToText(n.value, DecimalSeparator());
  return spill;
}
}  // namespace

std::string_view Field::AsStringView(std::string& spill) const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  return TextOf(t.Slot(index_), f.kind, t.Raw(index_), spill);
}

void Field::ForEachText(const std::function<void(std::string_view)>& see) const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  const FieldSlot slot = t.Slot(index_);
  const size_t offset = t.OffsetOf(index_);
  const size_t width = static_cast<size_t>(f.width);
  std::string spill;
  for (uint32_t i = 0; i < t.file->Count(); ++i) {
    const char* record = t.file->Read(i);
    if (record[0] == dbf::kDeleted) continue;
    see(TextOf(slot, f.kind, std::string_view(record + offset, width), spill));
  }
}

namespace {
// The number a whole or floating-point field holds.
StoredNumber NumberOf(const Table::Impl& t, int index, FieldKind kind) {
  std::string spill;
  return kind == FieldKind::kWhole ? ReadWhole(t.Slot(index), t.Raw(index), spill).number
                                   : ReadFloat(t.Slot(index), t.Raw(index));
}
}  // namespace

int32_t Field::AsInteger() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) {
    std::string spill;
    return TextToWhole(ReadText(t.Slot(index_), t.Raw(index_), spill));
  }
  StoredNumber n = NumberOf(t, index_, f.kind);
  if (n.kind == StoredNumber::kBlank) return 0;
  std::optional<int32_t> v = RoundHalfEven(n.value);
  if (!v) throw Error(Format("'%s' no es un valor entero válido", AsString()));
  return *v;
}

double Field::AsFloat() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  if (f.kind == FieldKind::kText) {
    std::string spill;
    return TextToFloat(ReadText(t.Slot(index_), t.Raw(index_), spill), DecimalSeparator());
  }
  StoredNumber n = NumberOf(t, index_, f.kind);
  return n.kind == StoredNumber::kBlank ? 0 : n.value;
}

bool Field::IsNull() const {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, false);
  FieldSlot slot = t.Slot(index_);
  std::string spill;
  switch (f.kind) {
    case FieldKind::kText:
      return ReadText(slot, t.Raw(index_), spill).empty();
    case FieldKind::kWhole:
      return ReadWhole(slot, t.Raw(index_), spill).number.kind == StoredNumber::kBlank;
    case FieldKind::kFloat:
      break;
  }
  return ReadFloat(slot, t.Raw(index_)).kind == StoredNumber::kBlank;
}

void Field::SetAsString(std::string_view value) {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  SetFromText(t.Slot(index_), t.record.data() + t.OffsetOf(index_), value);
  t.changed = true;
}

void Field::SetAsFloat(double value) {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  SetFromFloat(t.Slot(index_), t.record.data() + t.OffsetOf(index_), value);
  t.changed = true;
}

void Field::SetAsInteger(int32_t value) {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  SetFromWhole(t.Slot(index_), t.record.data() + t.OffsetOf(index_), value);
  t.changed = true;
}

std::string_view Field::Stored() const {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, false);
  return t.Raw(index_);
}

void Field::SetStored(std::string_view bytes) {
  Table::Impl& t = *table_->impl_;
  const FieldInfo& f = t.Checked(index_, true);
  if (bytes.size() != static_cast<size_t>(f.width))
    throw Error("El campo " + f.name + " de la tabla " + t.Path() + " tiene " +
                std::to_string(f.width) + " caracteres, no " + std::to_string(bytes.size()));
  // A few bytes: a plain loop rather than a call to copy them.
  char* at = t.record.data() + t.OffsetOf(index_);
  for (size_t i = 0; i < bytes.size(); ++i) at[i] = bytes[i];
  t.changed = true;
}

size_t Field::Offset() const {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, false);
  return t.OffsetOf(index_);
}

void Field::Clear() {
  Table::Impl& t = *table_->impl_;
  t.Checked(index_, true);
  SetBlank(t.Slot(index_), t.record.data() + t.OffsetOf(index_));
  t.changed = true;
}

}  // namespace tos
