#include "tarvek_Canvas.h"

#include <algorithm>
#include <cmath>

#include "tarvek_Format.h"

namespace {

// Wider pens than this are drawn at this width: a caller's huge width must not stall a drawing.
constexpr int kMaxPenWidth = 64;
constexpr long long kDotRun = 3;  // pixels on, then pixels off, of the dotted pen

struct TSpan {
  long long Lo = 0;
  long long Hi = -1;  // inclusive; Lo > Hi is empty
  bool Empty() const { return Lo > Hi; }
};

// Columns of row j inside the ellipse inscribed in [x1, x2) x [y1, y2): pixel centres on or inside.
TSpan EllipseSpan(long long x1, long long y1, long long x2, long long y2, long long j) {
  if (j < y1 || j >= y2) return {};
  const double a = double(x2 - x1) / 2.0;
  const double b = double(y2 - y1) / 2.0;
  const double cx = double(x1) + a;
  const double cy = double(y1) + b;
  const double dy = (double(j) + 0.5 - cy) / b;
  if (std::fabs(dy) > 1.0) return {};
  const double hw = a * std::sqrt(1.0 - dy * dy);
  TSpan s;
  s.Lo = std::max(x1, static_cast<long long>(std::ceil(cx - hw - 0.5)));
  s.Hi = std::min(x2 - 1, static_cast<long long>(std::floor(cx + hw - 0.5)));
  return s;
}

}  // namespace

std::string TCanvas::FormatNumber(const std::string& format, double value) {
  return FormatFloat(format, value, ",", ".");
}

TColor TCanvas::ColorToRGB(TColor color) const {
  if (color == clNone) return clNone;
  if (color & clSystemColor) {
    switch (color & 0xFF) {
      case 5: return clWhite;               // window
      case 8: return clBlack;               // window text
      case 15: return RGBColor(240, 240, 240);  // button face
      default: return clGray;
    }
  }
  return color & 0x00FFFFFF;
}

bool TCanvas::PixelOf(TColor color, std::uint32_t& pixel) const {
  const TColor c = ColorToRGB(color);
  if (c == clNone) return false;
  pixel = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF) | PixelAlpha();
  return true;
}

void TCanvas::FillSpan(int y, long long x1, long long x2, std::uint32_t pixel) {
  if (y < 0 || y >= Height()) return;
  x1 = std::max(x1, 0LL);
  x2 = std::min(x2, static_cast<long long>(Width()));
  if (x1 >= x2) return;
  std::uint32_t* row = ScanLine(y);
  if (!row) return;
  std::fill(row + x1, row + x2, pixel);
}

void TCanvas::StampPen(long long x, long long y, int width, std::uint32_t pixel) {
  if (width == 1) {
    if (y >= 0 && y < Height()) FillSpan(static_cast<int>(y), x, x + 1, pixel);
    return;
  }
  const long long off = (width - 1) / 2;
  for (long long yy = std::max(0LL, y - off); yy < std::min<long long>(Height(), y - off + width); ++yy)
    FillSpan(static_cast<int>(yy), x - off, x - off + width, pixel);
}

void TCanvas::MoveTo(int x, int y) {
  FPenX = x;
  FPenY = y;
  FDotPhase = 0;
}

void TCanvas::LineTo(int x, int y) {
  const long long x1 = FPenX, y1 = FPenY, x2 = x, y2 = y;
  FPenX = x;
  FPenY = y;
  const long long dx = x2 - x1, dy = y2 - y1;
  const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const long long n = std::max(adx, ady);  // pixels drawn: the end pixel is left out
  const long long phase = FDotPhase;
  FDotPhase += n;
  std::uint32_t pixel;
  if (n == 0 || !PixelOf(Pen.Color, pixel)) return;
  const int width = std::clamp(Pen.Width, 1, kMaxPenWidth);
  const bool dotted = Pen.Style == psDot && width == 1;  // wide pens draw solid, as on the old platform

  // Walk the major axis; the minor coordinate of step i is round-half-up(i * dmin / n). Only the
  // steps whose major coordinate can touch the bitmap are visited, so far-off end points cost nothing.
  const bool xMajor = adx >= ady;
  const long long major0 = xMajor ? x1 : y1, minor0 = xMajor ? y1 : x1;
  const long long sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const long long sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const long long dMinor = xMajor ? ady : adx;
  const long long limit = xMajor ? Width() : Height();
  const long long margin = width;
  long long lo, hi;
  if (sMajor > 0) {
    lo = std::max(0LL, -margin - major0);
    hi = std::min(n - 1, limit + margin - 1 - major0);
  } else {
    lo = std::max(0LL, major0 - (limit + margin - 1));
    hi = std::min(n - 1, major0 + margin);
  }
  for (long long i = lo; i <= hi; ++i) {
    if (dotted && ((phase + i) / kDotRun) % 2 == 1) continue;
    const __int128 num = static_cast<__int128>(2) * i * dMinor + n;
    const long long minor = minor0 + sMinor * static_cast<long long>(num / (static_cast<__int128>(2) * n));
    const long long major = major0 + sMajor * i;
    if (xMajor)
      StampPen(major, minor, width, pixel);
    else
      StampPen(minor, major, width, pixel);
  }
}

void TCanvas::FillRect(int x1, int y1, int x2, int y2) {
  std::uint32_t brush;
  if (!PixelOf(BrushColor, brush)) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  for (int y = std::max(y1, 0); y < std::min(y2, Height()); ++y) FillSpan(y, x1, x2, brush);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  std::uint32_t pen, brush;
  const bool hasPen = PixelOf(Pen.Color, pen);
  const bool hasBrush = PixelOf(BrushColor, brush);
  const long long l = x1, t = y1, r = x2, b = y2;  // wide enough for r - 1 and b - 1 at the int limits
  for (long long y = std::max(t, 0LL); y < std::min<long long>(b, Height()); ++y) {
    const int row = static_cast<int>(y);
    if (!hasPen) {
      if (hasBrush) FillSpan(row, l, r, brush);
    } else if (y == t || y == b - 1) {
      FillSpan(row, l, r, pen);
    } else {
      FillSpan(row, l, l + 1, pen);
      if (hasBrush) FillSpan(row, l + 1, r - 1, brush);
      FillSpan(row, r - 1, r, pen);
    }
  }
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  std::uint32_t pen, brush;
  const bool hasPen = PixelOf(Pen.Color, pen);
  const bool hasBrush = PixelOf(BrushColor, brush);
  for (long long j = std::max(y1, 0); j < std::min(y2, Height()); ++j) {
    const int row = static_cast<int>(j);
    const TSpan s = EllipseSpan(x1, y1, x2, y2, j);
    if (s.Empty()) continue;
    if (!hasPen) {
      if (hasBrush) FillSpan(row, s.Lo, s.Hi + 1, brush);
      continue;
    }
    // Inside pixels are those whose four neighbours are all in the ellipse; the rest is outline.
    const TSpan up = EllipseSpan(x1, y1, x2, y2, j - 1), down = EllipseSpan(x1, y1, x2, y2, j + 1);
    TSpan in;
    if (!up.Empty() && !down.Empty()) {
      in.Lo = std::max({s.Lo + 1, up.Lo, down.Lo});
      in.Hi = std::min({s.Hi - 1, up.Hi, down.Hi});
    }
    if (in.Empty()) {
      FillSpan(row, s.Lo, s.Hi + 1, pen);
      continue;
    }
    FillSpan(row, s.Lo, in.Lo, pen);
    if (hasBrush) FillSpan(row, in.Lo, in.Hi + 1, brush);
    FillSpan(row, in.Hi + 1, s.Hi + 1, pen);
  }
}
