// The editor panel's edits of the selected entry, applied through the library core, where each is
// a step that can be undone and the tree's captions follow.
#include "vlm_EditorPanel.h"
#include "vlm_Library.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_node.h"

Tfrm_MainForm::TEditTarget Tfrm_MainForm::EditTarget(bool ofName) const {
  TXMLNode* element = NodeOf(FCurrentNode);
  TXMLParser* document = DocumentOfNode(FCurrentNode);
  if (!element || !document) return {};
  // A journal's name is kept by its library entry: its own, also when two entries share it.
  if (ofName && element->Name == tagJournal) {
    TXMLNode* entry = JournalEntryOf(FCurrentNode);
    if (!entry) return {};
    return {&FCore->Document(), entry};
  }
  return {document, element};
}

std::string Tfrm_MainForm::StoredPath(const std::string& cp1251File) const {
  std::string stored;
  const QString file = FromCp(cp1251File);
  const QString inLibrary = PathInLibrary(file, FLibraryDir);
  return inLibrary != file && ToCp(inLibrary, stored) ? stored : cp1251File;
}

TXMLNode* Tfrm_MainForm::JournalEntryOf(const QModelIndex& root) const {
  TXMLNode* entry = LibraryEntryOfNode(root);  // its own entry, also when two share the journal
  return entry || !FPairs ? entry : FPairs->FirstOf(NodeOf(root));
}

void Tfrm_MainForm::ConnectEditorPanel() {
  connect(pnl_WorkArea, &TEditorPanel::TextEdited, this, [this](TTextField field, const std::string& text, TTextStep step) {
    if (const TEditTarget target = EditTarget(field == tfName))
      FCore->SetText(*target.Document, *target.Element, field, text, step);
  });
  connect(pnl_WorkArea, &TEditorPanel::LabelEdited, this, [this](int n, bool on) {
    if (const TEditTarget target = EditTarget()) FCore->SetLabel(*target.Document, *target.Element, n, on);
  });
  connect(pnl_WorkArea, &TEditorPanel::PictureEdited, this, [this](const std::string& path) {
    if (const TEditTarget target = EditTarget()) FCore->SetPicture(*target.Document, *target.Element, StoredPath(path));
  });
  connect(pnl_WorkArea, &TEditorPanel::EnergyEdited, this, [this](int level) {
    if (const TEditTarget target = EditTarget()) FCore->SetEnergy(*target.Document, *target.Element, level);
  });
  connect(pnl_WorkArea, &TEditorPanel::ReadOnlyEdited, this, [this](bool locked) {
    if (const TEditTarget target = EditTarget()) FCore->SetReadOnly(*target.Document, *target.Element, locked);
  });
  // The question before deleting, switched off in its window, is switched on again in the library's editor.
  connect(pnl_WorkArea, &TEditorPanel::ConfirmDeleteEdited, this, [this](bool ask) {
    FConfirmDelete = ask;
    FCore->SetConfirmDelete(ask);
  });
}
