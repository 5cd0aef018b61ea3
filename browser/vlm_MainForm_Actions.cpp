// The tool bar's actions on the documents: creating catalogs, journals, days and experiences,
// moving an item up or down, deleting it, and saving. The structural work is done by the
// operations of vlm_LibraryOps; these handlers ask the user and keep the tree in step.
#include <QToolButton>
#include <stdexcept>

#include "vlm_Cp1251Validator.h"
#include "vlm_LibraryModel.h"
#include "vlm_LibraryOps.h"
#include "vlm_MainForm.h"
#include "vlm_NightDates.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Search.h"
#include "vlm_Settings.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"

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
bool Tfrm_MainForm::MayChangeBelow(const QModelIndex& parent) {
  const QString reason = ReadOnlyReason(parent);
  if (reason.isEmpty()) return true;
  FUi.ShowWarning(this, reason);
  return false;
}

void Tfrm_MainForm::AttachNew(TXMLNode* element) {
  // The model has its row already, under every entry that shows the same journal.
  const QModelIndex parent = FCurrentNode;
  tre_Directory->expand(parent);
  for (int i = FTreeModel->rowCount(parent) - 1; i >= 0; --i) {
    const QModelIndex node = FTreeModel->index(i, 0, parent);
    if (EntryOf(node) != element && NodeOf(node) != element) continue;
    tre_Directory->setCurrentIndex(node);  // runs the selection handler for the new row
    return;
  }
  throw std::runtime_error(res::MsgTreeOutOfStep);
}

void Tfrm_MainForm::btn_Tool_01Click() {
  TXMLNode* parent = NodeOf(FCurrentNode);
  if (!parent || (parent->Name != tagDreamLibrary && parent->Name != tagDirectory) || !MayChangeBelow(FCurrentNode))
    return;
  const TNewElementResult answer = FUi.AskNewElement(this, neCatalog, 0, {});
  if (!answer.Accepted) return;
  const std::string name = DocumentText(answer.First);
  AttachNew(FCore->AddCatalog(*parent, name));
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
  // A file inside the library's folder is stored relative to it; any other path as typed.
  const std::string stored = StoredPath(file);
  TNewJournal created;
  try {
    created = FCore->AddJournal(*catalog, name, stored != file ? stored : path, file);
  } catch (const EInOutError& error) {
    FUi.ShowError(this, Text(res::MsgJournalNotCreated).arg(FromCp(file), FromAnyText(error.Reason)));
    return;
  }
  AttachNew(created.Document->Root.get());
}

void Tfrm_MainForm::btn_Tool_03Click() {
  TXMLNode* journal = NodeOf(FCurrentNode);
  // A journal entry without a path was never loaded: it has no document to hold days.
  if (!journal || journal->Name != tagJournal || !MayChangeBelow(FCurrentNode)) return;
  TXMLParser* document = DocumentOfNode(FCurrentNode);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  // A name meant as a date must be one the journal has no night of yet; the dialog stays open
  // until it is. A name that is no date at all names a night without a date.
  auto checkDate = [this, document](const QString& typed) {
    std::string name;
    ToCp(typed, name);
    const std::optional<int> day = DayNumberOfName(name);
    if (!day && LooksLikeDate(name)) {
      FUi.ShowWarning(this, Text(res::MsgNightNotADate).arg(typed));
      return false;
    }
    if (day && NightOfDate(*document->Root, *day)) {
      FUi.ShowWarning(this, Text(res::MsgNightDateTaken).arg(typed));
      return false;
    }
    return true;
  };
  const TNewElementResult answer = FUi.AskNewElement(this, neDay, 0, checkDate);
  if (!answer.Accepted) return;
  AttachNew(FCore->AddDay(*document, DocumentText(answer.First)));
  pnl_WorkArea->FocusField(tfComment);  // a night's own words come next
}

void Tfrm_MainForm::btn_Tool_04Click() {
  TXMLNode* day = NodeOf(FCurrentNode);
  if (!day || day->Name != tagDay || !MayChangeBelow(FCurrentNode)) return;
  const TNewElementResult answer = FUi.AskNewElement(this, neExperience, FNextNumber, {});
  if (!answer.Accepted) return;
  TXMLParser* document = DocumentOfNode(FCurrentNode);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  TXMLNode* experience =
      FCore->AddExperience(*document, *day, DocumentText(answer.First), DocumentText(answer.Second));
  AttachNew(experience);
  pnl_WorkArea->FocusField(tfTitle);  // typing on goes on with the title, never into a label
}

TXMLNode* Tfrm_MainForm::LibraryEntryOfNode(const QModelIndex& node) const {
  const QModelIndex parent = node.parent();
  if (!parent.isValid() || !NodeOf(parent) || !FPairs) return nullptr;
  TXMLNode* entry = ShownChild(*NodeOf(parent), node.row());
  return StandsFor(entry, NodeOf(node), *FPairs) ? entry : nullptr;
}

TXMLNode* Tfrm_MainForm::EntryOfNode(const QModelIndex& node) const {
  if (!node.isValid() || !node.parent().isValid()) return nullptr;
  // The tree and the document must agree before either is changed.
  TXMLNode* entry = LibraryEntryOfNode(node);
  if (!entry) throw std::runtime_error(res::MsgTreeOutOfStep);
  return entry;
}

void Tfrm_MainForm::MoveCurrentBy(int step) {
  const QModelIndex node = FCurrentNode;
  const QModelIndex parent = node.parent();
  if (!node.isValid() || !parent.isValid()) return;
  const int position = node.row();
  const int other = position + step;
  if (other < 0 || other >= FTreeModel->rowCount(parent)) return;
  EntryOfNode(node);
  EntryOfNode(FTreeModel->index(other, 0, parent));
  if (!MayChangeBelow(parent)) return;
  TXMLParser* document = DocumentOfNode(parent);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  // The model moves the rows; the selection and the editors stay with the current one.
  FCore->Exchange(*document, *NodeOf(parent), position, other);
  EnableButtonsFor(FCurrentNode);
}

void Tfrm_MainForm::btn_MoveUpClick() { MoveCurrentBy(-1); }

void Tfrm_MainForm::btn_MoveDownClick() { MoveCurrentBy(+1); }

void Tfrm_MainForm::btn_DeleteClick() {
  const QPersistentModelIndex node = FCurrentNode;
  const QPersistentModelIndex parent = node.parent();
  if (!node.isValid() || !parent.isValid()) return;  // the library itself is never deleted
  EntryOfNode(node);
  if (!MayChangeBelow(parent)) return;
  TXMLParser* document = DocumentOfNode(parent);
  if (!document) throw std::runtime_error(res::MsgTreeOutOfStep);
  if (FConfirmDelete) {
    const QString question =
        Text(res::QuestionDeleteBegin) + node.data(Qt::DisplayRole).toString() + Text(res::QuestionDeleteEnd);
    const TConfirmationResult answer = FUi.AskConfirmation(this, question);
    if (!answer.Accepted) return;
    FConfirmDelete = !answer.ShowAgainOff;
    FCore->SetConfirmDelete(FConfirmDelete);
  }
  // Another row is selected before the element goes, so the editors never hold a freed element.
  const int position = node.row();
  QModelIndex next = FTreeModel->index(position + 1, 0, parent);
  if (!next.isValid()) next = FTreeModel->index(position - 1, 0, parent);
  if (!next.isValid()) next = parent;
  pnl_WorkArea->Unload();
  tre_Directory->setCurrentIndex(next);
  FCore->Remove(*document, *NodeOf(parent), position);  // the model takes the row away
  // Shown again: positions, counts and the proposed number changed with the deletion.
  if (FCurrentNode.isValid()) tre_DirectoryChanging(FCurrentNode);
}

void Tfrm_MainForm::btn_SaveClick() {
  const QStringList files = FilesToWrite();
  if (SaveAndReport()) ShowSaved(files);
}
