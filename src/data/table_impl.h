// The table object's insides, shared by the files that make it up: its
// settings, and while it is open its file, header, code page, current
// record and state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/codepage.h"
#include "data/dbf_format.h"
#include "data/field_value.h"
#include "data/table.h"
#include "data/table_file.h"

namespace tos {

// A field name folded to a number: its length and first seven letters, upper case.
uint64_t NameKey(std::string_view name);

struct Table::Impl {
  std::string objectName;
  std::string folder;
  std::string tableName;
  TableType type = TableType::kFromExtension;
  bool exclusive = false;
  bool readOnly = false;
  std::vector<FieldDef> defs;

  // While open.
  std::unique_ptr<TableFile> file;
  bool openReadOnly = false;
  dbf::Header header;
  const cp::CodePage* page = nullptr;
  TableState state = TableState::kClosed;
  int64_t current = -1;  // -1: no current record
  bool eof = true;
  std::string record;    // the current record, or the one being appended or edited
  std::string original;  // the record as it was when the edit began
  bool changed = false;
  int64_t savedCurrent = -1;  // where an append started from
  std::string savedRecord;
  bool savedEof = true;
  // The blank record, kept so that starting an append allocates nothing.
  std::string blank;
  // Where the last field lookup found its field: callers set fields in
  // their table's order, so the next lookup usually wants the one after it.
  mutable size_t lastFound = 0;
  // Each field's name folded to a number (length and first seven letters,
  // upper case), so that a lookup compares numbers.
  std::vector<uint64_t> nameKeys;

  const std::string& Path() const { return file->Path(); }
  std::string NameWithExtension() const {
    return fs::HasExtension(tableName) ? tableName : tableName + ".DBF";
  }
  std::string GivenPath() const { return fs::Join(folder, NameWithExtension()); }
  std::string DisplayPath() const { return file ? file->Path() : GivenPath(); }
  std::string Prefix() const { return objectName.empty() ? "" : objectName + ": "; }

  void CheckType() const;
  void RequireClosed() const;
  void RequireOpen() const;
  void RequireWritable() const;
  void RequireChanging(const FieldInfo& f) const;

  // Makes the first live record from index on current; false when none.
  bool SeekLive(uint32_t from);
  // Posts a pending append or edit; without changes it is dropped, unless
  // the caller posts explicitly.
  void Settle(bool explicitPost);
  // Drops a pending append or edit.
  void DropPending();
  // Back to closed, the file released.
  void Reset();

  // The field a Field object stands for, after checking that it may be read
  // (or written): the table open, the field still one of its own.
  const FieldInfo& Checked(int index, bool writing) const {
    bool usable = file && static_cast<size_t>(index) < header.fields.size() &&
                  (!writing || state == TableState::kAppending || state == TableState::kEditing);
    if (!usable) [[unlikely]]
      Refuse(index);
    return header.fields[static_cast<size_t>(index)];
  }
  [[noreturn]] void Refuse(int index) const;

  FieldSlot Slot(int index) const {
    return FieldSlot{header.fields[static_cast<size_t>(index)], *page, file->Path()};
  }
  size_t OffsetOf(int index) const { return header.offsets[static_cast<size_t>(index)]; }
  // The field's bytes in the current record.
  std::string_view Raw(int index) const {
    return std::string_view(record).substr(
        OffsetOf(index), static_cast<size_t>(header.fields[static_cast<size_t>(index)].width));
  }
};

}  // namespace tos
