// The work area's controls as designed, filling them from an element, and their layout per kind.
#include "vlm_EditorPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <QTreeWidgetItem>
#include <type_traits>

#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_UserInteraction.h"
#include "vlm_Widgets.h"
#include "xml_node.h"

namespace {
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// An attribute as an editor shows it: empty when absent.
QString Shown(const std::string& value) { return value == litUndefined ? QString() : FromCp(value); }
}  // namespace

TEditorPanel::TEditorPanel(TUserInteraction& ui, const QString& appDir, QWidget* parent)
    : QWidget(parent), FUi(ui), FAppDir(appDir) {
  CreateControls();
}

void TEditorPanel::Edit(QTreeWidgetItem* node, TXMLNode* element) {
  FNode = node;
  FElement = element;
}

void TEditorPanel::CreateControls() {
  const QSize reference(kDesignWidth, kDesignHeight);
  resize(reference);
  FLayout = new TAnchorLayout(this);
  auto place = [&](QWidget* w, QRect bounds, TAnchors anchors, bool visible) {
    FLayout->Place(w, bounds, anchors, reference);
    w->setVisible(visible);
  };
  auto label = [&](auto*& l, int left, int top, const char* caption, TAnchors anchors, bool visible) {
    l = new std::remove_reference_t<decltype(*l)>(Text(caption), this);
    l->adjustSize();  // labels size themselves to their caption
    place(l, QRect(QPoint(left, top), l->size()), anchors, visible);
  };
  auto memo = [&](QPlainTextEdit*& m) {
    m = new QPlainTextEdit(this);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  };
  auto flat = [&](QToolButton*& b, QRect bounds, const char* hint, TAnchors anchors, bool visible) {
    b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setToolTip(Text(hint));
    b->setFocusPolicy(Qt::NoFocus);
    place(b, bounds, anchors, visible);
  };

  img_Graphs = new QLabel(this);
  img_Graphs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(img_Graphs, QRect(QPoint(0, 0), reference), akAll, false);

  label(lbl_Number, 5, 2, res::CaptionNumber, akLeftTop, false);
  edt_Number = new QLineEdit(this);
  place(edt_Number, QRect(4, 17, 50, 21), akLeftTop, false);
  label(lbl_Name, 60, 2, res::CaptionName, akLeftTop, true);
  edt_Name = new QLineEdit(this);
  place(edt_Name, QRect(59, 17, 391, 21), akLeftTop | akRight, true);
  label(lbl_Description, 5, 44, res::CaptionDescription, akLeftTop, false);
  memo(mmo_Description);
  place(mmo_Description, QRect(4, 59, 373, 121), akAll, false);

  label(lbl_Energy, 383, 44, res::CaptionEnergy, akTop | akRight, true);
  trb_Energy = new QSlider(Qt::Vertical, this);
  trb_Energy->setRange(0, 200);
  trb_Energy->setPageStep(20);
  trb_Energy->setSingleStep(1);
  trb_Energy->setValue(100);
  trb_Energy->setTickPosition(QSlider::NoTicks);
  trb_Energy->setInvertedAppearance(true);  // position 0 ("1") at the top, 200 ("-1") at the bottom
  trb_Energy->setInvertedControls(true);
  place(trb_Energy, QRect(393, 59, 26, 121), akTop | akRight | akBottom, true);
  label(lbl_HighEnergyLevel, 421, 63, res::CaptionHighEnergyLevel, akTop | akRight, true);
  label(lbl_ZeroEnergyLevel, 421, 112, res::CaptionZeroEnergyLevel, akRight, true);
  label(lbl_LowEnergyLevel, 421, 161, res::CaptionLowEnergyLevel, akRight | akBottom, true);

  label(lbl_Comment, 5, 186, res::CaptionComment, akLeft | akBottom, false);
  memo(mmo_Comment);
  place(mmo_Comment, QRect(4, 202, 290, 64), akLeft | akRight | akBottom, false);
  label(lbl_Image, 298, 186, res::CaptionImage, akRight | akBottom, false);
  img_Image = new QLabel(this);
  img_Image->setAlignment(Qt::AlignCenter);
  place(img_Image, QRect(298, 202, 140, 140), akRight | akBottom, false);
  flat(btn_LoadImage, QRect(440, 202, 10, 10), res::HintLoadImage, akRight | akBottom, false);
  flat(btn_ClearImage, QRect(440, 214, 10, 10), res::HintClearImage, akRight | akBottom, false);

  QCheckBox** boxes[4] = {&box_Label1, &box_Label2, &box_Label3, &box_Label4};
  for (int i = 0; i < 4; ++i) {
    *boxes[i] = new QCheckBox(this);
    place(*boxes[i], QRect(5, 269 + 20 * i, 265, 17), akLeft | akBottom, false);
  }

  bvl_Border = new TBevel(this);
  place(bvl_Border, QRect(4, 344, 446, 6), akLeft | akRight | akBottom, true);
  QToolButton** copies[3] = {&btn_Copy_1, &btn_Copy_2, &btn_Copy_3};
  QToolButton** refreshes[3] = {&btn_Refresh_1, &btn_Refresh_2, &btn_Refresh_3};
  for (int i = 0; i < 3; ++i) {
    flat(*copies[i], QRect(4 + 15 * i, 351, 15, 15), res::HintCopyGraph, akLeftTop, true);
    flat(*refreshes[i], QRect(4 + 15 * i, 366, 15, 15), res::HintRefreshGraph, akLeftTop, true);
  }
  btn_ReadOnly = new QCheckBox(Text(res::CaptionReadOnly), this);
  place(btn_ReadOnly, QRect(348, 359, 97, 17), akRight | akBottom, true);

  lbl_Notice = new QLabel(this);
  lbl_Notice->setWordWrap(true);
  lbl_Notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(lbl_Notice, QRect(4, 352, 340, 28), akLeft | akRight | akBottom, false);

  // The controls follow the area's size first; then what depends on them is placed.
  FLayout->AfterApply = [this] {
    FollowResize();
    if (OnResize) OnResize();
  };
}

QToolButton* TEditorPanel::CopyButton(int n) const {
  switch (n) {
    case 1: return btn_Copy_1;
    case 2: return btn_Copy_2;
    case 3: return btn_Copy_3;
    default: return nullptr;
  }
}

QToolButton* TEditorPanel::RefreshButton(int n) const {
  switch (n) {
    case 1: return btn_Refresh_1;
    case 2: return btn_Refresh_2;
    case 3: return btn_Refresh_3;
    default: return nullptr;
  }
}

QCheckBox* TEditorPanel::LabelBox(int n) const {
  switch (n) {
    case 1: return box_Label1;
    case 2: return box_Label2;
    case 3: return box_Label3;
    case 4: return box_Label4;
    default: return nullptr;
  }
}

QString TEditorPanel::Notice() const { return lbl_Notice->isVisibleTo(this) ? lbl_Notice->text() : QString(); }

void TEditorPanel::FollowResize() {
  // The zero label stays centred beside the track bar; the bevel spans the area less 6 pixels.
  const QRect track = trb_Energy->geometry();
  QRect zero = lbl_ZeroEnergyLevel->geometry();
  zero.moveTo(track.left() + 28, track.top() + (track.height() - zero.height()) / 2);
  FLayout->Place(lbl_ZeroEnergyLevel, zero);
  QRect border = bvl_Border->geometry();
  border.setWidth(width() - 6);
  FLayout->Place(bvl_Border, border);
}

void TEditorPanel::FillEditors(TEditorKind kind, TXMLNode* element) {
  switch (kind) {
    case ekLibrary:
    case ekCatalog:
    case ekDay:
      edt_Name->setText(Shown(element->GetAttribute(attrName)));
      break;
    case ekJournal:
      if (element->Name == tagFile && element->GetAttribute(attrName) != litUndefined) {
        edt_Name->setText(Shown(element->GetAttribute(attrName)));
      } else if (element->Name == tagJournal && LibraryEntryOf) {
        if (const TXMLNode* file = LibraryEntryOf(element)) edt_Name->setText(Shown(file->GetAttribute(attrName)));
      }
      break;
    case ekExperience:
      edt_Number->setText(Shown(element->GetAttribute(attrNumber)));
      edt_Name->setText(Shown(element->GetAttribute(attrTitle)));
      break;
  }
}

void TEditorPanel::ArrangeEditors(TEditorKind kind) {
  FKind = kind;
  const QSize wa = size();
  auto setLeft = [&](QWidget* w, int left) { FLayout->Place(w, QRect(QPoint(left, w->y()), w->size())); };
  auto caption = [&](QLabel* l, const char* text) {
    l->setText(QString::fromUtf8(text));
    l->adjustSize();
    FLayout->Place(l, l->geometry());
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
    FLayout->Place(edt_Name, QRect(59, edt_Name->y(), wa.width() - 61, edt_Name->height()));
    show({lbl_Description, mmo_Description}, true);
    lbl_Comment->show();
    FLayout->Place(lbl_Comment, QRect(QPoint(4, mmo_Description->y() + mmo_Description->height() + 6),
                                      lbl_Comment->size()));
    mmo_Comment->show();
    FLayout->Place(mmo_Comment, QRect(4, lbl_Comment->y() + lbl_Comment->height() + 3, 290, 64));
    show(picture, true);
    // Boxes are shown in order up to the first one without a caption.
    for (QWidget* w : boxes) {
      auto* box = static_cast<QCheckBox*>(w);
      if (box->text().isEmpty()) break;
      box->show();
    }
    border.moveTop(img_Graphs->height() - 39);
    FLayout->Place(bvl_Border, border, akLeft | akRight | akBottom);
    show(energy, true);
    show(chartButtons, false);
    return;
  }

  img_Graphs->setVisible(kind == ekJournal || kind == ekDay);
  lbl_Number->hide();
  setLeft(lbl_Name, 5);
  caption(lbl_Name, kind == ekDay ? res::CaptionDate : res::CaptionName);
  edt_Number->hide();
  FLayout->Place(edt_Name, QRect(4, edt_Name->y(), wa.width() - 6, edt_Name->height()));
  show({lbl_Description, mmo_Description}, false);
  border.moveTop(39);
  FLayout->Place(bvl_Border, border, akLeft | akTop | akRight);
  if (kind == ekDay) {
    const int r = (wa.height() - (border.top() + border.height())) / 2;
    lbl_Comment->show();
    FLayout->Place(lbl_Comment, QRect(QPoint(10, r + 35), lbl_Comment->size()));
    mmo_Comment->show();
    const int top = r + 40 + lbl_Comment->height();
    FLayout->Place(mmo_Comment, QRect(10, top, wa.width() - 20, wa.height() - 10 - top));
  } else {
    show({lbl_Comment, mmo_Comment}, false);
  }
  show(picture, false);
  show(boxes, false);
  show(energy, false);
  show(chartButtons, false);
}

void TEditorPanel::LockEditors() {
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

void TEditorPanel::UnlockEditors() {
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
