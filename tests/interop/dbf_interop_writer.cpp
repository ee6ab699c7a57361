// Writes dBase tables with our engine for the interop tests, from a field
// list and rows given as UTF-8 text:
//   dbf_interop_writer create FOLDER NAME FIELDS ROWS   (FIELDS: "A:C:20,B:F,C:W")
//   dbf_interop_writer append FOLDER NAME ROWS
//   dbf_interop_writer edit FOLDER NAME RECORD FIELD VALUE   (RECORD 1-based)
// ROWS is a file with one record a line, values separated by tabs; an empty
// value leaves the field never written.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/number.h"
#include "data/table.h"
#include "data/text.h"

namespace {

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(s);
  while (std::getline(in, part, by)) parts.push_back(part);
  if (!s.empty() && s.back() == by) parts.push_back("");
  return parts;
}

void Write(tos::Field field, const std::string& utf8) {
  if (utf8.empty()) return;
  switch (field.Info().kind) {
    case tos::FieldKind::kText: field.SetAsString(tos::text::Utf8ToCp1252(utf8)); break;
    case tos::FieldKind::kFloat: field.SetAsFloat(tos::TextToFloat(utf8, '.')); break;
    case tos::FieldKind::kWhole: field.SetAsInteger(tos::TextToWhole(utf8)); break;
  }
}

void AppendRows(tos::Table& table, const std::string& rowsPath) {
  std::ifstream in(rowsPath, std::ios::binary);
  if (!in) throw tos::Error("no rows file " + rowsPath);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> values = Split(line, '\t');
    table.Append();
    for (size_t i = 0; i < values.size() && i < table.Fields().size(); ++i)
      Write(table.FieldAt(static_cast<int>(i)), values[i]);
    table.Post();
  }
}

std::unique_ptr<tos::Table> OpenTable(const std::string& folder, const std::string& name) {
  auto table = std::make_unique<tos::Table>();
  table->SetFolder(folder);
  table->SetTableName(name);
  table->Open();
  return table;
}

int Run(const std::vector<std::string>& a) {
  if (a.size() == 5 && a[0] == "create") {
    std::vector<tos::FieldDef> fields;
    for (const std::string& column : Split(a[3], ',')) {
      std::vector<std::string> p = Split(column, ':');
      tos::FieldDef d;
      d.name = p.at(0);
      char kind = p.at(1).at(0);
      d.kind = kind == 'F' ? tos::FieldKind::kFloat
                           : (kind == 'W' ? tos::FieldKind::kWhole : tos::FieldKind::kText);
      if (d.kind == tos::FieldKind::kText) d.width = std::stoi(p.at(2));
      fields.push_back(d);
    }
    auto table = tos::RecrearTabla(a[1], a[2], fields);
    AppendRows(*table, a[4]);
    table->Close();
    return 0;
  }
  if (a.size() == 4 && a[0] == "append") {
    auto table = OpenTable(a[1], a[2]);
    AppendRows(*table, a[3]);
    table->Close();
    return 0;
  }
  if (a.size() == 6 && a[0] == "edit") {
    auto table = OpenTable(a[1], a[2]);
    int wanted = std::stoi(a[3]);
    int at = 1;
    for (table->First(); !table->Eof() && at < wanted; table->Next()) ++at;
    table->Edit();
    Write(table->FieldByName(a[4]), a[5]);
    table->Post();
    table->Close();
    return 0;
  }
  std::fprintf(stderr, "uso: dbf_interop_writer create|append|edit ...\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  }
}
