// What an export holds: the journals, nights and dreams of the part the user chose.
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <utility>

#include "vlm_Export.h"
#include "vlm_Resources.h"
#include "vlm_Search.h"
#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {
QString FromCp(std::string_view cp1251) { return QString::fromStdString(Cp1251ToUtf8(cp1251)); }

TExportNight NightOf(const TXMLNode& day) {
  TExportNight night;
  night.Day = &day;
  for (const auto& child : day.Children)
    if (child->Name == tagExperience) night.Dreams.push_back(child.get());
  return night;
}
}  // namespace

int TExportContent::DreamCount() const {
  int count = 0;
  for (const TExportJournal& journal : Journals)
    for (const TExportNight& night : journal.Nights) count += static_cast<int>(night.Dreams.size());
  return count;
}

bool TExportRange::Contains(const TXMLNode& day) const {
  if (!From && !To) return true;
  const std::optional<int> date = DayNumberOfName(std::string_view(day.GetAttribute(attrName)));
  return date && (!From || *date >= *From) && (!To || *date <= *To);
}

void ReadLabelCaptions(const TXMLNode* libraryRoot, TExportContent& content) {
  TLibrarySettings settings;
  if (libraryRoot) settings = ReadLibrarySettings(*libraryRoot);
  for (int k = 0; k < kLabelCount; ++k) {
    content.LabelDefined[k] = settings.LabelDefined[k];
    content.LabelCaptions[k] = settings.LabelDefined[k] ? FromCp(settings.LabelCaptions[k])
                                                        : QString::fromUtf8(res::SearchLabelDefault).arg(k + 1);
  }
}

void LimitToRange(TExportContent& content, const TExportRange& range) {
  for (TExportJournal& journal : content.Journals)
    std::erase_if(journal.Nights, [&range](const TExportNight& night) { return !night.Day || !range.Contains(*night.Day); });
  std::erase_if(content.Journals, [](const TExportJournal& journal) { return journal.Nights.empty() && !journal.Root; });
}

TExportJournal JournalPart(const QString& name, const TXMLNode& root, const TExportRange& range) {
  TExportJournal journal;
  journal.Name = name;
  journal.Root = &root;
  for (const auto& child : root.Children)
    if (child->Name == tagDay && range.Contains(*child)) journal.Nights.push_back(NightOf(*child));
  return journal;
}

TExportJournal NightPart(const QString& journalName, const TXMLNode& day) {
  TExportJournal journal;
  journal.Name = journalName;
  journal.Nights.push_back(NightOf(day));
  return journal;
}

TExportJournal DreamPart(const QString& journalName, const TXMLNode& day, const TXMLNode& dream) {
  TExportJournal journal;
  journal.Name = journalName;
  AddFoundDream(journal, day, dream);
  return journal;
}

void AddFoundDream(TExportJournal& journal, const TXMLNode& day, const TXMLNode& dream) {
  if (journal.Nights.empty() || journal.Nights.back().Day != &day) journal.Nights.push_back({&day, {}});
  journal.Nights.back().Dreams.push_back(&dream);
}

std::vector<TExportJournal> JournalsBelow(const TXMLNode& element, const TExportRange& range,
                                          const std::function<const TXMLNode*(const TXMLNode& entry)>& open) {
  std::vector<TExportJournal> journals;
  // Depth first in the tree's order, with a stack: the file decides how deep catalogs go.
  std::vector<std::pair<const TXMLNode*, int>> stack{{&element, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (node->Name == tagFile) {
      if (const TXMLNode* root = open ? open(*node) : nullptr)
        journals.push_back(JournalPart(FromCp(std::string_view(node->GetAttribute(attrName))), *root, range));
      stack.pop_back();
      continue;
    }
    if (next >= node->ChildCount()) {
      stack.pop_back();
      continue;
    }
    const TXMLNode* child = node->GetChild(next++);
    if (child->Name == tagDirectory || child->Name == tagFile) stack.emplace_back(child, 0);
  }
  return journals;
}

QString ProposedFileName(const TExportContent& content, TExportFormat format) {
  QString name = content.Title.trimmed();
  static const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
  for (QChar& c : name)
    if (kForbidden.contains(c) || c.unicode() < 0x20) c = QLatin1Char('_');
  while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);
  if (name.isEmpty()) name = QStringLiteral("velmora");
  return name + QLatin1Char('.') + ExportSuffix(format);
}

QString ReadDocumentOnly(const QString& file, TXMLParser& document) {
  QFile in(file);
  if (!QFileInfo(file).isFile() || !in.open(QIODevice::ReadOnly))
    return QString::fromUtf8(res::CliNoFile).arg(file);
  const QByteArray bytes = in.readAll();
  document.FileName = Utf8ToCp1251(file.toStdString());
  const TXMLResult status = document.LoadFromString(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  if (status != xrOk || !document.Root)
    return QString::fromUtf8(res::ExportCannotReadJournal).arg(file, QString::fromStdString(res::LoadStatusText(int(status))));
  return {};
}
