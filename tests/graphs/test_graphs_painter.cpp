// Pixel-exact drawings of the painter on the in-memory canvas (no Qt). Expected pixels are worked
// out by hand from the chart geometry; only the gradient channels are computed here, with
// std::nearbyint (halves to even in the default rounding mode).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "memory_canvas.h"
#include "vlm_GraphPainter.h"

namespace {

constexpr std::uint32_t kBg = 0x00ABCDEF;

std::uint32_t Px(TColor c) { return ColorToPixel(c); }

// Pixel of the two-stop gradient lo..hi at fraction f.
std::uint32_t TwoStop(TColor lo, TColor hi, double f) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = (lo >> shift) & 0xFF, b = (hi >> shift) & 0xFF;
    out |= static_cast<std::uint32_t>(std::nearbyint(f * (b - a) + a)) << shift;
  }
  return Px(out);
}

struct TExpected {
  int W, H;
  std::vector<std::uint32_t> P;
  TExpected(int w, int h) : W(w), H(h), P(static_cast<std::size_t>(w) * h, kBg) {}
  void Set(int x, int y, std::uint32_t v) {
    if (x >= 0 && y >= 0 && x < W && y < H) P[static_cast<std::size_t>(y) * W + x] = v;
  }
  void Frame(int x1, int y1, int x2, int y2, std::uint32_t v) {  // all four edges, corners included
    for (int x = x1; x <= x2; ++x) Set(x, y1, v), Set(x, y2, v);
    for (int y = y1; y <= y2; ++y) Set(x1, y, v), Set(x2, y, v);
  }
};

void ExpectSame(TMemoryCanvas& c, const TExpected& e) {
  int bad = 0;
  for (int y = 0; y < e.H; ++y)
    for (int x = 0; x < e.W; ++x)
      if (c.At(x, y) != e.P[static_cast<std::size_t>(y) * e.W + x] && ++bad <= 10)
        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << " is " << c.At(x, y) << " want "
                      << e.P[static_cast<std::size_t>(y) * e.W + x];
  EXPECT_EQ(bad, 0);
}

TVLGraph Bare(TGraphKind kind) {
  TVLGraph g;
  g.Kind = kind;
  g.XAxis.Count = 0;
  g.YAxis.Count = 0;
  g.AxisColor = clGreen;
  return g;
}

}  // namespace

TEST(GraphsPainter, CreateSetsTheDefaults) {
  TVLGraph g;
  EXPECT_EQ(g.XMin, 1.0);
  EXPECT_EQ(g.XMax, 10.0);
  EXPECT_EQ(g.YMin, 0.0);
  EXPECT_EQ(g.YMax, 10.0);
  EXPECT_EQ(g.BarWidth, 0.05);
  EXPECT_EQ(g.Kind, gkHorzBars);
  EXPECT_EQ(g.Colors, TColorArray{clRed});
  EXPECT_EQ(g.OutlineColor, clNone);
  EXPECT_EQ(g.BackColor, clNone);
  EXPECT_EQ(g.LinePen, (TPen{psDot, 1, clBlack}));
  EXPECT_EQ(g.XAxis.Start, 1.0);
  EXPECT_EQ(g.YAxis.Start, 0.0);
  EXPECT_EQ(g.XAxis.Count, -1);
  EXPECT_EQ(g.XFormat, "%.0n");
  EXPECT_EQ(g.Title.Alignment, 2);
  EXPECT_EQ(g.Footer.Alignment, 2);
  EXPECT_EQ(g.Bitmap, nullptr);
  g.AddValue("a", 1, 2);
  g.AddValue("b", 3, 4);
  ASSERT_EQ(g.Values.size(), 2u);
  EXPECT_EQ(g.Values[1].Name, "b");
  EXPECT_EQ(g.Values[1].Y, 4.0);
  g.ClearValues();
  EXPECT_TRUE(g.Values.empty());
}

TEST(GraphsPainter, VerticalBarsArePixelExact) {
  TMemoryCanvas c(100, 80);
  TVLGraph g = Bare(gkVertBars);
  g.XMin = 0, g.XMax = 4, g.YMin = 0, g.YMax = 10, g.BarWidth = 0.1;
  const TColor lo = RGBColor(0, 0, 0), hi = RGBColor(200, 100, 50);
  g.SetColors({lo, hi});
  g.OutlineColor = clNavy;
  for (auto [x, y] : {std::pair{0.0, 10.0}, {2.0, 5.0}, {4.0, 2.5}, {5.0, 3.0}, {-1.0, 3.0}}) g.AddValue("", x, y);
  g.Draw(c, {10, 5, 90, 75});

  // Axes: (10,75)->(10,5) and (10,75)->(90,75), end pixels left out. Data box L'=12, B'=73, T=5:
  // H=68, W=78, S=round(7.8)=8. Bars (x0 = 12 + round(X/4 * 70), len = round(Y/10 * 68)):
  // (12, 68), (47, 34), (82, 17); X=5 and X=-1 are outside the category range.
  TExpected e(100, 80);
  for (int y = 6; y <= 75; ++y) e.Set(10, y, Px(clGreen));
  for (int x = 10; x <= 89; ++x) e.Set(x, 75, Px(clGreen));
  for (auto [x0, len] : {std::pair{12, 68}, {47, 34}, {82, 17}}) {
    for (int k = 1; k < len; ++k)
      for (int j = 0; j < 8; ++j) e.Set(x0 + j, 73 - k, TwoStop(lo, hi, k / 68.0));
    e.Frame(x0, 73 - len, x0 + 8, 73, Px(clNavy));
  }
  ExpectSame(c, e);
  EXPECT_TRUE(c.Texts.empty());
  EXPECT_EQ(g.Bitmap, &c);
  EXPECT_EQ(g.Area, (TRect{10, 5, 90, 75}));
}

TEST(GraphsPainter, HorizontalBarsArePixelExact) {
  TMemoryCanvas c(60, 50);
  TVLGraph g = Bare(gkHorzBars);
  g.XMin = 1, g.XMax = 3, g.YMin = 0, g.YMax = 4, g.BarWidth = 0.1;
  const TColor lo = RGBColor(10, 20, 30), hi = RGBColor(250, 120, 0);
  g.SetColors({lo, hi});
  g.OutlineColor = clRed;
  g.AddValue("", 1, 4);
  g.AddValue("", 3, 2);
  g.AddValue("", 2, 1);
  g.Draw(c, {0, 0, 60, 48});

  // Data box L'=2, B'=46, T=0: H=46, W=58, S=round(5.8)=6. Bars (y0 = 46 - round((X-1)/2 * 40),
  // len = round(Y/4 * 58)): (46, 58), (6, 29), (26, 14: 14.5 rounds to even).
  TExpected e(60, 50);
  for (int y = 1; y <= 48; ++y) e.Set(0, y, Px(clGreen));
  for (int x = 0; x <= 59; ++x) e.Set(x, 48, Px(clGreen));
  for (auto [y0, len] : {std::pair{46, 58}, {6, 29}, {26, 14}}) {
    for (int k = 1; k < len; ++k)
      for (int j = 0; j < 6; ++j) e.Set(2 + k, y0 - j, TwoStop(lo, hi, k / 58.0));
    e.Frame(2, y0 - 6, 2 + len, y0, Px(clRed));
  }
  ExpectSame(c, e);
}

TEST(GraphsPainter, SquareAndRoundMarkersSitOnTheirBox) {
  // Data box L'=2, B'=78, T=0: H=78, W=98, S=10. Value (5,5): p=round(0.5*88)=44, h=39,
  // box left 46, top 78-39-5=34, 11 x 11; fill = red..white at 0.5.
  const std::uint32_t fill = Px(RGBColor(255, 128, 128));
  for (TGraphKind kind : {gkSquares, gkCircles, gkLineCircles}) {
    TMemoryCanvas c(100, 80);
    TVLGraph g = Bare(kind);
    g.XMin = 0, g.XMax = 10, g.YMin = 0, g.YMax = 10, g.BarWidth = 0.1;
    g.SetColors({clRed, clWhite});
    g.OutlineColor = clNavy;
    g.LinePen.Color = clLime;
    g.AddValue("", 5, 5);
    g.Draw(c, {0, 0, 100, 80});
    for (int y = 20; y < 60; ++y)
      for (int x = 20; x < 90; ++x)
        if (x < 46 || x > 56 || y < 34 || y > 44) {
          EXPECT_EQ(c.At(x, y), kBg) << kind << ": " << x << "," << y;
        }
    EXPECT_EQ(c.At(51, 39), fill) << kind;
    if (kind == gkSquares) {
      for (int i = 46; i <= 56; ++i) {
        EXPECT_EQ(c.At(i, 34), Px(clNavy));
        EXPECT_EQ(c.At(i, 44), Px(clNavy));
        EXPECT_EQ(c.At(46, i - 12), Px(clNavy));
        EXPECT_EQ(c.At(56, i - 12), Px(clNavy));
      }
      EXPECT_EQ(c.At(47, 35), fill);
    } else {
      EXPECT_EQ(c.At(46, 34), kBg);  // the corner lies outside the circle
      // Round markers are outlined with the pen: the axes' colour for points, LinePen's for lines.
      EXPECT_EQ(c.At(46, 39), Px(kind == gkCircles ? clGreen : clLime)) << kind;
    }
  }
}

TEST(GraphsPainter, LabelSeriesSkipValuesBelowTheRange) {
  TMemoryCanvas c(100, 80);
  TVLGraph g = Bare(gkVertBars);
  g.YAxis = {-2.0, 1.0, -1};
  g.YMin = 0, g.YMax = 3;
  g.Draw(c, {0, 0, 100, 80});
  ASSERT_EQ(c.Texts.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.Texts[i].Text, std::to_string(i));
  // Value labels: width 6 so L = 10; label 1: y = 80 - round(80/3 + 6.5) = 47, tick at row 53.5 -> 54.
  EXPECT_EQ(c.Texts[1].X, 0);
  EXPECT_EQ(c.Texts[1].Y, 47);
  EXPECT_EQ(c.At(8, 54), Px(clGreen));
  EXPECT_EQ(c.At(9, 54), Px(clGreen));
  EXPECT_EQ(c.At(10, 40), Px(clGreen));  // the axis moved right by the label width + 4

  // Three tries from -2: -2 and -1 use up two of them.
  c.Texts.clear();
  g.YAxis.Count = 3;
  g.Draw(c, {0, 0, 100, 80});
  ASSERT_EQ(c.Texts.size(), 1u);
  EXPECT_EQ(c.Texts[0].Text, "0");

  // Huge counts are capped at 1000 tries; labels that would stand on one another are thinned
  // (1000 labels "1" in one place are one label).
  c.Texts.clear();
  g.YAxis = {1.0, 0.0, 2147483647};
  g.Draw(c, {0, 0, 100, 80});
  EXPECT_EQ(c.Texts.size(), 1u);
  c.Texts.clear();
  g.YAxis = {0.0, 1e-9, -5};
  g.Draw(c, {0, 0, 100, 80});
  EXPECT_GE(c.Texts.size(), 2u);
  for (std::size_t i = 1; i < c.Texts.size(); ++i) EXPECT_GE(c.Texts[i - 1].Y - c.Texts[i].Y, 13) << i;
}

// The nights of a 50-year journal: a label for each of the first 999 would be one blob. The labels
// are thinned to round numbers that fit, across the whole axis.
TEST(GraphsPainter, LabelsThatWouldOverlapAreThinnedToWhatFits) {
  TMemoryCanvas c(400, 100);
  TVLGraph g = Bare(gkLineCircles);
  g.XAxis = {0.0, 1.0, -1};
  g.XMin = 1, g.XMax = 18263, g.YMin = 0, g.YMax = 3;
  g.Draw(c, {0, 0, 400, 100});
  std::vector<TMemoryCanvas::TText> below;
  for (const auto& t : c.Texts)
    if (t.Y > 60) below.push_back(t);
  ASSERT_GE(below.size(), 3u);
  for (std::size_t i = 1; i < below.size(); ++i)
    EXPECT_GE(below[i].X, below[i - 1].X + TMemoryCanvas::kCharWidth * static_cast<int>(below[i - 1].Text.size()))
        << below[i - 1].Text << " and " << below[i].Text << " overlap";
  auto number = [](std::string text) {  // without the thousands separator
    text.erase(std::remove_if(text.begin(), text.end(), [](char ch) { return ch < '0' || ch > '9'; }), text.end());
    return std::stoi(text);
  };
  EXPECT_GT(number(below.back().Text), 15000) << "the labels end early";
  EXPECT_EQ(number(below[1].Text) % 1000, 0) << "round numbers";
}

TEST(GraphsPainter, CategoryLabelsAndTicks) {
  TMemoryCanvas c(100, 80);
  TVLGraph g = Bare(gkVertBars);
  g.XAxis = {0.0, 2.0, -1};
  g.XMin = 1, g.XMax = 6, g.BarWidth = 0.1;
  g.Draw(c, {0, 0, 100, 80});
  // Label height 13: B = 64; plotW 100, gap 10; label v: x = round((v-1)/5 * 90 + 5 - 3).
  ASSERT_EQ(c.Texts.size(), 3u);
  const int xs[] = {20, 56, 92};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.Texts[i].Text, std::to_string(2 * (i + 1)));
    EXPECT_EQ(c.Texts[i].X, xs[i]);
    EXPECT_EQ(c.Texts[i].Y, 67);
  }
  for (int y = 64; y <= 66; ++y) EXPECT_EQ(c.At(23, y), Px(clGreen));
  EXPECT_EQ(c.At(23, 63), kBg);
  EXPECT_EQ(c.Texts[0].Font, g.AxisFont);
}

TEST(GraphsPainter, HeadersTakeTheirHeightPlusTen) {
  // A title of blanks takes no space; the footer (size 7: height 12) sits at the bottom.
  TMemoryCanvas c(100, 80);
  TVLGraph g = Bare(gkVertBars);
  g.Title.Text = "  \t\r ";
  g.Footer.Text = "Foot";
  g.Footer.Font.Size = 7;
  g.Draw(c, {0, 0, 100, 80});
  ASSERT_EQ(c.Texts.size(), 1u);
  EXPECT_EQ(c.Texts[0].X, 38);  // round((100 - 24) / 2)
  EXPECT_EQ(c.Texts[0].Y, 68);
  EXPECT_EQ(c.At(0, 1), Px(clGreen));  // axis from (0, 58) up to the area's top
  EXPECT_EQ(c.At(0, 0), kBg);
  EXPECT_EQ(c.At(0, 58), Px(clGreen));
  EXPECT_EQ(c.At(0, 59), kBg);

  // A real title pushes the plot down by its height (13) + 10.
  TMemoryCanvas d(100, 80);
  g.Title.Text = "Title";
  g.Draw(d, {0, 0, 100, 80});
  EXPECT_EQ(d.At(0, 24), Px(clGreen));
  EXPECT_EQ(d.At(0, 23), kBg);
}

TEST(GraphsPainter, HeaderAlignment) {
  const std::pair<std::uint8_t, int> cases[] = {{0, 5}, {1, 5 + 65}, {2, 5 + 32}, {7, 5}};  // 65 / 2 = 32.5 -> 32
  for (auto [alignment, x] : cases) {
    TMemoryCanvas c(100, 60);
    TVLGraph g = Bare(gkVertBars);
    g.Title.Text = "abc";
    g.Title.Alignment = alignment;
    g.Title.Font.Bold = true;
    g.Draw(c, {5, 2, 88, 60});
    ASSERT_EQ(c.Texts.size(), 1u);
    EXPECT_EQ(c.Texts[0].X, x) << int(alignment);
    EXPECT_EQ(c.Texts[0].Y, 2);
    EXPECT_TRUE(c.Texts[0].Font.Bold);
  }
}
