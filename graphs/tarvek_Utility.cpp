#include "tarvek_Utility.h"

#include <cmath>

namespace {
constexpr double kCoordinateLimit = 268435456.0;  // 2^28
}

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  if (value >= kCoordinateLimit) return static_cast<int>(kCoordinateLimit);
  if (value <= -kCoordinateLimit) return -static_cast<int>(kCoordinateLimit);
  const double floor = std::floor(value);
  const double diff = value - floor;
  int result = static_cast<int>(floor);
  if (diff > 0.5 || (diff == 0.5 && (result % 2) != 0)) ++result;
  return result;
}

std::uint32_t ColorToPixel(TColor color) {
  return (color & 0xFF00FF00u) | ((color & 0xFFu) << 16) | ((color >> 16) & 0xFFu);
}

TColor BlendColors(TColor a, TColor b, double t) {
  if (t > 1)
    t -= std::trunc(t);
  else if (t < 0)
    t = std::fabs(t);
  TColor result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    const int channel = RoundHalfEven(t * (cb - ca) + ca);
    result |= (static_cast<TColor>(channel) & 0xFF) << shift;
  }
  return result;
}

TColor GradientColor(const TColorArray& colors, int high, double x) {
  if (high >= static_cast<int>(colors.size())) high = static_cast<int>(colors.size()) - 1;
  if (high < 0 || !(x >= 0)) return 0;
  if (x > 1) x = 1;
  const double p = high * x;
  int i = RoundHalfEven(p - 0.5);
  if (i < 0) i = 0;  // p = 0.5 rounds to 0 already; this only guards the arithmetic
  const int j = i + 1 > high ? i : i + 1;
  return BlendColors(colors[i], colors[j], p - i);
}

bool PutPixel(TCanvas* bitmap, int x, int y, std::uint32_t pixel) {
  if (!bitmap || x < 0 || y < 0 || x >= bitmap->Width() || y >= bitmap->Height()) return false;
  std::uint32_t* row = bitmap->ScanLine(y);
  if (!row) return false;
  row[x] = pixel | bitmap->PixelAlpha();
  return true;
}

TCanvas* CanvasOf(TDrawable* target) { return target ? target->GetCanvas() : nullptr; }

bool DrawLine(TDrawable* target, TColor color, double x1, double y1, double x2, double y2) {
  TCanvas* canvas = CanvasOf(target);
  if (!canvas) return false;
  canvas->Pen.Color = color;
  canvas->MoveTo(RoundHalfEven(x1), RoundHalfEven(y1));
  canvas->LineTo(RoundHalfEven(x2), RoundHalfEven(y2));
  return true;
}

bool DrawRectOutline(TDrawable* target, TColor color, double x1, double y1, double x2, double y2) {
  try {
    if (!CanvasOf(target)) return false;
    DrawLine(target, color, x1, y1, x2, y1);
    DrawLine(target, color, x2, y1, x2, y2);
    DrawLine(target, color, x2, y2, x1, y2);
    DrawLine(target, color, x1, y2, x1, y1);
    return true;
  } catch (...) {
    return false;
  }
}

void FillBox(TDrawable* target, TColor penColor, TColor brushColor, double x, double y, double width,
             double height) {
  TCanvas* canvas = CanvasOf(target);
  if (!canvas) return;
  canvas->Pen.Color = penColor;
  canvas->BrushColor = brushColor;
  canvas->Rectangle(RoundHalfEven(x), RoundHalfEven(y), RoundHalfEven(x + width), RoundHalfEven(y + height));
}
