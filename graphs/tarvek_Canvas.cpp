#include "tarvek_Canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

std::uint32_t* TCanvas::ScanLine(int y) {
  const TSurface s = Surface();
  return (s.Bits && y >= 0 && y < s.Height) ? s.Row(y) : nullptr;
}

void TCanvas::FillSpan(const TSurface& s, long long y, long long x1, long long x2, std::uint32_t pixel) {
  if (!s.Bits || y < 0 || y >= s.Height) return;
  x1 = std::max(x1, 0LL);
  x2 = std::min(x2, static_cast<long long>(s.Width));
  if (x1 >= x2) return;
  std::uint32_t* row = s.Row(static_cast<int>(y));
  std::fill(row + x1, row + x2, pixel);
}

void TCanvas::StampPen(const TSurface& s, long long x, long long y, int width, std::uint32_t pixel) {
  if (width == 1) {
    if (x >= 0 && x < s.Width && y >= 0 && y < s.Height) s.Row(static_cast<int>(y))[x] = pixel;
    return;
  }
  const long long off = (width - 1) / 2;
  for (long long yy = y - off; yy < y - off + width; ++yy) FillSpan(s, yy, x - off, x - off + width, pixel);
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
  if (lo > hi) return;
  const TSurface surface = Surface();
  if (!surface.Bits) return;
  // q + r / (2n) = (2 i dMinor + n) / (2n): one wide division for the first visible step, then
  // the usual Bresenham error update.
  const __int128 num = static_cast<__int128>(2) * lo * dMinor + n;
  long long q = static_cast<long long>(num / (2 * static_cast<__int128>(n)));
  long long r = static_cast<long long>(num % (2 * static_cast<__int128>(n)));
  for (long long i = lo; i <= hi; ++i) {
    if (!dotted || ((phase + i) / kDotRun) % 2 == 0) {
      const long long minor = minor0 + sMinor * q, major = major0 + sMajor * i;
      if (xMajor)
        StampPen(surface, major, minor, width, pixel);
      else
        StampPen(surface, minor, major, width, pixel);
    }
    r += 2 * dMinor;
    if (r >= 2 * n) r -= 2 * n, ++q;
  }
}

void TCanvas::FillRect(int x1, int y1, int x2, int y2) {
  std::uint32_t brush;
  if (!PixelOf(BrushColor, brush)) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  const TSurface s = Surface();
  for (int y = std::max(y1, 0); y < std::min(y2, s.Height); ++y) FillSpan(s, y, x1, x2, brush);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  std::uint32_t pen, brush;
  const bool hasPen = PixelOf(Pen.Color, pen);
  const bool hasBrush = PixelOf(BrushColor, brush);
  const long long l = x1, t = y1, r = x2, b = y2;  // wide enough for r - 1 and b - 1 at the int limits
  const TSurface s = Surface();
  for (long long y = std::max(t, 0LL); y < std::min<long long>(b, s.Height); ++y) {
    const long long row = y;
    if (!hasPen) {
      if (hasBrush) FillSpan(s, row, l, r, brush);
    } else if (y == t || y == b - 1) {
      FillSpan(s, row, l, r, pen);
    } else {
      FillSpan(s, row, l, l + 1, pen);
      if (hasBrush) FillSpan(s, row, l + 1, r - 1, brush);
      FillSpan(s, row, r - 1, r, pen);
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
  // Spans of the visible rows and of one row above and below them, each computed once.
  const TSurface surface = Surface();
  const long long first = std::max(y1, 0), last = std::min(y2, surface.Height);  // rows [first, last)
  if (first >= last) return;
  static thread_local std::vector<TSpan> spans;
  spans.clear();
  for (long long j = first - 1; j <= last; ++j) spans.push_back(EllipseSpan(x1, y1, x2, y2, j));
  for (long long j = first; j < last; ++j) {
    const long long row = j;
    const std::size_t i = static_cast<std::size_t>(j - first + 1);
    const TSpan& span = spans[i];
    if (span.Empty()) continue;
    if (!hasPen) {
      if (hasBrush) FillSpan(surface, row, span.Lo, span.Hi + 1, brush);
      continue;
    }
    // Inside pixels are those whose four neighbours are all in the ellipse; the rest is outline.
    const TSpan& up = spans[i - 1];
    const TSpan& down = spans[i + 1];
    TSpan in;
    if (!up.Empty() && !down.Empty()) {
      in.Lo = std::max({span.Lo + 1, up.Lo, down.Lo});
      in.Hi = std::min({span.Hi - 1, up.Hi, down.Hi});
    }
    if (in.Empty()) {
      FillSpan(surface, row, span.Lo, span.Hi + 1, pen);
      continue;
    }
    FillSpan(surface, row, span.Lo, in.Lo, pen);
    if (hasBrush) FillSpan(surface, row, in.Lo, in.Hi + 1, brush);
    FillSpan(surface, row, in.Hi + 1, span.Hi + 1, pen);
  }
}
