// The SICE-to-Orvalent import run: what the button BExportar does.
#pragma once

#include <string>

#include "core/program_state.h"
#include "core/window_services.h"

namespace tos {

class Report;

// Builds RutaSice from the chosen folder, checks it, and runs the six imports
// in order into the working folder otemp ("C:\OTEMP" in the window). An
// error that ends the run sets EstadoTransformacion to -1, puts the normal
// cursor back and is raised again for the default error box.
void BExportarClick(ProgramState& state, WindowServices& window, const std::string& otemp,
                    Report* report = nullptr);

}  // namespace tos
