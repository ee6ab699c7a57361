// The Orvalent-to-SICE timetable export: what the button BImportar does.
#pragma once

#include <string>

#include "core/program_state.h"
#include "core/window_services.h"
#include "data/clock.h"

namespace tos {

class Report;

// Writes SICE_HORARIO.TXT into the chosen folder from the tables in otemp;
// header and trailer carry the clock's date and time.
void BImportarClick(ProgramState& state, WindowServices& window, const std::string& otemp,
                    Clock& clock, Report* report = nullptr);

}  // namespace tos
