// Opening and walking a table made of arbitrary bytes (any of the dBase
// layouts: dBase III+ and its kin, Visual FoxPro, dBase 7; any column type,
// binary ones included): every field of every record read as text, whole
// and floating-point number. A damaged table must
// give a tos::Error, never a crash or a read outside the file; a table that
// opens must take one more record and read it back; nothing may stay held.
// Input: "CPG:<name>\n" in front puts a code page file beside the table.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/error.h"
#include "data/table.h"
#include "memory_fs.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "broken rule: %s\n", what);
  std::abort();
}

tos::Table* Configure(tos::Table& t, bool exclusive, bool readOnly) {
  t.SetFolder("/otemp");
  t.SetTableName("SOLUC");
  t.SetTableType(tos::TableType::kDBase);
  t.SetExclusive(exclusive);
  t.SetReadOnly(readOnly);
  return &t;
}

// Reads every field of every record; returns the records visited.
uint32_t Walk(tos::Table& t) {
  uint32_t visited = 0;
  const int fields = static_cast<int>(t.Fields().size());
  for (t.First(); !t.Eof(); t.Next()) {
    ++visited;
    if (visited > t.RecordCount()) Broken("walk visits more records than the table holds");
    for (int i = 0; i < fields; ++i) {
      tos::Field f = t.FieldAt(i);
      std::string s = f.AsString();
      bool null = f.IsNull();
      if (null && !s.empty()) Broken("a blank field reads as text");
      try {
        f.AsInteger();
      } catch (const tos::Error&) {
      }
      try {
        double d = f.AsFloat();
        if (null && d != 0) Broken("a blank field reads as a number");
      } catch (const tos::Error&) {
      }
      if (t.FindField(t.Fields()[i].name) < 0) Broken("a field cannot be found by its name");
    }
  }
  return visited;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  tos::fuzz::MemoryFileSystem files;
  files.AddFolder("/otemp");
  if (bytes.rfind("CPG:", 0) == 0) {
    size_t end = bytes.find('\n');
    if (end == std::string::npos) end = bytes.size();
    files.Put("/otemp/SOLUC.CPG", bytes.substr(4, end - 4));
    bytes.erase(0, std::min(end + 1, bytes.size()));
  }
  files.Put("/otemp/SOLUC.DBF", bytes);
  tos::fs::ScopedFileSystem scope(files);

  uint32_t count = 0;
  bool opened = false;
  {
    tos::Table t("wwTableSoluc");
    Configure(t, true, false);
    try {
      t.Open();
      opened = true;
      count = t.RecordCount();
      Walk(t);
    } catch (const tos::Error& e) {
      if (std::string(e.what()).empty()) Broken("an error without a message");
    }
  }
  if (files.OpenHandles() != 0) Broken("the table stays held after its object is gone");
  if (!opened) return 0;

  // A table that opened takes a record: every field written, then read back.
  bool appended = false;
  {
    tos::Table t;
    Configure(t, false, false);
    try {
      t.Open();
      if (!t.IsReadOnly()) {
        t.Append();
        for (int i = 0; i < static_cast<int>(t.Fields().size()); ++i) {
          tos::Field f = t.FieldAt(i);
          if (f.Info().kind == tos::FieldKind::kText) {
            // A column whose bytes are no characters (a timestamp, a
            // memo's block number, flags) refuses text and stays empty.
            try {
              f.SetAsString("Z");
            } catch (const tos::Error&) {
              if (f.Info().type == 'C') throw;
            }
          } else {
            f.SetAsFloat(1);
          }
        }
        t.Post();
        appended = true;
      }
    } catch (const tos::Error&) {
      // A field that cannot hold the value, a table that is full: refused
      // with a message is fine.
    }
  }
  if (files.OpenHandles() != 0) Broken("the table stays held after an append");
  if (!appended) return 0;
  tos::Table t;
  Configure(t, false, true);
  try {
    t.Open();
  } catch (const tos::Error& e) {
    std::fprintf(stderr, "reopen: %s\n", e.what());
    Broken("a table we appended to no longer opens");
  }
  if (t.RecordCount() != count + 1) Broken("the appended record is not counted");
  // The new record is the last one.
  uint32_t visited = 0;
  for (t.First(); !t.Eof(); t.Next()) ++visited;
  if (visited == 0) Broken("the appended record is not visited");
  for (int i = 0; i < static_cast<int>(t.Fields().size()); ++i) {
    tos::Field f = t.FieldAt(i);
    const tos::FieldInfo& info = f.Info();
    if (info.width <= 0) continue;
    if (info.kind == tos::FieldKind::kText) {
      if (f.AsString() != "Z" && info.type == 'C') Broken("the appended text does not read back");
    } else if (f.AsFloat() != 1) {
      Broken("the appended number does not read back");
    }
  }
  return 0;
}
