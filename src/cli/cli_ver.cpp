// "ver": a look inside a dBase table, as CSV on stdout, or its field list.
// It opens the table shared and read-only, so Orvalent can keep working.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/cli_services.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "core/error_text.h"
#include "core/version.h"
#include "data/clock.h"
#include "data/error.h"
#include "data/files.h"
#include "data/table.h"
#include "data/text.h"

namespace tos::cli {

namespace {

int RunVer(const std::vector<std::string>& args);

const Command& VerCommand() {
  static const Command command{
      "ver", "ver [--campos] FICHERO.DBF",
      "  Muestra en su primera línea el formato de la tabla FICHERO.DBF (dBase III, dBase IV,\n"
      "  FoxPro, Visual FoxPro, dBase 7) y después la tabla como CSV (UTF-8, una fila de\n"
      "  cabecera con los nombres de los campos y una fila por registro; los registros\n"
      "  borrados no salen; las fechas como aaaammdd, los lógicos como T o F, los memos\n"
      "  como su número de bloque). Con --campos muestra, tras el formato, la lista de\n"
      "  campos: nombre, tipo, longitud y decimales. La tabla se abre compartida y solo\n"
      "  para lectura.\n",
      RunVer};
  return command;
}

// RFC 4180: quoted when it holds a comma, a quote or a line end.
std::string CsvValue(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

const char* KindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kText:
      return "texto";
    case FieldKind::kFloat:
      return "flotante";
    case FieldKind::kWhole:
      return "entero";
  }
  return "texto";
}

// A numeric value with "." as decimal point, whatever the user's settings.
std::string PlainNumber(std::string shown) {
  char separator = DecimalSeparator();
  if (separator != '.') {
    for (char& c : shown)
      if (c == separator) c = '.';
  }
  return shown;
}

void Emit(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
}

int RunVer(const std::vector<std::string>& args) {
  bool fieldsOnly = false;
  std::string path;
  for (const std::string& arg : args) {
    if (arg == "--campos") {
      fieldsOnly = true;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("uso: transorvalentsice-cli %s\n%s", VerCommand().usage.c_str(),
                  VerCommand().help.c_str());
      return kExitDone;
    } else if (arg == "--version") {
      std::printf("transorvalentsice-cli %s\n", TOS_VERSION);
      return kExitDone;
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      return UsageError(VerCommand(), "opción desconocida: " + arg);
    } else if (path.empty()) {
      path = arg;
    } else {
      return UsageError(VerCommand(), "sobra un argumento: " + arg);
    }
  }
  if (path.empty()) return UsageError(VerCommand(), "falta la tabla");

  // LF line ends on every platform.
  BinaryStdout();
  try {
    Table table;
    table.SetFolder(fs::Parent(path));
    table.SetTableName(fs::BaseName(path));
    table.SetTableType(TableType::kDBase);
    table.SetExclusive(false);
    table.SetReadOnly(true);
    table.Open();
    const std::vector<FieldInfo>& fields = table.Fields();
    std::string out = table.FormatName() + "\n";
    if (fieldsOnly) {
      for (const FieldInfo& f : fields) {
        out += CsvValue(text::Cp1252ToUtf8(f.name)) + "," + KindName(f.kind) + "," +
               std::to_string(f.width) + "," + std::to_string(f.decimals) + "\n";
      }
      Emit(out);
    } else {
      for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += ',';
        out += CsvValue(text::Cp1252ToUtf8(fields[i].name));
      }
      out += '\n';
      for (table.First(); !table.Eof(); table.Next()) {
        for (size_t i = 0; i < fields.size(); ++i) {
          if (i) out += ',';
          Field field = table.FieldAt(static_cast<int>(i));
          std::string value = field.AsString();
          if (fields[i].kind != FieldKind::kText) value = PlainNumber(value);
          out += CsvValue(text::Cp1252ToUtf8(value));
        }
        out += '\n';
        if (out.size() > (1 << 16)) {
          Emit(out);
          out.clear();
        }
      }
      Emit(out);
    }
    table.Close();
  } catch (const std::exception& e) {
    std::fflush(stdout);
    PrintMessage(DefaultErrorText(e.what()));
    return kExitError;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    PrintMessage("No se pudo escribir la salida");
    return kExitError;
  }
  return kExitDone;
}

const CommandRegistration kRegistration{VerCommand()};

}  // namespace

}  // namespace tos::cli
