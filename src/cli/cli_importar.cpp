// "importar": the Orvalent-to-SICE timetable export without a window.
#include <cstdio>
#include <optional>

#include "cli/cli_services.h"
#include "cli/commands.h"
#include "core/program_state.h"
#include "data/clock.h"
#include "export/timetable_export.h"
#include "report/report.h"

namespace tos::cli {

namespace {

int RunImportar(const std::vector<std::string>& args);

const Command& ImportarCommand() {
  static const Command command{
      "importar", "importar CARPETA [--otemp DIR] [--informe FICHERO | --sin-informe]",
      "  De Orvalent a SICE: escribe SICE_HORARIO.TXT en la carpeta de SICE CARPETA con\n"
      "  el horario de la tabla SOLUC y los tramos de DIASHORAST de la carpeta de trabajo\n"
      "  de Orvalent, que abre en exclusiva junto con GRUPOST, PROFT, AULAT y ASIGNOMT.\n"
      "  De CARPETA lee el código de cabecera (sice_asignat.txt) y la forma de los días\n"
      "  (sice_sesiones.txt). --otemp DIR elige la carpeta de trabajo; sin él es\n"
      "  C:\\OTEMP (en Linux, la unidad C: de Wine: $WINEPREFIX/drive_c/OTEMP). Los\n"
      "  mensajes salen por la salida de errores, seguidos de un resumen de los avisos\n"
      "  sobre los datos. El informe, una página HTML con cada aviso, se escribe en\n"
      "  CARPETA como informe_orvalent_a_sice.html (--informe FICHERO lo escribe en\n"
      "  FICHERO; --sin-informe no lo escribe). Estado de salida: 0 hecho; 1 faltaba la\n"
      "  carpeta; 2 un error detuvo el proceso (el SICE_HORARIO.TXT anterior queda igual).\n",
      RunImportar};
  return command;
}

int RunImportar(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::printf("uso: transorvalentsice-cli %s\n%s", ImportarCommand().usage.c_str(),
                  ImportarCommand().help.c_str());
      return kExitDone;
    }
  }
  std::string problem;
  std::optional<FolderArgs> parsed = ParseFolderArgs(args, problem);
  if (!parsed) return UsageError(ImportarCommand(), problem);

  return RunConversion(*parsed, Direction::kOrvalentASice,
                       [&](ProgramState& state, WindowServices& window, Report* report) {
                         BImportarClick(state, window, parsed->otemp, SystemClock(), report);
                       });
}

const CommandRegistration kRegistration{ImportarCommand()};

}  // namespace

}  // namespace tos::cli
