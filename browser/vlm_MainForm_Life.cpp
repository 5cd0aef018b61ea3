// Start-up and shut-down of the main window: the library and its lock, the registry, the
// geometry, and closing with every file written or the user told which ones failed (or, closing
// for a signal, the files not written kept elsewhere).
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "vlm_ErrorBoundary.h"
#include "vlm_JournalSealing.h"
#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Widgets.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_UnsavedCopies.h"
#include "vlm_WritingFiles.h"
#include "xml_functions.h"
#include "vlm_GraphPainter.h"
#include "vlm_StatisticsView.h"

Tfrm_MainForm::Tfrm_MainForm(TUserInteraction& ui, const QString& appDir, QWidget* parent)
    : Tfrm_MainForm(ui, appDir, appDir, parent) {}

Tfrm_MainForm::Tfrm_MainForm(TUserInteraction& ui, const QString& appDir, const QString& libraryDir, QWidget* parent)
    : QWidget(parent), FAppDir(appDir), FLibraryDir(libraryDir), FUi(ui) {
  if (!FAppDir.endsWith(QLatin1Char('/'))) FAppDir += QLatin1Char('/');
  if (!FLibraryDir.endsWith(QLatin1Char('/'))) FLibraryDir += QLatin1Char('/');
  setWindowTitle(QString::fromUtf8(res::AppTitle));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setMinimumSize(kDesignWidth, kDesignHeight);
  resize(kDesignWidth, kDesignHeight);
  CreateControls();
  ConnectHandlers();
  Run([this] { FormCreate(); });
}

bool Tfrm_MainForm::Run(const std::function<void()>& handler) { return Guard(FUi, this, handler); }

std::string Tfrm_MainForm::AppDirCp() const { return Utf8ToCp1251(FAppDir.toStdString()); }

std::string Tfrm_MainForm::ResolvePath(const std::string& cp1251Path) const {
  return ::ResolvePath(cp1251Path, Utf8ToCp1251(FLibraryDir.toStdString()), AppDirCp());
}

void Tfrm_MainForm::FormCreate() {
  FConfirmDelete = true;
  FNextNumber = 0;
  if (!LockLibrary()) return;
  LoadLibrary();
  CreateGraphs();
  BuildDirectoryTree();
  if (!FViewOnly.isEmpty()) {
    FCore->SetViewOnly(true);
    btn_Save->setEnabled(false);
    btn_Authorization->setEnabled(false);
  }
  StartSafety();
}

bool Tfrm_MainForm::LockLibrary() {
  switch (FLock.Acquire(FLibraryDir)) {
    case lrOpenElsewhere:
      // Another copy of the program has this library open: it alone writes it.
      FAlreadyOpen = true;
      FUi.ShowError(this, QString::fromUtf8(res::MsgLibraryAlreadyOpen).arg(FLibraryDir));
      return false;
    case lrNoLock:
      // Nothing tells whether another copy has it open, and a copy writing later would write the
      // other's edits away: this one only shows the library.
      FViewOnly = QString::fromUtf8(res::MsgViewOnlyWithoutLock);
      FUi.ShowWarning(this, QString::fromUtf8(res::MsgLibraryNotLocked).arg(FLibraryDir, FLock.Failure()));
      return true;
    case lrLocked:
      if (!FLock.Note().isEmpty()) FUi.ShowWarning(this, FLock.Note());
      return true;
  }
  return true;
}

void Tfrm_MainForm::LoadLibrary() {
  const std::string libraryDir = Utf8ToCp1251(FLibraryDir.toStdString());
  const std::string fileName = libraryDir + std::string(litLibraryFile);
  if (FromCp(AppDirCp()) != FAppDir) FUi.ShowWarning(this, QString::fromUtf8(res::MsgAppDirNotCp1251).arg(FAppDir));
  if (FLibraryDir != FAppDir && FromCp(libraryDir) != FLibraryDir)
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgAppDirNotCp1251).arg(FLibraryDir));
  // A library read in part is backed up before its first write; one that is there but could not
  // be read at all is never written. Only a library that is not there at all starts anew.
  const TDocumentState& state = FCore->Load(fileName);
  if (state.Read != rsWhole) {
    const char* text = state.ReadOnly() ? res::MsgLibraryUnreadable : res::MsgLibraryPartlyRead;
    FUi.ShowWarning(this, QString::fromUtf8(text).arg(FromCp(fileName), QString::fromStdString(state.Reason)));
  }
  FLibrary = &FCore->Document();
  FJournals = &FCore->Journals();
  FPairs = &FCore->Pairs();
  StartSealing();
}

TSaveReport Tfrm_MainForm::SaveFiles() {
  // Start-up did not get that far, or the library is only viewed.
  if (!FLibrary || !FJournals || !FViewOnly.isEmpty()) return {};
  const TWritingFiles writing;
  TSaveReport report = FCore->Save();
  AfterOwnWrites(report);
  return report;
}

bool Tfrm_MainForm::SaveAndReport() {
  const TSaveReport report = SaveFiles();
  ReportBackups(report);
  if (!report.Failures.empty()) FUi.ShowError(this, FailureText(res::MsgSaveFailed, report.Failures));
  return report.Failures.empty();
}

void Tfrm_MainForm::ReportBackups(const TSaveReport& report) {
  if (report.Backups.empty()) return;
  QStringList lines;
  for (const auto& b : report.Backups)
    lines << QString::fromUtf8(res::MsgBackupItem).arg(FromCp(b.FileName), FromCp(b.Backup));
  FUi.ShowWarning(this, QString::fromUtf8(res::MsgBackupsMade).arg(lines.join(QLatin1Char('\n'))));
}

TSaveReport Tfrm_MainForm::FormDestroy() {
  if (!FLibrary || !FJournals) return {};  // start-up did not get that far
  StoreGeometry();
  if (FSearchWidth > 0) FCore->SetSearchWidth(FSearchWidth);
  return SaveFiles();
}

QString Tfrm_MainForm::FailureText(const char* pattern, const std::vector<TJournalSaveFailure>& failures) {
  return QString::fromUtf8(pattern).arg(QString::fromStdString(SaveFailureList(failures)));
}

void Tfrm_MainForm::closeEvent(QCloseEvent* event) {
  if (FLoginFailed || FAlreadyOpen || FCloseAccepted) {
    event->accept();
    return;
  }
  // A close asked for while this one waits for the user (a signal's) is left to this one, which
  // looks at FClosingForSignal again once its dialog is gone.
  if (FClosing) {
    event->ignore();
    return;
  }
  FClosing = true;
  const auto closing = qScopeGuard([this] { FClosing = false; });
  TSaveReport report;
  bool ran = true;
  if (FClosingForSignal) {
    // Nobody may be there to read an error: it goes to the standard error output with the rest.
    try {
      report = FormDestroy();
    } catch (const std::exception& error) {
      ran = false;
      report.Failures.push_back({std::string(), error.what()});
    } catch (...) {
      ran = false;
    }
  } else {
    ran = Run([&] { report = FormDestroy(); });
    ReportBackups(report);  // a signal may come while this notice is open
  }
  // Files refused by the rules are not failures: only a write that failed may succeed later.
  if (ran && report.Failures.empty()) {
    FCloseAccepted = true;
    if (FClosingForSignal) ReportToStandardError(report, QString());
    event->accept();
    return;
  }
  const bool goBack =
      !FClosingForSignal && FUi.AskGoBackAfterSaveFailure(this, FailureText(res::MsgSaveFailedAtExit, report.Failures));
  // A signal that came while the question was open cancelled it: that is no going back, the
  // session is ending. The files already written are not written again.
  if (goBack && !FClosingForSignal) {
    event->ignore();
    return;
  }
  if (FClosingForSignal) KeepUnsaved(report, ran);
  FCloseAccepted = true;
  event->accept();
}

void Tfrm_MainForm::KeepUnsaved(const TSaveReport& report, bool saved) {
  FExitStatus = 1;
  auto failed = [&](const TXMLParser& document) {
    return !saved || std::any_of(report.Failures.begin(), report.Failures.end(),
                                 [&](const TJournalSaveFailure& f) { return f.FileName == document.FileName; });
  };
  // Files never written by the rules (not readable at all) hold nothing new.
  std::vector<const TXMLParser*> unsaved;
  if (FLibrary && FCore->IsChanged(FLibrary) && !LibraryState().ReadOnly() && failed(*FLibrary)) unsaved.push_back(FLibrary);
  if (FJournals)
    for (const auto& journal : FJournals->Documents())
      if (FCore->IsChanged(journal.get()) && !FJournals->IsReadOnly(journal.get()) && failed(*journal))
        unsaved.push_back(journal.get());
  const QStringList places = {FLibraryDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                              QDir::homePath(), QDir::tempPath()};
  const QString kept = unsaved.empty() ? QString() : KeepUnsavedCopies(unsaved, places, std::time(nullptr));
  ReportToStandardError(report, kept.isEmpty() ? QString::fromUtf8(res::MsgUnsavedNotKept)
                                               : QString::fromUtf8(res::MsgUnsavedKept).arg(kept));
}

void Tfrm_MainForm::ReportToStandardError(const TSaveReport& report, const QString& kept) {
  QStringList lines;
  if (!report.Backups.empty()) {
    QStringList backups;
    for (const auto& b : report.Backups)
      backups << QString::fromUtf8(res::MsgBackupItem).arg(FromCp(b.FileName), FromCp(b.Backup));
    lines << QString::fromUtf8(res::MsgBackupsMade).arg(backups.join(QLatin1Char('\n')));
  }
  if (!report.Failures.empty()) lines << FailureText(res::MsgSaveFailedForSignal, report.Failures);
  if (!kept.isEmpty()) lines << kept;
  if (!lines.isEmpty()) std::fprintf(stderr, "velmora: %s\n", lines.join(QLatin1Char('\n')).toLocal8Bit().constData());
}

Tfrm_MainForm::~Tfrm_MainForm() {
  // A window freed without the closing path still writes everything once and says what failed.
  if (!FCloseAccepted && !FLoginFailed) {
    TSaveReport report;
    Run([&] { report = FormDestroy(); });
    ReportBackups(report);
    if (!report.Failures.empty()) FUi.ShowError(this, FailureText(res::MsgSaveFailed, report.Failures));
  }
  // Freed in this order while the controls still exist; every journal has been written. The
  // charts go first: nothing may repaint from freed painters or elements.
  FStatistics.reset();
  // The rows go before the documents they point into; nothing is selected on the way.
  FQuietTree = true;
  FTreeModel->Clear();
  FLibrary = nullptr;
  FJournals = nullptr;
  FPairs = nullptr;
  FCore.reset();  // written above; the core writes only what changed since
  FinishSafety();
  if (FSealing && CurrentSealing() == FSealing) SetSealing(nullptr);  // the key goes with the window
  FGraph.reset();
  FQualityGraph.reset();
}

void Tfrm_MainForm::btn_Tool_05Click() { FUi.ShowAbout(this); }

void Tfrm_MainForm::btn_Tool_06Click() { close(); }

void Tfrm_MainForm::img_BannerClick() { FUi.OpenUrl(QUrl(QString::fromUtf8(res::MakerWebAddress))); }
