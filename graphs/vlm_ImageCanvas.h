#pragma once
// The canvas of a QImage: pixels go straight into the image's Format_RGB32 rows (lines, boxes and
// ellipses are rasterised by TCanvas), text is drawn with QPainter in the font the canvas names.
// Label numbers use the user locale's separators. The canvas refers to the image and reads its size
// at every call, so the image may be reassigned (resized) while the canvas lives.
// Keep one canvas for a whole repaint: each drawing inherits the pen and brush the one before left,
// as on the old platform (chart texts take the brush of the framed box drawn under them).
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QString>
#include <QStringDecoder>
#include <memory>
#include <string>

#include "tarvek_Canvas.h"

class TImageCanvas : public TCanvas {
public:
  // Converts the image to Format_RGB32 when it has another format.
  explicit TImageCanvas(QImage& image);

  int Width() const override { return FImage.width(); }
  int Height() const override { return FImage.height(); }
  void SetPixelFormat32() override;
  TSurface Surface() override;
  std::uint32_t PixelAlpha() const override { return 0xFF000000u; }

  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void TextOut(int x, int y, const std::string& text) override;
  std::string FormatNumber(const std::string& format, double value) override;
  TColor ColorToRGB(TColor color) const override;

  QImage& Image() { return FImage; }
  // The QFont a TFont stands for (family, size, weight).
  static QFont ToQFont(const TFont& font);
  // Windows-1251 bytes to text.
  QString Decode(const std::string& bytes);

private:
  const QFontMetrics& Metrics();

  QImage& FImage;
  QStringDecoder FDecoder;
  TFont FMetricsFont;
  std::unique_ptr<QFontMetrics> FMetrics;
  std::string FGroupSeparator, FDecimalPoint;  // of the locale, as Windows-1251; empty until first needed
  QLocale FSeparatorsLocale;
};
