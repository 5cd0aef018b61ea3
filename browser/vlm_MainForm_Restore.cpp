// Bringing back a dated backup. A journal: the backup is chosen in the restore dialog (through the
// dialog seam) and read whole or refused, on a thread of its own behind a progress window whose
// "Отмена" changes nothing; what the user typed is saved and the journal's present file kept as
// a backup; then the journal takes the backup's tree as one step of the history (undo gives its
// own tree back) and is saved. The library file the same way: its tree is exchanged, its entries
// pair with the journals open, and the journals stay as they are.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTime>
#include <optional>

#include "vlm_MainForm.h"
#include "vlm_ProgressWindow.h"
#include "vlm_Resources.h"
#include "vlm_Restore.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"

namespace {
QString Shown(const std::string& cp1251) { return QDir::toNativeSeparators(FromCp(cp1251)); }
}  // namespace

void Tfrm_MainForm::ConnectRestore() {
  act_Restore = new QAction(Text(res::HintRestore), this);
  act_Restore->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  act_Restore->setShortcutContext(Qt::WindowShortcut);
  act_Restore->setShortcutVisibleInContextMenu(true);
  addAction(act_Restore);
  tre_Directory->addAction(act_Restore);  // on the tree's context menu
  connect(act_Restore, &QAction::triggered, this, [this] { Run([this] { RestoreFromBackup(); }); });
}

void Tfrm_MainForm::RestoreFromBackup() {
  if (!FBackups) return FUi.ShowWarning(this, Text(res::MsgRestoreNeedsWritable));
  // The journal the selection lies in, or the library when its root is selected.
  TXMLParser* document = nullptr;
  for (QModelIndex up = FCurrentNode; up.isValid() && !document; up = up.parent()) {
    const TXMLNode* element = NodeOf(up);
    if (element && element->Name == tagJournal)
      document = const_cast<TXMLParser*>(FJournals->DocumentOfRoot(element));
    else if (element && element->Name == tagDreamLibrary && FCurrentNode == up)
      document = FLibrary;
  }
  if (!document) return FUi.ShowWarning(this, Text(res::MsgRestoreSelectJournal));
  if (FCore->MutableStateOf(document).ReadOnly()) return FUi.ShowWarning(this, Text(res::MsgRestoreNeedsWritable));
  const bool library = document == FLibrary;
  const QString shown = Shown(document->FileName);
  auto cancelled = [this] {
    pnl_WorkArea->ShowStatus(Text(res::MsgRestoreCancelled).arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
  };
  // A backup just made is listed too: its compression (of a large journal, a while) is waited
  // for, as long as a closing would wait.
  if (!FBackups->Wait(std::chrono::milliseconds(0))) {
    const std::unique_ptr<TProgressWindow> progress = FUi.ShowProgress(this, Text(res::RestoreWaitingBackups));
    QElapsedTimer waited;
    waited.start();
    while (!FBackups->Wait(std::chrono::milliseconds(20)) && waited.elapsed() < TBackupKeeper::kCloseWait.count() * 1000)
      if (!progress->Step(0, 0)) return cancelled();
  }
  const std::vector<TBackupFile> backups = FBackups->BackupsOf(NativePath(document->FileName));
  if (backups.empty()) return FUi.ShowWarning(this, Text(res::MsgNoBackups).arg(shown));
  const QString chosen = FUi.AskBackupToRestore(this, shown, backups, library);
  if (chosen.isEmpty()) return;

  TBackupFile backup{QFile::encodeName(chosen).toStdString(), 0, {}};
  for (const TBackupFile& listed : backups)
    if (listed.Path == backup.Path) backup = listed;
  const QString when = QDateTime::fromSecsSinceEpoch(backup.Time).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));

  const std::unique_ptr<TProgressWindow> progress = FUi.ShowProgress(this, Text(res::RestoreReading));
  // Unpacked, read and copied for the journal on a thread of its own; cancelled, nothing changed.
  struct TRead {
    TBackupContent Content;
    std::unique_ptr<TXMLNode> Tree;  // the backup's tree as the journal (or library) takes it
  };
  std::optional<TRead> read = RunAside<TRead>(*progress, [backup, library] {
    TRead read{ReadBackup(backup, library), nullptr};
    if (read.Content.Document) read.Tree = CopyTree(*read.Content.Document->Root);
    read.Content.Document.reset();
    return read;
  });
  if (!read) return cancelled();
  if (!read->Tree)
    return FUi.ShowError(this, Text(res::MsgRestoreRefused)
                                   .arg(QDir::toNativeSeparators(chosen), QString::fromUtf8(read->Content.Problem.c_str())));

  // From here on the restore goes to its end: a half-done one would help nobody.
  progress->SetText(Text(res::RestoreWriting), false);
  progress->Step(0, 0);
  const QScopedValueRollback restoring(FRestoring, true);
  // Ours first: what was typed reaches the file, and the file is kept as a backup however recent
  // the last one, so that the restore can itself be undone from the backups.
  if (FCore->IsChanged(document) && !SaveAndReport()) return;
  if (!FBackups->KeepNow(document->FileName)) return FUi.ShowError(this, Text(res::MsgRestoreKeepFailed).arg(shown));
  progress->Step(0, 0);
  ReplaceRoot(document->Root.get(), [&] {
    if (library)
      FCore->RestoreLibrary(std::move(read->Tree));
    else
      FCore->Restore(*document, std::move(read->Tree));
    return true;
  });
  progress->Step(0, 0);
  if (SaveAndReport()) pnl_WorkArea->ShowNotice(Text(res::MsgRestored).arg(shown, when));
}
