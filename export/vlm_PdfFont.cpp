#include "vlm_PdfFont.h"

#include <QString>
#include <algorithm>
#include <map>

namespace {
quint16 U16(const QByteArray& table, qsizetype at) {
  if (at + 2 > table.size()) return 0;
  return quint16(quint8(table[at]) << 8 | quint8(table[at + 1]));
}
qint16 S16(const QByteArray& table, qsizetype at) { return qint16(U16(table, at)); }
quint32 U32(const QByteArray& table, qsizetype at) { return quint32(U16(table, at)) << 16 | U16(table, at + 2); }
void Put16(QByteArray& out, quint16 v) {
  out.append(char(v >> 8));
  out.append(char(v & 0xFF));
}
void Put32(QByteArray& out, quint32 v) {
  Put16(out, quint16(v >> 16));
  Put16(out, quint16(v & 0xFFFF));
}
void Set16(QByteArray& table, qsizetype at, quint16 v) {
  if (at + 2 > table.size()) return;
  table[at] = char(v >> 8);
  table[at + 1] = char(v & 0xFF);
}
quint32 CheckSum(const QByteArray& table) {
  quint32 sum = 0;
  QByteArray padded = table;
  while (padded.size() % 4) padded.append('\0');
  for (qsizetype i = 0; i < padded.size(); i += 4) sum += U32(padded, i);
  return sum;
}
QByteArray Hex16(quint16 v) { return QByteArray::number(v, 16).rightJustified(4, '0').toUpper(); }
}  // namespace

TPdfFont::TPdfFont(const QRawFont& font) : FFont(font) {
  FHead = font.fontTable("head");
  FHhea = font.fontTable("hhea");
  FHmtx = font.fontTable("hmtx");
  FMaxp = font.fontTable("maxp");
  FLoca = font.fontTable("loca");
  FGlyf = font.fontTable("glyf");
  if (FHead.size() < 54 || FHhea.size() < 36 || FMaxp.size() < 6 || FLoca.isEmpty() || FGlyf.isEmpty()) return;
  FGlyphCount = U16(FMaxp, 4);
  FMetricCount = U16(FHhea, 34);
  if (FMetricCount == 0 || FHmtx.size() < FMetricCount * 4) return;
  FUnitsPerEm = U16(FHead, 18);
  if (FUnitsPerEm == 0) return;
  FAscent = S16(FHhea, 4) / double(FUnitsPerEm);
  FDescent = -S16(FHhea, 6) / double(FUnitsPerEm);
  FLineGap = S16(FHhea, 8) / double(FUnitsPerEm);
  FText.assign(std::size_t(FGlyphCount), 0);
}

bool TPdfFont::Holds(char32_t c) const { return FFont.supportsCharacter(uint(c)); }

const TPdfFont::TGlyph& TPdfFont::Glyph(char32_t c) {
  TGlyph* glyph = nullptr;
  if (c < FCommon.size()) glyph = &FCommon[c];
  else glyph = &FOther[c];
  if (glyph->Advance >= 0) return *glyph;
  if (!IsValid()) return *glyph = {0, 0.5};  // the export fails; the layout still ends
  const QString text = QString::fromUcs4(&c, 1);
  quint32 indexes[2] = {0, 0};
  int count = 2;
  if (!FFont.glyphIndexesForChars(text.constData(), int(text.size()), indexes, &count) || count < 1) indexes[0] = 0;
  const quint16 index = indexes[0] < quint32(FGlyphCount) ? quint16(indexes[0]) : 0;
  *glyph = {index, Advance(index) / double(FUnitsPerEm)};
  return *glyph;
}

void TPdfFont::Use(quint16 glyph, char32_t c) {
  if (glyph < FText.size() && !FText[glyph]) FText[glyph] = c;
}

quint16 TPdfFont::Advance(quint16 glyph) const {
  return U16(FHmtx, 4 * std::min<int>(glyph, FMetricCount - 1));
}

QString TPdfFont::Name() const {
  QString name = FFont.familyName() + QLatin1Char('-') + FFont.styleName();
  name.remove(QLatin1Char(' '));
  for (QChar& c : name)
    if (c.unicode() > 0x7E || QStringLiteral("()<>[]{}/%#").contains(c)) c = QLatin1Char('_');
  return name;
}

QByteArray TPdfFont::Program() const {
  const bool longLoca = S16(FHead, 50) == 1;
  auto offset = [&](int glyph) -> quint32 { return longLoca ? U32(FLoca, glyph * 4) : quint32(U16(FLoca, glyph * 2)) * 2; };
  // The glyphs drawn and, of composite ones, the glyphs they are made of (a work list, no recursion).
  std::vector<bool> keep(std::size_t(FGlyphCount), false);
  std::vector<int> pending{0};
  for (int g = 0; g < FGlyphCount; ++g)
    if (FText[std::size_t(g)]) pending.push_back(g);
  while (!pending.empty()) {
    const int glyph = pending.back();
    pending.pop_back();
    if (glyph >= FGlyphCount || keep[std::size_t(glyph)]) continue;
    keep[std::size_t(glyph)] = true;
    const quint32 start = offset(glyph), end = offset(glyph + 1);
    if (end <= start + 10 || end > quint32(FGlyf.size()) || S16(FGlyf, start) >= 0) continue;
    for (quint32 at = start + 10; at + 4 <= end;) {
      const quint16 flags = U16(FGlyf, at);
      pending.push_back(U16(FGlyf, at + 2));
      at += 4 + ((flags & 0x1) ? 4 : 2) + ((flags & 0x8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
      if (!(flags & 0x20)) break;
    }
  }
  QByteArray glyf, loca;
  for (int g = 0; g < FGlyphCount; ++g) {
    Put32(loca, quint32(glyf.size()));
    const quint32 start = offset(g), end = offset(g + 1);
    if (keep[std::size_t(g)] && start < end && end <= quint32(FGlyf.size())) {
      glyf.append(FGlyf.mid(start, end - start));
      while (glyf.size() % 4) glyf.append('\0');
    }
  }
  Put32(loca, quint32(glyf.size()));
  QByteArray head = FHead;
  Set16(head, 8, 0);  // the whole file's check sum, left out
  Set16(head, 10, 0);
  Set16(head, 50, 1);  // long offsets in loca
  std::map<QByteArray, QByteArray> tables{{"head", head}, {"hhea", FHhea}, {"hmtx", FHmtx}, {"maxp", FMaxp},
                                          {"loca", loca}, {"glyf", glyf}};
  for (const char* tag : {"cvt ", "fpgm", "prep"})
    if (const QByteArray table = FFont.fontTable(tag); !table.isEmpty()) tables.emplace(tag, table);
  QByteArray file;
  const quint16 count = quint16(tables.size());
  quint16 power = 1, log = 0;
  while (power * 2 <= count) power *= 2, ++log;
  Put32(file, 0x00010000);
  Put16(file, count);
  Put16(file, quint16(power * 16));
  Put16(file, log);
  Put16(file, quint16(count * 16 - power * 16));
  quint32 at = 12 + 16 * count;
  for (const auto& [tag, table] : tables) {
    file.append(tag);
    Put32(file, CheckSum(table));
    Put32(file, at);
    Put32(file, quint32(table.size()));
    at += quint32((table.size() + 3) / 4 * 4);
  }
  for (const auto& [tag, table] : tables) {
    file.append(table);
    while (file.size() % 4) file.append('\0');
  }
  return file;
}

QByteArray TPdfFont::Widths() const {
  QByteArray out = "[";
  for (int g = 0; g < FGlyphCount; ++g)
    if (FText[std::size_t(g)])
      out += QByteArray::number(g) + " [" + QByteArray::number(qRound(Advance(quint16(g)) * 1000.0 / FUnitsPerEm)) + "] ";
  return out + "]";
}

QByteArray TPdfFont::ToUnicode() const {
  std::vector<int> drawn;
  for (int g = 0; g < FGlyphCount; ++g)
    if (FText[std::size_t(g)]) drawn.push_back(g);
  QByteArray out =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  for (std::size_t from = 0; from < drawn.size(); from += 100) {
    const std::size_t to = std::min(drawn.size(), from + 100);
    out += QByteArray::number(qulonglong(to - from)) + " beginbfchar\n";
    for (std::size_t i = from; i < to; ++i) {
      const char32_t c = FText[std::size_t(drawn[i])];
      const QString text = QString::fromUcs4(&c, 1);
      out += '<' + Hex16(quint16(drawn[i])) + "> <";
      for (QChar unit : text) out += Hex16(unit.unicode());
      out += ">\n";
    }
    out += "endbfchar\n";
  }
  return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

QByteArray TPdfFont::Box() const {
  QByteArray out = "[";
  for (int i = 0; i < 4; ++i) out += QByteArray::number(qRound(S16(FHead, 36 + 2 * i) * 1000.0 / FUnitsPerEm)) + ' ';
  return out + ']';
}
