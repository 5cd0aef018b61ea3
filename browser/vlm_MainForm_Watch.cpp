// Files another program changes while they are open (a sync tool, a text editor, a second
// computer): a journal without unsaved changes is read again; with them, the other program's
// version is kept beside the file before ours is written; a file removed is written again only
// when the user says so. The library file itself is not read again while the program runs. The
// tree follows a journal's new root (read again, restored, or that undone) in FollowJournalRoot.
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <ctime>

#include "vlm_FileWatch.h"
#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"

namespace {
QString Shown(const std::string& cp1251) { return QDir::toNativeSeparators(FromCp(cp1251)); }
}  // namespace

void Tfrm_MainForm::StartWatching() {
  FWatch = new TFileWatch(this);
  FWatch->OnChanged = [this](const QString& path) { Run([&] { FileChangedByOthers(path); }); };
  WatchOpenFiles();
}

void Tfrm_MainForm::WatchOpenFiles() {
  if (!FWatch) return;
  FWatch->Watch(FromCp(FLibrary->FileName));
  for (const auto& journal : FJournals->Documents()) FWatch->Watch(FromCp(journal->FileName));
}

void Tfrm_MainForm::BeforeOwnWrite(const std::string& file) {
  if (!FWatch) return;
  const QString path = FromCp(file);
  // Changed by another program since it was read or written here, and about to be replaced: theirs
  // is kept first (raises when it cannot be, and then ours is not written).
  if (FWatch->ChangedByOthers(path) && QFileInfo::exists(path))
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
  for (const TSaveReport::TBackup& conflict : std::exchange(FConflicts, {}))
    pnl_WorkArea->ShowNotice(Text(res::MsgFileConflict).arg(Shown(conflict.FileName), Shown(conflict.Backup)));
}

void Tfrm_MainForm::FileChangedByOthers(const QString& path) {
  if (FAskingAboutFile || FClosing || FCloseAccepted) return;
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
    if (again) {
      FCore->MarkChanged(document);
      if (SaveAndReport()) pnl_WorkArea->ShowNotice(Text(res::MsgFileWrittenAgain).arg(shown));
    } else {
      // Not written from now on (the next start reads what is there then).
      state.Read = rsUnreadable;
      state.Reason = res::ReasonRemovedByOthers;
      ShowReadOnlyState(FCurrentNode);
      pnl_WorkArea->ShowNotice(Text(res::MsgFileNotWrittenAgain).arg(shown));
    }
    return;
  }
  if (FCore->IsChanged(document)) {
    SaveAndReport();  // keeps theirs beside it first and says which is which (BeforeOwnWrite)
    return;
  }
  if (document == FLibrary) {
    pnl_WorkArea->ShowNotice(Text(res::MsgLibraryChangedByOthers).arg(shown));
    return;
  }
  ReadJournalAgain(*document);
}

void Tfrm_MainForm::ReadJournalAgain(TXMLParser& journal) {
  const QString shown = Shown(journal.FileName);
  if (!FCore->ReadAgain(journal)) {  // else the tree followed the new root (FollowJournalRoot)
    TXMLParser check;
    check.LoadFromFile(journal.FileName);
    pnl_WorkArea->ShowNotice(
        Text(res::MsgFileNotReadAgain).arg(shown, QString::fromStdString(res::LoadStatusText(check.Status))));
    return;
  }
  FWatch->Known(FromCp(journal.FileName));
  pnl_WorkArea->ShowNotice(Text(res::MsgFileReadAgain).arg(shown));
}

void Tfrm_MainForm::FollowJournalRoot(const TXMLNode* old, TXMLNode* root) {
  // Where the selection is below the journal's node, by captions, to find it again.
  QTreeWidgetItem* journalItem = nullptr;
  QStringList trail;
  for (QTreeWidgetItem* up = FCurrentNode; up && !journalItem; up = up->parent()) {
    if (NodeOf(up) == old)
      journalItem = up;
    else
      trail.prepend(up->text(0));
  }
  {
    const QSignalBlocker quiet(tre_Directory);
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(tre_Directory); *it; ++it)
      if (NodeOf(*it) == old) items.push_back(*it);
    for (QTreeWidgetItem* item : items) {
      BindJournal(item, EntryOf(item), root);
      RebuildChildren(item);
    }
  }
  // An undo or redo of a restore: its nodes are built already, and the selection found below.
  std::erase_if(FSteppedParents, [root](const auto& step) { return step.first == root; });
  if (!journalItem) return;
  QTreeWidgetItem* at = journalItem;
  for (const QString& caption : trail) {
    BuildPendingNodes(at);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < at->childCount() && !next; ++i)
      if (at->child(i)->text(0) == caption) next = at->child(i);
    at = next;
    if (!at) break;
  }
  QTreeWidgetItem* target = at ? at : journalItem;  // gone: the journal's node
  for (QTreeWidgetItem* up = target->parent(); up; up = up->parent()) up->setExpanded(true);
  {
    const QSignalBlocker quiet(tre_Directory);
    tre_Directory->setCurrentItem(target);
  }
  const bool stepping = FStepping;
  FStepping = true;  // nothing the user chose: the default journal stays
  const auto shownAgain = qScopeGuard([this, stepping] { FStepping = stepping; });
  tre_DirectoryChanging(target);
  ShowReadOnlyState(target);
}
