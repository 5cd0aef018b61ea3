// Pages for the printer (any Qt paint device): the content flowed line by line down its pages (a
// line, a heading or a picture that does not fit goes to the next page), each page numbered at its
// foot. Laid out by hand rather than through one rich-text document, so that a journal of many
// years is painted page after page and the progress callback is called all along.
#include <QFontDatabase>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "vlm_Export.h"
#include "vlm_ExportFields.h"
#include "vlm_ExportLayout.h"
#include "vlm_Resources.h"

QString CyrillicFamily() {
  const QStringList families = QFontDatabase::families(QFontDatabase::Cyrillic);
  for (const char* preferred : {"DejaVu Serif", "DejaVu Sans", "Tahoma", "Noto Serif", "Noto Sans", "Liberation Serif"})
    if (families.contains(QLatin1String(preferred))) return QLatin1String(preferred);
  return families.isEmpty() ? QString() : families.first();
}

namespace {

// A paragraph is laid out this many characters at a time at most: one layout of a whole long
// description (tens of megabytes) needs gigabytes and fails without a word.
constexpr qsizetype kPartLength = 1 << 15;

class TPageFlow {
public:
  // `keepGoing` is asked between the parts of a long paragraph; false stops the flow.
  TPageFlow(QPagedPaintDevice& device, QPainter& painter, std::function<bool()> keepGoing)
      : FDevice(device), FPainter(painter), FKeepGoing(std::move(keepGoing)) {
    const QRectF paint(0, 0, device.width(), device.height());  // the paintable part, in device pixels
    FWidth = paint.width();
    FFooter = QFont(CyrillicFamily(), 8);
    FBottom = paint.height() - 2 * QFontMetricsF(FFooter, &device).height();
    FWrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  }

  QFont Font(qreal points, bool bold = false, bool italic = false) const {
    QFont font(CyrillicFamily(), 10);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // Cyrillic and Latin need no shaping: laying the text out without it is much faster.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
  }

  // A paragraph, wrapped to the page's width. `keep`: room in lines of its font that must be
  // left below its first line (a heading is not left alone at a page's foot). A long paragraph
  // is laid out a part at a time; the last line of each part is laid out again at the start of
  // the next, so nothing shows where parts meet. Characters a layout leaves out are counted
  // (Lost), never dropped silently.
  void Text(const QString& text, const QFont& font, QColor colour, qreal before, int keep = 1) {
    const qreal lineHeight = QFontMetricsF(font, &FDevice).lineSpacing();
    Space(before * lineHeight);
    if (FY + keep * lineHeight > FBottom) NewPage();
    FPainter.setPen(colour);
    for (qsizetype from = 0; from < text.size() && !FStopped;) {
      qsizetype length = std::min(text.size() - from, kPartLength);
      const bool whole = from == 0 && length == text.size();
      const bool last = from + length == text.size();
      if (!last && text.at(from + length - 1).isHighSurrogate()) --length;
      QTextLayout layout(whole ? text : text.mid(from, length), font, &FDevice);
      std::vector<QTextLine> lines = Lines(layout);
      if (!last && lines.size() > 1) {
        length = lines.back().textStart();
        lines.pop_back();
      }
      qsizetype placed = 0;
      for (QTextLine& line : lines) {
        if (FY + line.height() > FBottom) NewPage();
        line.draw(&FPainter, QPointF(0, FY - line.y()));
        FY += line.height();
        placed = line.textStart() + line.textLength();
      }
      if (placed < length) FLost += length - placed;
      from += length;
      if (!last && FKeepGoing && !FKeepGoing()) FStopped = true;
    }
  }

  // The height Text would take for a short paragraph (a title), its space before included.
  qreal Height(const QString& text, const QFont& font, qreal before) const {
    const qreal lineHeight = QFontMetricsF(font, &FDevice).lineSpacing();
    QTextLayout layout(text, font, &FDevice);
    qreal height = before * lineHeight;
    for (const QTextLine& line : Lines(layout)) height += line.height();
    return height;
  }

  // A picture at most `maxWidth` wide and a third of the page high, never enlarged.
  QSizeF PictureSize(const QImage& image, qreal maxWidth) const {
    const QSizeF size = QSizeF(image.size()) * (FDevice.logicalDpiX() / 96.0);
    return size.scaled(std::min(size.width(), maxWidth), std::min(size.height(), FBottom / 3), Qt::KeepAspectRatio);
  }
  void Picture(const QImage& image, qreal maxWidth) {
    if (image.isNull()) return;
    const QSizeF size = PictureSize(image, maxWidth);
    Space(size.height() * 0.05);
    if (FY + size.height() > FBottom) NewPage();
    FPainter.drawImage(QRectF(QPointF(0, FY), size), image);
    FY += size.height() * 1.05;
  }

  // A new page unless `height` fits below what this page holds already.
  void KeepTogether(qreal height) {
    if (FY > 0 && FY + height > FBottom) NewPage();
  }
  void Space(qreal height) {
    if (FY > 0) FY += height;
  }
  void Finish() { Footer(); }
  qreal Width() const { return FWidth; }
  bool Stopped() const { return FStopped; }
  qsizetype Lost() const { return FLost; }

private:
  std::vector<QTextLine> Lines(QTextLayout& layout) const {
    layout.setTextOption(FWrap);
    layout.beginLayout();
    std::vector<QTextLine> lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(FWidth);
      lines.push_back(line);
    }
    layout.endLayout();
    return lines;
  }
  void NewPage() {
    Footer();
    FDevice.newPage();
    ++FPage;
    FY = 0;
  }
  void Footer() {
    FPainter.setFont(FFooter);
    FPainter.setPen(Qt::darkGray);
    const qreal height = QFontMetricsF(FFooter, &FDevice).height();
    FPainter.drawText(QRectF(0, FBottom + height, FWidth, height), Qt::AlignHCenter,
                      QString::fromUtf8(res::ExportPage).arg(FPage));
  }

  QPagedPaintDevice& FDevice;
  QPainter& FPainter;
  std::function<bool()> FKeepGoing;
  QTextOption FWrap;
  QFont FFooter;
  qreal FWidth = 0, FBottom = 0, FY = 0;
  int FPage = 1;
  bool FStopped = false;
  qsizetype FLost = 0;
};
}  // namespace

TExportResult PaintPages(const TExportContent& content, QPagedPaintDevice& device, const TExportOptions& options) {
  QPainter painter;
  if (!painter.begin(&device)) return {TExportResult::Failed, QString::fromUtf8(res::ExportPdfFailed)};
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  TProgress progress(options, content.DreamCount());
  TPageFlow flow(device, painter, [&progress] { return progress.Step(0); });
  const TExportResult result = LayOutPages(content, options, progress, flow);
  if (result.Outcome != TExportResult::Cancelled) flow.Finish();
  painter.end();
  return result;
}
