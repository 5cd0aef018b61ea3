#include "vlm_InsightsCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <deque>
#include <exception>
#include <vector>

#include "vlm_Export.h"
#include "vlm_InsightsTables.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {
QString Res(const char* utf8) { return QString::fromUtf8(utf8); }

std::string Cp(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

// Written whole or not at all: a file left from an earlier run stays as it was on failure.
QString WriteFile(const QString& file, const std::string& utf8) {
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(utf8.data(), static_cast<qint64>(utf8.size())) != static_cast<qint64>(utf8.size()) ||
      !out.commit())
    return Res(res::CliInsightsNotWritten).arg(file, out.errorString());
  return {};
}

TLabelCaptions CaptionsOf(const TXMLNode* library) {
  TLabelCaptions captions;
  if (!library) return captions;
  const TLibrarySettings settings = ReadLibrarySettings(*library);
  for (int k = 0; k < kLabelCount; ++k)
    if (settings.LabelDefined[k]) captions[static_cast<std::size_t>(k)] = settings.LabelCaptions[k];
  return captions;
}
}  // namespace

namespace {
TInsightsOutcome Write(const TInsightsCommand& command, const std::function<void(const QString&)>& warn) {
  TInsightsOutcome outcome;
  const QFileInfo output(command.Output);
  if (SameFile(Cp(command.Path), Cp(command.Output))) return {Res(res::CliSameFile).arg(command.Output)};
  if (!command.Json && output.exists() && !output.isDir()) return {Res(res::CliInsightsNotFolder).arg(command.Output)};

  TXMLParser document;
  if (QString error = ReadDocumentOnly(command.Path, document); !error.isEmpty()) return {error};
  TInsights insights;
  TScope scope;
  TXMLParser programLibrary;
  const TXMLNode* library = nullptr;
  std::deque<TXMLParser> journals;
  if (document.Root->Name == tagDreamLibrary) {
    library = document.Root.get();
    const std::string libraryDir = Cp(QFileInfo(command.Path).absolutePath() + QLatin1Char('/'));
    const std::string dataDir = Cp(command.DataDir);
    // Every journal entry below the root, catalogs at any depth (an explicit stack: the file
    // decides the depth).
    std::vector<const TXMLNode*> stack{library};
    std::vector<const TXMLNode*> entries;
    while (!stack.empty()) {
      const TXMLNode* node = stack.back();
      stack.pop_back();
      for (auto child = node->Children.rbegin(); child != node->Children.rend(); ++child) {
        if ((*child)->Name == tagDirectory) stack.push_back(child->get());
        if ((*child)->Name == tagFile) entries.push_back(child->get());
      }
    }
    for (const TXMLNode* entry : entries) {
      const std::string path = entry->GetAttribute(attrPath);
      if (path == litUndefined) continue;
      const QString file = QString::fromStdString(NativePath(ResolvePath(path, libraryDir, dataDir)));
      if (SameFile(Cp(file), Cp(command.Output))) return {Res(res::CliSameFile).arg(command.Output)};
      TXMLParser& journal = journals.emplace_back();
      if (QString error = ReadDocumentOnly(file, journal); !error.isEmpty()) {
        warn(error);
        journals.pop_back();
        continue;
      }
      scope.push_back(insights.AddJournal(*journal.Root));
    }
  } else {
    scope.push_back(insights.AddJournal(*document.Root));
    if (QFileInfo::exists(command.ProgramLibrary) && ReadDocumentOnly(command.ProgramLibrary, programLibrary).isEmpty())
      library = programLibrary.Root.get();
  }

  TInsightsReport report;
  report.Range = command.Range;
  report.Labels = CaptionsOf(library);
  report.Series = insights.OverTime(scope, command.Range, TPeriod::Month);
  report.Recall = insights.Recall(scope, command.Range, command.Today);
  report.Themes = insights.Themes(scope, command.Range);
  report.Rising = insights.RisingThemes(scope, command.Range);
  for (int n = 0; n < kLabelCount; ++n)
    report.LabelWords[static_cast<std::size_t>(n)] = insights.LabelWords(scope, command.Range, n + 1);
  outcome.Dreams = report.Recall.Dreams + (command.Range.From || command.Range.To ? 0 : report.Recall.UndatedDreams);

  if (command.Json) {
    outcome.Error = WriteFile(command.Output, ReportJson(report));
    return outcome;
  }
  if (!QDir().mkpath(command.Output)) return {Res(res::CliInsightsNotWritten).arg(command.Output, QString())};
  const QDir folder(command.Output);
  std::vector<std::pair<QString, std::string>> tables{{QStringLiteral("over_time.csv"), SeriesCsv(report.Series, report.Labels)},
                                                      {QStringLiteral("recall.csv"), RecallCsv(report.Recall)},
                                                      {QStringLiteral("themes.csv"), ThemesCsv(report.Themes)},
                                                      {QStringLiteral("rising.csv"), ContrastCsv(report.Rising)}};
  for (int n = 0; n < kLabelCount; ++n)
    tables.push_back({QStringLiteral("label%1_words.csv").arg(n + 1), ContrastCsv(report.LabelWords[static_cast<std::size_t>(n)])});
  for (const auto& [name, text] : tables)
    if (QString error = WriteFile(folder.filePath(name), text); !error.isEmpty()) return {error};
  return outcome;
}
}  // namespace

TInsightsOutcome WriteInsights(const TInsightsCommand& command, const std::function<void(const QString&)>& warn) {
  try {
    return Write(command, warn);
  } catch (const std::exception& e) {  // no stemmer in libstemmer, a journal too large for the engine
    return {QString::fromLocal8Bit(e.what())};
  }
}
