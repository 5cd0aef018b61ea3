// The insights view from the window: its tool button and Ctrl+I, the scope it follows (the row
// selected in the tree: the library, a catalog, a journal, or the journal of a night or dream),
// the library's label captions and the user's exclusions, and every change to the journals.
#include <QLineEdit>
#include <QPainter>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "vlm_EditorPanel.h"
#include "vlm_InsightsResources.h"
#include "vlm_InsightsView.h"
#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_SearchPanel.h"
#include "vlm_Strings.h"
#include "vlm_ThemeExclusions.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
// The button's picture: three bars rising, drawn rather than shipped.
QIcon InsightsPicture() {
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  const QColor colours[] = {QColor(0x6F, 0x9F, 0xD8), QColor(0x8E, 0x44, 0xAD), QColor(0x2E, 0x6D, 0xB4)};
  for (int i = 0; i < 3; ++i) painter.fillRect(1 + 5 * i, 12 - 4 * i, 4, 3 + 4 * i, colours[i]);
  painter.setPen(QColor(60, 60, 60));
  painter.drawLine(0, 15, 15, 15);
  return QIcon(picture);
}
}  // namespace

void Tfrm_MainForm::CreateInsights() {
  btn_Insights = new QToolButton(pnl_Tools);
  btn_Insights->setAutoRaise(true);
  btn_Insights->setIcon(InsightsPicture());
  btn_Insights->setIconSize(QSize(16, 16));
  btn_Insights->setFocusPolicy(Qt::TabFocus);
  const QKeySequence key(Qt::CTRL | Qt::Key_I);
  btn_Insights->setToolTip(Text(res::HintInsights));
  // After the delete button, in the row of the creation buttons, narrow enough to end where the
  // banner begins at the window's least width.
  FToolsLayout->Place(btn_Insights, QRect(170, 41, 19, 22), akLeftTop, QSize(kTreeWidth + 3 + kDesignWorkWidth, kToolsHeight));
  btn_Insights->raise();
  connect(btn_Insights, &QToolButton::clicked, this, [this] { Run([this] { OpenInsights(); }); });
  auto* shortcut = new QShortcut(key, this);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, [this] { Run([this] { OpenInsights(); }); });

  // The view follows the tree's selection once it is open, after the selection was handled (a
  // journal loads on its first selection).
  connect(tre_Directory->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ScheduleInsightsScope(); });
  connect(FCore.get(), &TLibrary::EntryChanged, this, [this](TXMLNode* element) {
    if (!FInsights) return;
    if (element == &FCore->Root()) FInsights->SetExclusions(ReadThemeExclusions(FCore->Root()));
    else FInsights->EntryChanged(element);
  });
  connect(FCore.get(), &TLibrary::ChildrenChanged, this, [this](TXMLNode* parent, TXMLNode* child) {
    if (FInsights) FInsights->ChildrenChanged(parent, child);
  });
  connect(FCore.get(), &TLibrary::RootReplacing, this, [this](const TXMLNode* old) {
    if (!FInsights) return;
    FInsights->JournalGoing(old);
    FInsightsRow = QPersistentModelIndex();  // read the scope again
    ScheduleInsightsScope();
  });
  connect(FCore.get(), &TLibrary::LibraryReplaced, this, [this] {
    if (!FInsights) return;
    FInsights->SetExclusions(ReadThemeExclusions(FCore->Root()));
    FInsightsRow = QPersistentModelIndex();
    ScheduleInsightsScope();
  });
}

void Tfrm_MainForm::OpenInsights() {
  if (!FInsights) {
    FInsights = new TInsightsView(FUi, this);
    FInsights->setWindowFlag(Qt::Window);
    FInsights->resize(std::max(width(), 900), std::max(height(), 600));
    FInsights->Run = [this](const std::function<void()>& handler) { return Run(handler); };
    FInsights->SearchWord = [this](const QString& word) { SearchForWord(word); };
    FInsights->ExclusionsChosen = [this](const std::vector<std::string>& words) { FCore->SetThemeExclusions(words); };
    FInsights->OpenDream = [this](const TXMLNode* experience) {
      const QModelIndex row = FTreeModel->FindAnywhere(experience);
      if (!row.isValid()) return;
      tre_Directory->ExpandAncestors(row);
      tre_Directory->setCurrentIndex(row);
      tre_Directory->scrollTo(row);
      activateWindow();
      raise();
    };
    TLabelNames labels;
    for (int n = 0; n < kLabelCount; ++n) {
      labels.Captions[static_cast<std::size_t>(n)] = pnl_WorkArea->LabelCaption(n + 1);
      labels.InUse[static_cast<std::size_t>(n)] = FLabelDefined[n];
    }
    FInsights->SetLabels(labels);
    FInsights->SetExclusions(ReadThemeExclusions(FCore->Root()));
  }
  FollowInsightsScope();
  FInsights->show();
  FInsights->raise();
  FInsights->activateWindow();
}

void Tfrm_MainForm::ScheduleInsightsScope() {
  if (FInsightsPending || !FInsights || !FInsights->isVisible()) return;
  FInsightsPending = true;
  QTimer::singleShot(0, this, [this] {
    FInsightsPending = false;
    Run([this] { FollowInsightsScope(); });
  });
}

void Tfrm_MainForm::FollowInsightsScope() {
  // A night or a dream stands for its journal.
  QModelIndex row = tre_Directory->currentIndex();
  for (QModelIndex up = row; up.isValid(); up = up.parent()) {
    const TXMLNode* element = NodeOf(up);
    if (element && element->Name == tagJournal) {
      row = up;
      break;
    }
  }
  if (!row.isValid()) row = FTreeModel->index(0, 0);
  if (row == FInsightsRow && FInsightsRow.isValid()) return;
  FInsightsRow = row;
  // Every journal below the row, each once, loaded as selecting it would (a missing file is left
  // alone: it would start an empty journal that counts as changed).
  std::vector<TScopeJournal> journals;
  std::vector<QModelIndex> pending{row};
  while (!pending.empty()) {
    const QModelIndex item = pending.back();
    pending.pop_back();
    TXMLNode* element = NodeOf(item);
    if (!element) continue;
    if (element->Name == tagJournal) {
      const bool seen = std::any_of(journals.begin(), journals.end(), [element](const TScopeJournal& j) { return j.Root == element; });
      if (!seen) journals.push_back({element, item.data().toString()});
      continue;  // its nights hold no journals
    }
    if (OpenedJournalOfRow(element, item)) {
      pending.push_back(item);
      continue;
    }
    for (int i = FTreeModel->rowCount(item) - 1; i >= 0; --i) pending.push_back(FTreeModel->index(i, 0, item));
  }
  FInsights->SetScope(row.data().toString(), journals);
}

void Tfrm_MainForm::SearchForWord(const QString& word) {
  const bool wasHidden = pnl_Search->isHidden();
  pnl_Search->Activate();
  if (wasHidden) {
    spt_Left->setSizes({spt_Left->height() / 2, spt_Left->height() - spt_Left->height() / 2});
    WidenForSearch();
  }
  pnl_Search->edt_Search->setText(word);
  activateWindow();
  raise();
}
