// How a gradient panel paints: a vertical (or other) colour gradient through
// up to three colours, framed by bevels, computed into a pixel buffer that
// the window copies to the screen.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tos {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb RgbOf(uint32_t hex) {
  return {static_cast<uint8_t>(hex >> 16), static_cast<uint8_t>(hex >> 8),
          static_cast<uint8_t>(hex)};
}

// Pixels row by row from the top-left corner.
class PixelBuffer {
 public:
  PixelBuffer(int width, int height)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_)) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[Index(x, y)] = c;
  }
  // Fills [left, right) x [top, bottom), clipped to the buffer.
  void Fill(int left, int top, int right, int bottom, Rgb c);
  const std::vector<Rgb>& Pixels() const { return pixels_; }

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

enum class GradientDirection {
  kTopBottom,
  kBottomTop,
  kLeftRight,
  kRightLeft,
  kFromCenter,
  kFromTopLeft,
  kFromBottomLeft,
};

enum class Bevel { kNone, kLowered, kRaised };

struct PanelLook {
  bool gradientVisible = false;
  GradientDirection direction = GradientDirection::kTopBottom;
  Rgb startColor = RgbOf(0xFFFFFF);
  std::optional<Rgb> midColor;
  Rgb endColor = RgbOf(0xFFFF00);
  // The panel's colour; nothing means no fill at all. The platform's
  // button face by default, which the window resolves.
  std::optional<Rgb> color;
  Bevel bevelOuter = Bevel::kRaised;
  Bevel bevelInner = Bevel::kNone;
  int bevelWidth = 1;
  int borderWidth = 0;
};

// The platform's colours a panel needs, resolved when painting.
struct SystemColors {
  Rgb buttonHighlight = RgbOf(0xFFFFFF);
  Rgb buttonShadow = RgbOf(0xA0A0A0);
};

// The window's panels as designed.
PanelLook Draw3D1Look();
PanelLook Draw3D2Look();  // Draw3D3 looks the same

// Background, outer bevel, border and inner bevel over the whole buffer.
void PaintPanel(const PanelLook& look, const SystemColors& system, PixelBuffer& buffer);

// A vertical fill of rows [top, bottom) with colour a in the bottom row and
// b in the top one, at most 256 bands.
void FillVertical(PixelBuffer& buffer, int left, int top, int right, int bottom, Rgb a, Rgb b);
// The same with columns: a in the rightmost column, b in the leftmost.
void FillHorizontal(PixelBuffer& buffer, int left, int top, int right, int bottom, Rgb a, Rgb b);

}  // namespace tos
