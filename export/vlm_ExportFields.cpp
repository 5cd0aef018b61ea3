#include "vlm_ExportFields.h"

#include <array>

#include "vlm_EntryFields.h"
#include "vlm_Resources.h"
#include "vlm_Statistics.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {
QString Res(const char* utf8) { return QString::fromUtf8(utf8); }

QString EnergyWord(double value) {
  if (value >= 0.5) return Res(res::ExportEnergyVeryHigh);
  if (value > 0.15) return Res(res::ExportEnergyHigh);
  if (value >= -0.15) return Res(res::ExportEnergyNeutral);
  if (value > -0.5) return Res(res::ExportEnergyLow);
  return Res(res::ExportEnergyVeryLow);
}

// An attribute that is there, or "" (never the reader's "undefined").
std::string Attribute(const TXMLNode& element, std::string_view name) {
  std::string value = element.GetAttribute(name);
  return value == litUndefined ? std::string() : value;
}
}  // namespace

QString CpText(std::string_view cp1251) {
  // One character per byte, from a table made once (a journal of many years is mostly this).
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const QString one = QString::fromStdString(Cp1251ToUtf8(std::string_view(&byte, 1)));
      t[static_cast<std::size_t>(b)] = one.size() == 1 ? one.at(0).unicode() : u'\uFFFD';
    }
    return t;
  }();
  QString text(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : cp1251) *out++ = QChar(table[static_cast<unsigned char>(c)]);
  return text;
}

TDreamText ReadDream(const TXMLNode& dream, const TExportContent& content, const TExportOptions& options) {
  TDreamText text;
  text.Number = CpText(Attribute(dream, attrNumber));
  text.Title = CpText(Attribute(dream, attrTitle));
  for (int n = 1; n <= kLabelCount; ++n)
    if (ReadLabelFlag(dream, n)) text.Labels << content.LabelCaptions[n - 1];
  const TEnergyLevel energy = ReadEnergyLevel(dream);
  if (energy.State == TEnergyLevel::Invalid) {
    text.EnergyWord = Res(res::ExportEnergyUnknown);
    text.EnergyValue = CpText(energy.Text);
  } else {
    // No level at all is neutral, as the editor shows it.
    const double value = energy.State == TEnergyLevel::Valid ? (kEnergyMiddle - energy.Level) / double(kEnergyMiddle) : 0.0;
    text.EnergyWord = EnergyWord(value);
    text.EnergyValue = QString::fromStdString(FormatGeneral(value, ","));
  }
  const QString description = CpText(ChildText(dream, tagDescription));
  if (!description.isEmpty()) {
    text.Description = description.split(QLatin1Char('\n'));
    for (QString& line : text.Description)
      if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  text.Comment = CpText(ChildText(dream, tagComment));
  if (options.PictureFile)
    if (const TXMLNode* image = DirectChild(dream, tagImage)) {
      const std::string path = Attribute(*image, attrPath);
      if (!path.empty()) text.Picture = options.PictureFile(path);
    }
  return text;
}

QString NightTitle(const TXMLNode& day) { return Res(res::ExportNight).arg(CpText(Attribute(day, attrName))); }

QString NightComment(const TXMLNode& day) { return CpText(ChildText(day, tagComment)); }

bool JournalHeading(const TExportContent& content, const TExportJournal& journal) {
  return content.Journals.size() > 1 || journal.Name != content.Title;
}

QString EnergyLine(const TDreamText& dream) {
  return Res(res::CaptionEnergy) + QLatin1Char(' ') + dream.EnergyWord + QStringLiteral(" (") + dream.EnergyValue +
         QLatin1Char(')');
}
