#include "app/gradient.h"

#include <gtest/gtest.h>

namespace tos {
namespace {

const SystemColors kSystem{RgbOf(0xFFFFFF), RgbOf(0x808080)};

PixelBuffer Painted(const PanelLook& look, int w, int h) {
  PixelBuffer buffer(w, h);
  PaintPanel(look, kSystem, buffer);
  return buffer;
}

std::string Hex(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", c.r, c.g, c.b);
  return text;
}

// Rows inside the bevel, at both ends and in the middle of the row.
TEST(GradientTest, PanelRowsAsDesigned) {
  struct Row {
    int y;
    uint32_t rgb;
  };
  struct Case {
    const char* name;
    PanelLook look;
    int w, h;
    std::vector<Row> rows;
  };
  const Case cases[] = {
      {"Draw3D2",
       Draw3D2Look(),
       289,
       106,
       {{1, 0xFFEEDE}, {48, 0xFFFEFC}, {52, 0xFFFFFF}, {53, 0xFFFFFF}, {104, 0xF9D480}}},
      {"Draw3D3 stretched",
       Draw3D2Look(),
       599,
       106,
       {{1, 0xFFEEDE}, {48, 0xFFFEFC}, {52, 0xFFFFFF}, {104, 0xF9D480}}},
      {"Draw3D1", Draw3D1Look(), 599, 205, {{101, 0xCFF2FE}, {102, 0xCFF2FE}}},
  };
  for (const Case& c : cases) {
    PixelBuffer buffer = Painted(c.look, c.w, c.h);
    for (const Row& row : c.rows) {
      for (int x : {1, c.w / 2, c.w - 2}) {
        EXPECT_EQ(Hex(buffer.At(x, row.y)), Hex(RgbOf(row.rgb))) << c.name << " row " << row.y;
      }
    }
  }
}

TEST(GradientTest, FirstAndLastRowsUnderTheBevel) {
  // Rows 0 and h-1 carry the bevel across their whole width; paint without
  // it to see the gradient there.
  for (auto [look, h, top, bottom] : {std::tuple{Draw3D2Look(), 106, 0xFFEEDDu, 0xF9D37Du},
                                      std::tuple{Draw3D1Look(), 205, 0xCCD8E6u, 0xC2CDFEu}}) {
    look.bevelOuter = Bevel::kNone;
    PixelBuffer buffer = Painted(look, 300, h);
    EXPECT_EQ(Hex(buffer.At(150, 0)), Hex(RgbOf(top)));
    EXPECT_EQ(Hex(buffer.At(150, h - 1)), Hex(RgbOf(bottom)));
  }
}

TEST(GradientTest, RaisedBevelLines) {
  PixelBuffer buffer = Painted(Draw3D2Look(), 20, 10);
  const Rgb light = kSystem.buttonHighlight, dark = kSystem.buttonShadow;
  EXPECT_EQ(buffer.At(0, 0), light);
  EXPECT_EQ(buffer.At(0, 8), light);   // left, down to h - 2
  EXPECT_EQ(buffer.At(18, 0), light);  // top, across to w - 2
  EXPECT_EQ(buffer.At(19, 0), dark);   // right column from row 0
  EXPECT_EQ(buffer.At(19, 8), dark);
  EXPECT_EQ(buffer.At(0, 9), dark);  // bottom row, whole width
  EXPECT_EQ(buffer.At(19, 9), dark);
  EXPECT_NE(buffer.At(1, 1), light);

  PanelLook lowered = Draw3D2Look();
  lowered.bevelOuter = Bevel::kLowered;
  lowered.bevelWidth = 2;
  PixelBuffer two = Painted(lowered, 20, 10);
  EXPECT_EQ(two.At(0, 0), dark);
  EXPECT_EQ(two.At(1, 1), dark);  // the second line, one pixel further in
  EXPECT_EQ(two.At(18, 8), light);
  EXPECT_NE(two.At(2, 2), dark);
}

TEST(GradientTest, WithoutMiddleColourOneFillFromEndToStart) {
  PanelLook look = Draw3D2Look();
  look.midColor.reset();
  look.bevelOuter = Bevel::kNone;
  PixelBuffer buffer = Painted(look, 10, 106);
  EXPECT_EQ(buffer.At(5, 0), RgbOf(0xFFEEDD));
  EXPECT_EQ(buffer.At(5, 105), RgbOf(0xF9D37D));
  // Row 53 is band 52 of 106 counted from the bottom: 0xF9 + 52*6/105 = 0xFC (2.97).
  EXPECT_EQ(buffer.At(5, 53).r, 0xFC);
}

TEST(GradientTest, HiddenGradientFillsWithTheColourOrNothing) {
  for (auto [look, fill] :
       {std::pair{Draw3D2Look(), 0x00FF00u}, std::pair{Draw3D1Look(), 0xCCD8E6u}}) {
    look.gradientVisible = false;
    PixelBuffer buffer = Painted(look, 30, 40);
    EXPECT_EQ(buffer.At(15, 20), RgbOf(fill));
    EXPECT_EQ(buffer.At(1, 1), RgbOf(fill));
  }
  PanelLook none = Draw3D2Look();
  none.gradientVisible = false;
  none.color.reset();
  PixelBuffer buffer(30, 40);
  buffer.Fill(0, 0, 30, 40, RgbOf(0x123456));
  PaintPanel(none, kSystem, buffer);
  EXPECT_EQ(buffer.At(15, 20), RgbOf(0x123456));
}

TEST(GradientTest, TallAreasUseAtMost256Bands) {
  PixelBuffer buffer(1, 1000);
  FillVertical(buffer, 0, 0, 1, 1000, RgbOf(0x000000), RgbOf(0xFF0000));
  EXPECT_EQ(buffer.At(0, 999).r, 0);
  EXPECT_EQ(buffer.At(0, 0).r, 255);
  int changes = 0;
  for (int y = 1; y < 1000; ++y) changes += buffer.At(0, y) != buffer.At(0, y - 1);
  EXPECT_EQ(changes, 255);
  // Bands of about 1000/256 rows: none shorter than 3 or longer than 5.
  int run = 1;
  for (int y = 1; y < 1000; ++y) {
    if (buffer.At(0, y) == buffer.At(0, y - 1)) {
      ++run;
    } else {
      EXPECT_GE(run, 3);
      EXPECT_LE(run, 5);
      run = 1;
    }
  }
}

TEST(GradientTest, DegenerateSizesDoNotFault) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{1, 2}, std::pair{5, 0}}) {
    for (GradientDirection d : {GradientDirection::kTopBottom, GradientDirection::kBottomTop,
                                GradientDirection::kLeftRight, GradientDirection::kRightLeft,
                                GradientDirection::kFromCenter, GradientDirection::kFromTopLeft,
                                GradientDirection::kFromBottomLeft}) {
      PanelLook look = Draw3D1Look();
      look.direction = d;
      look.borderWidth = 3;
      look.bevelInner = Bevel::kLowered;
      PixelBuffer buffer = Painted(look, w, h);
      EXPECT_EQ(buffer.Width(), w);
    }
  }
}

TEST(GradientTest, OtherDirectionsRunBetweenTheirColours) {
  PanelLook look = Draw3D2Look();
  look.midColor.reset();
  look.bevelOuter = Bevel::kNone;
  look.direction = GradientDirection::kBottomTop;
  PixelBuffer bottomTop = Painted(look, 4, 50);
  EXPECT_EQ(bottomTop.At(0, 0), look.startColor);
  EXPECT_EQ(bottomTop.At(0, 49), look.endColor);
  look.direction = GradientDirection::kLeftRight;
  PixelBuffer leftRight = Painted(look, 50, 4);
  EXPECT_EQ(leftRight.At(49, 0), look.startColor);
  EXPECT_EQ(leftRight.At(0, 0), look.endColor);
  look.direction = GradientDirection::kRightLeft;
  PixelBuffer rightLeft = Painted(look, 50, 4);
  EXPECT_EQ(rightLeft.At(0, 0), look.startColor);
}

}  // namespace
}  // namespace tos
