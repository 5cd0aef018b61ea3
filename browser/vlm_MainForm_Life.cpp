// Start-up and shut-down of the main window: the library, the registry, the geometry, and
// closing with every file written or the user told which ones failed.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QUrl>

#include "vlm_ErrorBoundary.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "vlm_GraphPainter.h"

namespace {
// The program's short date format, in the old platform's letters ("mm" is the month there).
QString QtDatePattern(QString pattern) { return pattern.replace(QLatin1Char('m'), QLatin1Char('M')); }
}  // namespace

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
  FShortDateFormat = QtDatePattern(QString::fromUtf8(res::ShortDateFormat));
  FConfirmDelete = true;
  FNextNumber = 0;
  LoadLibrary();
  FJournals = std::make_unique<TJournalHash>();
  FPairs = std::make_unique<TXMLPairList>();
  FDefaultJournal = nullptr;
  CreateGraphs();
  BuildDirectoryTree();
}

void Tfrm_MainForm::LoadLibrary() {
  FLibrary = std::make_unique<TXMLParser>();
  const std::string libraryDir = Utf8ToCp1251(FLibraryDir.toStdString());
  const std::string fileName = libraryDir + std::string(litLibraryFile);
  if (FromCp(AppDirCp()) != FAppDir) FUi.ShowWarning(this, QString::fromUtf8(res::MsgAppDirNotCp1251).arg(FAppDir));
  if (FLibraryDir != FAppDir && FromCp(libraryDir) != FLibraryDir)
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgAppDirNotCp1251).arg(FLibraryDir));
  FLibrary->LoadFromFile(fileName);
  // A file that is there but was not read whole is kept as it is: saving it would lose the rest.
  // Only a library that is not there at all starts anew.
  if (FLibrary->Status != xrOk && (FLibrary->Status != xrCannotOpen || PathExists(fileName))) {
    FLibraryWritable = false;
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgLibraryUnreadable)
                              .arg(FromCp(fileName), QString::fromStdString(res::LoadStatusText(FLibrary->Status))));
  }
  FLibrary->FileName = fileName;
  // A missing or empty library is a library root of its own name, so the tree and the writer work.
  if (!FLibrary->Root) FLibrary->Root = std::make_unique<TXMLNode>();
  if (FLibrary->Root->Name.empty()) {
    FLibrary->Root->Name = std::string(tagDreamLibrary);
    FLibrary->Root->Kind = nkElement;
  }
}

void Tfrm_MainForm::CreateGraphs() {
  FGraph = std::make_unique<TVLGraph>();
  FQualityGraph = std::make_unique<TVLGraph>();
}

std::vector<TJournalSaveFailure> Tfrm_MainForm::SaveFiles() {
  std::vector<TJournalSaveFailure> failures;
  if (!FLibrary || !FJournals) return failures;  // start-up did not get that far
  if (!FLibraryWritable) {
    failures.push_back({FLibrary->FileName, res::ReasonLibraryNotRead});
  } else {
    try {
      FLibrary->SaveToFile(FLibrary->FileName);
    } catch (const EInOutError& e) {
      failures.push_back({e.FileName, e.Reason});
    } catch (const std::exception& e) {
      failures.push_back({FLibrary->FileName, e.what()});
    }
  }
  for (auto& f : FJournals->SaveAll()) failures.push_back(std::move(f));
  return failures;
}

std::vector<TJournalSaveFailure> Tfrm_MainForm::FormDestroy() {
  if (!FLibrary || !FJournals) return {};  // start-up did not get that far
  // The stored bounds are geometry(): the client area's place and size, without the frame,
  // which is what resize() and move() take back at the next start.
  const QRect bounds = geometry();
  WriteFormGeometry(*FLibrary->Root, bounds.x(), bounds.y(), bounds.width(), bounds.height(),
                    tre_Directory->width());
  return SaveFiles();
}

QString Tfrm_MainForm::FailureText(const char* pattern, const std::vector<TJournalSaveFailure>& failures) {
  return QString::fromUtf8(pattern).arg(QString::fromStdString(SaveFailureList(failures)));
}

void Tfrm_MainForm::closeEvent(QCloseEvent* event) {
  if (FLoginFailed || FCloseAccepted) {
    event->accept();
    return;
  }
  std::vector<TJournalSaveFailure> failures;
  bool ran = Run([&] { failures = FormDestroy(); });
  if (ran && failures.empty()) {
    FCloseAccepted = true;
    event->accept();
    return;
  }
  if (FUi.AskGoBackAfterSaveFailure(this, FailureText(res::MsgSaveFailedAtExit, failures))) {
    event->ignore();
    return;
  }
  FCloseAccepted = true;
  event->accept();
}

void Tfrm_MainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FCentred) return;
  // The window opens centred on the screen at its current size, whatever `left` and `top` said.
  FCentred = true;
  if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

Tfrm_MainForm::~Tfrm_MainForm() {
  // A window freed without the closing path still writes everything once and says what failed.
  if (!FCloseAccepted && !FLoginFailed) {
    std::vector<TJournalSaveFailure> failures;
    Run([&] { failures = FormDestroy(); });
    if (!failures.empty()) FUi.ShowError(this, FailureText(res::MsgSaveFailed, failures));
  }
  // Freed in this order while the controls still exist; every journal has been written.
  if (FJournals) FJournals->ReleaseAll();
  FLibrary.reset();
  FJournals.reset();
  FPairs.reset();
  FGraph.reset();
  FQualityGraph.reset();
}

void Tfrm_MainForm::btn_Tool_06Click() { close(); }

void Tfrm_MainForm::img_BannerClick() { FUi.OpenUrl(QUrl(QString::fromUtf8(res::MakerWebAddress))); }
