// The command line and the run mode it selects: stand-alone, or embedded in
// Orvalent's window with a direction and the parent's handle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tos {

// Which conversion panels the window shows.
enum class Panels {
  kBoth,
  kImportOnly,  // "exportar": only Draw3D2 (SICE to Orvalent, BExportar)
  kExportOnly,  // "importar": only Draw3D3 (Orvalent to SICE, BImportar)
};

struct RunMode {
  // Exactly two parameters with a hexadecimal handle.
  bool embedded = false;
  // The parent window's handle as the command line gives it.
  uint32_t parentHandle = 0;
  Panels panels = Panels::kBoth;
  // The default error box's text (without its closing period) when the
  // handle is not a hexadecimal number; the window then runs stand-alone.
  std::optional<std::string> error;
};

// A handle written as 1 to 8 hexadecimal digits of either case and nothing
// else: no sign, prefix or blanks.
std::optional<uint32_t> ParseHexHandle(std::string_view text);

// The run mode of the parameters after the program's own path (UTF-8).
RunMode DecideRunMode(const std::vector<std::string>& parameters);

// The panels a direction word asks for, compared after lower-casing A-Z.
Panels PanelsForDirection(std::string_view word);

}  // namespace tos
