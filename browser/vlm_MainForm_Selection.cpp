// Selecting a tree node: the current node, the tool buttons for its kind, loading a journal on
// its first selection, the default-journal mark, and the editors shown for the kind.
#include <QCheckBox>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidget>

#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
// Removes the document from the list of journals being added, also when adding raises.
struct TLoadingMark {
  std::vector<const TXMLParser*>& List;
  ~TLoadingMark() { List.pop_back(); }
};
}  // namespace

void Tfrm_MainForm::SetCreationButtons(bool tool1, bool tool2, bool tool3, bool tool4) {
  btn_Tool_01->setEnabled(tool1);
  btn_Tool_02->setEnabled(tool2);
  btn_Tool_03->setEnabled(tool3);
  btn_Tool_04->setEnabled(tool4);
}

void Tfrm_MainForm::tre_DirectoryChanging(QTreeWidgetItem* node) {
  FCurrentNode = node;
  BuildPendingNodes(node);  // a selected day shows, moves and receives its dreams' nodes
  TXMLNode* element = NodeOf(node);
  const TEditorPanel::TShowing showing(*pnl_WorkArea);  // showing an entry never writes into it
  pnl_WorkArea->Edit(node, element, DocumentOfNode(node));
  if (!element) return;
  pnl_WorkArea->SetDocumentReadOnly(InUnwrittenDocument(node));
  const std::string& name = element->Name;
  if (name == tagDreamLibrary) {
    {
      const QSignalBlocker quiet(pnl_WorkArea->box_ConfirmDelete);
      pnl_WorkArea->box_ConfirmDelete->setChecked(FConfirmDelete);
      pnl_WorkArea->box_ConfirmDelete->setEnabled(ReadOnlyReason(node).isEmpty());
    }
    pnl_WorkArea->FillEditors(ekLibrary, element);
    pnl_WorkArea->ArrangeEditors(ekLibrary);
    SetCreationButtons(true, false, false, false);
    btn_MoveUp->setEnabled(false);
    btn_MoveDown->setEnabled(false);
    btn_Delete->setEnabled(false);
    return;
  }
  btn_Delete->setEnabled(true);
  QTreeWidgetItem* parent = node->parent();
  const int index = parent ? parent->indexOfChild(node) : tre_Directory->indexOfTopLevelItem(node);
  const int count = parent ? parent->childCount() : tre_Directory->topLevelItemCount();
  btn_MoveUp->setEnabled(index > 0);
  btn_MoveDown->setEnabled(index < count - 1);

  if (name == tagDirectory) {
    pnl_WorkArea->FillEditors(ekCatalog, element);
    pnl_WorkArea->ArrangeEditors(ekCatalog);
    SetCreationButtons(true, true, false, false);
  } else if (name == tagFile) {
    pnl_WorkArea->FillEditors(ekJournal, element);
    pnl_WorkArea->ArrangeEditors(ekJournal);
    SetCreationButtons(false, false, true, false);
    if (element->GetAttribute(attrPath) != litUndefined) {
      LoadJournal(node, element);
      if (!FStepping) MarkDefaultJournal(element);  // a step taken back shows it; the user chose nothing
    }
    ShowJournalStatistics(node);  // an entry without a file shows empty charts
  } else if (name == tagJournal) {
    pnl_WorkArea->FillEditors(ekJournal, element);
    pnl_WorkArea->ArrangeEditors(ekJournal);
    SetCreationButtons(false, false, true, false);
    TXMLNode* entry = LibraryEntryOfNode(node);  // its own entry, also when two share the journal
    if (!FStepping) MarkDefaultJournal(entry ? entry : FPairs->FirstOf(element));
    ShowJournalStatistics(node);
  } else if (name == tagDay) {
    pnl_WorkArea->FillEditors(ekDay, element);
    pnl_WorkArea->ArrangeEditors(ekDay);
    SetCreationButtons(false, false, false, true);
    if (parent) UpdateNextNumber(NodeOf(parent));
    ShowDayStatistics();
  } else if (name == tagExperience) {
    pnl_WorkArea->FillEditors(ekExperience, element);
    pnl_WorkArea->ArrangeEditors(ekExperience);
    SetCreationButtons(false, false, false, false);
    if (element->GetAttribute(attrReadOnly) == litTrue)
      pnl_WorkArea->LockEditors();
    else
      pnl_WorkArea->UnlockEditors();
  }
}

TXMLParser* Tfrm_MainForm::DocumentOfNode(const QTreeWidgetItem* node) const {
  const TXMLNode* element = NodeOf(node);
  if (!element || !FJournals) return nullptr;
  // Days and dreams belong to the journal whose root is above them; everything else (and a
  // journal's own node, whose name its library entry keeps) to the library.
  if (element->Name != tagDay && element->Name != tagExperience && element->Name != tagJournal) return FLibrary;
  for (const QTreeWidgetItem* up = node; up; up = up->parent()) {
    const TXMLNode* root = NodeOf(up);
    if (root && root->Name == tagJournal) return const_cast<TXMLParser*>(FJournals->DocumentOfRoot(root));
  }
  return nullptr;
}

bool Tfrm_MainForm::InUnwrittenDocument(const QTreeWidgetItem* node) const {
  if (!FViewOnly.isEmpty()) return true;
  const TXMLNode* element = NodeOf(node);
  // A journal's name is kept by its library entry.
  if (!element || (element->Name != tagDay && element->Name != tagExperience)) return LibraryState().ReadOnly();
  for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent()) {
    const TXMLNode* root = NodeOf(up);
    if (!root || root->Name != tagJournal) continue;
    const TXMLParser* journal = FJournals ? FJournals->DocumentOfRoot(root) : nullptr;
    return journal && FJournals->IsReadOnly(journal);
  }
  return false;
}

void Tfrm_MainForm::LoadJournal(QTreeWidgetItem* node, TXMLNode* fileElement) {
  const std::string path = ResolvePath(fileElement->GetAttribute(attrPath));
  const bool alreadyOpen = FJournals->Find(path) != nullptr;
  const bool existed = alreadyOpen || PathExists(path);
  TXMLParser* journal = FCore->OpenJournal(path);
  TXMLNode* root = journal->Root.get();
  // A journal that names itself below its own days must not be added again while it is added.
  if (std::find(FLoading.begin(), FLoading.end(), journal) == FLoading.end()) {
    FLoading.push_back(journal);
    TLoadingMark mark{FLoading};
    AddJournalBranches(node, *root);
  }
  BindJournal(node, fileElement, root);
  FPairs->AddUniquePair(fileElement, root);
  WatchOpenFiles();
  // A journal open under another entry already was announced then.
  const TDocumentState& state = FJournals->StateOf(journal);
  if (state.ReadOnly()) node->setToolTip(0, ReadOnlyReason(node));
  if (!alreadyOpen && state.Read != rsWhole) {
    const char* text = state.ReadOnly() ? res::MsgJournalUnreadable : res::MsgJournalPartlyRead;
    FUi.ShowWarning(this, QString::fromUtf8(text).arg(FromCp(path), QString::fromStdString(state.Reason)));
  } else if (!existed) {
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgJournalMissing).arg(FromCp(path)));
  }
}

namespace {
// True when the branch of `element` may hold a journal entry, whose selection at start-up needs
// its node in the view.
bool MayHoldJournalEntries(const TXMLNode& element) {
  for (const auto& child : element.Children)
    if (child->Name == tagDirectory || child->Name == tagFile) return true;
  return false;
}
}  // namespace

void Tfrm_MainForm::AddJournalBranches(QTreeWidgetItem* node, const TXMLNode& root) {
  // A node added inside the view costs the view a notice for itself and for each of its data:
  // branches are built apart and handed to the view together.
  QList<QTreeWidgetItem*> built;
  struct TFreeUnhanded {
    QList<QTreeWidgetItem*>& Items;
    ~TFreeUnhanded() { qDeleteAll(Items); }
  } freeUnhanded{built};
  auto hand = [&] {
    node->addChildren(built);
    built.clear();
  };
  for (int i = 0; i < root.ChildCount(); ++i) {
    TXMLNode* child = root.GetChild(i);
    if (MayHoldJournalEntries(*child)) {
      hand();
      AddTreeBranch(node, child);
    } else {
      built.append(child->Name == tagDay ? AddPendingDay(child) : AddTreeBranch(nullptr, child));
    }
  }
  hand();
}

void Tfrm_MainForm::MarkDefaultJournal(TXMLNode* fileElement) { FCore->SetDefaultJournal(fileElement); }

int Tfrm_MainForm::CountExperiences(const TXMLNode* element) {
  // Every experience in the subtree, counted without recursion.
  int count = 0;
  std::vector<const TXMLNode*> pending{element};
  while (!pending.empty()) {
    const TXMLNode* node = pending.back();
    pending.pop_back();
    for (const auto& child : node->Children) {
      if (child->Name == tagExperience)
        ++count;
      else
        pending.push_back(child.get());
    }
  }
  return count;
}

void Tfrm_MainForm::UpdateNextNumber(TXMLNode* journalRoot) {
  if (journalRoot) FNextNumber = CountExperiences(journalRoot) + 1;
}
