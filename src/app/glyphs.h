// The button glyphs, drawn as small pixel images of our own: a check mark
// for the two "Aceptar" buttons and an open door for "&Salir".
#pragma once

#include <cstdint>
#include <vector>

namespace tos {

struct Glyph {
  int width = 0;
  int height = 0;
  // 0xAARRGGBB, row by row from the top; alpha 0 is transparent.
  std::vector<uint32_t> pixels;
};

Glyph CheckMarkGlyph();
Glyph DoorGlyph();

}  // namespace tos
