// The table object: one dBase table as the program holds it (folder, name,
// type, exclusive, read-only, field list, current record, state), over our
// own dBase III+ engine. Text crosses this interface as Windows-1252 bytes:
// a table in another code page is converted on reading and writing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tos {

enum class FieldKind {
  kText,   // C, with a width in characters
  kFloat,  // N with decimals (or F): floating-point number
  kWhole,  // N without decimals: whole number
};

// A field for creating a table. Width is used by text fields only; the engine
// picks the numeric columns' widths and decimals.
struct FieldDef {
  std::string name;
  FieldKind kind = FieldKind::kText;
  int width = 0;
};

// A field as the open table's file declares it.
struct FieldInfo {
  std::string name;  // upper case as stored
  char type = 'C';   // the dBase type letter
  int width = 0;
  int decimals = 0;
  FieldKind kind = FieldKind::kText;
};

enum class TableType { kFromExtension, kDBase };
enum class TableState { kClosed, kBrowsing, kAppending, kEditing };

class Table;
class RecordWriter;

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
  // Whether the field is blank (never written).
  bool IsNull() const;

 private:
  friend class Table;
  friend class RecordWriter;
  friend class FieldReader;
  Field(Table* table, int index) : table_(table), index_(index) {}
  Table* table_;
  int index_;
};

// A field read in a walk over a large table: the same texts, numbers and
// errors as the Field it is made from, with the two shapes nearly every
// record holds read here, in line, straight from the current record's
// bytes: a text field in the Windows code page, and a whole-number field
// holding nothing but one to nine digits (blanks and NULs around them).
// Every other shape and state (another code page, a sign, a blank number,
// the table closed) takes the Field's own reading. Valid while the table
// stays open.
class FieldReader {
 public:
  explicit FieldReader(const Field& field);
  std::string_view AsStringView(std::string& spill) const {
    if (shape_ == Shape::kText && record_->size() >= end_) {
      const char* raw = record_->data() + offset_;
      size_t n = 0;
      while (n < width_ && raw[n] != '\0') ++n;
      while (n > 0 && raw[n - 1] == ' ') --n;
      return std::string_view(raw, n);
    }
    std::string_view digits;
    int32_t value;
    if (PlainWhole(digits, value)) {
      while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
      return digits;
    }
    return field_.AsStringView(spill);
  }
  int32_t AsInteger() const {
    std::string_view digits;
    int32_t value;
    if (PlainWhole(digits, value)) return value;
    return field_.AsInteger();
  }

 private:
  enum class Shape { kGeneral, kText, kWhole };
  // A whole-number field holding one to nine digits: those digits and their
  // value, which no reading of them can take out of range.
  bool PlainWhole(std::string_view& digits, int32_t& value) const {
    if (shape_ != Shape::kWhole || record_->size() < end_) return false;
    const char* raw = record_->data() + offset_;
    size_t b = 0;
    size_t e = width_;
    while (b < e && (raw[b] == ' ' || raw[b] == '\0')) ++b;
    while (e > b && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
    if (b == e || e - b > 9) return false;
    int32_t v = 0;
    for (size_t i = b; i < e; ++i) {
      unsigned d = static_cast<unsigned char>(raw[i]) - unsigned{'0'};
      if (d > 9) return false;
      v = v * 10 + static_cast<int32_t>(d);
    }
    digits = std::string_view(raw + b, e - b);
    value = v;
    return true;
  }

  Field field_;
  // The table's current record: the string itself, which stays the same
  // object while the table is open, whatever its bytes.
  const std::string* record_ = nullptr;
  size_t offset_ = 0;
  size_t width_ = 0;
  size_t end_ = 0;  // offset_ + width_: a shorter record is never read here
  Shape shape_ = Shape::kGeneral;
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

  uint32_t RecordCount() const;  // records in the file, deleted ones included
  const std::vector<FieldInfo>& Fields() const;
  // Ignores letter case; raises "No se encuentra el campo '%s'" (with the
  // object name and ": " in front when the object has one).
  Field FieldByName(std::string_view name);
  // -1 when there is no such field.
  int FindField(std::string_view name) const;
  Field FieldAt(int index);

  struct Impl;

 private:
  friend class Field;
  friend class FieldReader;
  friend class RecordWriter;
  std::unique_ptr<Impl> impl_;
};

// Appending many records to an open table, for the writers of large
// tables: a record is laid out here by the rules of the field writes and
// appended whole, storing the bytes that Append, the same writes and Post
// would store, without the table's state changes for each field. The
// record is kept after Post, so a field set once holds for the records
// after it until it is set again or the record is cleared.
class RecordWriter {
 public:
  explicit RecordWriter(Table& table);
  // Every field blank, as Append starts a record.
  void Clear();
  // As Field::SetAsString and Field::SetAsFloat on a record being appended.
  void SetAsString(const Field& field, std::string_view value);
  void SetAsFloat(const Field& field, double value);
  // The bytes that the fields from first to last (in the table's order)
  // hold in the record being laid out, and those bytes put back into the
  // same fields: a writer whose records repeat a few combinations of some
  // fields lays each combination out once.
  std::string_view Stored(const Field& first, const Field& last) const;
  void SetStored(const Field& first, const Field& last, std::string_view bytes);
  // Appends the record at the end of the table (posting first an append or
  // edit the table had pending); it becomes the current record.
  void Post();

 private:
  // Where the fields from first to last lie in the record.
  std::pair<size_t, size_t> Span(const Field& first, const Field& last) const;

  Table& table_;
  std::string record_;
};

// Deletes NAME.DBF (and NAME.MDX, NAME.CPG) in folder, creates the table
// anew with fields in their order and opens it, shared and read-write.
// Fails, deleting nothing, while another program holds NAME.DBF open.
std::unique_ptr<Table> RecrearTabla(const std::string& folder, const std::string& name,
                                    const std::vector<FieldDef>& fields);

}  // namespace tos
