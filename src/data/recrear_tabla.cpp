// RecrearTabla: a table made anew, its old files deleted first.
#include <optional>

#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "data/table_errors.h"

namespace tos {

namespace {

// Deletes a file, passing over a failure.
void RemoveQuietly(const std::string& path) {
  try {
    fs::Current().Remove(path);
  } catch (const Error&) {
  }
}

}  // namespace

std::unique_ptr<Table> RecrearTabla(const std::string& folder, const std::string& name,
                                    const std::vector<FieldDef>& fields) {
  std::string base = fs::HasExtension(name) ? name : name + ".DBF";
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
    if (std::optional<std::string> found = fs::Current().FindFile(fs::WithExtension(given, ext)))
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
