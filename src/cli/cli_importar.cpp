// "importar": the Orvalent-to-SICE timetable export without a window.
#include <exception>

#include "app/error_box.h"
#include "app/program_state.h"
#include "cli/cli_services.h"
#include "cli/commands.h"
#include "data/clock.h"
#include "data/error.h"
#include "export/timetable_export.h"

namespace tos::cli {

namespace {

int RunImportar(const std::vector<std::string>& args);

const Command& ImportarCommand() {
  static const Command command{
      "importar", "importar CARPETA [--otemp DIR]",
      "  Escribe SICE_HORARIO.TXT en la carpeta de SICE CARPETA con el horario de la tabla\n"
      "  SOLUC y los tramos de DIASHORAST, que lee de C:\\OTEMP (o de DIR con --otemp).\n",
      RunImportar};
  return command;
}

int RunImportar(const std::vector<std::string>& args) {
  std::string problem;
  std::optional<FolderArgs> parsed = ParseFolderArgs(args, problem);
  if (!parsed) return UsageError(ImportarCommand(), problem);

  ProgramState state;
  ConsoleWindow window(parsed->folder);
  try {
    BImportarClick(state, window, parsed->otemp, SystemClock());
  } catch (const Error& e) {
    PrintMessage(DefaultErrorText(e.what()));
    return kExitError;
  } catch (const std::exception& e) {
    PrintMessage(DefaultErrorText(e.what()));
    return kExitError;
  }
  // A missing folder leaves the state at 0.
  return state.EstadoTransformacion == 1 ? kExitDone : kExitIncomplete;
}

const CommandRegistration kRegistration{ImportarCommand()};

}  // namespace

}  // namespace tos::cli
