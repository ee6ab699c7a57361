// Creating a table file and opening one: the header read and checked, the
// code page chosen, the first record made current.
#include <algorithm>
#include <optional>

#include "data/dbf_binary.h"
#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "data/table_errors.h"
#include "data/table_impl.h"
#include "data/text.h"

namespace tos {

namespace {

fs::TableMode ModeFor(bool exclusive, bool readOnly) {
  if (exclusive) return readOnly ? fs::TableMode::kReadExclusive : fs::TableMode::kWriteExclusive;
  return readOnly ? fs::TableMode::kReadShared : fs::TableMode::kWriteShared;
}

// Deletes a file found beside a table (ignoring letter case), if there is one.
void RemoveIfPresent(const std::string& path) {
  std::optional<std::string> found = fs::Current().FindFile(path);
  if (!found) return;
  try {
    fs::Current().Remove(*found);
  } catch (const Error& e) {
    if (e.Code() == fs::kFileNotFound || e.Code() == fs::kPathNotFound) return;
    FailIo(e, IoWhat::kDelete, Subject{*found, false});
  }
}

// The code page of the table at path: a .cpg note beside it names it and
// wins over the header; there a dBase 7 driver's name we know wins over the
// language id.
const cp::CodePage* CodePageOf(const std::string& path, const dbf::Header& header) {
  const cp::CodePage* page = nullptr;
  if (std::optional<std::string> cpg = fs::Current().FindFile(fs::WithExtension(path, ".cpg"))) {
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
  if (!page) {
    if (std::optional<int> named = cp::CodePageOfLanguageName(header.languageName))
      page = cp::CodePage::ForNumber(*named);
  }
  if (!page) page = cp::CodePage::ForNumber(cp::CodePageOfLanguageId(header.languageId));
  if (!page) page = &cp::CodePage::Windows1252();
  return page;
}

}  // namespace

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
  RemoveIfPresent(fs::WithExtension(path, ".cpg"));
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
  const cp::CodePage* page = CodePageOf(path, header);

  t.file = std::make_unique<TableFile>(std::move(file), path, header.headerLength,
                                       header.recordLength, header.recordCount);
  t.openReadOnly = readOnly;
  t.header = std::move(header);
  t.page = page;
  t.state = TableState::kBrowsing;
  t.current = -1;
  t.eof = true;
  // A new record's columns start blank: blanks for characters, zero bytes
  // for binary columns (what their engines write for no value).
  t.blank.assign(t.header.recordLength, ' ');
  for (size_t i = 0; i < t.header.fields.size(); ++i) {
    const FieldInfo& f = t.header.fields[i];
    if (!dbf::TakesCharacters(f))
      std::fill_n(t.blank.begin() + t.header.offsets[i], f.width, '\0');
  }
  t.nameKeys.clear();
  for (const FieldInfo& f : t.header.fields) t.nameKeys.push_back(NameKey(f.name));
  t.record = t.blank;
  try {
    if (!t.SeekLive(0)) t.eof = true;
  } catch (...) {
    t.Reset();
    throw;
  }
}

}  // namespace tos
