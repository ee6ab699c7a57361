#include "import/import_run.h"

#include "data/files.h"
#include "import/imports.h"

namespace tos {

void BExportarClick(ProgramState& state, WindowServices& window, const std::string& otemp,
                    Report* report) {
  // Always one separator more, as the folder list gives a drive root with
  // its own ("C:\" becomes "C:\\"); both forms reach the same files.
  state.RutaSice = window.ChosenFolder() + fs::kSeparator;
  if (!fs::Current().DirectoryExists(state.RutaSice)) {
    window.ShowMessage("No existe la carpeta");
    if (state.Embedded()) {
      state.EstadoTransformacion = -1;
      window.CloseWindow();
    }
    return;
  }

  window.SetHourglass(true);
  state.EstadoTransformacion = 1;
  Report unread(Direction::kSiceAOrvalent);
  ImportContext context{state, window, otemp, report ? *report : unread, std::nullopt};
  try {
    TransformarAsignaturas(context);
    TransformarProfesores(context);
    TransformarAulas(context);
    TransformarGrupos(context);
    // Reads the GRUPOST just written (or an earlier run's when the groups
    // file was missing).
    TransformarAsignaturasGrupos(context);
    TransformarSesiones(context);
  } catch (...) {
    try {
      TellFiles(context.report, context.files);
    } catch (...) {
      // The error that ended the run is the one to show.
    }
    // Half-rebuilt tables must not read as done to an embedded Orvalent.
    state.EstadoTransformacion = -1;
    window.SetHourglass(false);
    throw;
  }
  TellFiles(context.report, context.files);
  window.SetHourglass(false);
  window.ShowMessage("Proceso finalizado");
  if (state.Embedded()) window.CloseWindow();
}

}  // namespace tos
