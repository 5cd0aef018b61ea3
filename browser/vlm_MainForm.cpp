// The main window's controls as designed, their anchors, and FormResize.
#include "vlm_MainForm.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "vlm_LibraryModel.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_StatisticsView.h"
#include "vlm_Widgets.h"

namespace {

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

  tre_Directory = new TDirectoryTree(spt_Splitter);
  FTreeModel = new TLibraryModel(*FCore, this);
  FTreeModel->Icon = [this](int picture) { return iml_TreeImages.NodeIcon(picture); };
  FTreeModel->ToolTip = [this](const QModelIndex& node) { return ToolTipOf(node); };
  tre_Directory->setModel(FTreeModel);
  tre_Directory->setHeaderHidden(true);
  tre_Directory->setUniformRowHeights(true);  // one picture and one line a row: laid out without measuring each
  tre_Directory->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tre_Directory->header()->setStretchLastSection(false);
  // The width follows the rows around those shown, not a thousand of them at every change.
  tre_Directory->header()->setResizeContentsPrecision(200);
  tre_Directory->setIndentation(19);
  tre_Directory->setIconSize(QSize(TImageList::kSize, TImageList::kSize));
  tre_Directory->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tre_Directory->setSortingEnabled(false);
  tre_Directory->setSelectionMode(QAbstractItemView::SingleSelection);
  tre_Directory->setMinimumWidth(kMinPaneWidth);

  // The work area, and below it its notice lines (the editors' notices, why a file is only viewed),
  // one under another: no line lies over an editor or a chart.
  auto* work = new QWidget(spt_Splitter);
  work->setMinimumWidth(kMinPaneWidth);
  auto* column = new QVBoxLayout(work);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  pnl_WorkArea = new TEditorPanel(FUi, FAppDir, work);
  column->addWidget(pnl_WorkArea, 1);
  column->addWidget(pnl_WorkArea->NoticeLine());
  pnl_WorkArea->ResolvePath = [this](const std::string& path) { return ResolvePath(path); };
  // The work area's controls follow its size first; then the charts are redrawn.
  pnl_WorkArea->OnResize = [this] { Run([this] { FormResize(); }); };
  // The user's own words for the spell checker live beside the library file.
  pnl_WorkArea->StartSpelling(FLibraryDir + QStringLiteral("words.dic"));
  ShowReadOnlyLook(pnl_WorkArea);
  CreateReadOnlyNotice();

  spt_Splitter->addWidget(tre_Directory);
  spt_Splitter->addWidget(work);
  CreateSearchPanel();
  CreateCalendarPanel();
  // Both sides keep their share of the width as the window grows or shrinks (maximised, the tree
  // grows too); the splitter's own dragging still sets the share.
  spt_Splitter->setStretchFactor(0, 1);
  spt_Splitter->setStretchFactor(1, 1);
  spt_Splitter->setSizes({kTreeWidth, width() - kTreeWidth - spt_Splitter->handleWidth()});
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
  button(btn_Undo, 57, 5, res::HintUndoNothing, style()->standardIcon(QStyle::SP_ArrowBack), false);
  button(btn_Redo, 80, 5, res::HintRedoNothing, style()->standardIcon(QStyle::SP_ArrowForward), false);
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

void Tfrm_MainForm::ConnectHandlers() {
  connect(tre_Directory->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (FQuietTree) return;  // the rows change under way: whoever changes them selects afterwards
    if (current.isValid())
      Run([this, current] {
        tre_DirectoryChanging(current);
        ShowReadOnlyState(current);
      });
    else
      pnl_WorkArea->Unload();  // nothing selected: no edits
  });
  connect(btn_Tool_05, &QToolButton::clicked, this, [this] { Run([this] { btn_Tool_05Click(); }); });
  connect(btn_Tool_06, &QToolButton::clicked, this, [this] { Run([this] { btn_Tool_06Click(); }); });
  connect(btn_Authorization, &QToolButton::clicked, this, [this] { Run([this] { btn_AuthorizationClick(); }); });
  connect(img_Banner, &TClickImage::clicked, this, [this] { Run([this] { img_BannerClick(); }); });
  ConnectActions();
  ConnectUndo();
  ConnectKeys();
  CreateInsights();
  ConnectEditorPanel();
  CreateExportActions();
  ConnectRestore();
  ConnectTreeMenu();
}

void Tfrm_MainForm::FormResize() {
  // The work area has placed its own controls (the zero label, the bevel) by now; the charts are
  // repainted from what the painters hold, nothing is counted again.
  if (FStatistics) FStatistics->Resized();
}
