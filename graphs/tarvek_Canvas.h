#pragma once
// The drawing surface the chart painter is written against: a 32-bit bitmap with direct row access
// and a canvas state (pen, brush, font). Lines, rectangles and ellipses are rasterised here, straight
// into the rows, so that every implementation covers exactly the same pixels as the old platform:
// a line omits its end pixel, rectangles and ellipses exclude the right and bottom edges of their box.
// Implementations supply the rows, text metrics and text output.
#include <cstddef>
#include <cstdint>
#include <string>

// A colour is 0x00BBGGRR (red in the low byte); the top bit marks a system colour.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;  // "no colour": never drawn
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;

constexpr TColor RGBColor(int r, int g, int b) {
  return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}

constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t RUSSIAN_CHARSET = 204;

enum TPenStyle : std::uint8_t { psSolid, psDot };

// A pen is a plain value: copying a pen to or from the canvas is assignment.
struct TPen {
  TPenStyle Style = psSolid;
  int Width = 1;
  TColor Color = clBlack;
  bool operator==(const TPen&) const = default;
};

// Size in points; a negative size is a height in pixels, as on the old platform.
struct TFont {
  std::string Name = "Tahoma";
  int Size = 8;
  TColor Color = clWindowText;
  bool Bold = false;
  std::uint8_t Charset = DEFAULT_CHARSET;
  bool operator==(const TFont&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TRect&) const = default;
};

class TCanvas;

// Anything that can be drawn on: a canvas yields itself; an image or bitmap object of the
// application yields the canvas of its picture.
class TDrawable {
public:
  virtual ~TDrawable() = default;
  virtual TCanvas* GetCanvas() = 0;
};

class TCanvas : public TDrawable {
public:
  TCanvas* GetCanvas() override { return this; }

  // The bitmap's memory: row y (0 <= y < Height) starts at Bits + y * Stride words, each pixel a
  // 32-bit word 0x00RRGGBB. Bits is null when there are no 32-bit rows to write.
  struct TSurface {
    std::uint32_t* Bits = nullptr;
    std::ptrdiff_t Stride = 0;
    int Width = 0;
    int Height = 0;
    std::uint32_t* Row(int y) const { return Bits + y * Stride; }
  };

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetPixelFormat32() {}
  virtual TSurface Surface() = 0;
  // Row y, or nullptr when y is outside the bitmap or there are no rows.
  std::uint32_t* ScanLine(int y);
  // Bits every stored pixel carries besides its colour (an opaque alpha byte for some bitmaps).
  virtual std::uint32_t PixelAlpha() const { return 0; }

  // Text in the current font; strings are Windows-1251 bytes. TextOut fills the text's cell with
  // the brush colour (unless it is clNone) before drawing the glyphs.
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  virtual void TextOut(int x, int y, const std::string& text) = 0;

  // Label text of a number: "%.2n" and friends (see FormatFloat in tarvek_Format.h). The base
  // class writes "," between thousands and "." before decimals; a locale-aware canvas overrides it.
  virtual std::string FormatNumber(const std::string& format, double value);

  // Plain colour of a system colour; plain colours and clNone pass through.
  virtual TColor ColorToRGB(TColor color) const;

  // Pen position and lines; the end pixel is not drawn. A dotted pen of width 1 draws three pixels
  // on, three off, its phase carried from one LineTo to the next until the next MoveTo.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  int PenX() const { return FPenX; }
  int PenY() const { return FPenY; }

  // Boxes cover [x1, x2) x [y1, y2): a one-pixel outline in the pen colour, the inside in the brush
  // colour. Reversed corners are swapped. clNone leaves the outline or the inside alone.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Ellipse(int x1, int y1, int x2, int y2);
  // Brush only, no outline: [x1, x2) x [y1, y2).
  void FillRect(int x1, int y1, int x2, int y2);

  TPen Pen;
  TColor BrushColor = clWhite;
  TFont Font;

protected:
  // Writes pixel into row y over columns [x1, x2), clipped to the surface.
  static void FillSpan(const TSurface& s, long long y, long long x1, long long x2, std::uint32_t pixel);
  // Pixel word of a colour, or false for clNone.
  bool PixelOf(TColor color, std::uint32_t& pixel) const;

private:
  static void StampPen(const TSurface& s, long long x, long long y, int width, std::uint32_t pixel);

  int FPenX = 0;
  int FPenY = 0;
  long long FDotPhase = 0;
};
