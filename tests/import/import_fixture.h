// Shared by the import tests: a SICE folder and a working folder in a fresh
// temporary folder, the state and window an import needs, and a table read
// back whole as text.
#pragma once

#include <gtest/gtest.h>

#include <iomanip>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "core/program_state.h"
#include "data/files.h"
#include "data/table.h"
#include "import/import_context.h"
#include "support/recording_window.h"
#include "support/temp_dir.h"

namespace tos::test {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

inline std::string FloatText(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::setprecision(15) << value;
  return out.str();
}

// Every field of every record, read as text, in file order.
inline Rows ReadRows(const std::string& folder, const std::string& name) {
  Table table;
  table.SetFolder(folder);
  table.SetTableName(name + ".DBF");
  table.SetReadOnly(true);
  table.Open();
  Rows rows;
  for (table.First(); !table.Eof(); table.Next()) {
    Row row;
    for (int i = 0; i < static_cast<int>(table.Fields().size()); ++i) {
      Field field = table.FieldAt(i);
      if (field.Info().kind == FieldKind::kFloat) {
        // AsString follows the user's decimal separator; tests want one form.
        row.push_back(field.IsNull() ? "" : FloatText(field.AsFloat()));
      } else {
        row.push_back(field.AsString());
      }
    }
    rows.push_back(row);
  }
  return rows;
}

// "NAME:C4" for each field of a table.
inline std::vector<std::string> ReadLayout(const std::string& folder, const std::string& name) {
  Table table;
  table.SetFolder(folder);
  table.SetTableName(name + ".DBF");
  table.SetReadOnly(true);
  table.Open();
  std::vector<std::string> layout;
  for (const FieldInfo& f : table.Fields()) {
    const char* kind = f.kind == FieldKind::kText    ? "text"
                       : f.kind == FieldKind::kFloat ? "float"
                                                     : "whole";
    layout.push_back(f.name + ":" + kind +
                     (f.kind == FieldKind::kText ? std::to_string(f.width) : ""));
  }
  return layout;
}

// Lines joined with CR LF (and one after the last), as SICE writes them.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// A field padded with blanks to its width (the way SICE lays lines out).
inline std::string Pad(const std::string& value, size_t width) {
  std::string out = value;
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : sice(dir.MakeDir("sice")), otemp(dir.MakeDir("otemp")) {
    state.RutaSice = sice + fs::kSeparator;
    state.EstadoTransformacion = 1;
  }

  void WriteSice(const std::string& name, const std::string& bytes) {
    WriteFile(fs::Join(sice, name), bytes);
  }
  Rows Read(const std::string& table) { return ReadRows(otemp, table); }
  std::string OtempFile(const std::string& name) { return fs::Join(otemp, name); }

  TempDir dir;
  std::string sice;
  std::string otemp;
  ProgramState state;
  RecordingWindow window;
  Report report{Direction::kSiceAOrvalent};
  ImportContext context{state, window, otemp, report, std::nullopt};
};

}  // namespace tos::test
