#include "vlm_CommandLine.h"

#include <QCommandLineParser>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>

#include "vlm_Application.h"
#include "vlm_Export.h"
#include "vlm_Files.h"
#include "vlm_InsightsCommand.h"
#include "vlm_Paths.h"
#include "vlm_ProgramFolders.h"
#include "vlm_Resources.h"
#include "vlm_Search.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {
QString Res(const char* utf8) { return QString::fromUtf8(utf8); }

void Say(const QString& text) { std::fprintf(stderr, "velmora: %s\n", text.toUtf8().constData()); }

// dd.mm.yyyy, dd.mm.yy (the year as a night's name gives it) or yyyy-mm-dd as a day number.
std::optional<int> ParseDate(const QString& text) {
  static const QRegularExpression russian(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4}|\\d{2})$"));
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
  if (const auto m = russian.match(text); m.hasMatch()) {
    const int year = m.captured(3).size() == 2 ? FullYear(m.captured(3).toInt(), ThisYear()) : m.captured(3).toInt();
    return DayNumber(year, m.captured(2).toInt(), m.captured(1).toInt());
  }
  if (const auto m = iso.match(text); m.hasMatch())
    return DayNumber(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
  return std::nullopt;
}

// The usage, then each option with its value's name and what it does, in columns.
QString HelpText(const QList<QCommandLineOption>& options) {
  QStringList names;
  int widest = 0;
  for (const QCommandLineOption& option : options) {
    QStringList spelt;
    for (const QString& name : option.names())
      if (name != QLatin1String("help-all")) spelt << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString line = spelt.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty()) line += QStringLiteral(" <%1>").arg(option.valueName());
    widest = std::max(widest, static_cast<int>(line.size()));
    names << line;
  }
  QString text = Res(res::AppTitle) + QStringLiteral("\n\n") + Res(res::CliUsage) + QStringLiteral("\n\n") +
                 Res(res::CliOptions) + QLatin1Char('\n');
  for (int i = 0; i < options.size(); ++i)
    text += QStringLiteral("  ") + names[i].leftJustified(widest + 2) + options[i].description() + QLatin1Char('\n');
  return text;
}

struct TRun {
  TProgramFolders Folders = ProgramFoldersOfThisProcess();
  std::string LibraryDirCp = Utf8ToCp1251(Folders.LibraryDir.toStdString());
  std::string DataDirCp = Utf8ToCp1251(Folders.DataDir.toStdString());
  TXMLParser Library;
  bool HaveLibrary = false;
  std::deque<TXMLParser> Journals;
  QStringList Inputs;  // every file read: the output must be none of them
  QString Error;

  QString Resolve(const std::string& cp1251) const {
    return QString::fromStdString(NativePath(ResolvePath(cp1251, LibraryDirCp, DataDirCp)));
  }
  void ReadLibrary(bool required) {
    const QString file = Folders.LibraryDir + QString::fromUtf8(litLibraryFile.data(), litLibraryFile.size());
    if (!required && !QFileInfo::exists(file)) return;
    const QString error = ReadDocumentOnly(file, Library);
    if (!error.isEmpty()) {
      if (required) Error = error;
      return;
    }
    HaveLibrary = true;
    Inputs << file;
  }
  const TXMLNode* OpenJournal(const TXMLNode& entry) {
    const std::string path = entry.GetAttribute(attrPath);
    if (path == litUndefined) return nullptr;
    const QString file = Resolve(path);
    TXMLParser& journal = Journals.emplace_back();
    const QString error = ReadDocumentOnly(file, journal);
    if (!error.isEmpty()) {
      Say(error);  // the rest of the library is still exported
      return nullptr;
    }
    Inputs << file;
    return journal.Root.get();
  }
  // The name the library gives the journal in `file`, or the file's own name.
  QString JournalName(const QString& file) const {
    if (HaveLibrary) {
      std::vector<const TXMLNode*> stack{Library.Root.get()};
      while (!stack.empty()) {
        const TXMLNode* node = stack.back();
        stack.pop_back();
        for (const auto& child : node->Children) {
          if (child->Name == tagDirectory) stack.push_back(child.get());
          const std::string path = child->GetAttribute(attrPath);
          if (child->Name == tagFile && path != litUndefined &&
              SameFile(ResolvePath(path, LibraryDirCp, DataDirCp), Utf8ToCp1251(file.toStdString())))
            return QString::fromStdString(Cp1251ToUtf8(child->GetAttribute(attrName)));
        }
      }
    }
    return QFileInfo(file).completeBaseName();
  }
};
}  // namespace

bool IsCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    for (const char* option : {"--export", "--library", "--insights", "--help", "--help-all", "-h", "--output", "--format"})
      if (std::strcmp(argv[i], option) == 0 || std::strncmp(argv[i], "--export=", 9) == 0 ||
          std::strncmp(argv[i], "--insights=", 11) == 0)
        return true;
  return false;
}

int RunCommandLine(int argc, char** argv) {
  // No window: drawing the charts and the PDF needs no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName(Res(res::AppTitle));
  QCommandLineParser parser;
  // Qt's own help and error texts are English: the program writes its own, in Russian.
  const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("help-all")},
                                      Res(res::CliHelpHelp));
  const QCommandLineOption exportOption(QStringLiteral("export"), Res(res::CliExportHelp), Res(res::CliValueJournal));
  const QCommandLineOption libraryOption(QStringLiteral("library"), Res(res::CliLibraryHelp));
  const QCommandLineOption formatOption(QStringLiteral("format"), Res(res::CliFormatHelp), QStringLiteral("html|md|txt|pdf|csv|json"));
  const QCommandLineOption outputOption(QStringLiteral("output"), Res(res::CliOutputHelp), Res(res::CliValueFile));
  const QCommandLineOption fromOption(QStringLiteral("from"), Res(res::CliFromHelp), Res(res::CliValueDate));
  const QCommandLineOption toOption(QStringLiteral("to"), Res(res::CliToHelp), Res(res::CliValueDate));
  const QCommandLineOption insightsOption(QStringLiteral("insights"), Res(res::CliInsightsHelp), Res(res::CliValuePath));
  const QList<QCommandLineOption> all{helpOption, exportOption, libraryOption, insightsOption,
                                      formatOption, outputOption, fromOption, toOption};
  parser.addOptions(all);
  if (!parser.parse(app.arguments())) {
    const QStringList unknown = parser.unknownOptionNames();
    Say(unknown.isEmpty() ? Res(res::CliBadArguments) : Res(res::CliUnknownOption).arg(unknown.join(QStringLiteral(", "))));
    return 2;
  }
  if (parser.isSet(helpOption)) {
    std::fputs(HelpText(all).toUtf8().constData(), stdout);
    return 0;
  }
  const QString output = parser.value(outputOption);
  if (output.isEmpty()) return Say(Res(res::CliNoOutput)), 2;
  if (!parser.isSet(exportOption) && !parser.isSet(libraryOption) && !parser.isSet(insightsOption))
    return Say(Res(res::CliNoSource)), 2;
  const QString formatName = parser.isSet(formatOption) ? parser.value(formatOption) : QFileInfo(output).suffix();
  const std::optional<TExportFormat> format = ExportFormatOfName(formatName);
  const bool insights = parser.isSet(insightsOption);
  const QString insightsFormat = formatName.toLower();
  if (insights && insightsFormat != QLatin1String("csv") && insightsFormat != QLatin1String("json"))
    return Say(Res(res::CliInsightsBadFormat).arg(formatName)), 2;
  if (!insights && !format) return Say(Res(res::CliBadFormat).arg(formatName)), 2;
  TExportRange range;
  for (const auto& [option, end] : {std::pair{&fromOption, &range.From}, std::pair{&toOption, &range.To}}) {
    if (!parser.isSet(*option)) continue;
    *end = ParseDate(parser.value(*option));
    if (!*end) return Say(Res(res::CliBadDate).arg(parser.value(*option))), 2;
  }
  if (insights) {
    const TProgramFolders folders = ProgramFoldersOfThisProcess();
    TInsightsCommand command{parser.value(insightsOption), output, insightsFormat == QLatin1String("json"), {range.From, range.To},
                             folders.LibraryDir + QString::fromUtf8(litLibraryFile.data(), litLibraryFile.size()),
                             folders.DataDir, 0};
    const QDate today = QDate::currentDate();
    command.Today = DayNumber(today.year(), today.month(), today.day()).value_or(0);
    const TInsightsOutcome outcome = WriteInsights(command, Say);
    if (!outcome.Error.isEmpty()) return Say(outcome.Error), 1;
    std::fprintf(stderr, "%s\n", Res(res::CliInsightsDone).arg(outcome.Dreams).arg(output).toUtf8().constData());
    return 0;
  }

  RegisterFonts();
  TRun run;
  TExportContent content;
  if (parser.isSet(libraryOption)) {
    run.ReadLibrary(true);
    if (!run.Error.isEmpty()) return Say(run.Error), 1;
    content.Title = QString::fromStdString(Cp1251ToUtf8(run.Library.Root->GetAttribute(attrName)));
    if (content.Title == QLatin1String(litUndefined.data())) content.Title = Res(res::SearchWholeLibrary);
    content.Journals = JournalsBelow(*run.Library.Root, range, [&run](const TXMLNode& entry) { return run.OpenJournal(entry); });
  } else {
    const QString file = parser.value(exportOption);
    run.ReadLibrary(false);  // for the labels' captions and the journal's name
    TXMLParser& journal = run.Journals.emplace_back();
    const QString error = ReadDocumentOnly(file, journal);
    if (!error.isEmpty()) return Say(error), 1;
    run.Inputs << file;
    content.Title = run.JournalName(file);
    content.Journals.push_back(JournalPart(content.Title, *journal.Root, range));
  }
  ReadLabelCaptions(run.HaveLibrary ? run.Library.Root.get() : nullptr, content);
  for (const QString& input : run.Inputs)
    if (SameFile(Utf8ToCp1251(input.toStdString()), Utf8ToCp1251(output.toStdString()))) return Say(Res(res::CliSameFile).arg(output)), 2;

  TExportOptions options;
  options.Format = *format;
  options.Output = output;
  options.PictureFile = [&run](const std::string& path) { return run.Resolve(path); };
  const TExportResult result = Export(content, options);
  if (result.Outcome != TExportResult::Done) return Say(result.Error), 1;
  std::fprintf(stderr, "%s\n", Res(res::CliDone).arg(content.DreamCount()).arg(output).toUtf8().constData());
  return 0;
}
