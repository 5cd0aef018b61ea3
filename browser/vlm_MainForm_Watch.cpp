// Files another program changes while they are open (a sync tool, a text editor, a second
// computer): the library file or a journal without unsaved changes is read again; with them, the
// other program's version is kept beside the file before ours is written; a file removed is
// written again only when the user says so.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>
#include <cstdio>
#include <QTreeView>
#include <ctime>
#include <memory>
#include <utility>

#include "vlm_FileWatch.h"
#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_Settings.h"
#include "vlm_Strings.h"
#include "vlm_UnsavedCopies.h"
#include "vlm_Widgets.h"

namespace {
QString Shown(const std::string& cp1251) { return QDir::toNativeSeparators(FromCp(cp1251)); }

// The row below `from` reached by `captions`, one row a step; invalid when one is not there.
QModelIndex RowByCaptions(QModelIndex from, const QStringList& captions) {
  const QAbstractItemModel* model = from.model();
  for (const QString& caption : captions) {
    QModelIndex next;
    for (int i = 0; i < model->rowCount(from) && !next.isValid(); ++i)
      if (model->index(i, 0, from).data().toString() == caption) next = model->index(i, 0, from);
    if (!next.isValid()) return {};
    from = next;
  }
  return from;
}

// The expanded rows from `top` down (`top` included), as captions below it. Without recursion: a
// file decides how deep the rows go.
std::vector<QStringList> ExpandedRows(const QTreeView& view, const QModelIndex& top) {
  std::vector<QStringList> expanded;
  std::vector<std::pair<QModelIndex, QStringList>> pending;
  if (top.isValid() && view.isExpanded(top)) pending.push_back({top, {}});
  while (!pending.empty()) {
    const auto [row, captions] = pending.back();
    pending.pop_back();
    expanded.push_back(captions);
    for (int i = 0; i < view.model()->rowCount(row); ++i)
      if (const QModelIndex child = view.model()->index(i, 0, row); view.isExpanded(child))
        pending.push_back({child, captions + QStringList{child.data().toString()}});
  }
  return expanded;
}
}  // namespace

void Tfrm_MainForm::StartWatching() {
  FWatch = new TFileWatch(this);
  FWatch->OnChanged = [this](const QString& path) { Run([&] { FileChangedByOthers(path); }); };
  WatchOpenFiles();
  // The library's tree exchanged (read again, restored, that undone): the editors let go of its
  // entry first; its entries pair with the journals open by the paths the window resolves.
  FCore->SetPathResolver([this](const std::string& path) { return ResolvePath(path); });
  connect(FCore.get(), &TLibrary::LibraryReplacing, this, [this] { pnl_WorkArea->Unload(); });
  // The rows that were open are opened again in the new tree, found by their captions.
  auto open = std::make_shared<std::vector<QStringList>>();
  connect(FTreeModel, &TLibraryModel::LibraryGoing, this,
          [this, open] { *open = ExpandedRows(*tre_Directory, FTreeModel->index(0, 0)); });
  connect(FTreeModel, &TLibraryModel::LibraryShown, this, [this, open] {
    for (const QStringList& rows : std::exchange(*open, {}))
      if (const QModelIndex row = RowByCaptions(FTreeModel->index(0, 0), rows); row.isValid())
        tre_Directory->expand(row);
  });
  // Its settings that show in the window follow it: the question before deleting, the labels.
  connect(FCore.get(), &TLibrary::LibraryReplaced, this, [this] {
    const TLibrarySettings settings = ReadLibrarySettings(*FLibrary->Root);
    FConfirmDelete = settings.ConfirmDelete;
    for (int n = 1; n <= kLabelCount; ++n) {
      FLabelDefined[n - 1] = settings.LabelDefined[n - 1];
      pnl_WorkArea->SetLabelCaption(n, FLabelDefined[n - 1] ? FromCp(settings.LabelCaptions[n - 1]) : QString());
    }
  });
}

void Tfrm_MainForm::WatchOpenFiles() {
  if (!FWatch) return;
  FWatch->Watch(FromCp(FLibrary->FileName));
  for (const auto& journal : FJournals->Documents()) FWatch->Watch(FromCp(journal->FileName));
}

void Tfrm_MainForm::BeforeOwnWrite(const std::string& file) {
  if (!FWatch) return;
  const QString path = FromCp(file);
  // A journal read as missing keeps a file that appeared at its name itself (SaveByState).
  const TXMLParser* journal = FJournals ? FJournals->Find(file) : nullptr;
  const bool missing = journal && file != FLibrary->FileName && FJournals->StateOf(journal).Missing;
  // Changed by another program since it was read or written here, and about to be replaced: theirs
  // is kept first (raises when it cannot be, and then ours is not written).
  if (!missing && FWatch->ChangedByOthers(path) && QFileInfo::exists(path))
    FConflicts.push_back({file, KeepConflictCopy(file, std::time(nullptr))});
  FOwnWrites.push_back(file);
}

void Tfrm_MainForm::AfterOwnWrites(const TSaveReport& report) {
  for (const std::string& file : std::exchange(FOwnWrites, {})) {
    bool failed = false;
    for (const auto& failure : report.Failures) failed = failed || failure.FileName == file;
    if (!failed && FWatch) FWatch->Known(FromCp(file));
  }
  WatchOpenFiles();  // journals opened or created since
  QStringList kept;
  for (const TSaveReport::TBackup& conflict : std::exchange(FConflicts, {}))
    kept << Text(res::MsgFileConflict).arg(Shown(conflict.FileName), Shown(conflict.Backup));
  for (const TSaveReport::TBackup& appeared : report.Appeared)
    kept << Text(res::MsgFileAppeared).arg(Shown(appeared.FileName), Shown(appeared.Backup));
  TellKeptAside(kept);
}

void Tfrm_MainForm::TellKeptAside(const QStringList& lines) {
  if (lines.isEmpty()) return;
  // Where each version now is must reach the user, also when the window is about to close.
  if (FClosingForSignal)
    std::fprintf(stderr, "velmora: %s\n", lines.join(QLatin1Char('\n')).toLocal8Bit().constData());
  else
    FUi.ShowWarning(this, lines.join(QLatin1Char('\n')));
}

void Tfrm_MainForm::FileChangedByOthers(const QString& path) {
  if (FAskingAboutFile || FClosing || FCloseAccepted) return;
  // An export or a print preview reads the documents as they are, and a dialog's handler goes on
  // with the elements it was opened for: the file is looked at after them.
  if (FExporting || QApplication::activeModalWidget())
    return QTimer::singleShot(250, this, [this, path] { Run([&] { FileChangedByOthers(path); }); });
  TXMLParser* document = FromCp(FLibrary->FileName) == path ? FLibrary : nullptr;
  for (const auto& journal : FJournals->Documents())
    if (!document && FromCp(journal->FileName) == path) document = journal.get();
  if (!document) return;
  TDocumentState& state = FCore->MutableStateOf(document);
  if (state.ReadOnly()) return;  // never written: nothing of ours to keep
  const QString shown = QDir::toNativeSeparators(path);

  if (!QFileInfo::exists(path)) {
    FAskingAboutFile = true;
    const bool again = FUi.AskConfirmation(this, Text(res::MsgFileRemovedAsk).arg(shown)).Accepted;
    FAskingAboutFile = false;
    // Back by now (a sync tool removes a file and writes it anew): the question is out of date,
    // and the file is taken as changed by the other program below.
    if (!QFileInfo::exists(path)) return RemovedByOthers(*document, again);
  }
  if (FCore->IsChanged(document)) {
    SaveAndReport();  // keeps theirs beside it first and says which is which (BeforeOwnWrite)
    return;
  }
  if (document == FLibrary) return ReadLibraryAgain();
  ReadJournalAgain(*document);
}

void Tfrm_MainForm::RemovedByOthers(TXMLParser& document, bool writeAgain) {
  const QString shown = Shown(document.FileName);
  if (writeAgain) {
    FCore->MarkChanged(&document);
    if (SaveAndReport()) pnl_WorkArea->ShowNotice(Text(res::MsgFileWrittenAgain).arg(shown));
    return;
  }
  // Not written under its name from now on (the next start reads what is there then); what was
  // typed and not saved yet is kept beside it, as the other program's version is in a conflict.
  QString kept, why;
  if (FCore->IsChanged(&document)) {
    try {
      kept = Shown(KeepOpenVersionBeside(document, document.FileName, std::time(nullptr)));
    } catch (const EInOutError& error) {
      why = QString::fromStdString(error.Reason);
      kept = KeepUnsavedCopies({&document}, {FLibraryDir, QDir::homePath(), QDir::tempPath()}, std::time(nullptr));
    }
  }
  TDocumentState& state = FCore->MutableStateOf(&document);
  state.Read = rsUnreadable;
  state.Reason = res::ReasonRemovedByOthers;
  ShowReadOnlyState(FCurrentNode);
  if (!FCore->IsChanged(&document))
    pnl_WorkArea->ShowNotice(Text(res::MsgFileNotWrittenAgain).arg(shown));
  else if (!kept.isEmpty())
    TellKeptAside({Text(res::MsgOpenVersionKept).arg(shown, kept)});
  else
    FUi.ShowError(this, Text(res::MsgOpenVersionNotKept).arg(shown, why));
}

void Tfrm_MainForm::ReadJournalAgain(TXMLParser& journal) {
  const QString shown = Shown(journal.FileName);
  if (!ReplaceRoot(journal.Root.get(), [&] { return FCore->ReadAgain(journal) != nullptr; })) {
    TXMLParser check;
    check.LoadFromFile(journal.FileName);
    pnl_WorkArea->ShowNotice(
        Text(res::MsgFileNotReadAgain).arg(shown, QString::fromStdString(res::LoadStatusText(check.Status))));
    return;
  }
  FWatch->Known(FromCp(journal.FileName));
  pnl_WorkArea->ShowNotice(Text(res::MsgFileReadAgain).arg(shown));
}

void Tfrm_MainForm::ReadLibraryAgain() {
  const QString shown = Shown(FLibrary->FileName);
  std::string reason;
  if (!ReplaceRoot(FLibrary->Root.get(), [&] { return FCore->ReadLibraryAgain(reason); })) {
    // Ours stays; a save keeps theirs beside it first, as the watch still sees it changed.
    pnl_WorkArea->ShowNotice(Text(res::MsgFileNotReadAgain).arg(shown, QString::fromStdString(reason)));
    return;
  }
  FWatch->Known(FromCp(FLibrary->FileName));
  pnl_WorkArea->ShowNotice(Text(res::MsgLibraryReadAgain).arg(shown));
}

bool Tfrm_MainForm::ReplaceRoot(const TXMLNode* old, const std::function<bool()>& replace) {
  // Where the selection is below the row of `old`, by captions, to find it again.
  const bool library = old == FLibrary->Root.get();
  QPersistentModelIndex oldRow;
  bool below = false;
  QStringList trail;
  for (QModelIndex up = FCurrentNode; up.isValid() && !below; up = up.parent()) {
    if (NodeOf(up) == old) {
      oldRow = up;
      below = true;
    } else {
      trail.prepend(up.data().toString());
    }
  }
  bool replaced = false;
  {
    // The model shows the new days under every entry of the journal as the core replaces them, or
    // the rows of the library's new tree.
    const QScopedValueRollback quiet(FQuietTree, true);
    replaced = replace();
  }
  const QModelIndex from = library ? FTreeModel->index(0, 0) : QModelIndex(oldRow);
  if (!replaced || !from.isValid() || !below) return replaced;
  const QModelIndex at = RowByCaptions(from, trail);
  SelectQuietly(at.isValid() ? at : from);  // gone: the journal's (or library's) row
  return true;
}
