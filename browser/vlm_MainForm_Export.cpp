// Exporting and printing what is selected: a dream, a night, a journal, a catalog or the library
// (or, from the search panel's result list, the dreams found), as a file or on paper. Only reads
// the documents: journals no window has open yet are read for the export alone and dropped after.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QPrinter>
#include <QTime>
#include <QScopeGuard>
#include <QTreeView>
#include <deque>

#include "vlm_EncryptionResources.h"
#include "vlm_Export.h"
#include "vlm_Files.h"
#include "vlm_MainForm.h"
#include "vlm_Pictures.h"
#include "vlm_ProgressWindow.h"
#include "vlm_Resources.h"
#include "vlm_Search.h"
#include "vlm_SearchPanel.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {
constexpr TExportFormat kFormats[] = {TExportFormat::Html, TExportFormat::Markdown, TExportFormat::Text,
                                      TExportFormat::Pdf};
const char* FilterOf(TExportFormat format) {
  switch (format) {
    case TExportFormat::Html: return res::ExportFilterHtml;
    case TExportFormat::Markdown: return res::ExportFilterMarkdown;
    case TExportFormat::Text: return res::ExportFilterText;
    case TExportFormat::Pdf: return res::ExportFilterPdf;
  }
  return res::ExportFilterHtml;
}

QString NameOf(const TXMLNode& element) {
  const std::string name = element.GetAttribute(attrName);
  return name == litUndefined ? QString() : FromCp(name);
}

// The night holding `dream` in its journal (a node knows no parent): a day among the root's children.
const TXMLNode* DayOf(const TXMLNode& root, const TXMLNode* dream) {
  for (const auto& day : root.Children)
    for (const auto& child : day->Children)
      if (child.get() == dream) return day.get();
  return nullptr;
}
}  // namespace

// What an export of the selection holds, and the journals read for it alone.
struct Tfrm_MainForm::TExportJob {
  TExportContent Content;
  std::deque<std::shared_ptr<TXMLParser>> Read;
  bool Cancelled = false;  // the user stopped the reading of the journals
};

Tfrm_MainForm::TSelectedEntry Tfrm_MainForm::SelectedEntry() const {
  return {NodeOf(FCurrentNode), FCurrentNode.isValid() ? DocumentOfNode(FCurrentNode) : nullptr};
}

void Tfrm_MainForm::CreateExportActions() {
  act_Export = new QAction(Text(res::HintExport), this);
  act_Export->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  act_Print = new QAction(Text(res::HintPrint), this);
  act_Print->setShortcut(QKeySequence::Print);
  for (QAction* action : {act_Export, act_Print}) {
    action->setShortcutContext(Qt::WindowShortcut);
    action->setShortcutVisibleInContextMenu(true);
    addAction(action);
    tre_Directory->addAction(action);  // on the tree's context menu
  }
  connect(act_Export, &QAction::triggered, this, [this] { Run([this] { ExportSelection(); }); });
  connect(act_Print, &QAction::triggered, this, [this] { Run([this] { PrintSelection(); }); });
}

std::unique_ptr<Tfrm_MainForm::TExportJob> Tfrm_MainForm::ExportJobOfSelection() {
  auto job = std::make_unique<TExportJob>();
  TExportContent& content = job->Content;
  ReadLabelCaptions(&FCore->Root(), content);
  auto journalName = [this](const TXMLParser* document) {
    const TXMLNode* entry = FPairs && document ? FPairs->FirstOf(document->Root.get()) : nullptr;
    return entry ? NameOf(*entry) : QFileInfo(FromCp(document ? document->FileName : std::string())).completeBaseName();
  };
  std::unique_ptr<TProgressWindow> reading;  // shown once a journal has to be read
  auto open = [this, &job, &reading](const TXMLNode& entry) -> const TXMLNode* {
    const std::string stored = entry.GetAttribute(attrPath);
    if (stored == litUndefined || job->Cancelled) return nullptr;
    const std::string path = ResolvePath(stored);
    // A journal open in the window is exported as it is now, unsaved changes included.
    if (const TXMLParser* open = FJournals->Find(path)) return open->Root.get();
    if (!PathExists(path)) return nullptr;
    // Read on a thread of its own (a journal of many years takes a while), the window answering.
    if (!reading) reading = FUi.ShowProgress(this, Text(res::ExportReading));
    using TRead = std::pair<std::shared_ptr<TXMLParser>, QString>;
    const QString file = QString::fromStdString(NativePath(path));
    const std::optional<TRead> read = RunAside<TRead>(*reading, [file] {
      auto document = std::make_shared<TXMLParser>();
      QString error = ReadDocumentOnly(file, *document);
      return TRead{document, error};
    });
    if (!read) {
      job->Cancelled = true;
      return nullptr;
    }
    if (!read->second.isEmpty()) FUi.ShowWarning(this, read->second);
    job->Read.push_back(read->first);
    return job->Read.back()->Root ? job->Read.back()->Root.get() : nullptr;
  };

  // The search's results when its list has the focus.
  if (pnl_Search && pnl_Search->isVisible() && pnl_Search->lst_Results->hasFocus() && pnl_Search->ResultCount() > 0) {
    content.Title = Text(res::ExportSearchResults);
    for (const TSearchPanel::TFound& found : pnl_Search->Found()) {
      const QString name = NameOf(*found.Entry);
      if (content.Journals.empty() || content.Journals.back().Name != name) content.Journals.push_back({name, nullptr, {}});
      AddFoundDream(content.Journals.back(), *found.Holder, *found.Experience);
    }
    return job;
  }
  const TSelectedEntry selected = SelectedEntry();
  if (!selected.Element || !selected.Document) return nullptr;
  const TXMLNode& element = *selected.Element;
  if (selected.Document == FLibrary) {
    content.Title = NameOf(element);
    if (content.Title.isEmpty()) content.Title = Text(res::SearchWholeLibrary);
    content.Journals = JournalsBelow(element, {}, open);
  } else if (element.Name == tagJournal) {
    content.Title = journalName(selected.Document);
    content.Journals.push_back(JournalPart(content.Title, element, {}));
  } else if (element.Name == tagDay) {
    const QString journal = journalName(selected.Document);
    content.Title = journal + QStringLiteral(" ") + NameOf(element);
    content.Journals.push_back(NightPart(journal, element));
  } else if (element.Name == tagExperience) {
    const TXMLNode* day = DayOf(*selected.Document->Root, &element);
    if (!day) return nullptr;
    const QString journal = journalName(selected.Document);
    content.Title = FromCp(element.GetAttribute(attrNumber)) + QStringLiteral(" ") + FromCp(element.GetAttribute(attrTitle));
    content.Journals.push_back(DreamPart(journal, *day, element));
  } else {
    return nullptr;
  }
  return job;
}

TExportOptions Tfrm_MainForm::ExportOptions(TProgressWindow& progress) {
  TExportOptions options;
  options.PictureFile = [this](const std::string& path) { return QString::fromStdString(NativePath(ResolvePath(path))); };
  // Only the progress window's own events are taken meanwhile: the window is blocked by it, and
  // the file watch waits (FExporting), so no document the export reads is read again under it.
  options.Progress = [&progress](int done, int total) { return progress.Step(done, total); };
  return options;
}

namespace {
int NightCount(const TExportContent& content) {
  int nights = 0;
  for (const TExportJournal& journal : content.Journals) nights += static_cast<int>(journal.Nights.size());
  return nights;
}

// The first and the last date among the nights, proposed as the range; null when none is a date.
std::pair<QDate, QDate> DatesOf(const TExportContent& content) {
  std::optional<int> first, last;
  for (const TExportJournal& journal : content.Journals)
    for (const TExportNight& night : journal.Nights)
      if (const auto day = night.Day ? DayNumberOfName(night.Day->GetAttribute(attrName)) : std::nullopt) {
        first = std::min(first.value_or(*day), *day);
        last = std::max(last.value_or(*day), *day);
      }
  const QDate epoch(1970, 1, 1);
  return first ? std::pair{epoch.addDays(*first), epoch.addDays(*last)} : std::pair{QDate(), QDate()};
}
}  // namespace

void Tfrm_MainForm::ExportSelection() {
  // From the first journal read for it, the documents are only read: none is read again meanwhile.
  FExporting = true;
  const auto done = qScopeGuard([this] { FExporting = false; });
  const std::unique_ptr<TExportJob> job = ExportJobOfSelection();
  if (!job) return FUi.ShowWarning(this, Text(res::ExportNothing));
  if (job->Cancelled) return pnl_WorkArea->ShowStatus(Text(res::MsgExportCancelled).arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
  QStringList filters;
  for (TExportFormat format : kFormats) filters << Text(FilterOf(format));
  QString filter = filters.first();
  // Beside the library, where the user keeps the diary (not the home folder, which may be root's).
  const QString proposed = QDir(FLibraryDir).filePath(ProposedFileName(job->Content, TExportFormat::Html));
  TUserInteraction::TExportDates dates;
  dates.Offered = NightCount(job->Content) > 1;
  std::tie(dates.From, dates.To) = DatesOf(job->Content);
  QString file = FUi.AskExportFile(this, proposed, filters, filter, dates);
  if (file.isEmpty()) return;
  if (dates.From.isValid() && dates.To.isValid()) {
    TExportRange range;
    range.From = DayNumber(dates.From.year(), dates.From.month(), dates.From.day());
    range.To = DayNumber(dates.To.year(), dates.To.month(), dates.To.day());
    LimitToRange(job->Content, range);
    if (NightCount(job->Content) == 0) {
      const QString format = QStringLiteral("dd.MM.yyyy");
      return FUi.ShowWarning(this, Text(res::ExportNoNightsInRange).arg(dates.From.toString(format), dates.To.toString(format)));
    }
  }
  TExportFormat format = kFormats[std::max<qsizetype>(0, filters.indexOf(filter))];
  // A name typed with a known suffix says the format; one without gets the filter's.
  if (const auto bySuffix = ExportFormatOfName(QFileInfo(file).suffix())) format = *bySuffix;
  else file += QLatin1Char('.') + ExportSuffix(format);
  if (QFileInfo::exists(file) && !FUi.AskReplaceFile(this, file)) return;
  if (IsEncrypted() && !FUi.AskYesNo(this, Text(res::QuestionPlainExport).arg(QDir::toNativeSeparators(file))))
    return;  // the dreams leave the encrypted journals only when the user says so

  TExportResult result;
  {
    const std::unique_ptr<TProgressWindow> progress = FUi.ShowProgress(this, Text(res::ExportProgress));
    TExportOptions options = ExportOptions(*progress);
    options.Format = format;
    options.Output = file;
    result = Export(job->Content, options);
  }
  // Said on the notice line: nothing waits for an answer.
  const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
  if (result.Outcome == TExportResult::Failed) return FUi.ShowError(this, result.Error);
  if (result.Outcome == TExportResult::Cancelled) return pnl_WorkArea->ShowStatus(Text(res::MsgExportCancelled).arg(now));
  pnl_WorkArea->ShowStatus(Text(res::MsgExported).arg(now, QDir::toNativeSeparators(file)));
}

void Tfrm_MainForm::PrintSelection() {
  // The preview paints again whenever asked, from the same documents, until it is closed.
  FExporting = true;
  const auto done = qScopeGuard([this] { FExporting = false; });
  const std::unique_ptr<TExportJob> job = ExportJobOfSelection();
  if (!job) return FUi.ShowWarning(this, Text(res::ExportNothing));
  if (job->Cancelled) return;
  TExportResult painted;
  FUi.ShowPrintPreview(this, [this, &job, &painted](QPrinter& printer) {
    const std::unique_ptr<TProgressWindow> progress = FUi.ShowProgress(this, Text(res::PrintProgress));
    // Cancelled: the pages painted so far are shown (and printed, if the user still asks).
    painted = PaintPages(job->Content, printer, ExportOptions(*progress));
  });
  if (painted.Outcome == TExportResult::Failed) return FUi.ShowError(this, painted.Error);
  if (painted.Outcome == TExportResult::Cancelled) pnl_WorkArea->ShowStatus(Text(res::MsgPrintCut));
}
