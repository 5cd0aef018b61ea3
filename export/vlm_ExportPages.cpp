// Pages for PDF and the printer: the content flowed line by line down A4 pages (a line, a heading
// or a picture that does not fit goes to the next page), each page numbered at its foot. Laid out
// by hand rather than through one rich-text document, so that a journal of many years is painted
// page after page and the progress callback is called all along.
#include <QFontDatabase>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include "vlm_Export.h"
#include "vlm_ExportCharts.h"
#include "vlm_ExportFields.h"
#include "vlm_ExportWriters.h"
#include "vlm_Resources.h"

namespace {
// A family that holds Cyrillic, among those the system has.
QString CyrillicFamily() {
  const QStringList families = QFontDatabase::families(QFontDatabase::Cyrillic);
  for (const char* preferred : {"DejaVu Serif", "DejaVu Sans", "Tahoma", "Noto Serif", "Noto Sans", "Liberation Serif"})
    if (families.contains(QLatin1String(preferred))) return QLatin1String(preferred);
  return families.isEmpty() ? QString() : families.first();
}

class TPageFlow {
public:
  TPageFlow(QPagedPaintDevice& device, QPainter& painter) : FDevice(device), FPainter(painter) {
    const QRectF paint(0, 0, device.width(), device.height());  // the paintable part, in device pixels
    FWidth = paint.width();
    FFooter = QFont(CyrillicFamily(), 8);
    FBottom = paint.height() - 2 * QFontMetricsF(FFooter, &device).height();
  }

  QFont Font(qreal points, bool bold = false, bool italic = false) const {
    QFont font(CyrillicFamily(), 10);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
  }

  // A paragraph, wrapped to the page's width. `keep`: room in lines of its font that must be
  // left below its first line (a heading is not left alone at a page's foot).
  void Text(const QString& text, const QFont& font, QColor colour, qreal before, int keep = 1) {
    const qreal lineHeight = QFontMetricsF(font, &FDevice).lineSpacing();
    Space(before * lineHeight);
    if (FY + keep * lineHeight > FBottom) NewPage();
    QTextLayout layout(text, font, &FDevice);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    std::vector<QTextLine> lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(FWidth);
      lines.push_back(line);
    }
    layout.endLayout();
    FPainter.setPen(colour);
    for (QTextLine& line : lines) {
      if (FY + line.height() > FBottom) NewPage();
      line.draw(&FPainter, QPointF(0, FY - line.y()));
      FY += line.height();
    }
  }

  // A picture at most `maxWidth` wide and a third of the page high, never enlarged.
  void Picture(const QImage& image, qreal maxWidth) {
    if (image.isNull()) return;
    QSizeF size = QSizeF(image.size()) * (FDevice.logicalDpiX() / 96.0);
    size = size.scaled(std::min(size.width(), maxWidth), std::min(size.height(), FBottom / 3), Qt::KeepAspectRatio);
    Space(size.height() * 0.05);
    if (FY + size.height() > FBottom) NewPage();
    FPainter.drawImage(QRectF(QPointF(0, FY), size), image);
    FY += size.height() * 1.05;
  }

  void Space(qreal height) {
    if (FY > 0) FY += height;
  }
  void Finish() { Footer(); }
  qreal Width() const { return FWidth; }

private:
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
  QFont FFooter;
  qreal FWidth = 0, FBottom = 0, FY = 0;
  int FPage = 1;
};
}  // namespace

TExportResult::TOutcome PaintPages(const TExportContent& content, QPagedPaintDevice& device, const TExportOptions& options) {
  QPainter painter;
  if (!painter.begin(&device)) return TExportResult::Failed;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  TPageFlow flow(device, painter);
  TProgress progress(options, content.DreamCount());
  const QColor ink(Qt::black), heading(0x20, 0x30, 0x70), meta(0x33, 0x33, 0x55);
  const QFont title = flow.Font(20, true), journalFont = flow.Font(16, true), nightFont = flow.Font(13, true),
              dreamFont = flow.Font(11.5, true), body = flow.Font(10.5), italic = flow.Font(10.5, false, true),
              small = flow.Font(9.5);
  QHash<QString, QImage> pictures;  // one image per file: the PDF holds it once
  if (!progress.Step(0)) return TExportResult::Cancelled;
  flow.Text(content.Title, title, heading, 0, 3);
  for (const TExportJournal& journal : content.Journals) {
    if (JournalHeading(content, journal)) flow.Text(journal.Name, journalFont, heading, 1.0, 4);
    if (journal.Root) {
      const TJournalCharts charts = DrawJournalCharts(*journal.Root, content);
      flow.Picture(charts.PerDay, flow.Width());
      flow.Picture(charts.Quality, flow.Width() / 2);
    }
    for (const TExportNight& night : journal.Nights) {
      flow.Text(NightTitle(*night.Day), nightFont, heading, 0.9, 4);
      const QString nightComment = NightComment(*night.Day);
      if (!nightComment.isEmpty())
        flow.Text(QString::fromUtf8(res::ExportNightComment) + QLatin1Char(' ') + nightComment, italic, meta, 0.2);
      for (const TXMLNode* node : night.Dreams) {
        const TDreamText dream = ReadDream(*node, content, options);
        flow.Text(dream.Number + QStringLiteral(". ") + dream.Title, dreamFont, ink, 0.7, 3);
        if (!dream.Labels.isEmpty())
          flow.Text(QString::fromUtf8(res::ExportLabels) + QLatin1Char(' ') + dream.Labels.join(QStringLiteral(", ")), small, meta, 0.1);
        flow.Text(EnergyLine(dream), small, meta, 0.1);
        for (const QString& line : dream.Description) flow.Text(line, body, ink, 0.2);
        if (!dream.Comment.isEmpty())
          flow.Text(QString::fromUtf8(res::CaptionComment) + QLatin1Char(' ') + dream.Comment, italic, meta, 0.2);
        if (!dream.Picture.isEmpty()) {
          auto found = pictures.find(dream.Picture);
          if (found == pictures.end()) found = pictures.insert(dream.Picture, ReadPicture(dream.Picture));
          flow.Picture(*found, flow.Width() * 0.6);
        }
        if (!progress.Step()) {
          painter.end();
          return TExportResult::Cancelled;
        }
      }
    }
  }
  flow.Finish();
  painter.end();
  return TExportResult::Done;
}
