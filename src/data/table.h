// The table object: one dBase table as the program holds it (folder, name,
// type, exclusive, read-only, field list, current record, state), over our
// own dBase engine, which writes dBase III+ and reads the other engines'
// layouts too. Text crosses this interface as Windows-1252 bytes: a table in
// another code page is converted on reading and writing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tos {

enum class FieldKind {
  kText,   // C, with a width in characters (and the columns read as text only)
  kFloat,  // N with decimals (or F, B, O, Y): floating-point number
  kWhole,  // N without decimals (or I, +): whole number
};

// A field for creating a table. Width is used by text fields only; the engine
// picks the numeric columns' widths and decimals.
struct FieldDef {
  std::string name;
  FieldKind kind = FieldKind::kText;
  int width = 0;
};

// How a field's bytes hold its value. Text and the numbers we write are
// characters; the other engines' binary columns are numbers in bytes.
enum class FieldCoding : uint8_t {
  kCharacters,       // C, N, F, D and any other type: the bytes as characters
  kLong,             // I, +: 4-byte integer, least significant byte first (FoxPro)
  kLongHighFirst,    // I, +: 4 bytes, most significant first, sign bit inverted (dBase 7)
  kDouble,           // B: 8-byte IEEE double, least significant byte first (Visual FoxPro)
  kDoubleHighFirst,  // O: 8-byte double, most significant first, sign-ordered (dBase 7)
  kCurrency,         // Y: 8-byte integer of ten-thousandths, least significant first
  kLogical,          // L: T, F, Y, N or blank
  kMemo,             // M, G, P, B (outside Visual FoxPro): the memo's block number
  kTimestamp,        // T, @: a day number and the milliseconds into it
  kBytes,            // _NullFlags and other binary columns, shown in hexadecimal
};

// A field as the open table's file declares it.
struct FieldInfo {
  std::string name;  // upper case as stored
  char type = 'C';   // the dBase type letter
  int width = 0;
  int decimals = 0;
  FieldKind kind = FieldKind::kText;
  FieldCoding coding = FieldCoding::kCharacters;
};

enum class TableType { kFromExtension, kDBase };
enum class TableState { kClosed, kBrowsing, kAppending, kEditing };

class Table;

// A field of an open table, as FieldByName gives it. Valid while the table
// stays open.
class Field {
 public:
  const FieldInfo& Info() const;
  // Text: right-stripped of blanks. Numbers: "" when never written, else the
  // general form (at most 15 significant digits, the user's decimal separator).
  std::string AsString() const;
  // AsString's text without a copy where the record holds it as it is: a view
  // into the current record, or into spill when the text has to be made (a
  // code page to convert, a number in its general form). Valid until the
  // record changes or spill is used again.
  std::string_view AsStringView(std::string& spill) const;
  // Calls see with the field's text, as AsStringView reads it, in every live
  // record of the file from the first to the last, without moving the table
  // (an append or edit not yet posted is not among them): one column of a
  // large table read at a fraction of a walk's cost.
  void ForEachText(const std::function<void(std::string_view)>& see) const;
  // Raises "'%s' no es un valor entero válido" for text that is no whole number.
  int32_t AsInteger() const;
  double AsFloat() const;
  // Only while appending or editing.
  void SetAsString(std::string_view value);
  void SetAsFloat(double value);
  // Text fields take the decimal digits; floating-point fields the value.
  void SetAsInteger(int32_t value);
  // Makes the field blank, as if never written.
  void Clear();
  // The field's bytes as the current record stores them, and such bytes
  // set back (exactly the field's width, only while appending or editing):
  // a writer that gives many records one value lays it out once with the
  // setters above and copies its bytes after that.
  std::string_view Stored() const;
  void SetStored(std::string_view bytes);
  // Where the field's bytes start in the record (Table::StoredRecord).
  size_t Offset() const;
  // Whether the field is blank (never written).
  bool IsNull() const;

 private:
  friend class Table;
  Field(Table* table, int index) : table_(table), index_(index) {}
  Table* table_;
  int index_;
};

class Table {
 public:
  // objectName: the name messages put in front ("wwTableSoluc: ..."); the
  // tables the imports make for their own use have none.
  explicit Table(std::string objectName = "");
  ~Table();  // closes: posted records are on disk, the lock is released
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  void SetFolder(std::string folder);
  void SetTableName(std::string name);  // "ASIGNOMT.DBF" or "SOLUC"
  void SetTableType(TableType type);
  void SetExclusive(bool exclusive);
  void SetReadOnly(bool readOnly);
  std::vector<FieldDef>& FieldDefs();  // the field list for Create

  const std::string& ObjectName() const;
  // The table file's full path (as found on disk when open).
  std::string FilePath() const;

  void Create();  // only while closed
  void Open();    // does nothing when already open
  void Close();   // drops an unposted append or edit

  bool Active() const;
  TableState State() const;
  bool IsReadOnly() const;  // true too when a read-write open fell back

  void First();
  void Next();
  bool Eof() const;
  void Append();
  void Edit();
  void Post();
  // The current record's bytes, the deletion flag first and each field at
  // its Offset(); and a record of such bytes (the record's length exactly)
  // appended and made current at once, as Append, setting every field and
  // Post leave it: a writer of many records lays their values out through
  // the fields once and puts each record's bytes together itself.
  std::string_view StoredRecord() const;
  void AppendStored(std::string_view record);

  uint32_t RecordCount() const;  // records in the file, deleted ones included
  const std::vector<FieldInfo>& Fields() const;
  // The format the open table's header declares: "dBase III", "dBase IV",
  // "FoxPro", "Visual FoxPro", "dBase 7" ...
  std::string FormatName() const;
  // Ignores letter case; raises "No se encuentra el campo '%s'" (with the
  // object name and ": " in front when the object has one).
  Field FieldByName(std::string_view name);
  // -1 when there is no such field.
  int FindField(std::string_view name) const;
  Field FieldAt(int index);

  struct Impl;

 private:
  friend class Field;
  std::unique_ptr<Impl> impl_;
};

// Deletes NAME.DBF (and NAME.MDX, NAME.CPG) in folder, creates the table
// anew with fields in their order and opens it, shared and read-write.
// Fails, deleting nothing, while another program holds NAME.DBF open.
std::unique_ptr<Table> RecrearTabla(const std::string& folder, const std::string& name,
                                    const std::vector<FieldDef>& fields);

}  // namespace tos
