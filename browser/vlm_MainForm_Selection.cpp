// Selecting a tree node: the current node, the tool buttons for its kind, loading a journal on
// its first selection, the default-journal mark, and the editors shown for the kind.
#include <QCheckBox>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "vlm_LibraryModel.h"
#include "vlm_FileWatch.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

void Tfrm_MainForm::EnableButtonsFor(const QModelIndex& node) {
  const TXMLNode* element = NodeOf(node);
  if (!element) return;
  const std::string& name = element->Name;
  const bool top = !node.parent().isValid();  // the library itself is never moved or deleted
  const bool readOnly = !ReadOnlyReason(node).isEmpty();
  btn_Tool_01->setEnabled(!readOnly && (name == tagDreamLibrary || name == tagDirectory));
  btn_Tool_02->setEnabled(!readOnly && name == tagDirectory);
  btn_Tool_03->setEnabled(!readOnly && (name == tagFile || name == tagJournal));
  btn_Tool_04->setEnabled(!readOnly && name == tagDay);
  // A journal's own row stands for its library entry, which can still be moved or deleted while
  // the journal is only viewed.
  const bool placed = !top && (!readOnly || (name == tagJournal && !LibraryState().ReadOnly() && FViewOnly.isEmpty()));
  btn_Delete->setEnabled(placed);
  btn_MoveUp->setEnabled(placed && node.row() > 0);
  btn_MoveDown->setEnabled(placed && node.row() < FTreeModel->rowCount(node.parent()) - 1);
}

void Tfrm_MainForm::tre_DirectoryChanging(const QModelIndex& node) {
  FCurrentNode = node;
  TXMLNode* element = NodeOf(node);
  if (!element) {
    pnl_WorkArea->Unload();
    return;
  }
  const bool unwritten = InUnwrittenDocument(node);
  EnableButtonsFor(node);
  const std::string& name = element->Name;
  if (name == tagDreamLibrary) {
    pnl_WorkArea->ShowConfirmDelete(FConfirmDelete, ReadOnlyReason(node).isEmpty());
    pnl_WorkArea->LoadEntry(ekLibrary, *element, unwritten);
    return;
  }
  const QModelIndex parent = node.parent();

  if (name == tagDirectory) {
    pnl_WorkArea->LoadEntry(ekCatalog, *element, unwritten);
  } else if (name == tagFile) {
    pnl_WorkArea->LoadEntry(ekJournal, *element, unwritten);
    if (element->GetAttribute(attrPath) != litUndefined) {
      LoadJournal(element);
      if (!FStepping) MarkDefaultJournal(element);  // a step taken back shows it; the user chose nothing
    }
    ShowJournalStatistics(node);  // an entry without a file shows empty charts
  } else if (name == tagJournal) {
    TXMLNode* entry = JournalEntryOf(node);
    pnl_WorkArea->LoadEntry(ekJournal, *element, unwritten, entry);
    if (!FStepping) MarkDefaultJournal(entry);
    ShowJournalStatistics(node);
  } else if (name == tagDay) {
    pnl_WorkArea->LoadEntry(ekDay, *element, unwritten);
    if (parent.isValid()) UpdateNextNumber(NodeOf(parent));
    ShowDayStatistics();
  } else if (name == tagExperience) {
    pnl_WorkArea->LoadEntry(ekExperience, *element, unwritten);
  } else {
    pnl_WorkArea->Unload();
  }
}

TXMLParser* Tfrm_MainForm::DocumentOfNode(const QModelIndex& node) const {
  const TXMLNode* element = NodeOf(node);
  if (!element || !FJournals) return nullptr;
  // Days and dreams belong to the journal whose root is above them; everything else (and a
  // journal's own node, whose name its library entry keeps) to the library.
  if (element->Name != tagDay && element->Name != tagExperience && element->Name != tagJournal) return FLibrary;
  for (QModelIndex up = node; up.isValid(); up = up.parent()) {
    const TXMLNode* root = NodeOf(up);
    if (root && root->Name == tagJournal) return const_cast<TXMLParser*>(FJournals->DocumentOfRoot(root));
  }
  return nullptr;
}

bool Tfrm_MainForm::InUnwrittenDocument(const QModelIndex& node) const {
  if (!FViewOnly.isEmpty()) return true;
  const TXMLNode* element = NodeOf(node);
  // A journal's name is kept by its library entry.
  if (!element || (element->Name != tagDay && element->Name != tagExperience)) return LibraryState().ReadOnly();
  for (QModelIndex up = node.parent(); up.isValid(); up = up.parent()) {
    const TXMLNode* root = NodeOf(up);
    if (!root || root->Name != tagJournal) continue;
    const TXMLParser* journal = FJournals ? FJournals->DocumentOfRoot(root) : nullptr;
    return journal && FJournals->IsReadOnly(journal);
  }
  return false;
}

bool Tfrm_MainForm::OpenedJournalOfRow(TXMLNode* element, const QModelIndex& row) {
  if (element->Name != tagFile || element->GetAttribute(attrPath) == litUndefined) return false;
  const std::string path = ResolvePath(element->GetAttribute(attrPath));
  if (!FJournals->Find(path) && !PathExists(path)) return false;
  LoadJournal(element);
  return NodeOf(row) != element;
}

void Tfrm_MainForm::LoadJournal(TXMLNode* fileElement) {
  const std::string path = ResolvePath(fileElement->GetAttribute(attrPath));
  const bool alreadyOpen = FJournals->Find(path) != nullptr;
  const bool existed = alreadyOpen || PathExists(path);
  TXMLParser* journal = FCore->OpenJournal(path);
  FPairs->AddUniquePair(fileElement, journal->Root.get());
  {
    // The entry's row shows the journal's days now; the selection stays on it.
    const QScopedValueRollback quiet(FQuietTree, true);
    FTreeModel->FollowPairs();
  }
  // This journal's file only: the others are watched already, and a search may load thousands.
  if (FWatch) FWatch->Watch(FromCp(journal->FileName));
  // Entries of other journals kept in this one open as the default journal does.
  const QModelIndexList rows = FTreeModel->RowsOf(fileElement);
  if (!alreadyOpen && !FStepping && !rows.isEmpty()) SelectDefaultJournals(rows.first());
  // A journal open under another entry already was announced then.
  const TDocumentState& state = FJournals->StateOf(journal);
  if (!alreadyOpen && state.Read != rsWhole) {
    const char* text = state.ReadOnly() ? res::MsgJournalUnreadable : res::MsgJournalPartlyRead;
    FUi.ShowWarning(this, QString::fromUtf8(text).arg(FromCp(path), QString::fromStdString(state.Reason)));
  } else if (!existed) {
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgJournalMissing).arg(FromCp(path)));
  }
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
