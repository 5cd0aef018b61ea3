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
    : QWidget(parent), FAppDir(appDir), FUi(ui) {
  if (!FAppDir.endsWith(QLatin1Char('/'))) FAppDir += QLatin1Char('/');
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
  return ::ResolvePath(cp1251Path, AppDirCp());
}

void Tfrm_MainForm::FormCreate() {
  FShortDateFormat = QtDatePattern(QString::fromUtf8(res::ShortDateFormat));
  FConfirmDelete = true;
  FNextNumber = 0;
  LoadLibrary();
  FJournals = std::make_unique<TJournalHash>();
  FJournals->OnDestroyFailures = [this](const std::vector<TJournalSaveFailure>& failures) {
    // Only reached when the window goes without the closing path, which reports its own.
    if (FCloseAccepted || FLoginFailed || failures.empty()) return;
    QStringList lines;
    for (const auto& f : failures)
      lines << QString::fromUtf8(res::MsgSaveFailureItem).arg(FromCp(f.FileName), FromAnyText(f.Reason));
    FUi.ShowError(this, QString::fromUtf8(res::MsgSaveFailed).arg(lines.join(QLatin1Char('\n'))));
  };
  FPairs = std::make_unique<TXMLPairList>();
  FDefaultJournal = nullptr;
  CreateGraphs();
  BuildDirectoryTree();
}

void Tfrm_MainForm::LoadLibrary() {
  FLibrary = std::make_unique<TXMLParser>();
  const std::string fileName = AppDirCp() + std::string(litLibraryFile);
  if (FromCp(AppDirCp()) != FAppDir) FUi.ShowWarning(this, QString::fromUtf8(res::MsgAppDirNotCp1251).arg(FAppDir));
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

bool Tfrm_MainForm::SaveLibrary(std::vector<TJournalSaveFailure>& failures) {
  if (!FLibraryWritable) {
    failures.push_back({FLibrary->FileName, res::ReasonLibraryNotRead});
    return false;
  }
  try {
    FLibrary->SaveToFile(FLibrary->FileName);
    return true;
  } catch (const EInOutError& e) {
    failures.push_back({e.FileName, e.Reason});
  } catch (const std::exception& e) {
    failures.push_back({FLibrary->FileName, e.what()});
  }
  return false;
}

std::vector<TJournalSaveFailure> Tfrm_MainForm::FormDestroy() {
  if (!FLibrary || !FJournals) return {};  // start-up did not get that far
  TXMLNode* root = FLibrary->Root.get();
  TXMLNode* form = root->FindNode(tagForm);
  if (!form) {
    form = root->AddChild(std::make_unique<TXMLNode>(std::string(tagForm), nkEmpty));
    form->SetLevel(root->Level + 1);
  }
  // The stored bounds are geometry(): the client area's place and size, without the frame,
  // which is what resize() and move() take back at the next start.
  const QRect bounds = geometry();
  form->SetAttribute(attrLeft, std::to_string(bounds.x()));
  form->SetAttribute(attrTop, std::to_string(bounds.y()));
  form->SetAttribute(attrWidth, std::to_string(bounds.width()));
  form->SetAttribute(attrHeight, std::to_string(bounds.height()));
  form->SetAttribute(attrTreeWidth, std::to_string(tre_Directory->width()));

  std::vector<TJournalSaveFailure> failures;
  SaveLibrary(failures);
  for (auto& f : FJournals->TrySaveAll()) failures.push_back(std::move(f));
  return failures;
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
  QStringList lines;
  for (const auto& f : failures)
    lines << QString::fromUtf8(res::MsgSaveFailureItem).arg(FromCp(f.FileName), FromAnyText(f.Reason));
  const QString text = QString::fromUtf8(res::MsgSaveFailedAtExit).arg(lines.join(QLatin1Char('\n')));
  if (FUi.AskGoBackAfterSaveFailure(this, text)) {
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
  // Freed in this order while the controls still exist. The closing path has written every
  // journal already; otherwise the registry writes what it holds as it goes.
  if (FCloseAccepted && FJournals) FJournals->ReleaseAll();
  FLibrary.reset();
  FJournals.reset();
  FPairs.reset();
  FGraph.reset();
  FQualityGraph.reset();
}

void Tfrm_MainForm::btn_Tool_06Click() { close(); }

void Tfrm_MainForm::img_BannerClick() { FUi.OpenUrl(QUrl(QString::fromUtf8(res::MakerWebAddress))); }
