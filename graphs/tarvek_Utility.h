#pragma once
// Colour arithmetic and the few drawing helpers shared by the chart painter and the statistics view.
// Coordinates are doubles rounded to the nearest pixel, exact halves to the even neighbour.
#include <cstdint>
#include <vector>

#include "tarvek_Canvas.h"

// Gradient stops from fraction 0 (first) to fraction 1 (last), equally spaced.
using TColorArray = std::vector<TColor>;

// Round to nearest, halves to even; NaN gives 0 and the result is kept within +-2^28 so that sums
// of a few pixel positions cannot overflow.
int RoundHalfEven(double value);

// The 32-bit pixel of a colour: red and blue bytes exchanged, green and the top byte kept.
std::uint32_t ColorToPixel(TColor color);

// Linear blend of the channels of a and b. t above 1 loses its integer part (1 itself stays 1);
// t below 0 is taken as |t|.
TColor BlendColors(TColor a, TColor b, double t);

// Colour at fraction x along the stops colors[0 .. high]. Black for an empty array or x not >= 0;
// x above 1 counts as 1. A `high` beyond the array's last index is taken as that index.
TColor GradientColor(const TColorArray& colors, int high, double x);

// Stores pixel at (x, y) when that is inside the bitmap; false (and nothing written) otherwise.
bool PutPixel(TCanvas* bitmap, int x, int y, std::uint32_t pixel);

// The canvas of a drawable object; nullptr for none.
TCanvas* CanvasOf(TDrawable* target);

// Pen colour := color, move to (x1, y1), line to (x2, y2); false when target has no canvas.
bool DrawLine(TDrawable* target, TColor color, double x1, double y1, double x2, double y2);

// The four edges (x1,y1)->(x2,y1)->(x2,y2)->(x1,y2)->(x1,y1) with DrawLine; false when the target has
// no canvas or the canvas raised an error.
bool DrawRectOutline(TDrawable* target, TColor color, double x1, double y1, double x2, double y2);

// Pen and brush colours set, then the rectangle (x, y, x + width, y + height): outline and inside,
// right and bottom edges excluded.
void FillBox(TDrawable* target, TColor penColor, TColor brushColor, double x, double y, double width,
             double height);
