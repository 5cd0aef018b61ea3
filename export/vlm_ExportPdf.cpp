// The PDF written directly rather than through Qt's PDF writer, which puts every glyph on the page
// as an operation of its own (about a hundred kilobytes of page text to compress per page of a
// journal): here a line is one string of glyphs. Lines are broken at blanks (a word longer than a
// line anywhere) from the advances of the characters, remembered per font.
#include "vlm_ExportPdf.h"

#include <QFontDatabase>
#include <QImage>
#include <algorithm>
#include <functional>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "vlm_ExportLayout.h"
#include "vlm_PdfDocument.h"

namespace {
constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPageWidth = 210 * kPointsPerMm, kPageHeight = 297 * kPointsPerMm;
constexpr double kLeft = 20 * kPointsPerMm, kRight = 20 * kPointsPerMm, kTop = 18 * kPointsPerMm,
                 kBottom = 15 * kPointsPerMm;
constexpr qsizetype kCheckLength = 1 << 15;  // a long paragraph asks whether to go on this often

// Control characters are drawn as blanks, as Qt's layout leaves them out.
char32_t Visible(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0) ? U' ' : c; }
bool Blank(char32_t c) { return c == U' ' || c == U'\t'; }

// The character at `i` (a pair of surrogates as one) and how many UTF-16 units it takes.
std::pair<char32_t, int> CharAt(QStringView text, qsizetype i) {
  const char16_t c = text[i].unicode();
  if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
    return {QChar::surrogateToUcs4(c, text[i + 1].unicode()), 2};
  if (QChar::isSurrogate(c)) return {U'\uFFFD', 1};
  return {c, 1};
}

// A face at a size, in points; an italic without an italic face of its own is leant.
struct TFlowFont {
  int Face = 0;
  double Size = 10, Slant = 0, Ascent = 0, LineHeight = 0, LineSpacing = 0;
};

// A glyph of a face of the document.
struct TPlaced {
  int Face = 0;
  quint16 Index = 0;
  double Advance = 0;  // in ems
};

// The flow of vlm_ExportLayout on A4 pages of the document, in points from the top left of the
// part inside the margins.
class TPdfFlow {
public:
  TPdfFlow(TPdfDocument& document, std::function<bool()> keepGoing) : FDocument(document), FKeepGoing(std::move(keepGoing)) {
    FFooter = Font(8);
    FBottom = kPageHeight - kTop - kBottom - 2 * FFooter.LineSpacing;
  }

  TFlowFont Font(qreal points, bool bold = false, bool italic = false) {
    TFlowFont font;
    font.Face = Face(CyrillicFamily(), bold, italic);
    const TPdfFont& face = FDocument.Font(font.Face);
    if (italic && !FItalic[font.Face]) font.Slant = 0.2;
    font.Size = points;
    font.Ascent = face.Ascent() * points;
    font.LineHeight = (face.Ascent() + face.Descent()) * points;
    font.LineSpacing = font.LineHeight + std::max(0.0, face.LineGap()) * points;
    return font;
  }

  // A paragraph wrapped to the page's width; `keep` as in the printer's flow.
  void Text(const QString& text, const TFlowFont& font, QColor colour, qreal before, int keep = 1) {
    Space(before * font.LineSpacing);
    if (FY + keep * font.LineSpacing > FBottom) NewPage();
    Wrap(text, font, [&](qsizetype from, qsizetype to) {
      if (FY + font.LineHeight > FBottom) NewPage();
      FDocument.SetColour(colour);
      DrawLine(QStringView(text).mid(from, to - from), font, 0);
      FY += font.LineHeight;
    });
  }
  qreal Height(const QString& text, const TFlowFont& font, qreal before) {
    qreal height = before * font.LineSpacing;
    Wrap(text, font, [&](qsizetype, qsizetype) { height += font.LineHeight; });
    return height;
  }

  QSizeF PictureSize(const QImage& image, qreal maxWidth) const {
    const QSizeF size = QSizeF(image.size()) * (72.0 / 96.0);
    return size.scaled(std::min(size.width(), maxWidth), std::min(size.height(), FBottom / 3), Qt::KeepAspectRatio);
  }
  void Picture(const QImage& image, qreal maxWidth) {
    if (image.isNull()) return;
    const QSizeF size = PictureSize(image, maxWidth);
    Space(size.height() * 0.05);
    if (FY + size.height() > FBottom) NewPage();
    FDocument.Image(image, QRectF(QPointF(kLeft, kTop + FY), size));
    FY += size.height() * 1.05;
  }

  void KeepTogether(qreal height) {
    if (FY > 0 && FY + height > FBottom) NewPage();
  }
  void Space(qreal height) {
    if (FY > 0) FY += height;
  }
  void Finish() {
    Footer();
    FDocument.EndPage();
  }
  qreal Width() const { return FWidth; }
  bool Stopped() const { return FStopped; }
  qsizetype Lost() const { return 0; }  // every character gets a line
  bool FontsValid() const { return FValid; }

private:
  // The document's face of `family` in that style, added once.
  int Face(const QString& family, bool bold, bool italic) {
    const QString key = family + QLatin1Char(bold ? 'b' : '-') + QLatin1Char(italic ? 'i' : '-');
    if (const auto found = FFaces.find(key); found != FFaces.end()) return found->second;
    QFont font(family, 10);
    font.setBold(bold);
    font.setItalic(italic);
    QRawFont raw = QRawFont::fromFont(font);
    auto pdfFont = std::make_unique<TPdfFont>(raw);
    if (!pdfFont->IsValid()) {  // a family without TrueType outlines: the application's font instead
      raw = QRawFont::fromFont(QFont());
      pdfFont = std::make_unique<TPdfFont>(raw);
    }
    FValid = FValid && pdfFont->IsValid();
    const int face = FDocument.AddFont(std::move(pdfFont));
    FItalic[face] = raw.style() != QFont::StyleNormal;
    FFaces.emplace(key, face);
    return face;
  }

  // The glyph of `c` in the font's face, else in the first face of the system that has one.
  TPlaced Glyph(char32_t c, const TFlowFont& font) {
    TPdfFont& face = FDocument.Font(font.Face);
    const TPdfFont::TGlyph& glyph = face.Glyph(c);
    if (glyph.Index != 0 || c < 0x500) return {font.Face, glyph.Index, glyph.Advance};
    auto other = FOtherFace.find(c);
    if (other == FOtherFace.end()) {
      int found = font.Face;
      for (const QString& family : QFontDatabase::families())
        if (QRawFont::fromFont(QFont(family, 10)).supportsCharacter(uint(c))) {
          found = Face(family, false, false);
          break;
        }
      other = FOtherFace.emplace(c, found).first;
    }
    const TPdfFont::TGlyph& substitute = FDocument.Font(other->second).Glyph(c);
    return {other->second, substitute.Index, substitute.Advance};
  }

  // Calls line(from, to) for each line of `text`: as many characters as fit, broken after the
  // last blank that fits (blanks may hang past the edge), a word wider than the line anywhere.
  template <class Line>
  void Wrap(QStringView text, const TFlowFont& font, Line&& line) {
    if (text.isEmpty()) return line(0, 0);
    const double width = FWidth / font.Size;  // in ems
    qsizetype sinceAsked = 0;
    for (qsizetype from = 0; from < text.size() && !FStopped;) {
      double taken = 0;
      qsizetype i = from, afterBlank = -1;
      while (i < text.size()) {
        const auto [c, units] = CharAt(text, i);
        const double advance = Glyph(Visible(c), font).Advance;
        if (Blank(c)) {
          afterBlank = i + units;
        } else if (taken + advance > width && i > from) {
          break;
        }
        taken += advance;
        i += units;
      }
      const qsizetype to = i == text.size() ? i : (afterBlank > from ? afterBlank : i);
      line(from, to);
      sinceAsked += to - from;
      from = to;
      if (sinceAsked >= kCheckLength && from < text.size()) {
        sinceAsked = 0;
        if (FKeepGoing && !FKeepGoing()) FStopped = true;
      }
    }
  }

  // One line: a string of glyphs for each run of one face.
  void DrawLine(QStringView text, const TFlowFont& font, double x) {
    qsizetype end = text.size();
    while (end > 0 && Blank(text[end - 1].unicode())) --end;  // blanks at the end show nothing
    x += kLeft;
    const double baseline = kTop + FY + font.Ascent;
    double runX = x;
    int runFace = font.Face;
    FGlyphs.clear();
    for (qsizetype i = 0; i < end;) {
      const auto [c, units] = CharAt(text, i);
      const TPlaced glyph = Glyph(Visible(c), font);
      if (glyph.Face != runFace) {
        FDocument.Text(runFace, font.Size, font.Slant, runX, baseline, FGlyphs);
        FGlyphs.clear();
        runFace = glyph.Face;
        runX = x;
      }
      FDocument.Font(glyph.Face).Use(glyph.Index, Visible(c));
      FGlyphs.push_back(glyph.Index);
      x += glyph.Advance * font.Size;
      i += units;
    }
    FDocument.Text(runFace, font.Size, font.Slant, runX, baseline, FGlyphs);
  }

  void NewPage() {
    Footer();
    FDocument.EndPage();
    ++FPage;
    FY = 0;
  }
  void Footer() {
    const QString number = QString::fromUtf8(res::ExportPage).arg(FPage);
    double width = 0;
    for (qsizetype i = 0; i < number.size(); ++i) width += Glyph(Visible(number[i].unicode()), FFooter).Advance * FFooter.Size;
    const double y = FY;
    FY = FBottom + FFooter.LineSpacing;
    FDocument.SetColour(Qt::darkGray);
    DrawLine(number, FFooter, (FWidth - width) / 2);
    FY = y;
  }

  TPdfDocument& FDocument;
  std::function<bool()> FKeepGoing;
  std::unordered_map<QString, int> FFaces;     // family and style -> the document's face
  std::unordered_map<int, bool> FItalic;       // face -> whether it is italic of its own
  std::unordered_map<char32_t, int> FOtherFace;  // characters the fonts' faces lack -> a face that has them
  TFlowFont FFooter;
  std::vector<quint16> FGlyphs;
  double FWidth = kPageWidth - kLeft - kRight, FBottom = 0, FY = 0;
  int FPage = 1;
  bool FStopped = false;
  bool FValid = true;  // every face has the tables a PDF needs
};
}  // namespace

TExportResult WritePdf(const TExportContent& content, const TExportOptions& options, QIODevice& file) {
  TPdfDocument document(file, kPageWidth, kPageHeight);
  TProgress progress(options, content.DreamCount());
  TPdfFlow flow(document, [&progress] { return progress.Step(0); });
  if (!flow.FontsValid()) return {TExportResult::Failed, QString::fromUtf8(res::ExportPdfFailed)};
  TExportResult result = LayOutPages(content, options, progress, flow);
  if (result.Outcome == TExportResult::Cancelled) return result;
  if (!flow.FontsValid()) return {TExportResult::Failed, QString::fromUtf8(res::ExportPdfFailed)};
  flow.Finish();
  if (!document.Finish(content.Title, QString::fromUtf8(res::AppTitle))) return {TExportResult::Failed, file.errorString()};
  return result;
}
