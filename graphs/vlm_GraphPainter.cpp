#include "vlm_GraphPainter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxLabelTries = 1000;
// Area coordinates are kept within +-2^28 so that the integer geometry below cannot overflow.
constexpr int kAreaLimit = 1 << 28;

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

TVLGraph::TVLGraph() {
  XAxis = {XMin, 1.0, -1};
  YAxis = {YMin, 1.0, -1};
  SetColors({clRed});
}

TVLGraph::~TVLGraph() = default;

void TVLGraph::SetColors(const TColorArray& colors) { Colors = colors; }

void TVLGraph::AddValue(const std::string& name, double x, double y) { Values.push_back({name, x, y}); }

void TVLGraph::ClearValues() { Values.clear(); }

void TVLGraph::Draw(TCanvas& bitmap, const TRect& area) {
  const bool finite = std::isfinite(XMin) && std::isfinite(XMax) && std::isfinite(YMin) && std::isfinite(YMax);
  if (!finite || std::fabs(XMax - XMin) < 1e-6 || std::fabs(YMax - YMin) < 1e-6) return;
  Bitmap = &bitmap;
  Area = area;
  bitmap.SetPixelFormat32();
  const TPen saved = bitmap.Pen;
  switch (Kind) {
    case gkSquares:
    case gkCircles: DrawPoints(); break;
    case gkLineSquares:
    case gkLineCircles: DrawLineWithMarkers(); break;
    case gkLine: DrawPolyline(); break;
    case gkHorzBars: DrawHorzBars(); break;
    case gkVertBars: DrawVertBars(); break;
    default: break;
  }
  bitmap.Pen = saved;
}

std::vector<TVLGraph::TLabel> TVLGraph::Labels(const TGraphAxis& axis, double lo, double hi,
                                               const std::string& format) const {
  std::vector<TLabel> labels;
  if (axis.Count == 0) return labels;
  const int tries = (axis.Count < 0 || axis.Count > kMaxLabelTries) ? kMaxLabelTries : axis.Count;
  double v = axis.Start;
  for (int i = 0; i < tries; ++i) {
    if (v > hi) break;
    if (v >= lo) labels.push_back({v, Bitmap->FormatNumber(format, v)});
    v += axis.Step;
  }
  return labels;
}

TRect TVLGraph::DrawHeaders() {
  TCanvas& c = *Bitmap;
  TRect r{ClampInt(Area.Left, -kAreaLimit, kAreaLimit), ClampInt(Area.Top, -kAreaLimit, kAreaLimit),
          ClampInt(Area.Right, -kAreaLimit, kAreaLimit), ClampInt(Area.Bottom, -kAreaLimit, kAreaLimit)};
  if (BackColor != clNone) FillBox(&c, BackColor, BackColor, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  auto shiftOf = [&](const TVLGraphHeader& header, int w) {
    switch (header.Alignment) {
      case 1: return RoundHalfEven(r.Right - r.Left - w);
      case 2: return RoundHalfEven((r.Right - r.Left - w) / 2.0);
      default: return 0;
    }
  };
  if (!IsBlank(Title.Text)) {
    c.Font = Title.Font;
    const int w = c.TextWidth(Title.Text), h = c.TextHeight(Title.Text);
    c.TextOut(r.Left + shiftOf(Title, w), r.Top, Title.Text);
    r.Top += h + 10;
  }
  if (!IsBlank(Footer.Text)) {
    c.Font = Footer.Font;
    const int w = c.TextWidth(Footer.Text), h = c.TextHeight(Footer.Text);
    c.TextOut(r.Left + shiftOf(Footer, w), r.Bottom - h, Footer.Text);
    r.Bottom -= h + 10;
  }
  return r;
}

TRect TVLGraph::PlotArea(const TRect& headers, const std::vector<TLabel>& below, const std::vector<TLabel>& left) {
  TCanvas& c = *Bitmap;
  TRect r = headers;
  int height = 0, width = 0;
  for (const auto& l : below) height = std::max(height, c.TextHeight(l.Text));
  if (height > 0) r.Bottom -= height + 3;
  for (const auto& l : left) width = std::max(width, c.TextWidth(l.Text));
  if (width > 0) r.Left += width + 4;
  return r;
}

void TVLGraph::DrawAxisLines(const TRect& r) {
  ::DrawLine(Bitmap, AxisColor, r.Left, r.Bottom, r.Left, r.Top);
  ::DrawLine(Bitmap, AxisColor, r.Left, r.Bottom, r.Right, r.Bottom);
}

TRect TVLGraph::DrawAxesValueVertical() {
  TCanvas& c = *Bitmap;
  auto xLabels = Labels(XAxis, XMin, XMax, XFormat);
  auto yLabels = Labels(YAxis, YMin, YMax, YFormat);
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  const TRect headers = DrawHeaders();
  c.Font = AxisFont;
  const TRect r = FitLabels(headers, xLabels, XAxis, XMin, XMax, XFormat, &TVLGraph::BelowVertical, yLabels, YAxis,
                            YMin, YMax, YFormat, &TVLGraph::LeftVertical);
  for (const auto& l : xLabels) {
    const TSpan x = BelowVertical(r, l);
    c.TextOut(x.At, r.Bottom + 3, l.Text);
    ::DrawLine(&c, AxisColor, x.At + x.Extent / 2.0, r.Bottom, x.At + x.Extent / 2.0, r.Bottom + 3);
  }
  for (const auto& l : yLabels) {
    const int w = c.TextWidth(l.Text), h = c.TextHeight(l.Text);
    const int x = r.Left - 4 - w;
    const int y = LeftVertical(r, l).At;
    c.TextOut(x, y, l.Text);
    ::DrawLine(&c, AxisColor, r.Left - 2, y + h / 2.0, r.Left, y + h / 2.0);
  }
  DrawAxisLines(r);
  return r;
}

TRect TVLGraph::DrawAxesValueHorizontal() {
  TCanvas& c = *Bitmap;
  auto xLabels = Labels(XAxis, XMin, XMax, XFormat);
  auto yLabels = Labels(YAxis, YMin, YMax, YFormat);
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  const TRect headers = DrawHeaders();
  c.Font = AxisFont;
  const TRect r = FitLabels(headers, yLabels, YAxis, YMin, YMax, YFormat, &TVLGraph::BelowHorizontal, xLabels, XAxis,
                            XMin, XMax, XFormat, &TVLGraph::LeftHorizontal);
  for (const auto& l : yLabels) {
    const TSpan x = BelowHorizontal(r, l);
    c.TextOut(x.At, r.Bottom + 3, l.Text);
    ::DrawLine(&c, AxisColor, x.At + x.Extent / 2.0, r.Bottom + 1, x.At + x.Extent / 2.0, r.Bottom + 3);
  }
  for (const auto& l : xLabels) {
    const int w = c.TextWidth(l.Text), h = c.TextHeight(l.Text);
    const int x = r.Left - 4 - w;
    const int y = LeftHorizontal(r, l).At;
    c.TextOut(x, y, l.Text);
    ::DrawLine(&c, AxisColor, r.Left - 2, y + h / 2.0, r.Left, y + h / 2.0);
  }
  DrawAxisLines(r);
  return r;
}

TVLGraph::TDataBox TVLGraph::DataBox(const TRect& plot) const {
  TDataBox b;
  b.Left = plot.Left + 2;
  b.Top = plot.Top;
  b.Right = plot.Right;
  b.Bottom = plot.Bottom - 2;
  b.H = b.Bottom - b.Top;
  b.W = b.Right - b.Left;
  b.S = RoundHalfEven(b.W * BarWidth);
  return b;
}

int TVLGraph::ValueHeight(double y, int extent) const {
  return ClampInt(RoundHalfEven((y - YMin) / (YMax - YMin) * extent), 0, extent);
}

bool TVLGraph::InXRange(const TVLGraphValue& v) const {
  // A value without a number on the value axis has no place on the chart.
  return XMin <= v.X && v.X <= XMax && !std::isnan(v.Y);
}

void TVLGraph::DrawMarker(const TDataBox& box, int p, int h, bool round) {
  TCanvas& c = *Bitmap;
  const TColor fill = GradientColor(Colors, static_cast<int>(Colors.size()) - 1, double(h) / box.H);
  const TColor edge = OutlineColor != clNone ? OutlineColor : fill;
  const int left = box.Left + p;
  const int top = box.Bottom - h - RoundHalfEven(box.S / 2.0);
  if (round) {
    c.BrushColor = fill;
    c.Ellipse(left, top, left + box.S + 1, top + box.S + 1);
  } else {
    FillBox(&c, edge, fill, left, top, box.S + 1, box.S + 1);
  }
}

// A plot with no height or width gets no data: the marker colours would divide by zero.
void TVLGraph::DrawPoints() {
  const TDataBox box = DataBox(DrawAxesValueVertical());
  TCanvas& c = *Bitmap;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  if (box.H <= 0 || box.W <= 0) return;
  for (const auto& v : Values) {
    if (!(XMin <= v.X && v.X <= XMax && YMin <= v.Y && v.Y <= YMax)) continue;
    const int p = RoundHalfEven(XFraction(v.X) * (box.W - box.S));
    DrawMarker(box, p, ValueHeight(v.Y, box.H), Kind == gkCircles);
  }
}

void TVLGraph::DrawPolyline() {
  const TDataBox box = DataBox(DrawAxesValueVertical());
  TCanvas& c = *Bitmap;
  c.Pen = LinePen;
  if (box.H <= 0 || box.W <= 0) return;
  bool first = true;
  for (const auto& v : Values) {
    if (!InXRange(v)) continue;
    const int p = RoundHalfEven(XFraction(v.X) * box.W);
    const int x = box.Left + p, y = box.Bottom - ValueHeight(v.Y, box.H);
    if (first)
      c.MoveTo(x, y);
    else
      c.LineTo(x, y);
    first = false;
  }
}

void TVLGraph::DrawLineWithMarkers() {
  const TDataBox box = DataBox(DrawAxesValueVertical());
  TCanvas& c = *Bitmap;
  c.Pen = LinePen;
  if (box.H <= 0 || box.W <= 0) return;
  bool first = true;
  for (const auto& v : Values) {
    if (!InXRange(v)) continue;
    const int p = RoundHalfEven(XFraction(v.X) * (box.W - box.S) + box.S / 2.0);
    const int x = box.Left + p, y = box.Bottom - ValueHeight(v.Y, box.H);
    if (first)
      c.MoveTo(x, y);
    else
      c.LineTo(x, y);
    first = false;
  }
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  for (const auto& v : Values) {
    if (!InXRange(v)) continue;
    const int p = RoundHalfEven(XFraction(v.X) * (box.W - box.S));
    DrawMarker(box, p, ValueHeight(v.Y, box.H), Kind == gkLineCircles);
  }
}

// The gradient colour of a bar row (vertical bars) or column (horizontal bars) depends only on k, so
// one table per drawing serves every bar. Only the k that can reach the bitmap are in it, which keeps
// a huge area or bar width cheap. Pixels are the ones PutPixel would store, written a row at a time.
std::vector<std::uint32_t> TVLGraph::GradientTable(int first, int last, int extent) const {
  std::vector<std::uint32_t> table;
  const int high = static_cast<int>(Colors.size()) - 1;
  for (int k = first; k <= last; ++k)
    table.push_back(ColorToPixel(GradientColor(Colors, high, double(k) / extent)) | Bitmap->PixelAlpha());
  return table;
}

void TVLGraph::DrawVertBars() {
  const TDataBox box = DataBox(DrawAxesValueVertical());
  TCanvas& c = *Bitmap;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  if (box.H <= 0 || box.W <= 0) return;
  // Rows B' - k inside the bitmap, for k in 1 .. H - 1.
  const int kMin = std::max(1, box.Bottom - (c.Height() - 1)), kMax = std::min(box.H - 1, box.Bottom);
  const std::vector<std::uint32_t> table = GradientTable(kMin, kMax, box.H);
  for (const auto& v : Values) {
    if (!InXRange(v)) continue;
    const int len = ValueHeight(v.Y, box.H);
    const int x0 = box.Left + RoundHalfEven(XFraction(v.X) * (box.W - box.S));
    const int jFirst = std::max(0, -x0), jLast = std::min(box.S - 1, c.Width() - 1 - x0);
    const TCanvas::TSurface surface = c.Surface();
    for (int k = kMin; k <= std::min(kMax, len - 1) && jFirst <= jLast && surface.Bits; ++k) {
      std::uint32_t* row = surface.Row(box.Bottom - k);
      std::fill(row + x0 + jFirst, row + x0 + jLast + 1, table[k - kMin]);
    }
    if (OutlineColor != clNone && len > 0)
      DrawRectOutline(&c, OutlineColor, x0, box.Bottom - len, x0 + box.S, box.Bottom);
  }
}

void TVLGraph::DrawHorzBars() {
  const TDataBox box = DataBox(DrawAxesValueHorizontal());
  TCanvas& c = *Bitmap;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  if (box.H <= 0 || box.W <= 0) return;
  // Columns L' + k inside the bitmap, for k in 1 .. W - 1.
  const int kMin = std::max(1, -box.Left), kMax = std::min(box.W - 1, c.Width() - 1 - box.Left);
  const std::vector<std::uint32_t> table = GradientTable(kMin, kMax, box.W);
  for (const auto& v : Values) {
    if (!InXRange(v)) continue;
    const int len = ValueHeight(v.Y, box.W);
    const int y0 = box.Bottom - RoundHalfEven(XFraction(v.X) * (box.H - box.S));
    const int jFirst = std::max(0, y0 - (c.Height() - 1)), jLast = std::min(box.S - 1, y0);
    const int kLast = std::min(kMax, len - 1);
    const TCanvas::TSurface surface = c.Surface();
    for (int j = jFirst; j <= jLast && kMin <= kLast && surface.Bits; ++j)
      std::copy(table.begin(), table.begin() + (kLast - kMin + 1), surface.Row(y0 - j) + box.Left + kMin);
    if (OutlineColor != clNone && len > 0)
      DrawRectOutline(&c, OutlineColor, box.Left, y0, box.Left + len, y0 - box.S);
  }
}

void SetUpJournalCharts(TVLGraph& perDay, TVLGraph& quality, const std::string& fontName) {
  const auto font = [&fontName](int size, TColor colour, bool bold) {
    TFont f;
    f.Name = fontName;
    f.Size = size;
    f.Color = colour;
    f.Bold = bold;
    f.Charset = RUSSIAN_CHARSET;
    return f;
  };
  for (TVLGraph* g : {&perDay, &quality}) {
    g->AxisFont = font(6, clBlack, true);
    g->Title.Font = font(8, clNavy, true);
    g->Title.Alignment = 0;
    g->Footer.Font = font(7, clNavy, false);
    g->Footer.Alignment = 1;
    g->OutlineColor = clNavy;
    g->AxisColor = clBlack;
    g->BackColor = clNone;
  }
  perDay.Kind = gkLineCircles;
  perDay.SetColors({clMaroon, clRed, clYellow, clWhite});
  quality.Kind = gkHorzBars;
  quality.SetColors({clPurple, clNavy, clBlue, clAqua, clWhite});
}
