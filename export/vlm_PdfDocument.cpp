#include "vlm_PdfDocument.h"

#include <zlib.h>

#include <charconv>

namespace {
// Page text is mostly glyph numbers: the fastest level packs it almost as well as the default.
QByteArray Deflate(const QByteArray& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  QByteArray out(qsizetype(size), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                level) != Z_OK)
    return {};
  out.resize(qsizetype(size));
  return out;
}

QByteArray Utf16Text(const QString& text) {
  QByteArray out = "<FEFF";
  for (QChar c : text) out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
  return out + '>';
}

QByteArray Ref(int object) { return QByteArray::number(object) + " 0 R"; }

}  // namespace

TPdfDocument::TPdfDocument(QIODevice& out, double pageWidth, double pageHeight) : FOut(out), FWidth(pageWidth), FHeight(pageHeight) {
  Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  FContent.reserve(1 << 16);
}

TPdfDocument::~TPdfDocument() = default;

int TPdfDocument::AddFont(std::unique_ptr<TPdfFont> font) {
  FFonts.push_back({std::move(font), Reserve()});
  return int(FFonts.size()) - 1;
}

void TPdfDocument::Write(const QByteArray& bytes) {
  if (FFailed) return;
  if (FOut.write(bytes) != bytes.size()) FFailed = true;
  FWritten += bytes.size();
}

void TPdfDocument::Begin(int object) {
  if (FOffsets.size() <= std::size_t(object)) FOffsets.resize(std::size_t(object) + 1, -1);
  FOffsets[std::size_t(object)] = FWritten;
  Write(QByteArray::number(object) + " 0 obj\n");
}

void TPdfDocument::Stream(int object, const QByteArray& dictionary, const QByteArray& data) {
  const QByteArray packed = Deflate(data, data.size() > (1 << 15) ? Z_DEFAULT_COMPRESSION : Z_BEST_SPEED);
  Begin(object);
  Write("<< " + dictionary + " /Filter /FlateDecode /Length " + QByteArray::number(packed.size()) + " >>\nstream\n");
  Write(packed);
  Write("\nendstream\nendobj\n");
}

void TPdfDocument::Number(double value) {
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  FContent.append(buffer, end - buffer);
}

void TPdfDocument::SetColour(QColor colour) {
  if (colour == FColour) return;
  FColour = colour;
  Number(colour.redF());
  FContent += ' ';
  Number(colour.greenF());
  FContent += ' ';
  Number(colour.blueF());
  FContent += " rg\n";
}

void TPdfDocument::Text(int font, double size, double slant, double x, double baseline, const std::vector<quint16>& glyphs) {
  if (glyphs.empty()) return;
  FContent += "BT /F";
  FContent += QByteArray::number(font);
  FContent += ' ';
  Number(size);
  FContent += " Tf 1 0 ";
  Number(slant);
  FContent += " 1 ";
  Number(x);
  FContent += ' ';
  Number(FHeight - baseline);
  FContent += " Tm (";
  // The glyph numbers as bytes, high byte first: half the page text of hexadecimal to compress.
  const qsizetype at = FContent.size();
  FContent.resize(at + 4 * qsizetype(glyphs.size()));
  char* out = FContent.data() + at;
  for (quint16 glyph : glyphs)
    for (const char byte : {char(glyph >> 8), char(glyph & 0xFF)}) {
      if (byte == '(' || byte == ')' || byte == '\\') *out++ = '\\';
      if (byte == '\r') {  // a bare CR in a string would be read as a line's end
        *out++ = '\\';
        *out++ = 'r';
      } else {
        *out++ = byte;
      }
    }
  FContent.resize(out - FContent.data());
  FContent += ") Tj ET\n";
}

void TPdfDocument::Image(const QImage& image, const QRectF& where) {
  if (image.isNull()) return;
  int object = FImages.value(image.cacheKey());
  if (!object) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray pixels;
    pixels.reserve(qsizetype(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y) pixels.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype(rgb.width()) * 3);
    QByteArray mask;
    if (image.hasAlphaChannel()) {
      const QImage alpha = image.convertToFormat(QImage::Format_Alpha8);
      QByteArray levels;
      for (int y = 0; y < alpha.height(); ++y) levels.append(reinterpret_cast<const char*>(alpha.constScanLine(y)), alpha.width());
      const int maskObject = Reserve();
      Stream(maskObject, "/Type /XObject /Subtype /Image /Width " + QByteArray::number(image.width()) + " /Height " +
                             QByteArray::number(image.height()) + " /ColorSpace /DeviceGray /BitsPerComponent 8",
             levels);
      mask = " /SMask " + Ref(maskObject);
    }
    object = Reserve();
    Stream(object, "/Type /XObject /Subtype /Image /Width " + QByteArray::number(image.width()) + " /Height " +
                       QByteArray::number(image.height()) + " /ColorSpace /DeviceRGB /BitsPerComponent 8" + mask,
           pixels);
    FImages.insert(image.cacheKey(), object);
  }
  const QByteArray name = "/Im" + QByteArray::number(object);
  if (!FPageImages.contains(name + ' ')) FPageImages += name + ' ' + Ref(object) + ' ';
  FContent += "q ";
  Number(where.width());
  FContent += " 0 0 ";
  Number(where.height());
  FContent += ' ';
  Number(where.left());
  FContent += ' ';
  Number(FHeight - where.bottom());
  FContent += " cm " + name + " Do Q\n";
}

void TPdfDocument::EndPage() {
  const int content = Reserve(), page = Reserve();
  Stream(content, {}, FContent);
  FContent.clear();
  QByteArray fonts;
  for (std::size_t i = 0; i < FFonts.size(); ++i) fonts += "/F" + QByteArray::number(qulonglong(i)) + ' ' + Ref(FFonts[i].Object) + ' ';
  Begin(page);
  Write("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(FWidth) + ' ' + QByteArray::number(FHeight) +
        "] /Resources << /Font << " + fonts + ">> /XObject << " + FPageImages + ">> >> /Contents " + Ref(content) + " >>\nendobj\n");
  FPageImages.clear();
  FColour = Qt::black;  // each page starts in the default state
  FPages.push_back(page);
}

bool TPdfDocument::Finish(const QString& title, const QString& creator) {
  for (std::size_t i = 0; i < FFonts.size(); ++i) {
    TPdfFont& font = *FFonts[i].Font;
    const QByteArray name = '/' + QByteArray(6, char('A' + i % 26)) + '+' + font.Name().toLatin1();
    const QByteArray program = font.Program();
    const int file = Reserve(), descriptor = Reserve(), cid = Reserve(), map = Reserve();
    Stream(file, "/Length1 " + QByteArray::number(program.size()), program);
    Begin(descriptor);
    Write("<< /Type /FontDescriptor /FontName " + name + " /Flags 4 /FontBBox " + font.Box() + " /ItalicAngle 0 /Ascent " +
          QByteArray::number(qRound(font.Ascent() * 1000)) + " /Descent " + QByteArray::number(-qRound(font.Descent() * 1000)) +
          " /CapHeight " + QByteArray::number(qRound(font.Ascent() * 1000)) + " /StemV 80 /FontFile2 " + Ref(file) + " >>\nendobj\n");
    Begin(cid);
    Write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont " + name +
          " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " + Ref(descriptor) +
          " /DW 1000 /W " + font.Widths() + " /CIDToGIDMap /Identity >>\nendobj\n");
    Stream(map, {}, font.ToUnicode());
    Begin(FFonts[i].Object);
    Write("<< /Type /Font /Subtype /Type0 /BaseFont " + name + " /Encoding /Identity-H /DescendantFonts [" + Ref(cid) +
          "] /ToUnicode " + Ref(map) + " >>\nendobj\n");
  }
  QByteArray kids;
  kids.reserve(qsizetype(FPages.size()) * 10);
  for (int page : FPages) kids += Ref(page) + ' ';
  Begin(2);
  Write("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(qulonglong(FPages.size())) + " >>\nendobj\n");
  Begin(1);
  Write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
  Begin(3);
  Write("<< /Title " + Utf16Text(title) + " /Creator " + Utf16Text(creator) + " /Producer " + Utf16Text(creator) + " >>\nendobj\n");
  const qint64 table = FWritten;
  FOffsets.resize(std::size_t(FLastObject) + 1, -1);
  QByteArray xref = "xref\n0 " + QByteArray::number(FLastObject + 1) + "\n0000000000 65535 f \n";
  for (int object = 1; object <= FLastObject; ++object) {
    const qint64 offset = FOffsets[std::size_t(object)];
    xref += offset < 0 ? QByteArray("0000000000 65535 f \n") : QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
  }
  Write(xref);
  Write("trailer\n<< /Size " + QByteArray::number(FLastObject + 1) + " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" +
        QByteArray::number(table) + "\n%%EOF\n");
  return !FFailed;
}
