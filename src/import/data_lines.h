// Telling data lines apart at the speed of a million-line file.
#pragma once

#include <algorithm>
#include <string_view>

#include "data/sice_text.h"
#include "data/text.h"

namespace tos {

// The same answer as EsLineaDeDatos(line, selfName) for a non-empty
// self-name, without building the upper-cased field of every line: only a
// line whose columns 2-51 start (after blanks) with the self-name's first
// letter can be a self-name line, and only those take the full test.
inline bool EsLineaDeDatosRapida(std::string_view line, std::string_view selfName) {
  if (!line.empty() && (line[0] == '0' || line[0] == '9')) return false;
  size_t end = std::min<size_t>(line.size(), 51);
  size_t i = 1;
  while (i < end && static_cast<unsigned char>(line[i]) <= 32) ++i;
  if (i >= end || selfName.empty() || text::AsciiUpper(line[i]) != selfName[0]) return true;
  return EsLineaDeDatos(line, selfName);
}

}  // namespace tos
