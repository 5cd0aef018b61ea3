// Selecting a tree node: the current node, the tool buttons for its kind, loading a journal on
// its first selection, the default-journal mark, and the editors shown for the kind.
#include <QCheckBox>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
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
// An attribute as an editor shows it: empty when absent.
QString Shown(const std::string& value) { return value == litUndefined ? QString() : FromCp(value); }

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
  TXMLNode* element = NodeOf(node);
  if (!element) return;
  const std::string& name = element->Name;
  if (name == tagDreamLibrary) {
    FillEditors(ekLibrary, element);
    ArrangeEditors(ekLibrary);
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
    FillEditors(ekCatalog, element);
    ArrangeEditors(ekCatalog);
    SetCreationButtons(true, true, false, false);
  } else if (name == tagFile) {
    FillEditors(ekJournal, element);
    ArrangeEditors(ekJournal);
    SetCreationButtons(false, false, true, false);
    if (element->GetAttribute(attrPath) != litUndefined) {
      LoadJournal(node, element);
      MarkDefaultJournal(element);
      // The journal statistics are shown here once the statistics views exist.
    }
  } else if (name == tagJournal) {
    FillEditors(ekJournal, element);
    ArrangeEditors(ekJournal);
    SetCreationButtons(false, false, true, false);
    MarkDefaultJournal(FPairs->FirstOf(element));
  } else if (name == tagDay) {
    FillEditors(ekDay, element);
    ArrangeEditors(ekDay);
    SetCreationButtons(false, false, false, true);
    if (parent) UpdateNextNumber(NodeOf(parent));
  } else if (name == tagExperience) {
    FillEditors(ekExperience, element);
    ArrangeEditors(ekExperience);
    SetCreationButtons(false, false, false, false);
    if (element->GetAttribute(attrReadOnly) == litTrue)
      LockEditors();
    else
      UnlockEditors();
  }
}

void Tfrm_MainForm::LoadJournal(QTreeWidgetItem* node, TXMLNode* fileElement) {
  const std::string path = ResolvePath(fileElement->GetAttribute(attrPath));
  const auto& open = FJournals->Documents();
  const bool alreadyOpen =
      std::any_of(open.begin(), open.end(), [&path](const auto& document) { return document->FileName == path; });
  const bool existed = alreadyOpen || PathExists(path);
  TXMLParser* journal = FJournals->OpenJournal(path);
  TXMLNode* root = journal->Root.get();
  // A journal that names itself below its own days must not be added again while it is added.
  if (std::find(FLoading.begin(), FLoading.end(), journal) == FLoading.end()) {
    FLoading.push_back(journal);
    TLoadingMark mark{FLoading};
    for (int i = 0; i < root->ChildCount(); ++i) AddTreeBranch(node, root->GetChild(i));
  }
  Bind(node, root);
  FPairs->AddUniquePair(fileElement, root);
  // A journal open under another entry already was announced then.
  if (!alreadyOpen && !FJournals->IsWritable(journal)) {
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgJournalUnreadable)
                              .arg(FromCp(path), QString::fromStdString(res::LoadStatusText(journal->Status))));
  } else if (!existed) {
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgJournalMissing).arg(FromCp(path)));
  }
}

void Tfrm_MainForm::MarkDefaultJournal(TXMLNode* fileElement) {
  if (FDefaultJournal) FDefaultJournal->SetAttribute(attrDefault, litNo);
  FDefaultJournal = fileElement;
  if (FDefaultJournal) FDefaultJournal->SetAttribute(attrDefault, litYes);
}

void Tfrm_MainForm::FillEditors(TEditorKind kind, TXMLNode* element) {
  switch (kind) {
    case ekLibrary:
    case ekCatalog:
    case ekDay:
      edt_Name->setText(Shown(element->GetAttribute(attrName)));
      break;
    case ekJournal:
      if (element->Name == tagFile && element->GetAttribute(attrName) != litUndefined) {
        edt_Name->setText(Shown(element->GetAttribute(attrName)));
      } else if (element->Name == tagJournal) {
        if (const TXMLNode* file = FPairs->FirstOf(element)) edt_Name->setText(Shown(file->GetAttribute(attrName)));
      }
      break;
    case ekExperience:
      edt_Number->setText(Shown(element->GetAttribute(attrNumber)));
      edt_Name->setText(Shown(element->GetAttribute(attrTitle)));
      break;
  }
}

void Tfrm_MainForm::ArrangeEditors(TEditorKind kind) {
  const QSize wa = pnl_WorkArea->size();
  auto setLeft = [&](QWidget* w, int left) { FWorkLayout->Place(w, QRect(QPoint(left, w->y()), w->size())); };
  auto caption = [&](QLabel* l, const char* text) {
    l->setText(QString::fromUtf8(text));
    l->adjustSize();
    FWorkLayout->Place(l, l->geometry());
  };
  auto show = [](std::initializer_list<QWidget*> ws, bool visible) {
    for (QWidget* w : ws) w->setVisible(visible);
  };
  const std::initializer_list<QWidget*> chartButtons = {btn_Copy_1, btn_Copy_2, btn_Copy_3,
                                                        btn_Refresh_1, btn_Refresh_2, btn_Refresh_3};
  const std::initializer_list<QWidget*> energy = {btn_ReadOnly, trb_Energy, lbl_Energy, lbl_HighEnergyLevel,
                                                  lbl_ZeroEnergyLevel, lbl_LowEnergyLevel};
  const std::initializer_list<QWidget*> picture = {lbl_Image, img_Image, btn_LoadImage, btn_ClearImage};
  const std::initializer_list<QWidget*> boxes = {box_Label1, box_Label2, box_Label3, box_Label4};
  QRect border = bvl_Border->geometry();

  if (kind == ekExperience) {
    img_Graphs->hide();
    lbl_Number->show();
    setLeft(lbl_Name, 60);
    caption(lbl_Name, res::CaptionName);
    edt_Number->show();
    FWorkLayout->Place(edt_Name, QRect(59, edt_Name->y(), wa.width() - 61, edt_Name->height()));
    show({lbl_Description, mmo_Description}, true);
    lbl_Comment->show();
    FWorkLayout->Place(lbl_Comment, QRect(QPoint(4, mmo_Description->y() + mmo_Description->height() + 6),
                                          lbl_Comment->size()));
    mmo_Comment->show();
    FWorkLayout->Place(mmo_Comment, QRect(4, lbl_Comment->y() + lbl_Comment->height() + 3, 290, 64));
    show(picture, true);
    // Boxes are shown in order up to the first one without a caption.
    for (QWidget* w : boxes) {
      auto* box = static_cast<QCheckBox*>(w);
      if (box->text().isEmpty()) break;
      box->show();
    }
    border.moveTop(img_Graphs->height() - 39);
    FWorkLayout->Place(bvl_Border, border, akLeft | akRight | akBottom);
    show(energy, true);
    show(chartButtons, false);
    return;
  }

  img_Graphs->setVisible(kind == ekJournal || kind == ekDay);
  lbl_Number->hide();
  setLeft(lbl_Name, 5);
  caption(lbl_Name, kind == ekDay ? res::CaptionDate : res::CaptionName);
  edt_Number->hide();
  FWorkLayout->Place(edt_Name, QRect(4, edt_Name->y(), wa.width() - 6, edt_Name->height()));
  show({lbl_Description, mmo_Description}, false);
  border.moveTop(39);
  FWorkLayout->Place(bvl_Border, border, akLeft | akTop | akRight);
  if (kind == ekDay) {
    const int r = (wa.height() - (border.top() + border.height())) / 2;
    lbl_Comment->show();
    FWorkLayout->Place(lbl_Comment, QRect(QPoint(10, r + 35), lbl_Comment->size()));
    mmo_Comment->show();
    const int top = r + 40 + lbl_Comment->height();
    FWorkLayout->Place(mmo_Comment, QRect(10, top, wa.width() - 20, wa.height() - 10 - top));
  } else {
    show({lbl_Comment, mmo_Comment}, false);
  }
  show(picture, false);
  show(boxes, false);
  show(energy, false);
  show(chartButtons, false);
}

void Tfrm_MainForm::LockEditors() {
  edt_Number->setReadOnly(true);
  edt_Name->setReadOnly(true);
  mmo_Description->setReadOnly(true);
  mmo_Comment->setReadOnly(true);
  btn_LoadImage->hide();
  btn_ClearImage->hide();
  for (int n = 1; n <= 4; ++n) LabelBox(n)->setEnabled(false);
  btn_ReadOnly->setChecked(true);
  trb_Energy->setEnabled(false);
}

void Tfrm_MainForm::UnlockEditors() {
  edt_Number->setReadOnly(false);
  edt_Name->setReadOnly(false);
  mmo_Description->setReadOnly(false);
  mmo_Comment->setReadOnly(false);
  btn_LoadImage->show();
  btn_ClearImage->show();
  for (int n = 1; n <= 4; ++n) LabelBox(n)->setEnabled(true);
  btn_ReadOnly->setChecked(false);
  trb_Energy->setEnabled(true);
}

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
