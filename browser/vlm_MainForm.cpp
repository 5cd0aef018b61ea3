// The main window's controls as designed, their anchors, and FormResize.
#include "vlm_MainForm.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "vlm_Resources.h"
#include "vlm_Widgets.h"

namespace {
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QIcon UiIcon(const char* name, const char* disabledName = nullptr) {
  QIcon icon;
  const QPixmap normal(QStringLiteral(":/ui/") + QLatin1String(name));
  if (!normal.isNull()) icon.addPixmap(normal, QIcon::Normal);
  if (disabledName) {
    const QPixmap disabled(QStringLiteral(":/ui/") + QLatin1String(disabledName));
    if (!disabled.isNull()) icon.addPixmap(disabled, QIcon::Disabled);
  }
  return icon;
}
}  // namespace

// ---- TImageList ----

void TImageList::Add(const QImage& picture) {
  FPictures.push_back(QPixmap::fromImage(picture));
  FIcons.clear();
}

QPixmap TImageList::At(int index) const {
  if (index < 0 || index >= Count()) return {};
  return FPictures[static_cast<std::size_t>(index)];
}

QIcon TImageList::NodeIcon(int index) const {
  // Indexes past the list (a kind without a picture) share the last slot of the cache.
  const std::size_t slot = static_cast<std::size_t>(std::clamp(index, -1, Count()) + 1);
  if (FIcons.empty()) FIcons.resize(static_cast<std::size_t>(Count()) + 2);
  if (!FIcons[slot].isNull()) return FIcons[slot];
  // Both modes get a pixmap: QIcon would otherwise borrow the other mode's picture.
  QPixmap blank(kSize, kSize);
  blank.fill(Qt::transparent);
  const QPixmap normal = At(index);
  const QPixmap selected = At(0);
  QIcon icon;
  icon.addPixmap(normal.isNull() ? blank : normal, QIcon::Normal);
  icon.addPixmap(selected.isNull() ? blank : selected, QIcon::Selected);
  FIcons[slot] = icon;
  return icon;
}

// ---- Construction ----

void Tfrm_MainForm::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  pnl_Tools = new QWidget(this);
  pnl_Tools->setFixedHeight(kToolsHeight);
  layout->addWidget(pnl_Tools);
  CreateToolBar();

  spt_Splitter = new QSplitter(Qt::Horizontal, this);
  spt_Splitter->setHandleWidth(3);
  spt_Splitter->setChildrenCollapsible(false);  // the splitter never snaps a side closed
  layout->addWidget(spt_Splitter, 1);

  tre_Directory = new QTreeWidget(spt_Splitter);
  tre_Directory->setColumnCount(1);
  tre_Directory->setHeaderHidden(true);
  tre_Directory->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tre_Directory->header()->setStretchLastSection(false);
  tre_Directory->setIndentation(19);
  tre_Directory->setIconSize(QSize(TImageList::kSize, TImageList::kSize));
  tre_Directory->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tre_Directory->setSortingEnabled(false);
  tre_Directory->setSelectionMode(QAbstractItemView::SingleSelection);
  tre_Directory->setMinimumWidth(kMinPaneWidth);

  pnl_WorkArea = new QWidget(spt_Splitter);
  pnl_WorkArea->setMinimumWidth(kMinPaneWidth);
  CreateWorkArea();

  spt_Splitter->addWidget(tre_Directory);
  spt_Splitter->addWidget(pnl_WorkArea);
  spt_Splitter->setStretchFactor(0, 0);  // the tree keeps its width when the window grows
  spt_Splitter->setStretchFactor(1, 1);
  spt_Splitter->setSizes({kTreeWidth, kDesignWorkWidth});
}

void Tfrm_MainForm::CreateToolBar() {
  // The tool panel as designed is as wide as the designed client area.
  const QSize reference(kTreeWidth + 3 + kDesignWorkWidth, kToolsHeight);
  FToolsLayout = new TAnchorLayout(pnl_Tools);
  auto button = [&](QToolButton*& b, int left, int top, const char* hint, QIcon icon, bool enabled) {
    b = new QToolButton(pnl_Tools);
    b->setAutoRaise(true);  // flat
    b->setToolTip(Text(hint));
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setEnabled(enabled);
    b->setFocusPolicy(Qt::NoFocus);
    FToolsLayout->Place(b, QRect(left, top, 22, 22), akLeftTop, reference);
  };
  button(btn_Authorization, 5, 5, res::HintAuthorization, UiIcon("authorization.bmp"), true);
  button(btn_Save, 28, 5, res::HintSave, UiIcon("save.bmp"), true);
  button(btn_Tool_05, 126, 5, res::HintAbout, UiIcon("about.bmp"), true);
  button(btn_Tool_06, 149, 5, res::HintExit, UiIcon("exit.bmp"), true);
  // The creation buttons get their pictures from the library's icons.
  button(btn_Tool_01, 5, 41, res::HintNewCatalog, QIcon(), true);
  button(btn_Tool_02, 28, 41, res::HintNewFile, QIcon(), false);
  button(btn_Tool_03, 51, 41, res::HintNewDay, QIcon(), false);
  button(btn_Tool_04, 74, 41, res::HintNewExperience, QIcon(), false);
  button(btn_MoveUp, 103, 41, res::HintMoveUp, UiIcon("moveup.bmp", "moveup_disabled.bmp"), true);
  button(btn_MoveDown, 126, 41, res::HintMoveDown, UiIcon("movedown.bmp", "movedown_disabled.bmp"), true);
  button(btn_Delete, 149, 41, res::HintDelete, UiIcon("delete.bmp", "delete_disabled.bmp"), true);

  bvl_Tool = new TBevel(pnl_Tools);
  FToolsLayout->Place(bvl_Tool, QRect(5, 33, 166, 2), akLeftTop, reference);

  img_Banner = new TClickImage(pnl_Tools);
  img_Banner->setPixmap(QPixmap(QLatin1String(kBannerPath)));
  img_Banner->setCursor(Qt::PointingHandCursor);
  FToolsLayout->Place(img_Banner, QRect(181, 5, 468, 60), akTop | akRight, reference);
}

void Tfrm_MainForm::CreateWorkArea() {
  const QSize reference(kDesignWorkWidth, kDesignWorkHeight);
  pnl_WorkArea->resize(reference);
  FWorkLayout = new TAnchorLayout(pnl_WorkArea);
  auto place = [&](QWidget* w, QRect bounds, TAnchors anchors, bool visible) {
    FWorkLayout->Place(w, bounds, anchors, reference);
    w->setVisible(visible);
  };
  auto label = [&](QLabel*& l, int left, int top, const char* caption, TAnchors anchors, bool visible) {
    l = new QLabel(Text(caption), pnl_WorkArea);
    l->adjustSize();  // labels size themselves to their caption
    place(l, QRect(QPoint(left, top), l->size()), anchors, visible);
  };
  auto memo = [&](QPlainTextEdit*& m) {
    m = new QPlainTextEdit(pnl_WorkArea);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  };
  auto flat = [&](QToolButton*& b, QRect bounds, const char* hint, TAnchors anchors, bool visible) {
    b = new QToolButton(pnl_WorkArea);
    b->setAutoRaise(true);
    b->setToolTip(Text(hint));
    b->setFocusPolicy(Qt::NoFocus);
    place(b, bounds, anchors, visible);
  };

  img_Graphs = new QLabel(pnl_WorkArea);
  img_Graphs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(img_Graphs, QRect(QPoint(0, 0), reference), akAll, false);

  label(lbl_Number, 5, 2, res::CaptionNumber, akLeftTop, false);
  edt_Number = new QLineEdit(pnl_WorkArea);
  place(edt_Number, QRect(4, 17, 50, 21), akLeftTop, false);
  label(lbl_Name, 60, 2, res::CaptionName, akLeftTop, true);
  edt_Name = new QLineEdit(pnl_WorkArea);
  place(edt_Name, QRect(59, 17, 391, 21), akLeftTop | akRight, true);
  label(lbl_Description, 5, 44, res::CaptionDescription, akLeftTop, false);
  memo(mmo_Description);
  place(mmo_Description, QRect(4, 59, 373, 121), akAll, false);

  label(lbl_Energy, 383, 44, res::CaptionEnergy, akTop | akRight, true);
  trb_Energy = new QSlider(Qt::Vertical, pnl_WorkArea);
  trb_Energy->setRange(0, 200);
  trb_Energy->setPageStep(20);
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
  img_Image = new QLabel(pnl_WorkArea);
  img_Image->setAlignment(Qt::AlignCenter);
  place(img_Image, QRect(298, 202, 140, 140), akRight | akBottom, false);
  flat(btn_LoadImage, QRect(440, 202, 10, 10), res::HintLoadImage, akRight | akBottom, false);
  flat(btn_ClearImage, QRect(440, 214, 10, 10), res::HintClearImage, akRight | akBottom, false);

  QCheckBox** boxes[4] = {&box_Label1, &box_Label2, &box_Label3, &box_Label4};
  for (int i = 0; i < 4; ++i) {
    *boxes[i] = new QCheckBox(pnl_WorkArea);
    place(*boxes[i], QRect(5, 269 + 20 * i, 265, 17), akLeft | akBottom, false);
  }

  bvl_Border = new TBevel(pnl_WorkArea);
  place(bvl_Border, QRect(4, 344, 446, 6), akLeft | akRight | akBottom, true);
  QToolButton** copies[3] = {&btn_Copy_1, &btn_Copy_2, &btn_Copy_3};
  QToolButton** refreshes[3] = {&btn_Refresh_1, &btn_Refresh_2, &btn_Refresh_3};
  for (int i = 0; i < 3; ++i) {
    flat(*copies[i], QRect(4 + 15 * i, 351, 15, 15), res::HintCopyGraph, akLeftTop, true);
    flat(*refreshes[i], QRect(4 + 15 * i, 366, 15, 15), res::HintRefreshGraph, akLeftTop, true);
  }
  btn_ReadOnly = new QCheckBox(Text(res::CaptionReadOnly), pnl_WorkArea);
  place(btn_ReadOnly, QRect(348, 359, 97, 17), akRight | akBottom, true);
  // The work area's size follows the window's (and the splitter's); its controls are anchored
  // first, then FormResize places what depends on them.
  FWorkLayout->AfterApply = [this] { Run([this] { FormResize(); }); };
}

void Tfrm_MainForm::ConnectHandlers() {
  connect(tre_Directory, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (current) Run([this, current] { tre_DirectoryChanging(current); });
  });
  connect(btn_Tool_06, &QToolButton::clicked, this, [this] { Run([this] { btn_Tool_06Click(); }); });
  connect(btn_Authorization, &QToolButton::clicked, this, [this] { Run([this] { btn_AuthorizationClick(); }); });
  connect(img_Banner, &TClickImage::clicked, this, [this] { Run([this] { img_BannerClick(); }); });
}

QCheckBox* Tfrm_MainForm::LabelBox(int n) const {
  switch (n) {
    case 1: return box_Label1;
    case 2: return box_Label2;
    case 3: return box_Label3;
    case 4: return box_Label4;
    default: return nullptr;
  }
}

void Tfrm_MainForm::FormResize() {
  const QRect track = trb_Energy->geometry();
  QRect zero = lbl_ZeroEnergyLevel->geometry();
  zero.moveTo(track.left() + 28, track.top() + (track.height() - zero.height()) / 2);
  FWorkLayout->Place(lbl_ZeroEnergyLevel, zero);
  QRect border = bvl_Border->geometry();
  border.setWidth(pnl_WorkArea->width() - 6);
  FWorkLayout->Place(bvl_Border, border);
  // The charts are redrawn here once the statistics views draw them.
}

