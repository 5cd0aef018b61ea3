// The QImage canvas: pixel layout, the old platform's line and box rules, text, locale formats,
// and a picture of every chart kind written to graphs-png/ in the build tree.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QLocale>
#include <QSet>
#include <limits>

#include "tarvek_Utility.h"
#include "vlm_GraphPainter.h"
#include "vlm_ImageCanvas.h"

namespace {

QRgb Rgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void RegisterFonts() {
  static bool done = false;
  if (done) return;
  done = true;
  if (QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
    QFontDatabase::addApplicationFont("/usr/share/wine/fonts/tahoma.ttf");
}

class TLocaleGuard {
public:
  explicit TLocaleGuard(const QLocale& l) : FSaved(QLocale()) { QLocale::setDefault(l); }
  ~TLocaleGuard() { QLocale::setDefault(FSaved); }

private:
  QLocale FSaved;
};

}  // namespace

TEST(GraphsImageCanvas, PixelsAreRgb32WordsOfTheColour) {
  QImage image(8, 6, QImage::Format_ARGB32);
  image.fill(Qt::white);
  TImageCanvas canvas(image);
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_TRUE(PutPixel(&canvas, 7, 5, ColorToPixel(RGBColor(10, 20, 30))));
  EXPECT_FALSE(PutPixel(&canvas, 8, 5, 0));
  EXPECT_EQ(image.pixel(7, 5), qRgb(10, 20, 30));
  FillBox(&canvas, clRed, clBlue, 1, 1, 4, 3);
  EXPECT_EQ(image.pixel(1, 1), Rgb(clRed));
  EXPECT_EQ(image.pixel(2, 2), Rgb(clBlue));
  EXPECT_EQ(image.pixel(4, 3), Rgb(clRed));
  EXPECT_EQ(image.pixel(5, 2), qRgb(255, 255, 255));  // right edge excluded
  EXPECT_EQ(image.pixel(2, 4), qRgb(255, 255, 255));  // bottom edge excluded
  DrawLine(&canvas, clLime, 0, 0, 7, 0);
  EXPECT_EQ(image.pixel(6, 0), Rgb(clLime));
  EXPECT_EQ(image.pixel(7, 0), qRgb(255, 255, 255));  // end pixel not drawn
}

TEST(GraphsImageCanvas, ReassignedImageIsFollowed) {
  QImage image(4, 4, QImage::Format_RGB32);
  TImageCanvas canvas(image);
  image = QImage(30, 20, QImage::Format_RGB32);
  image.fill(Qt::black);
  EXPECT_EQ(canvas.Width(), 30);
  EXPECT_TRUE(PutPixel(&canvas, 29, 19, ColorToPixel(clWhite)));
  EXPECT_EQ(image.pixel(29, 19), qRgb(255, 255, 255));
  QImage empty;
  TImageCanvas none(empty);
  EXPECT_FALSE(PutPixel(&none, 0, 0, 0));
  none.TextOut(0, 0, "x");
  FillBox(&none, clRed, clRed, 0, 0, 5, 5);
}

TEST(GraphsImageCanvas, TextFillsItsCellAndDrawsGlyphs) {
  RegisterFonts();
  QImage image(200, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  TImageCanvas canvas(image);
  canvas.Font = {"Tahoma", 8, clNavy, true, RUSSIAN_CHARSET};
  const std::string text = "\xDD\xED\xE5\xF0\xE3\xE8\xFF 123";  // "Энергия 123" in Windows-1251
  EXPECT_EQ(canvas.Decode(text), QString::fromUtf8("Энергия 123"));
  const int w = canvas.TextWidth(text), h = canvas.TextHeight(text);
  EXPECT_GT(w, 30);
  EXPECT_GT(h, 5);
  EXPECT_LT(w, 190);
  canvas.BrushColor = clYellow;
  canvas.TextOut(5, 3, text);
  int glyph = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool inCell = x >= 5 && x < 5 + w && y >= 3 && y < 3 + h;
      const bool overhang = x >= 5 + w && x < 5 + w + 3 && y >= 3 && y < 3 + h;  // bold glyphs may reach past their advance
      if (!inCell && !overhang) {
        EXPECT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
      }
      if (inCell && image.pixel(x, y) != Rgb(clYellow)) {
        ++glyph;
        // Navy on yellow with grey smoothing keeps red and green equal: no colour fringes.
        EXPECT_EQ(qRed(image.pixel(x, y)), qGreen(image.pixel(x, y))) << x << "," << y;
      }
    }
  EXPECT_GT(glyph, 20);
  // A text of blanks is all background: its cell is exactly the measured box.
  canvas.TextOut(5, 20, "   ");
  const int blanks = canvas.TextWidth("   ");
  for (int y = 18; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool inCell = x >= 5 && x < 5 + blanks && y >= 20 && y < 20 + h;
      EXPECT_EQ(image.pixel(x, y), inCell ? Rgb(clYellow) : qRgb(255, 255, 255)) << x << "," << y;
    }
  // A bolder, larger font measures wider.
  canvas.Font.Size = 16;
  EXPECT_GT(canvas.TextWidth(text), w);
}

TEST(GraphsImageCanvas, LabelsUseTheLocaleSeparators) {
  QImage image(4, 4, QImage::Format_RGB32);
  TImageCanvas canvas(image);
  {
    TLocaleGuard guard(QLocale::c());
    EXPECT_EQ(canvas.FormatNumber("%.0n", 1234), "1,234");
    EXPECT_EQ(canvas.FormatNumber("%.2n", -0.75), "-0.75");
  }
  {
    TLocaleGuard guard(QLocale(QLocale::Russian, QLocale::Russia));
    const std::string group = canvas.FormatNumber("%.0n", 1234);
    ASSERT_EQ(group.size(), 5u);
    EXPECT_TRUE(group[1] == '\xA0' || group[1] == ' ') << group;
    EXPECT_EQ(canvas.FormatNumber("%.2n", -0.75), "-0,75");
  }
  {
    TLocaleGuard guard(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(canvas.FormatNumber("%.2n", 1234567.5), "1.234.567,50");
  }
}

TEST(GraphsImageCanvas, SystemColoursComeFromThePalette) {
  QImage image(4, 4, QImage::Format_RGB32);
  TImageCanvas canvas(image);
  const QColor button = QGuiApplication::palette().color(QPalette::Button);
  EXPECT_EQ(canvas.ColorToRGB(clBtnFace), RGBColor(button.red(), button.green(), button.blue()));
  EXPECT_EQ(canvas.ColorToRGB(clRed), clRed);
  FillBox(&canvas, clBtnFace, clBtnFace, 0, 0, 4, 4);
  EXPECT_EQ(image.pixel(2, 2), button.rgb());
}

TEST(GraphsImageCanvas, HostileSettingsOnAnImage) {
  for (int k = 0; k <= 7; ++k) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    TImageCanvas canvas(image);
    TVLGraph g;
    g.Kind = static_cast<TGraphKind>(k);
    g.AxisFont.Size = std::numeric_limits<int>::max();
    g.Title.Font.Size = std::numeric_limits<int>::min();
    g.Title.Text = std::string(3000, '\xC9');
    g.XAxis = {-1e300, 1e299, -1};
    g.BarWidth = 1e12;
    for (int i = 0; i < 20; ++i) g.AddValue("", i, i % 2 ? 1e308 : -1e308);
    g.Draw(canvas, {std::numeric_limits<int>::min(), -5, std::numeric_limits<int>::max(), 100000});
    EXPECT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
  }
}

// Every kind as the statistics view sets it up; the pictures are for looking at.
TEST(GraphsImageCanvas, WritesPicturesOfAllSevenKinds) {
  RegisterFonts();
  const QString dir = QDir::currentPath() + "/graphs-png";
  QDir().mkpath(dir);
  for (int k = 0; k <= 6; ++k) {
    QImage image(420, 260, QImage::Format_RGB32);
    TImageCanvas canvas(image);
    FillBox(&canvas, clBtnFace, clBtnFace, 0, 0, 420, 260);
    FillBox(&canvas, clBlack, clBtnFace, 10, 10, 400, 240);
    TVLGraph g;
    g.Kind = static_cast<TGraphKind>(k);
    g.AxisFont = {"Tahoma", 6, clBlack, true, RUSSIAN_CHARSET};
    g.Title.Font = {"Tahoma", 8, clNavy, true, RUSSIAN_CHARSET};
    g.Title.Alignment = 0;
    g.Footer.Font = {"Tahoma", 7, clNavy, false, RUSSIAN_CHARSET};
    g.Footer.Alignment = 1;
    g.OutlineColor = clNavy;
    g.Title.Text = "\xCA\xE8\xED\xE4 " + std::to_string(k);  // "Вид k"
    g.Footer.Text = "\xC2\xF1\xE5\xE3\xEE: 12";                 // "Всего: 12"
    if (k == gkHorzBars) {
      g.SetColors({RGBColor(128, 0, 128), clNavy, clBlue, clAqua, clWhite});
      g.XMin = 1, g.XMax = 4, g.YMin = 0, g.YMax = 7, g.BarWidth = 0.1;
      g.XAxis = {1, 1, -1};
      for (int i = 1; i <= 4; ++i) g.AddValue("", i, (i * 5) % 8);
    } else {
      g.SetColors({clMaroon, clRed, clYellow, clWhite});
      g.XMin = 0, g.XMax = 11, g.YMin = -1, g.YMax = 1, g.BarWidth = 10.0 / 380;
      g.XAxis = {1, 1, 10};
      g.YAxis = {-1, 0.25, -1};
      g.YFormat = "%.2n";
      for (int i = 1; i <= 10; ++i) g.AddValue("", i, std::sin(i * 0.7) * (i == 4 ? 1.6 : 1.0));
    }
    g.Draw(canvas, {20, 15, 400, 245});
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << k;
    const QString file = QString("%1/kind%2.png").arg(dir).arg(k);
    EXPECT_TRUE(image.save(file)) << file.toStdString();
    EXPECT_EQ(QImage(file).size(), image.size());
  }
}
