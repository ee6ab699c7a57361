#include "app/gradient.h"

#include <algorithm>
#include <cstdlib>

namespace tos {

void PixelBuffer::Fill(int left, int top, int right, int bottom, Rgb c) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) pixels_[Index(x, y)] = c;
  }
}

PanelLook Draw3D1Look() {
  PanelLook look;
  look.gradientVisible = true;
  look.startColor = RgbOf(0xC2CDFE);
  look.midColor = RgbOf(0xCFF2FE);
  look.endColor = RgbOf(0xCCD8E6);
  look.color = RgbOf(0xCCD8E6);
  return look;
}

PanelLook Draw3D2Look() {
  PanelLook look;
  look.gradientVisible = true;
  look.startColor = RgbOf(0xF9D37D);
  look.midColor = RgbOf(0xFFFFFF);
  look.endColor = RgbOf(0xFFEEDD);
  look.color = RgbOf(0x00FF00);
  return look;
}

namespace {

// n / d rounded to the nearest integer, halves away from zero (d > 0).
int RoundedDiv(int n, int d) {
  int q = (2 * std::abs(n) + d) / (2 * d);
  return n < 0 ? -q : q;
}

uint8_t Channel(uint8_t a, uint8_t b, int k, int last) {
  if (last == 0) return a;
  return static_cast<uint8_t>(a + RoundedDiv(k * (b - a), last));
}

Rgb Band(Rgb a, Rgb b, int k, int last) {
  return {Channel(a.r, b.r, k, last), Channel(a.g, b.g, k, last), Channel(a.b, b.b, k, last)};
}

// The edges of n bands over a length: b(j) = j * length / n, rounded.
int BandEdge(int j, int length, int n) {
  return RoundedDiv(j * length, n);
}

void FillVerticalSplit(PixelBuffer& buffer, int left, int top, int right, int bottom,
                       const PanelLook& look, Rgb start, Rgb end) {
  if (look.midColor) {
    int mid = (top + bottom) / 2;
    FillVertical(buffer, left, top, right, mid, *look.midColor, end);
    FillVertical(buffer, left, mid, right, bottom, start, *look.midColor);
  } else {
    FillVertical(buffer, left, top, right, bottom, start, end);
  }
}

void FillHorizontalSplit(PixelBuffer& buffer, int left, int top, int right, int bottom,
                         const PanelLook& look, Rgb start, Rgb end) {
  if (look.midColor) {
    int mid = (left + right) / 2;
    FillHorizontal(buffer, left, top, mid, bottom, *look.midColor, end);
    FillHorizontal(buffer, mid, top, right, bottom, start, *look.midColor);
  } else {
    FillHorizontal(buffer, left, top, right, bottom, start, end);
  }
}

// Concentric rectangles from start at the edge to end in the
// middle.
void FillFromCenter(PixelBuffer& buffer, int w, int h, Rgb start, Rgb end) {
  int steps = std::max(1, std::min(256, (std::min(w, h) + 1) / 2));
  for (int k = 0; k < steps; ++k) {
    int dx = BandEdge(k, w / 2, steps);
    int dy = BandEdge(k, h / 2, steps);
    buffer.Fill(dx, dy, w - dx, h - dy, Band(start, end, k, steps - 1));
  }
}

// Diagonal bands from StartColor at one corner to EndColor at the opposite
// one; fromTop puts StartColor at the top-left corner, else the bottom-left.
void FillDiagonal(PixelBuffer& buffer, int w, int h, Rgb start, Rgb end, bool fromTop) {
  int span = w + h - 1;
  if (span <= 0) return;
  int last = std::max(1, span - 1);
  for (int y = 0; y < h; ++y) {
    int row = fromTop ? y : h - 1 - y;
    for (int x = 0; x < w; ++x) {
      int k = (x + row) * std::min(255, last) / last;
      buffer.Set(x, y, Band(start, end, k, std::min(255, last)));
    }
  }
}

void DrawBevel(PixelBuffer& buffer, int& inset, Bevel bevel, int width,
               const SystemColors& system) {
  if (bevel == Bevel::kNone) return;
  Rgb light = bevel == Bevel::kRaised ? system.buttonHighlight : system.buttonShadow;
  Rgb dark = bevel == Bevel::kRaised ? system.buttonShadow : system.buttonHighlight;
  for (int i = 0; i < width; ++i, ++inset) {
    int l = inset;
    int t = inset;
    int r = buffer.Width() - 1 - inset;
    int b = buffer.Height() - 1 - inset;
    if (r < l || b < t) return;
    buffer.Fill(l, t, l + 1, b, light);     // left, rows t .. b-1
    buffer.Fill(l, t, r, t + 1, light);     // top, columns l .. r-1
    buffer.Fill(r, t, r + 1, b, dark);      // right, rows t .. b-1
    buffer.Fill(l, b, r + 1, b + 1, dark);  // bottom, columns l .. r
  }
}

}  // namespace

void FillVertical(PixelBuffer& buffer, int left, int top, int right, int bottom, Rgb a, Rgb b) {
  int height = bottom - top;
  if (height <= 0) return;
  int n = std::min(height, 256);
  for (int k = 0; k < n; ++k) {
    int rowTop = bottom - BandEdge(k + 1, height, n);
    int rowEnd = bottom - BandEdge(k, height, n);
    buffer.Fill(left, rowTop, right, rowEnd, Band(a, b, k, n - 1));
  }
}

void FillHorizontal(PixelBuffer& buffer, int left, int top, int right, int bottom, Rgb a, Rgb b) {
  int width = right - left;
  if (width <= 0) return;
  int n = std::min(width, 256);
  for (int k = 0; k < n; ++k) {
    int colLeft = right - BandEdge(k + 1, width, n);
    int colEnd = right - BandEdge(k, width, n);
    buffer.Fill(colLeft, top, colEnd, bottom, Band(a, b, k, n - 1));
  }
}

void PaintPanel(const PanelLook& look, const SystemColors& system, PixelBuffer& buffer) {
  const int w = buffer.Width();
  const int h = buffer.Height();
  if (look.gradientVisible) {
    switch (look.direction) {
      case GradientDirection::kTopBottom:
        FillVerticalSplit(buffer, 0, 0, w, h, look, look.startColor, look.endColor);
        break;
      case GradientDirection::kBottomTop:
        FillVerticalSplit(buffer, 0, 0, w, h, look, look.endColor, look.startColor);
        break;
      case GradientDirection::kLeftRight:
        FillHorizontalSplit(buffer, 0, 0, w, h, look, look.startColor, look.endColor);
        break;
      case GradientDirection::kRightLeft:
        FillHorizontalSplit(buffer, 0, 0, w, h, look, look.endColor, look.startColor);
        break;
      case GradientDirection::kFromCenter:
        FillFromCenter(buffer, w, h, look.startColor, look.endColor);
        break;
      case GradientDirection::kFromTopLeft:
        FillDiagonal(buffer, w, h, look.startColor, look.endColor, true);
        break;
      case GradientDirection::kFromBottomLeft:
        FillDiagonal(buffer, w, h, look.startColor, look.endColor, false);
        break;
    }
  } else if (look.color) {
    buffer.Fill(0, 0, w, h, *look.color);
  }
  int inset = 0;
  DrawBevel(buffer, inset, look.bevelOuter, look.bevelWidth, system);
  if (look.color) {
    for (int i = 0; i < look.borderWidth && inset * 2 < std::min(w, h); ++i, ++inset) {
      buffer.Fill(inset, inset, w - inset, inset + 1, *look.color);
      buffer.Fill(inset, h - inset - 1, w - inset, h - inset, *look.color);
      buffer.Fill(inset, inset, inset + 1, h - inset, *look.color);
      buffer.Fill(w - inset - 1, inset, w - inset, h - inset, *look.color);
    }
  } else {
    inset += look.borderWidth;
  }
  DrawBevel(buffer, inset, look.bevelInner, look.bevelWidth, system);
}

}  // namespace tos
