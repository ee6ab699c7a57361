// What every import works with: the program state (RutaSice,
// EstadoTransformacion), the window for its messages, and the working folder
// its table goes to ("C:\OTEMP" in the window).
#pragma once

#include <string>
#include <string_view>

#include "app/program_state.h"
#include "app/window_services.h"

namespace tos {

struct ImportContext {
  ProgramState& state;
  WindowServices& window;
  std::string otemp;

  // A SICE file of the chosen folder (RutaSice ends in the separator).
  std::string SicePath(std::string_view name) const { return state.RutaSice + std::string(name); }

  // A missing input file: its message, and the run's outcome is incomplete.
  void MissingFile(const std::string& message) {
    window.ShowMessage(message);
    state.EstadoTransformacion = -1;
  }
};

}  // namespace tos
