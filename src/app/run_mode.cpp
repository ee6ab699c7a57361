#include "app/run_mode.h"

#include "data/error.h"
#include "data/text.h"

namespace tos {

std::optional<uint32_t> ParseHexHandle(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return value;
}

Panels PanelsForDirection(std::string_view word) {
  std::string lower = text::AsciiLower(word);
  if (lower == "importar") return Panels::kExportOnly;
  if (lower == "exportar") return Panels::kImportOnly;
  return Panels::kBoth;
}

RunMode DecideRunMode(const std::vector<std::string>& parameters) {
  RunMode mode;
  if (parameters.size() != 2) return mode;
  std::optional<uint32_t> handle = ParseHexHandle(parameters[1]);
  if (!handle) {
    mode.error = Format("'%s' no es un valor entero válido", "$" + parameters[1]);
    return mode;
  }
  mode.embedded = true;
  mode.parentHandle = *handle;
  mode.panels = PanelsForDirection(parameters[0]);
  return mode;
}

}  // namespace tos
