#include "vlm_ImageCanvas.h"

#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QStringEncoder>
#include <algorithm>

#include "tarvek_Format.h"

namespace {

// Fonts beyond this size would only make the glyph cache churn; no chart needs them.
constexpr int kMaxFontSize = 512;

QColor ToQColor(TColor rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

TColor FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

// A locale separator as one Windows-1251 character; a blank when the code page has no such character.
std::string SeparatorBytes(const QString& separator, const char* fallback) {
  QStringEncoder encoder("windows-1251");
  if (!encoder.isValid() || separator.isEmpty()) return fallback;
  const QByteArray bytes = encoder.encode(separator);
  if (encoder.hasError()) return " ";
  return bytes.toStdString();
}

}  // namespace

TImageCanvas::TImageCanvas(QImage& image) : FImage(image), FDecoder("windows-1251") {
  SetPixelFormat32();
}

void TImageCanvas::SetPixelFormat32() {
  if (!FImage.isNull() && FImage.format() != QImage::Format_RGB32) FImage.convertTo(QImage::Format_RGB32);
}

TCanvas::TSurface TImageCanvas::Surface() {
  if (FImage.isNull() || FImage.format() != QImage::Format_RGB32) return {};
  return {reinterpret_cast<std::uint32_t*>(FImage.bits()), FImage.bytesPerLine() / 4, FImage.width(), FImage.height()};
}

QFont TImageCanvas::ToQFont(const TFont& font) {
  QStringDecoder decoder("windows-1251");
  QFont f(decoder.isValid() ? decoder.decode(QByteArrayView(font.Name.data(), static_cast<qsizetype>(font.Name.size())))
                            : QString::fromLatin1(font.Name.c_str()));
  if (font.Size > 0)
    f.setPointSize(std::min(font.Size, kMaxFontSize));
  else if (font.Size < 0)
    f.setPixelSize(std::min(-static_cast<long long>(font.Size), static_cast<long long>(kMaxFontSize)));
  else
    f.setPointSize(8);
  f.setBold(font.Bold);
  // Grey-level smoothing only: colour fringes would make the chart depend on the screen's layout.
  f.setStyleStrategy(QFont::NoSubpixelAntialias);
  return f;
}

QString TImageCanvas::Decode(const std::string& bytes) {
  if (!FDecoder.isValid()) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return FDecoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

const QFontMetrics& TImageCanvas::Metrics() {
  if (!FMetrics || !(FMetricsFont == Font)) {
    FMetricsFont = Font;
    FMetrics = std::make_unique<QFontMetrics>(ToQFont(Font), &FImage);
  }
  return *FMetrics;
}

int TImageCanvas::TextWidth(const std::string& text) { return Metrics().horizontalAdvance(Decode(text)); }

int TImageCanvas::TextHeight(const std::string&) { return Metrics().height(); }

void TImageCanvas::TextOut(int x, int y, const std::string& text) {
  if (FImage.isNull()) return;
  const QString s = Decode(text);
  const QFontMetrics& m = Metrics();
  const int w = m.horizontalAdvance(s), h = m.height();
  FillRect(x, y, x + w, y + h);  // the text cell takes the brush colour, as on the old platform
  const TColor colour = ColorToRGB(Font.Color);
  if (colour == clNone) return;
  QPainter painter(&FImage);
  painter.setFont(ToQFont(Font));
  painter.setPen(ToQColor(colour));
  painter.drawText(QPoint(x, y + m.ascent()), s);
}

std::string TImageCanvas::FormatNumber(const std::string& format, double value) {
  // An axis of thousands of nights formats thousands of labels: the separators are looked up once
  // for each locale.
  const QLocale locale;
  if (FGroupSeparator.empty() || locale != FSeparatorsLocale) {
    FSeparatorsLocale = locale;
    FGroupSeparator = SeparatorBytes(locale.groupSeparator(), ",");
    FDecimalPoint = SeparatorBytes(locale.decimalPoint(), ".");
  }
  return FormatFloat(format, value, FGroupSeparator, FDecimalPoint);
}

TColor TImageCanvas::ColorToRGB(TColor color) const {
  if (color != clNone && (color & clSystemColor) && qGuiApp) {
    const QPalette palette = QGuiApplication::palette();
    switch (color & 0xFF) {
      case 5: return FromQColor(palette.color(QPalette::Base));
      case 8: return FromQColor(palette.color(QPalette::WindowText));
      case 15: return FromQColor(palette.color(QPalette::Button));
      default: break;
    }
  }
  return TCanvas::ColorToRGB(color);
}
