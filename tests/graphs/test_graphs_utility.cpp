// Colour arithmetic and the pixel-exact drawing rules of the canvas (no Qt).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "memory_canvas.h"
#include "tarvek_Utility.h"

namespace {

constexpr std::uint32_t kBg = 0x00ABCDEF;
constexpr TColor kMaroon = RGBColor(128, 0, 0), kRed = RGBColor(255, 0, 0), kYellow = RGBColor(255, 255, 0),
                 kWhite = RGBColor(255, 255, 255);

int CountWritten(TMemoryCanvas& c) {
  int n = 0;
  for (auto p : c.Pixels()) n += p != kBg;
  return n;
}

}  // namespace

TEST(GraphsRounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(-2.6), -3);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(1e300), 1 << 28);
  EXPECT_EQ(RoundHalfEven(-std::numeric_limits<double>::infinity()), -(1 << 28));
}

TEST(GraphsColours, ColorToPixelExchangesRedAndBlue) {
  EXPECT_EQ(ColorToPixel(0x00112233u), 0x00332211u);
  EXPECT_EQ(ColorToPixel(0xAB112233u), 0xAB332211u);
  EXPECT_EQ(ColorToPixel(kRed), 0x00FF0000u);
}

TEST(GraphsColours, BlendColorsNormalisesTheFraction) {
  const TColor a = RGBColor(0, 0, 0), b = RGBColor(255, 100, 10);
  EXPECT_EQ(BlendColors(a, b, 0.0), a);
  EXPECT_EQ(BlendColors(a, b, 1.0), b);  // exactly 1 stays 1
  // 127.5 -> 128 (even), 50, 5.
  EXPECT_EQ(BlendColors(a, b, 0.5), RGBColor(128, 50, 5));
  EXPECT_EQ(BlendColors(a, b, 1.5), RGBColor(128, 50, 5));
  // 63.75 -> 64, 25, 2.5 -> 2 (even).
  EXPECT_EQ(BlendColors(a, b, -0.25), RGBColor(64, 25, 2));
  EXPECT_EQ(BlendColors(a, b, 2.25), RGBColor(64, 25, 2));
  // Downwards blends and channels kept apart.
  EXPECT_EQ(BlendColors(RGBColor(200, 10, 255), RGBColor(100, 20, 0), 0.5), RGBColor(150, 15, 128));
  EXPECT_EQ(BlendColors(a, b, std::nan("")) & 0xFF000000u, 0u);
}

TEST(GraphsColours, GradientColorAtStopsAndBetween) {
  const TColorArray stops{kMaroon, kRed, kYellow, kWhite};
  EXPECT_EQ(GradientColor(stops, 3, 0.0), kMaroon);
  EXPECT_EQ(GradientColor(stops, 3, 1.0 / 3.0), kRed);
  EXPECT_EQ(GradientColor(stops, 3, 2.0 / 3.0), kYellow);
  EXPECT_EQ(GradientColor(stops, 3, 0.5), RGBColor(255, 128, 0));  // halfway red-yellow, 127.5 -> 128
  EXPECT_EQ(GradientColor(stops, 3, 1.0), kWhite);
  EXPECT_EQ(GradientColor(stops, 3, 7.0), kWhite);
  EXPECT_EQ(GradientColor(stops, 3, -0.01), 0u);
  EXPECT_EQ(GradientColor(stops, 3, std::nan("")), 0u);
  EXPECT_EQ(GradientColor({}, -1, 0.5), 0u);
  EXPECT_EQ(GradientColor({}, 5, 0.5), 0u);  // a wrong high never reads past the array
  EXPECT_EQ(GradientColor(stops, 10, 1.0), kWhite);
  for (double x : {0.0, 0.3, 0.77, 1.0}) EXPECT_EQ(GradientColor({kYellow}, 0, x), kYellow);
}

TEST(GraphsPixels, PutPixelKeepsToTheBitmap) {
  TMemoryCanvas c(10, 6);
  EXPECT_TRUE(PutPixel(&c, 9, 5, 0x123456));
  EXPECT_EQ(c.At(9, 5), 0x123456u);
  EXPECT_FALSE(PutPixel(&c, 10, 0, 1));
  EXPECT_FALSE(PutPixel(&c, 0, 6, 1));
  EXPECT_FALSE(PutPixel(&c, -1, 0, 1));
  EXPECT_FALSE(PutPixel(nullptr, 0, 0, 1));
  EXPECT_TRUE(c.GuardsIntact());
  EXPECT_EQ(CountWritten(c), 1);
}

TEST(GraphsPixels, CanvasOfFindsTheCanvas) {
  struct TPicture : TDrawable {
    TMemoryCanvas Canvas{4, 4};
    TCanvas* GetCanvas() override { return &Canvas; }
  } picture;
  TMemoryCanvas c(2, 2);
  EXPECT_EQ(CanvasOf(&c), &c);
  EXPECT_EQ(CanvasOf(&picture), &picture.Canvas);
  EXPECT_EQ(CanvasOf(nullptr), nullptr);
  EXPECT_FALSE(DrawLine(nullptr, kRed, 0, 0, 1, 1));
  EXPECT_FALSE(DrawRectOutline(nullptr, kRed, 0, 0, 1, 1));
  EXPECT_TRUE(DrawLine(&picture, kRed, 0, 0, 3, 0));
  EXPECT_EQ(picture.Canvas.At(0, 0), ColorToPixel(kRed));
}

TEST(GraphsLines, EndPixelIsNotDrawnAndEndsAreRounded) {
  TMemoryCanvas c(20, 10);
  // 2.5 -> 2 and 8.5 -> 8: columns 2..7.
  EXPECT_TRUE(DrawLine(&c, kRed, 2.5, 5.0, 8.5, 5.0));
  for (int x = 0; x < 20; ++x) EXPECT_EQ(c.At(x, 5) == ColorToPixel(kRed), x >= 2 && x < 8) << x;
  EXPECT_EQ(c.Pen.Color, kRed);
  EXPECT_EQ(c.PenX(), 8);
  // A diagonal covers (i, i) for i < 5.
  TMemoryCanvas d(10, 10);
  DrawLine(&d, kRed, 0, 0, 5, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.At(i, i), ColorToPixel(kRed));
  EXPECT_EQ(CountWritten(d), 5);
  // A zero-length line draws nothing.
  TMemoryCanvas e(4, 4);
  DrawLine(&e, kRed, 1, 1, 1, 1);
  EXPECT_EQ(CountWritten(e), 0);
}

TEST(GraphsLines, SteepLineIsConnectedOnePixelPerRow) {
  TMemoryCanvas c(10, 12);
  DrawLine(&c, kRed, 1, 1, 4, 10);
  EXPECT_EQ(CountWritten(c), 9);
  int lastX = 1;
  for (int y = 1; y < 10; ++y) {
    int found = -1, n = 0;
    for (int x = 0; x < 10; ++x)
      if (c.At(x, y) != kBg) found = x, ++n;
    ASSERT_EQ(n, 1) << y;
    EXPECT_LE(std::abs(found - lastX), 1);
    EXPECT_GE(found, 1);
    EXPECT_LE(found, 4);
    lastX = found;
  }
  EXPECT_EQ(c.At(1, 1), ColorToPixel(kRed));
  EXPECT_EQ(c.At(4, 10), kBg);
}

TEST(GraphsLines, ClippedLineMatchesTheSameLineOnALargerBitmap) {
  // Far-off end points: the visible part is the same pixels as on a bitmap that holds the whole line.
  const int off = 100;
  const double x1 = -50, y1 = -20, x2 = 60, y2 = 35;
  TMemoryCanvas small(20, 20), big(220, 220);
  DrawLine(&small, kRed, x1, y1, x2, y2);
  DrawLine(&big, kRed, x1 + off, y1 + off, x2 + off, y2 + off);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(small.At(x, y), big.At(x + off, y + off)) << x << "," << y;
  EXPECT_GT(CountWritten(small), 0);
  // A line across the whole int range finishes and writes every column of its row once.
  TMemoryCanvas wide(30, 5);
  wide.MoveTo(std::numeric_limits<int>::min(), 2);
  wide.Pen.Color = kRed;
  wide.LineTo(std::numeric_limits<int>::max(), 2);
  EXPECT_EQ(CountWritten(wide), 30);
  EXPECT_TRUE(wide.GuardsIntact());
}

TEST(GraphsLines, DottedPenIsThreeOnThreeOffAcrossSegments) {
  TMemoryCanvas one(20, 3), two(20, 3);
  for (TMemoryCanvas* c : {&one, &two}) c->Pen = {psDot, 1, kRed};
  one.MoveTo(0, 1);
  one.LineTo(13, 1);
  two.MoveTo(0, 1);
  two.LineTo(2, 1);
  two.LineTo(13, 1);
  for (int x = 0; x < 20; ++x) {
    const bool on = x < 13 && (x / 3) % 2 == 0;
    EXPECT_EQ(one.At(x, 1) != kBg, on) << x;
    EXPECT_EQ(two.At(x, 1), one.At(x, 1)) << x;
  }
  // A wide pen draws solid, centred on the line.
  TMemoryCanvas wide(12, 7);
  wide.Pen = {psDot, 3, kRed};
  wide.MoveTo(1, 3);
  wide.LineTo(10, 3);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(wide.At(x, y) != kBg, y >= 2 && y <= 4 && x >= 0 && x <= 10) << x << "," << y;
}

TEST(GraphsBoxes, RectOutlineCoversAllFourCorners) {
  TMemoryCanvas c(10, 8);
  EXPECT_TRUE(DrawRectOutline(&c, kRed, 1, 1, 5, 4));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool edge = (x >= 1 && x <= 5 && (y == 1 || y == 4)) || (y >= 1 && y <= 4 && (x == 1 || x == 5));
      EXPECT_EQ(c.At(x, y) == ColorToPixel(kRed), edge) << x << "," << y;
      if (!edge) {
        EXPECT_EQ(c.At(x, y), kBg);
      }
    }
}

TEST(GraphsBoxes, FillBoxExcludesRightAndBottomEdges) {
  TMemoryCanvas c(10, 8);
  FillBox(&c, kRed, kYellow, 1.5, 1.0, 4.0, 3.0);  // 1.5 -> 2, 5.5 -> 6: columns 2..5, rows 1..3
  EXPECT_EQ(c.Pen.Color, kRed);
  EXPECT_EQ(c.BrushColor, kYellow);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      std::uint32_t want = kBg;
      if (x >= 2 && x <= 5 && y >= 1 && y <= 3)
        want = (x == 2 || x == 5 || y == 1 || y == 3) ? ColorToPixel(kRed) : ColorToPixel(kYellow);
      EXPECT_EQ(c.At(x, y), want) << x << "," << y;
    }
  // clNone leaves the outline (or the inside) alone; system colours resolve to plain ones.
  TMemoryCanvas d(6, 6);
  FillBox(&d, clNone, kYellow, 0, 0, 3, 3);
  EXPECT_EQ(CountWritten(d), 9);
  FillBox(&d, clBtnFace, clNone, 3, 3, 3, 3);
  EXPECT_EQ(d.At(3, 3), 0x00F0F0F0u);
  EXPECT_EQ(d.At(4, 4), kBg);
}

TEST(GraphsBoxes, EllipseStaysInsideItsBoxAndIsSymmetric) {
  TMemoryCanvas c(20, 20);
  c.Pen.Color = kRed;
  c.BrushColor = kYellow;
  c.Ellipse(3, 4, 14, 15);  // 11 x 11
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      if (x < 3 || x >= 14 || y < 4 || y >= 15) {
        EXPECT_EQ(c.At(x, y), kBg) << x << "," << y;
      }
      if (x <= 16) {
        EXPECT_EQ(c.At(x, y), c.At(16 - x, y)) << x << "," << y;  // mirror about column 8
      }
      if (y >= 4 && y < 15) {
        EXPECT_EQ(c.At(x, y), c.At(x, 18 - y));  // mirror about row 9
      }
    }
  EXPECT_EQ(c.At(8, 9), ColorToPixel(kYellow));  // centre
  EXPECT_EQ(c.At(3, 9), ColorToPixel(kRed));     // leftmost
  EXPECT_EQ(c.At(13, 9), ColorToPixel(kRed));    // rightmost, inside the excluded edge
  EXPECT_EQ(c.At(3, 4), kBg);                    // corner of the box
  // A huge ellipse is clipped to the bitmap and fills its middle.
  TMemoryCanvas h(10, 10);
  h.BrushColor = kYellow;
  h.Ellipse(-1000000000, -1000000000, 1000000000, 1000000000);
  EXPECT_EQ(CountWritten(h), 100);
  EXPECT_TRUE(h.GuardsIntact());
}
