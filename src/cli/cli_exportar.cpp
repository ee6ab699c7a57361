// "exportar CARPETA [--otemp DIR]": the SICE-to-Orvalent import run without
// a window, as Orvalent's "exportar" direction asks for it.
#include <cstdio>
#include <optional>

#include "cli/cli_services.h"
#include "cli/commands.h"
#include "core/program_state.h"
#include "import/import_run.h"
#include "report/report.h"

namespace tos::cli {

namespace {

int RunExportar(const Command& command, const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::fprintf(stdout, "uso: transorvalentsice-cli %s\n%s", command.usage.c_str(),
                   command.help.c_str());
      return kExitDone;
    }
  }
  std::string problem;
  std::optional<FolderArgs> parsed = ParseFolderArgs(args, problem);
  if (!parsed) return UsageError(command, problem);

  return RunConversion(*parsed, Direction::kSiceAOrvalent,
                       [&](ProgramState& state, WindowServices& window, Report* report) {
                         BExportarClick(state, window, parsed->otemp, report);
                       });
}

const Command kExportar{
    "exportar", "exportar CARPETA [--otemp DIR] [--informe FICHERO | --sin-informe]",
    "  De SICE a Orvalent: lee los ficheros de SICE de CARPETA (sice_asignat.txt,\n"
    "  sice_prof.txt, sice_aulas.txt, sice_grupo.txt, sice_asignatgrupo.txt,\n"
    "  sice_asignatcurso.txt y sice_sesiones.txt) y rehace con ellos las tablas\n"
    "  ASIGNOMT, PROFT, AULAT, GRUPOST, ASIGT y DIASHORAST en la carpeta de trabajo\n"
    "  de Orvalent. --otemp DIR elige esa carpeta; sin él es C:\\OTEMP (en Linux, la\n"
    "  unidad C: de Wine: $WINEPREFIX/drive_c/OTEMP). La carpeta de trabajo debe\n"
    "  existir: el programa no la crea. Los mensajes salen por la salida de errores,\n"
    "  seguidos de un resumen de los avisos sobre los datos (una línea \"Avisos: ...\"\n"
    "  por clase). El informe, una página HTML con cada aviso, se escribe en CARPETA\n"
    "  como informe_sice_a_orvalent.html; --informe FICHERO lo escribe en FICHERO y\n"
    "  --sin-informe no lo escribe.\n"
    "  Estado de salida: 0 hecho (también si solo faltaba sice_asignatcurso.txt);\n"
    "  1 faltaba la carpeta o algún fichero; 2 un error detuvo el proceso.\n",
    nullptr};

const CommandRegistration kRegistration{[] {
  Command command = kExportar;
  command.run = [](const std::vector<std::string>& args) { return RunExportar(kExportar, args); };
  return command;
}()};

}  // namespace

}  // namespace tos::cli
