#include "app/glyphs.h"

#include <string_view>

namespace tos {

namespace {

struct Ink {
  char key;
  uint32_t argb;
};

Glyph FromArt(const std::string_view (&rows)[16], std::initializer_list<Ink> inks) {
  Glyph glyph;
  glyph.width = 16;
  glyph.height = 16;
  glyph.pixels.assign(16 * 16, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16 && x < static_cast<int>(rows[y].size()); ++x) {
      for (const Ink& ink : inks) {
        if (rows[y][x] == ink.key) glyph.pixels[static_cast<size_t>(y * 16 + x)] = ink.argb;
      }
    }
  }
  return glyph;
}

}  // namespace

Glyph CheckMarkGlyph() {
  static constexpr std::string_view kArt[16] = {
      "................",  //
      "................",  //
      "...............d",  //
      "..............dg",  //
      ".............dgd",  //
      "............dgd.",  //
      "...........dgd..",  //
      "..d.......dgd...",  //
      ".dgd.....dgd....",  //
      "dgggd...dggd....",  //
      ".dgggd.dggd.....",  //
      "..dgggdgggd.....",  //
      "...dgggggd......",  //
      "....dgggd.......",  //
      ".....dgd........",  //
      "......d.........",  //
  };
  return FromArt(kArt, {{'g', 0xFF21A121}, {'d', 0xFF0B5E0B}});
}

Glyph DoorGlyph() {
  static constexpr std::string_view kArt[16] = {
      "..ffffffffffff..",  //
      "..f..........f..",  //
      "..f.wbbbb....f..",  //
      "..f.wbbbbb...f..",  //
      "..f.wbbbbbb..f..",  //
      "..f.wbbbbbbb.f..",  //
      "..f.wbbbbbbb.f..",  //
      "..f.wbbbbbkb.f..",  //
      "..f.wbbbbbkb.f..",  //
      "..f.wbbbbbbb.f..",  //
      "..f.wbbbbbbb.f..",  //
      "..f.wbbbbbbb.f..",  //
      "..f.wbbbbbb..f..",  //
      "..f.wbbbbb...f..",  //
      "..f.wbbbb....f..",  //
      "ffffffffffffffff",  //
  };
  return FromArt(kArt,
                 {{'f', 0xFF5A3A1A}, {'b', 0xFFB8782C}, {'w', 0xFF7A4E1C}, {'k', 0xFFF0D040}});
}

}  // namespace tos
