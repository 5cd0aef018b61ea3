#pragma once
// A PDF file written page after page: lines of glyphs in embedded TrueType fonts (each line one
// text operation), pictures (each image stored once however often it is drawn), then the fonts
// with the glyphs drawn, the page tree and the cross-reference table. Coordinates are points
// from the page's top left.
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QRectF>
#include <memory>
#include <vector>

#include "vlm_PdfFont.h"

class TPdfDocument {
public:
  TPdfDocument(QIODevice& out, double pageWidth, double pageHeight);
  ~TPdfDocument();

  // The font's number for Text; the document keeps it.
  int AddFont(std::unique_ptr<TPdfFont> font);
  TPdfFont& Font(int font) { return *FFonts[std::size_t(font)].Font; }

  void SetColour(QColor colour);
  // Glyphs of `font` from the point (x, baseline), each moved on by its advance; `slant` leans
  // them (an italic made from an upright face).
  void Text(int font, double size, double slant, double x, double baseline, const std::vector<quint16>& glyphs);
  void Image(const QImage& image, const QRectF& where);
  void EndPage();
  // Writes what is left; false when something could not be written.
  bool Finish(const QString& title, const QString& creator);

private:
  struct TFontEntry {
    std::unique_ptr<TPdfFont> Font;
    int Object = 0;
  };
  int Reserve() { return ++FLastObject; }
  void Begin(int object);
  void Write(const QByteArray& bytes);
  void Stream(int object, const QByteArray& dictionary, const QByteArray& data);
  void Number(double value);

  QIODevice& FOut;
  double FWidth, FHeight;
  qint64 FWritten = 0;
  bool FFailed = false;
  int FLastObject = 3;  // 1 the catalog, 2 the page tree, 3 the information
  std::vector<qint64> FOffsets;  // by object number
  std::vector<TFontEntry> FFonts;
  QHash<qint64, int> FImages;  // the image's cache key -> its object
  QByteArray FContent, FPageImages;
  QColor FColour = Qt::black;
  std::vector<int> FPages;
};
