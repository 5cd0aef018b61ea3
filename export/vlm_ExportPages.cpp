// Pages for PDF and the printer: the content flowed line by line down A4 pages (a line, a heading
// or a picture that does not fit goes to the next page), each page numbered at its foot. Laid out
// by hand rather than through one rich-text document, so that a journal of many years is painted
// page after page and the progress callback is called all along.
#include <QFontDatabase>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

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
  const QColor ink(Qt::black), heading(0x20, 0x30, 0x70), meta(0x33, 0x33, 0x55);
  const QFont title = flow.Font(20, true), journalFont = flow.Font(16, true), nightFont = flow.Font(13, true),
              dreamFont = flow.Font(11.5, true), body = flow.Font(10.5), italic = flow.Font(10.5, false, true),
              small = flow.Font(9.5);
  QHash<QString, QImage> pictures;  // one image per file: the PDF holds it once
  QStringList lost;  // the dreams whose text did not all find a place
  auto stopped = [&] {
    painter.end();
    return TExportResult{TExportResult::Cancelled, {}};
  };
  if (!progress.Step(0)) return stopped();
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
        const QString name = dream.Number + QStringLiteral(". ") + dream.Title;
        const QString labels = QString::fromUtf8(res::ExportLabels) + QLatin1Char(' ') + dream.Labels.join(QStringLiteral(", "));
        const QImage* picture = nullptr;
        if (!dream.Picture.isEmpty()) {
          auto found = pictures.find(dream.Picture);
          if (found == pictures.end()) found = pictures.insert(dream.Picture, ReadPicture(dream.Picture));
          if (!found->isNull()) picture = &*found;
        }
        // A picture stands under its dream's heading, on the page the dream starts on: a dream
        // whose heading and picture do not fit below the one before starts a new page.
        if (picture)
          flow.KeepTogether(flow.Height(name, dreamFont, 0.7) + (dream.Labels.isEmpty() ? 0 : flow.Height(labels, small, 0.1)) +
                            flow.Height(EnergyLine(dream), small, 0.1) + flow.PictureSize(*picture, flow.Width() * 0.6).height() * 1.1);
        const qsizetype lostBefore = flow.Lost();
        flow.Text(name, dreamFont, ink, 0.7, 3);
        if (!dream.Labels.isEmpty()) flow.Text(labels, small, meta, 0.1);
        flow.Text(EnergyLine(dream), small, meta, 0.1);
        if (picture) flow.Picture(*picture, flow.Width() * 0.6);
        for (const QString& line : dream.Description) flow.Text(line, body, ink, 0.2);
        if (!dream.Comment.isEmpty())
          flow.Text(QString::fromUtf8(res::CaptionComment) + QLatin1Char(' ') + dream.Comment, italic, meta, 0.2);
        if (flow.Lost() > lostBefore)
          lost << QString::fromUtf8(res::ExportTextNotPlaced).arg(name).arg(flow.Lost() - lostBefore);
        if (flow.Stopped() || !progress.Step()) return stopped();
      }
    }
  }
  flow.Finish();
  painter.end();
  if (!lost.isEmpty()) return {TExportResult::Failed, lost.join(QStringLiteral("; "))};
  return {};
}
