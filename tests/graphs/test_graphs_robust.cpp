// What the painter does at the edges: degenerate ranges, values outside the ranges, tiny plots, and
// settings no caller should make but may (no Qt).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "memory_canvas.h"
#include "vlm_GraphPainter.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kIntMax = std::numeric_limits<int>::max(), kIntMin = std::numeric_limits<int>::min();

TVLGraph Chart(TGraphKind kind) {
  TVLGraph g;
  g.Kind = kind;
  g.XMin = 0, g.XMax = 10, g.YMin = 0, g.YMax = 10, g.BarWidth = 0.1;
  g.SetColors({clNavy, clYellow});
  g.OutlineColor = clRed;
  g.LinePen = {psSolid, 1, clBlack};
  g.Title.Text = "Title";
  g.Footer.Text = "Footer";
  return g;
}

std::vector<std::uint32_t> Render(TVLGraph g, std::vector<std::pair<double, double>> values, TRect area = {0, 0, 120, 90}) {
  TMemoryCanvas c(120, 90);
  for (auto [x, y] : values) g.AddValue("", x, y);
  g.Draw(c, area);
  EXPECT_TRUE(c.GuardsIntact());
  return c.Pixels();
}

}  // namespace

TEST(GraphsEdges, DegenerateRangeDrawsNothingAtAll) {
  TMemoryCanvas first(50, 40);
  TVLGraph g = Chart(gkVertBars);
  g.BackColor = clWhite;
  g.AddValue("", 5, 5);
  const auto blank = TMemoryCanvas(50, 40).Pixels();
  const std::function<void(TVLGraph&)> breakers[] = {
      [](TVLGraph& v) { v.XMax = v.XMin + 5e-7; },
      [](TVLGraph& v) { v.YMin = v.YMax; },
      [](TVLGraph& v) { v.XMin = v.XMax = 3; },
      [](TVLGraph& v) { v.YMax = std::nan(""); },
      [](TVLGraph& v) { v.XMin = -kInf; },
  };
  g.Draw(first, {0, 0, 50, 40});  // a good drawing first: Bitmap and Area must survive the bad ones
  for (const auto& breakIt : breakers) {
    TVLGraph bad = g;
    breakIt(bad);
    TMemoryCanvas c(50, 40);
    bad.Draw(c, {1, 1, 30, 30});
    EXPECT_EQ(c.Pixels(), blank);
    EXPECT_TRUE(c.Texts.empty());
    EXPECT_EQ(bad.Bitmap, &first);
    EXPECT_EQ(bad.Area, (TRect{0, 0, 50, 40}));
  }
  // Just above the limit the chart is drawn.
  TVLGraph narrow = g;
  narrow.XMax = narrow.XMin + 2e-6;
  TMemoryCanvas c(50, 40);
  narrow.Draw(c, {0, 0, 50, 40});
  EXPECT_NE(c.Pixels(), blank);
}

TEST(GraphsEdges, PointsOmitValuesAboveTheRangeOtherKindsClampThem) {
  for (int k = 0; k <= 6; ++k) {
    const TGraphKind kind = static_cast<TGraphKind>(k);
    const auto none = Render(Chart(kind), {});
    const auto above = Render(Chart(kind), {{3, 20}, {7, 25}});
    const auto top = Render(Chart(kind), {{3, 10}, {7, 10}});
    EXPECT_NE(top, none) << k;
    if (kind == gkSquares || kind == gkCircles) {
      EXPECT_EQ(above, none) << k;
    } else {
      EXPECT_EQ(above, top) << k;
    }
    // Below the range: clamped to the bottom; a zero-length bar draws nothing.
    if (kind != gkSquares && kind != gkCircles) {
      EXPECT_EQ(Render(Chart(kind), {{3, -4}, {7, -1e300}}), Render(Chart(kind), {{3, 0}, {7, 0}})) << k;
    }
  }
}

TEST(GraphsEdges, ValuesOutsideTheCategoryRangeAreNeverDrawn) {
  for (int k = 0; k <= 6; ++k) {
    const TGraphKind kind = static_cast<TGraphKind>(k);
    EXPECT_EQ(Render(Chart(kind), {{-1, 5}, {2, 4}, {11, 5}, {6, 7}, {kInf, 1}, {std::nan(""), 2}}),
              Render(Chart(kind), {{2, 4}, {6, 7}}))
        << k;
  }
}

TEST(GraphsEdges, LineIgnoresBarWidthMarkersDoNot) {
  TVLGraph wide = Chart(gkLine), thin = Chart(gkLine);
  wide.BarWidth = 0.3;
  thin.BarWidth = 0.01;
  const std::vector<std::pair<double, double>> v{{0, 1}, {4, 9}, {10, 3}};
  EXPECT_EQ(Render(wide, v), Render(thin, v));
  wide.Kind = thin.Kind = gkLineSquares;
  EXPECT_NE(Render(wide, v), Render(thin, v));
}

TEST(GraphsEdges, PolylineStartsAtTheFirstValueDrawn) {
  TVLGraph g = Chart(gkLine);
  g.Title.Text = g.Footer.Text = "";
  g.XAxis.Count = g.YAxis.Count = 0;
  EXPECT_EQ(Render(g, {{-5, 5}, {2, 2}, {8, 8}}), Render(g, {{2, 2}, {8, 8}}));
  TMemoryCanvas c(120, 90);
  g.AddValue("", -5, 5);
  g.AddValue("", 2, 2);
  g.AddValue("", 8, 8);
  g.Draw(c, {0, 0, 120, 90});
  // Data box L'=2, B'=88, W=118, H=88: first point (2 + round(23.6), 88 - round(17.6)) = (26, 70).
  EXPECT_EQ(c.At(26, 70), 0u);
  EXPECT_EQ(c.PenX(), 2 + 94);  // the pen ends on the last point: round(0.8 * 118) = 94
}

TEST(GraphsEdges, ZeroHeightPlotDrawsNoData) {
  TVLGraph g = Chart(gkSquares);
  g.Title.Text = g.Footer.Text = "";
  g.XAxis.Count = g.YAxis.Count = 0;
  for (int k = 0; k <= 6; ++k) {
    g.Kind = static_cast<TGraphKind>(k);
    const TRect flat{0, 10, 100, 12};  // B' = T: H = 0
    EXPECT_EQ(Render(g, {{5, 5}, {5, 0}}, flat), Render(g, {}, flat)) << k;
  }
}

TEST(GraphsEdges, UnknownKindDrawsNothingAndEveryDrawingRestoresThePen) {
  for (int k = 0; k <= 9; ++k) {
    TMemoryCanvas c(120, 90);
    const TPen before{psDot, 3, clLime};
    c.Pen = before;
    TVLGraph g = Chart(static_cast<TGraphKind>(k));
    g.BackColor = clWhite;
    g.AddValue("", 5, 5);
    g.Draw(c, {0, 0, 120, 90});
    EXPECT_EQ(c.Pen, before) << k;
    if (k > 6) {
      EXPECT_EQ(c.Pixels(), TMemoryCanvas(120, 90).Pixels());
      EXPECT_TRUE(c.Texts.empty());
    } else {
      EXPECT_EQ(c.At(119, 0), ColorToPixel(clWhite));  // the background came first
    }
  }
}

TEST(GraphsEdges, HostileSettingsNeitherCrashNorWriteOutside) {
  const std::function<void(TVLGraph&)> settings[] = {
      [](TVLGraph&) {},
      [](TVLGraph& g) { g.Values = {{"", std::nan(""), 1}, {"", 1, std::nan("")}, {"", 2, kInf}, {"", 3, -kInf}, {"", 4, 1e308}}; },
      [](TVLGraph& g) { g.XAxis = {0, 0, kIntMax}; g.YAxis = {std::nan(""), 1, kIntMin}; },
      [](TVLGraph& g) { g.XAxis = {-1e300, 1e299, -1}; g.YAxis = {0, kInf, 5}; },
      [](TVLGraph& g) { g.BarWidth = 1e9; },
      [](TVLGraph& g) { g.BarWidth = -5; },
      [](TVLGraph& g) { g.BarWidth = std::nan(""); },
      [](TVLGraph& g) { g.Area = {kIntMin, kIntMin, kIntMax, kIntMax}; },
      [](TVLGraph& g) { g.Area = {kIntMax, kIntMax, kIntMin, kIntMin}; },
      [](TVLGraph& g) { g.Area = {-100000, -50000, 300000, 200000}; },
      [](TVLGraph& g) { g.Area = {7, 7, 7, 7}; },
      [](TVLGraph& g) { g.XMax = g.XMin + 1.0000001e-6; g.YMax = g.YMin + 1.0000001e-6; },
      [](TVLGraph& g) { g.YMin = -1e308; g.YMax = 1e308; g.XMin = -1e308; g.XMax = 1e308; },
      [](TVLGraph& g) { g.Colors.clear(); },
      [](TVLGraph& g) { g.LinePen = {psDot, 1000000, clRed}; },
      [](TVLGraph& g) { g.LinePen = {psSolid, -3, clNone}; g.AxisColor = clNone; g.OutlineColor = clBtnFace; },
      [](TVLGraph& g) { g.Title.Text = std::string(5000, 'W'); g.Title.Alignment = 1; g.AxisFont.Size = kIntMax; },
  };
  for (int k = 0; k <= 7; ++k)
    for (std::size_t s = 0; s < std::size(settings); ++s) {
      TVLGraph g = Chart(static_cast<TGraphKind>(k));
      for (int i = 0; i <= 10; ++i) g.AddValue("", i, i * 1.3 - 2);
      g.Area = {5, 5, 60, 40};
      settings[s](g);
      TMemoryCanvas c(64, 48);
      const TPen before = c.Pen;
      g.Draw(c, g.Area);
      EXPECT_TRUE(c.GuardsIntact()) << "kind " << k << " setting " << s;
      EXPECT_EQ(c.Pen, before) << "kind " << k << " setting " << s;
    }
}
