// "exportar CARPETA [--otemp DIR]": the SICE-to-Orvalent import run without
// a window, as Orvalent's "exportar" direction asks for it.
#include <cstdio>
#include <exception>
#include <optional>

#include "app/error_box.h"
#include "app/program_state.h"
#include "cli/cli_services.h"
#include "cli/commands.h"
#include "data/error.h"
#include "import/import_run.h"

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

  ProgramState state;
  ConsoleWindow window(parsed->folder);
  try {
    BExportarClick(state, window, parsed->otemp);
  } catch (const std::exception& e) {
    PrintMessage(DefaultErrorText(e.what()));
    return kExitError;
  }
  // 0 is left only by a missing folder: the run never started.
  return state.EstadoTransformacion == 1 ? kExitDone : kExitIncomplete;
}

const Command kExportar{
    "exportar", "exportar CARPETA [--otemp DIR]",
    "  De SICE a Orvalent: lee los ficheros de SICE de CARPETA (sice_asignat.txt,\n"
    "  sice_prof.txt, sice_aulas.txt, sice_grupo.txt, sice_asignatgrupo.txt,\n"
    "  sice_asignatcurso.txt y sice_sesiones.txt) y rehace con ellos las tablas\n"
    "  ASIGNOMT, PROFT, AULAT, GRUPOST, ASIGT y DIASHORAST en la carpeta de trabajo\n"
    "  de Orvalent. --otemp DIR elige esa carpeta; sin él es C:\\OTEMP (en Linux, la\n"
    "  unidad C: de Wine: $WINEPREFIX/drive_c/OTEMP). La carpeta de trabajo debe\n"
    "  existir: el programa no la crea. Los avisos salen por la salida de errores.\n"
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
