#pragma once
// A TrueType font as a PDF needs it: the glyph and advance of each character (remembered), and at
// the end the font program holding only the glyphs drawn (glyph numbers kept, the others empty),
// their widths and what text each stands for.
#include <QByteArray>
#include <QRawFont>
#include <unordered_map>
#include <vector>

class TPdfFont {
public:
  struct TGlyph {
    quint16 Index = 0;
    double Advance = -1;  // in ems; negative: not looked up yet
  };

  explicit TPdfFont(const QRawFont& font);
  bool IsValid() const { return FUnitsPerEm > 0; }
  // Whether the font has a glyph of its own for `c`.
  bool Holds(char32_t c) const;
  const TGlyph& Glyph(char32_t c);
  // Marks the glyph as drawn for `c`; the first character drawn with a glyph is the text it stands for.
  void Use(quint16 glyph, char32_t c);

  // In ems.
  double Ascent() const { return FAscent; }
  double Descent() const { return FDescent; }  // positive
  double LineGap() const { return FLineGap; }
  QString Name() const;

  // The font program with the drawn glyphs only; the widths (/W) and the text map (/ToUnicode).
  QByteArray Program() const;
  QByteArray Widths() const;
  QByteArray ToUnicode() const;
  // The bounding box in thousandths of an em, as a PDF array.
  QByteArray Box() const;

private:
  quint16 Advance(quint16 glyph) const;  // in font units

  QRawFont FFont;
  QByteArray FHead, FHhea, FHmtx, FMaxp, FLoca, FGlyf;
  int FUnitsPerEm = 0, FGlyphCount = 0, FMetricCount = 0;
  double FAscent = 0, FDescent = 0, FLineGap = 0;
  std::vector<TGlyph> FCommon = std::vector<TGlyph>(0x500);  // Latin and Cyrillic
  std::unordered_map<char32_t, TGlyph> FOther;
  std::vector<char32_t> FText;  // per glyph: the text it was drawn for, 0 when not drawn
};
