// "comprobar CARPETA": the SICE-to-Orvalent import run into a temporary
// working folder of its own, deleted afterwards, only for its report: what
// the data of a SICE folder would lose or could not place, with Orvalent's
// working folder left alone.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#include "cli/cli_services.h"
#include "cli/commands.h"
#include "core/error_text.h"
#include "core/program_state.h"
#include "import/import_run.h"

namespace tos::cli {

namespace {

constexpr int kExitNotices = 3;

int RunComprobar(const std::vector<std::string>& args);

const Command& ComprobarCommand() {
  static const Command command{
      "comprobar", "comprobar CARPETA [--informe FICHERO | --sin-informe]",
      "  Comprueba los ficheros de SICE de CARPETA sin tocar la carpeta de trabajo de\n"
      "  Orvalent: hace la transformación de SICE a Orvalent en una carpeta temporal, que\n"
      "  borra al acabar, y cuenta lo que los datos pierden o no pueden colocar. Escribe\n"
      "  los mensajes y el resumen de los avisos (una línea \"Avisos: ...\" por clase) por\n"
      "  la salida de errores, y el informe, una página HTML con cada aviso, en CARPETA\n"
      "  como informe_sice_a_orvalent.html (--informe FICHERO lo escribe en FICHERO;\n"
      "  --sin-informe no lo escribe). Estado de salida: 0 nada que avisar; 3 hay avisos;\n"
      "  1 faltaba la carpeta o algún fichero; 2 un error detuvo el proceso.\n",
      RunComprobar};
  return command;
}

// A new, empty folder under the system's temporary folder.
std::optional<std::filesystem::path> MakeScratchFolder() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return std::nullopt;
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::filesystem::path folder = base / ("tos-comprobar-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder, ec)) return folder;
    if (ec) return std::nullopt;
  }
  return std::nullopt;
}

std::string Utf8Path(const std::filesystem::path& path) {
  std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

int RunComprobar(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::printf("uso: transorvalentsice-cli %s\n%s", ComprobarCommand().usage.c_str(),
                  ComprobarCommand().help.c_str());
      return kExitDone;
    }
  }
  std::string problem;
  std::optional<FolderArgs> parsed = ParseFolderArgs(args, problem);
  if (!parsed) return UsageError(ComprobarCommand(), problem);
  if (parsed->otempGiven)
    return UsageError(ComprobarCommand(), "comprobar no usa carpeta de trabajo (--otemp)");

  std::optional<std::filesystem::path> scratch = MakeScratchFolder();
  if (!scratch) {
    PrintMessage("No se ha podido crear una carpeta temporal");
    return kExitError;
  }
  ProgramState state;
  ConsoleWindow window(parsed->folder);
  Report report(Direction::kSiceAOrvalent);
  int status;
  try {
    BExportarClick(state, window, Utf8Path(*scratch), &report);
    if (state.EstadoTransformacion != 1) {
      status = kExitIncomplete;
    } else {
      status = report.Total() ? kExitNotices : kExitDone;
    }
  } catch (const std::exception& e) {
    std::string text = DefaultErrorText(e.what());
    PrintMessage(text);
    report.SetError(text);
    status = kExitError;
  }
  std::error_code ec;
  std::filesystem::remove_all(*scratch, ec);
  report.SetFolder(state.RutaSice);
  FinishReport(report, *parsed, state.RutaSice);
  return status;
}

const CommandRegistration kRegistration{ComprobarCommand()};

}  // namespace

}  // namespace tos::cli
