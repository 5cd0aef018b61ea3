// The directory tree: showing the library at start-up (which also reads the settings), the
// default journal's selection, and what a tree row stands for (its model: vlm_LibraryModel.h).
#include <QCheckBox>
#include <QMenu>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <algorithm>

#include "vlm_LibraryModel.h"
#include "vlm_LibraryOps.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Pictures.h"
#include "vlm_Resources.h"
#include "vlm_Settings.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"

namespace {
bool Undefined(const std::string& value) { return value == litUndefined; }
}  // namespace

TXMLNode* Tfrm_MainForm::NodeOf(const QModelIndex& index) { return TLibraryModel::ElementOf(index); }

TXMLNode* Tfrm_MainForm::EntryOf(const QModelIndex& index) { return TLibraryModel::EntryOf(index); }

int Tfrm_MainForm::PictureOf(const QModelIndex& index) {
  const TXMLNode* element = NodeOf(index);
  return element ? TLibraryModel::PictureOf(element) : -1;
}

QString Tfrm_MainForm::ToolTipOf(const QModelIndex& node) const {
  // The library's row and a journal's that is only viewed say why.
  const TXMLNode* element = NodeOf(node);
  if (!element) return {};
  if (!node.parent().isValid()) return ReadOnlyReason(node);
  if (element->Name != tagJournal || !FJournals) return {};
  const TXMLParser* journal = FJournals->DocumentOfRoot(element);
  return journal && FJournals->StateOf(journal).ReadOnly() ? ReadOnlyReason(node) : QString();
}

void Tfrm_MainForm::BuildDirectoryTree() {
  TXMLNode* root = FLibrary->Root.get();
  FTreeModel->ShowLibrary(false);
  if (!CheckLogin()) {
    FLoginFailed = true;  // nothing further of the library is read, and nothing is written
    return;
  }

  const TLibrarySettings settings = ReadLibrarySettings(*root);
  QStringList problems;
  for (const std::string& problem : settings.Problems) problems << QString::fromStdString(problem);
  ApplySettings(settings, problems);
  FScratch = QImage();
  FTreeModel->ShowLibrary(true);  // rows are built as the view asks for them, pictures read by now
  // Nothing is selected until the user or the default journal selects it: without this the view
  // would make the first row current when it first gets the focus.
  tre_Directory->setCurrentIndex(QModelIndex());
  ReadDefaultJournals(FTreeModel->index(0, 0));
  if (!problems.isEmpty())
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgSettingsProblems).arg(problems.join(QLatin1Char('\n'))));
}

std::vector<const TXMLNode*> Tfrm_MainForm::DefaultEntries(const QModelIndex& top) const {
  // The entries marked below `top`, in the document's order; the journals of other entries are
  // not entered.
  std::vector<const TXMLNode*> ordered;
  for (std::vector<const TXMLNode*> pending{NodeOf(top)}; !pending.empty();) {
    const TXMLNode* element = pending.back();
    pending.pop_back();
    if (!element) continue;
    if (element->Name == tagFile && element->GetAttribute(attrDefault) == litYes) ordered.push_back(element);
    if (element->Name == tagExperience) continue;
    const std::vector<TXMLNode*> shown = ShownChildren(*element);
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) pending.push_back(*it);
  }
  return ordered;
}

void Tfrm_MainForm::SelectDefaultJournals(const QModelIndex& top) {
  // In the document's order: the last one stays selected.
  for (const TXMLNode* entry : DefaultEntries(top)) {
    const QModelIndex node = FTreeModel->Find(top, entry);
    if (!node.isValid()) continue;
    // Selecting runs the selection handler at once, which loads the journal.
    tre_Directory->ExpandAncestors(node);  // as deep as the view can lay out its rows
    tre_Directory->setCurrentIndex(node);
    tre_Directory->expand(node);
  }
}

void Tfrm_MainForm::ReadDefaultJournals(const QModelIndex& top) {
  // A large journal would keep the window from showing until it is read: its file is read on a
  // thread while the window shows, and the journal selected when it is read, as before. The
  // document is only handed over whole, here on the window's thread (TLibrary::OpenJournal); a
  // user who opens it sooner waits for the rest of the read. Missing files are left to the
  // selection, which starts them empty and says so.
  for (const TXMLNode* entry : DefaultEntries(top)) {
    const std::string path = entry->GetAttribute(attrPath);
    if (path == litUndefined) continue;
    const std::string resolved = ResolvePath(path);
    if (!PathExists(resolved)) continue;
    FCore->ReadJournalAhead(resolved);
    FDefaultJournalsPending = true;
  }
  if (!FDefaultJournalsPending) return SelectDefaultJournals(top);
  // Once, however often the tree is built again.
  connect(FCore.get(), &TLibrary::JournalReadAhead, this, &Tfrm_MainForm::DefaultJournalsRead, Qt::UniqueConnection);
}

void Tfrm_MainForm::DefaultJournalsRead() {
  if (!FDefaultJournalsPending || FCore->ReadingAhead()) return;
  FDefaultJournalsPending = false;
  Run([this] {
    // A row the user chose meanwhile stays chosen; the journals read wait in the core until opened.
    if (!tre_Directory->currentIndex().isValid()) SelectDefaultJournals(FTreeModel->index(0, 0));
  });
  emit DefaultJournalsShown();
}

void Tfrm_MainForm::ApplySettings(const TLibrarySettings& settings, QStringList& problems) {
  for (const TIconSetting& icon : settings.Icons) ReadIcon(icon, problems);
  for (int n = 1; n <= 4; ++n) {
    if (!settings.LabelDefined[n - 1]) continue;
    pnl_WorkArea->SetLabelCaption(n, FromCp(settings.LabelCaptions[n - 1]));
    FLabelDefined[n - 1] = true;
  }
  ApplyGeometry(settings.Form);
  FConfirmDelete = settings.ConfirmDelete;
}

void Tfrm_MainForm::ReadIcon(const TIconSetting& icon, QStringList& problems) {
  if (!Undefined(icon.Path)) {
    QImage picture;
    if (!LoadPicture(picture, QString::fromStdString(NativePath(ResolvePath(icon.Path))))) {
      // A blank picture keeps the indexes of the later icons where the library expects them.
      problems << QString::fromUtf8(res::MsgPictureNotLoaded).arg(FromCp(icon.Path));
      picture = QImage(TImageList::kSize, TImageList::kSize, QImage::Format_ARGB32);
      picture.fill(Qt::transparent);
    }
    FScratch = picture;
    iml_TreeImages.Add(picture);
  }
  const QList<QToolButton*> buttons = {btn_Tool_01, btn_Tool_02, btn_Tool_03, btn_Tool_04};
  if (const int n = TLibrarySettings::ToolButtonOf(icon.Name))
    buttons[n - 1]->setIcon(FScratch.isNull() ? QIcon() : QIcon(QPixmap::fromImage(FScratch)));
}

void Tfrm_MainForm::ConnectTreeMenu() {
  tre_Directory->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tre_Directory, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex row = tre_Directory->indexAt(at);
    if (row.isValid() && row != tre_Directory->currentIndex()) tre_Directory->setCurrentIndex(row);
    if (row.isValid()) QMenu::exec(tre_Directory->actions(), tre_Directory->viewport()->mapToGlobal(at), nullptr, this);
  });
}
