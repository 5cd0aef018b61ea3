// The tool bar's actions on the documents: creating catalogs, journals, days and experiences,
// moving an item up or down, deleting it, and saving. The structural work is done by the
// operations of vlm_LibraryOps; these handlers ask the user and keep the tree in step.
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <stdexcept>

#include "vlm_Cp1251Validator.h"
#include "vlm_LibraryOps.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Settings.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_functions.h"

namespace {
// Pictures of the new nodes' kinds in the tree's image list.
constexpr int kPictureCatalog = 2;
constexpr int kPictureJournal = 3;
constexpr int kPictureDay = 4;
constexpr int kPictureExperience = 5;


// The position of a node among its parent's children; -1 for a top-level node.
int PositionOf(const QTreeWidgetItem* node) {
  return node->parent() ? node->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(node)) : -1;
}

// The expanded nodes of a subtree, to be expanded again after the subtree was moved in the tree.
std::vector<QTreeWidgetItem*> ExpandedIn(QTreeWidgetItem* top) {
  std::vector<QTreeWidgetItem*> expanded, pending{top};
  while (!pending.empty()) {
    QTreeWidgetItem* item = pending.back();
    pending.pop_back();
    if (item->isExpanded()) expanded.push_back(item);
    for (int i = 0; i < item->childCount(); ++i) pending.push_back(item->child(i));
  }
  return expanded;
}
}  // namespace

void Tfrm_MainForm::ConnectActions() {
  const std::pair<QToolButton*, void (Tfrm_MainForm::*)()> actions[] = {
      {btn_Tool_01, &Tfrm_MainForm::btn_Tool_01Click},   {btn_Tool_02, &Tfrm_MainForm::btn_Tool_02Click},
      {btn_Tool_03, &Tfrm_MainForm::btn_Tool_03Click},   {btn_Tool_04, &Tfrm_MainForm::btn_Tool_04Click},
      {btn_MoveUp, &Tfrm_MainForm::btn_MoveUpClick},     {btn_MoveDown, &Tfrm_MainForm::btn_MoveDownClick},
      {btn_Delete, &Tfrm_MainForm::btn_DeleteClick},     {btn_Save, &Tfrm_MainForm::btn_SaveClick},
  };
  for (const auto& [button, handler] : actions)
    connect(button, &QToolButton::clicked, this, [this, handler = handler] { Run([this, handler] { (this->*handler)(); }); });
}

std::string Tfrm_MainForm::DocumentText(const QString& text) {
  // The dialog leaves such characters out as they are typed; whatever else hands in text follows
  // the same rule.
  QString left;
  std::string bytes;
  ToCp(WithoutForeignCharacters(text, &left), bytes);
  if (!left.isEmpty()) FUi.ShowWarning(this, Text(res::MsgCharactersRefused).arg(left));
  return bytes;
}

// Changes below `parent` are refused, with the reason, when its document is only viewed.
bool Tfrm_MainForm::MayChangeBelow(const QTreeWidgetItem* parent) {
  const QString reason = ReadOnlyReason(parent);
  if (reason.isEmpty()) return true;
  FUi.ShowWarning(this, reason);
  return false;
}

void Tfrm_MainForm::AttachNew(TXMLNode* element, const QString& caption, int picture) {
  QTreeWidgetItem* parent = FCurrentNode;
  QTreeWidgetItem* node = AddNode(parent, element, caption, picture);
  parent->setExpanded(true);
  tre_Directory->setCurrentItem(node);  // runs the selection handler for the new node
  ShowJournalChangeElsewhere(parent);
}

void Tfrm_MainForm::ShowJournalChangeElsewhere(QTreeWidgetItem* changedBelow) {
  QTreeWidgetItem* journalNode = changedBelow;
  while (journalNode && (!NodeOf(journalNode) || NodeOf(journalNode)->Name != tagJournal))
    journalNode = journalNode->parent();
  if (!journalNode) return;
  // Another entry of the same journal shows the same elements: its nodes are built again, so that
  // none of them keeps an element that was removed or misses one that was added.
  TXMLNode* root = NodeOf(journalNode);
  std::vector<QTreeWidgetItem*> others;
  for (QTreeWidgetItemIterator it(tre_Directory); *it; ++it)
    if (*it != journalNode && NodeOf(*it) == root) others.push_back(*it);
  for (QTreeWidgetItem* other : others) {
    const bool expanded = other->isExpanded();
    qDeleteAll(other->takeChildren());
    AddJournalBranches(other, *root);
    other->setExpanded(expanded);
  }
}

void Tfrm_MainForm::btn_Tool_01Click() {
  TXMLNode* parent = NodeOf(FCurrentNode);
  if (!parent || (parent->Name != tagDreamLibrary && parent->Name != tagDirectory) || !MayChangeBelow(FCurrentNode))
    return;
  const TNewElementResult answer = FUi.AskNewElement(this, neCatalog, 0, {});
  if (!answer.Accepted) return;
  const std::string name = DocumentText(answer.First);
  AttachNew(FCore->AddCatalog(*parent, name), FromCp(name), kPictureCatalog);
}

void Tfrm_MainForm::btn_Tool_02Click() {
  TXMLNode* catalog = NodeOf(FCurrentNode);
  if (!catalog || catalog->Name != tagDirectory || !MayChangeBelow(FCurrentNode)) return;
  // The save dialog asks before it names an existing file; a path typed by hand is asked about here.
  auto checkTypedPath = [this](const QString& typed) {
    std::string path;
    if (!ToCp(typed, path)) return true;  // refused below with its own message
    const std::string file = ResolvePath(path);
    if (FJournals->Find(file)) {  // whatever the spelling, an open journal's file is never replaced
      FUi.ShowWarning(this, Text(res::MsgJournalAlreadyOpen).arg(FromCp(file)));
      return false;
    }
    return !PathExists(file) || FUi.AskReplaceFile(this, FromCp(file));
  };
  const TNewElementResult answer = FUi.AskNewElement(this, neJournal, 0, checkTypedPath);
  if (!answer.Accepted) return;
  std::string path;
  if (!ToCp(answer.Second, path)) {
    FUi.ShowError(this, Text(res::MsgPathNotCp1251).arg(answer.Second));
    return;
  }
  const std::string name = DocumentText(answer.First);
  const std::string file = ResolvePath(path);
  TNewJournal created;
  try {
    created = FCore->AddJournal(*catalog, name, path, file);
  } catch (const EInOutError& error) {
    FUi.ShowError(this, Text(res::MsgJournalNotCreated).arg(FromCp(file), FromAnyText(error.Reason)));
    return;
  }
  AttachNew(created.Document->Root.get(), FromCp(name), kPictureJournal);
}

void Tfrm_MainForm::btn_Tool_03Click() {
  TXMLNode* journal = NodeOf(FCurrentNode);
  // A journal entry without a path was never loaded: it has no document to hold days.
  if (!journal || journal->Name != tagJournal || !MayChangeBelow(FCurrentNode)) return;
  const TNewElementResult answer = FUi.AskNewElement(this, neDay, 0, {});
  if (!answer.Accepted) return;
  const std::string name = DocumentText(answer.First);
  TXMLParser* document = DocumentOfNode(FCurrentNode);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  AttachNew(FCore->AddDay(*document, name), FromCp(name), kPictureDay);
}

void Tfrm_MainForm::btn_Tool_04Click() {
  TXMLNode* day = NodeOf(FCurrentNode);
  if (!day || day->Name != tagDay || !MayChangeBelow(FCurrentNode)) return;
  const TNewElementResult answer = FUi.AskNewElement(this, neExperience, FNextNumber, {});
  if (!answer.Accepted) return;
  TXMLParser* document = DocumentOfNode(FCurrentNode);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  BuildPendingNodes(FCurrentNode);  // else the new dream would be added twice
  TXMLNode* experience =
      FCore->AddExperience(*document, *day, DocumentText(answer.First), DocumentText(answer.Second));
  AttachNew(experience, ExperienceCaption(experience), kPictureExperience);
}

TXMLNode* Tfrm_MainForm::LibraryEntryOfNode(const QTreeWidgetItem* node) const {
  const QTreeWidgetItem* parent = node ? node->parent() : nullptr;
  if (!parent || !NodeOf(parent) || !FPairs) return nullptr;
  TXMLNode* entry = ShownChild(*NodeOf(parent), PositionOf(node));
  return StandsFor(entry, NodeOf(node), *FPairs) ? entry : nullptr;
}

TXMLNode* Tfrm_MainForm::EntryOfNode(const QTreeWidgetItem* node) const {
  if (!node || !node->parent()) return nullptr;
  // The tree and the document must agree before either is changed.
  TXMLNode* entry = LibraryEntryOfNode(node);
  if (!entry) throw std::runtime_error(res::MsgTreeOutOfStep);
  return entry;
}

void Tfrm_MainForm::MoveCurrentBy(int step) {
  QTreeWidgetItem* node = FCurrentNode;
  QTreeWidgetItem* parent = node ? node->parent() : nullptr;
  if (!parent) return;
  const int position = PositionOf(node);
  const int other = position + step;
  if (other < 0 || other >= parent->childCount()) return;
  QTreeWidgetItem* sibling = parent->child(other);
  EntryOfNode(node);
  EntryOfNode(sibling);
  if (!MayChangeBelow(parent)) return;
  TXMLParser* document = DocumentOfNode(parent);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  FCore->Exchange(*document, *NodeOf(parent), position, other);
  // The sibling moves rather than the current node, so the selection and the editors stay put.
  const std::vector<QTreeWidgetItem*> expanded = ExpandedIn(sibling);
  parent->takeChild(other);
  parent->insertChild(position, sibling);
  for (QTreeWidgetItem* item : expanded) item->setExpanded(true);
  ShowJournalChangeElsewhere(parent);
  btn_MoveUp->setEnabled(PositionOf(node) > 0);
  btn_MoveDown->setEnabled(PositionOf(node) < parent->childCount() - 1);
}

void Tfrm_MainForm::btn_MoveUpClick() { MoveCurrentBy(-1); }

void Tfrm_MainForm::btn_MoveDownClick() { MoveCurrentBy(+1); }

void Tfrm_MainForm::btn_DeleteClick() {
  QTreeWidgetItem* node = FCurrentNode;
  QTreeWidgetItem* parent = node ? node->parent() : nullptr;
  if (!parent) return;  // the library itself is never deleted
  EntryOfNode(node);
  if (!MayChangeBelow(parent)) return;
  TXMLParser* document = DocumentOfNode(parent);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  if (FConfirmDelete) {
    const QString question = Text(res::QuestionDeleteBegin) + node->text(0) + Text(res::QuestionDeleteEnd);
    const TConfirmationResult answer = FUi.AskConfirmation(this, question);
    if (!answer.Accepted) return;
    FConfirmDelete = !answer.ShowAgainOff;
    FCore->SetConfirmDelete(FConfirmDelete);
  }
  // Another node is selected before the element goes, so the editors never hold a freed element.
  const int position = PositionOf(node);
  QTreeWidgetItem* next = parent->child(position + 1);
  if (!next) next = parent->child(position - 1);
  if (!next) next = parent;
  pnl_WorkArea->Detach();
  tre_Directory->setCurrentItem(next);
  FCore->Remove(*document, *NodeOf(parent), position);
  delete parent->takeChild(position);
  ShowJournalChangeElsewhere(parent);
  // Shown again: positions, counts and the proposed number changed with the deletion.
  if (QTreeWidgetItem* current = tre_Directory->currentItem()) tre_DirectoryChanging(current);
}

void Tfrm_MainForm::btn_SaveClick() { SaveAndReport(); }
