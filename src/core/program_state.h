// The program-wide values the two conversions share with the window. The
// window owns one; the command-line converter and the tests make their own.
#pragma once

#include <cstdint>
#include <string>

namespace tos {

struct ProgramState {
  // The chosen SICE folder plus the platform's separator, built afresh at
  // every press; every SICE file name is appended to it.
  std::string RutaSice;
  // Outcome of the last conversion: 0 none (or the export refused a missing
  // folder), 1 done, -1 an input file or the folder was missing, or an error
  // ended the import run.
  int32_t EstadoTransformacion = 0;
  // 2 when the program runs embedded in Orvalent's window, else 0.
  int32_t NumParametros = 0;

  bool Embedded() const { return NumParametros == 2; }
};

}  // namespace tos
