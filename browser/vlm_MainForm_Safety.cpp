// Saving by itself, dated backups and the notice after a crash: started once the library is read
// and writable, ended after the last save of the closing.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QTime>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <utility>

#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_node.h"

void Tfrm_MainForm::StartSafety() {
  if (!FLibrary || !FViewOnly.isEmpty()) return;  // nothing is written: nothing to keep
  if (FLock.LeftBehind()) ReportLastRun();
  FBackups = std::make_unique<TBackupKeeper>(QFile::encodeName(FLibraryDir + QStringLiteral("backups/")).toStdString());
  // The worker thread only posts: the notice is shown by the window's own thread.
  FBackups->OnProblem = [this] { QMetaObject::invokeMethod(this, [this] { ReportBackupProblems(); }, Qt::QueuedConnection); };
  FCore->SetBeforeReplace([this](const std::string& file) {
    BeforeOwnWrite(file);
    FBackups->BeforeReplace(file);
  });
  StartWatching();

  auto save = [this] {
    TSaveReport report;
    if (!Run([&] { report = SaveFiles(); }) && report.Failures.empty())
      report.Failures.push_back({FLibrary->FileName, res::MsgUnknownError});
    ReportBackups(report);
    return report.Failures;
  };
  auto report = [this](const std::vector<TJournalSaveFailure>& failures) {
    FUi.ShowError(this, FailureText(res::MsgAutoSaveFailed, failures));
  };
  FAutoSave = new TAutoSave([this] { return FCore && FCore->AnyChanged(); }, save, report, this);
  // Not while the window closes (it saves itself), while the user is asked whether a file another
  // program removed is to be written again (the answer decides it), or while a restore exchanges
  // a document. Any other dialog leaves the documents alone until it is answered (a new night is
  // added after its dialog is accepted): what is there already is saved on time meanwhile.
  FAutoSave->Busy = [this] { return FClosing || FCloseAccepted || FAskingAboutFile || FRestoring; };
  FAutoSave->SetInterval(ReadLibrarySettings(FCore->Root()).AutoSaveSeconds);
  connect(&FCore->UndoStack(), &QUndoStack::indexChanged, FAutoSave, &TAutoSave::Edited);
  connect(FCore.get(), &TLibrary::ChangedDocumentsChanged, FAutoSave, &TAutoSave::Edited);
  FAutoSave->WatchApplication();
}

QStringList Tfrm_MainForm::FilesToWrite() const {
  QStringList files;
  if (!FLibrary || !FJournals || !FViewOnly.isEmpty()) return files;
  if (FCore->IsChanged(FLibrary) && !LibraryState().ReadOnly()) files << QDir::toNativeSeparators(FromCp(FLibrary->FileName));
  for (const auto& journal : FJournals->Documents())
    if (FCore->IsChanged(journal.get()) && !FJournals->IsReadOnly(journal.get()))
      files << QDir::toNativeSeparators(FromCp(journal->FileName));
  return files;
}

void Tfrm_MainForm::ShowSaved(const QStringList& files) {
  const QString now = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
  QStringList quoted;
  for (const QString& file : files) quoted << QLatin1Char('"') + file + QLatin1Char('"');
  pnl_WorkArea->ShowStatus(files.isEmpty() ? Text(res::MsgNothingToSave).arg(now)
                                           : Text(res::MsgSaved).arg(now, quoted.join(QStringLiteral(", "))));
}

void Tfrm_MainForm::FinishSafety() {
  delete std::exchange(FAutoSave, nullptr);
  if (!FBackups) return;
  // The compressions under way finish (briefly; what is left is finished at the next start).
  FBackups->Wait(TBackupKeeper::kCloseWait);
  for (const std::string& problem : FBackups->TakeProblems()) std::fprintf(stderr, "velmora: %s\n", problem.c_str());
  FBackups.reset();
}

void Tfrm_MainForm::ReportBackupProblems() {
  if (!FBackups) return;
  QStringList lines;
  for (const std::string& problem : FBackups->TakeProblems()) lines << QString::fromStdString(problem);
  if (lines.isEmpty()) return;
  if (FClosingForSignal)
    std::fprintf(stderr, "velmora: %s\n", lines.join(QLatin1Char('\n')).toLocal8Bit().constData());
  else
    FUi.ShowWarning(this, lines.join(QLatin1Char('\n')));
}

void Tfrm_MainForm::ReportLastRun() {
  // The library file and every journal it names, each once, with the time it was last written.
  std::vector<std::string> files{FLibrary->FileName};
  std::vector<const TXMLNode*> pending{FLibrary->Root.get()};
  while (!pending.empty()) {
    const TXMLNode* node = pending.back();
    pending.pop_back();
    for (int i = node->ChildCount() - 1; i >= 0; --i) {
      const TXMLNode* child = node->GetChild(i);
      if (child->Name == tagFile && child->GetAttribute(attrPath) != litUndefined)
        files.push_back(ResolvePath(child->GetAttribute(attrPath)));
      else if (child->Name == tagDirectory)
        pending.push_back(child);
    }
  }
  QStringList lines, seen;
  for (const std::string& file : files) {
    const QFileInfo info(FromCp(file));
    const QString path = info.absoluteFilePath();
    if (seen.contains(path)) continue;
    seen << path;
    lines << (info.exists() ? QString::fromUtf8(res::MsgFileSavedAt)
                                  .arg(path, info.lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
                            : QString::fromUtf8(res::MsgFileNotOnDisk).arg(path));
  }
  FUi.ShowWarning(this, QString::fromUtf8(res::MsgLastRunCrashed).arg(lines.join(QLatin1Char('\n'))));
}
