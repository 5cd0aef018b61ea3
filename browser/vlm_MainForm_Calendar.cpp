// The calendar from the window: the toggle button, which journals it shows, its marks, and a
// click on a date or an undated night selecting that night in the tree.
#include <QPainter>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <unordered_set>

#include "vlm_CalendarPanel.h"
#include "vlm_DreamCalendar.h"
#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
// The button's picture: a sheet with a red top and a grid of days, drawn rather than shipped.
QIcon CalendarPicture() {
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.fillRect(1, 2, 14, 13, Qt::white);
  painter.fillRect(1, 2, 14, 3, QColor(190, 30, 30));
  painter.setPen(QColor(60, 60, 60));
  painter.drawRect(1, 2, 13, 12);
  for (int y = 7; y <= 12; y += 3)
    for (int x = 3; x <= 12; x += 3) painter.fillRect(x, y, 2, 2, QColor(60, 60, 60));
  return QIcon(picture);
}

bool HasDreams(const TXMLNode& day) {
  for (const auto& child : day.Children)
    if (child->Name == tagExperience) return true;
  return false;
}
}  // namespace

void Tfrm_MainForm::CreateCalendarPanel() {
  pnl_Calendar = new TCalendarPanel(spt_Left);
  spt_Left->insertWidget(1, pnl_Calendar);  // between the tree and the search panel
  spt_Left->setStretchFactor(1, 0);
  pnl_Calendar->hide();
  pnl_Calendar->DateClicked = [this](QDate date) { Run([this, date] { SelectNight(date, -1); }); };
  pnl_Calendar->UndatedClicked = [this](int row) { Run([this, row] { SelectNight(QDate(), row); }); };

  btn_Calendar = new QToolButton(pnl_Tools);
  btn_Calendar->setAutoRaise(true);
  btn_Calendar->setCheckable(true);
  btn_Calendar->setToolTip(Text(res::HintCalendar));
  btn_Calendar->setIcon(CalendarPicture());
  btn_Calendar->setIconSize(QSize(16, 16));
  btn_Calendar->setFocusPolicy(Qt::NoFocus);
  FToolsLayout->Place(btn_Calendar, QRect(103, 5, 22, 22), akLeftTop,
                      QSize(kTreeWidth + 3 + kDesignWorkWidth, kToolsHeight));
  connect(btn_Calendar, &QToolButton::toggled, this, [this](bool on) {
    pnl_Calendar->setVisible(on);
    if (on) {
      // The splitter would show it without height: it takes what it needs from the tree.
      QList<int> sizes = spt_Left->sizes();
      const int height = std::min(pnl_Calendar->sizeHint().height(), sizes[0] * 2 / 3);
      sizes[0] -= height - sizes[1];
      sizes[1] = height;
      spt_Left->setSizes(sizes);
    }
    ScheduleCalendar();
  });
  // After the selection has been handled (a journal loads on its first selection).
  connect(tre_Directory->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ScheduleCalendar(); });
  connect(FTreeModel, &QAbstractItemModel::dataChanged, this, [this] { ScheduleCalendar(); });
}

void Tfrm_MainForm::ScheduleCalendar() {
  if (FCalendarPending || !pnl_Calendar->isVisibleTo(this)) return;
  FCalendarPending = true;
  QTimer::singleShot(0, this, [this] {
    FCalendarPending = false;
    Run([this] { RefreshCalendar(); });
  });
}

QModelIndex Tfrm_MainForm::CalendarScope() {
  const QModelIndex current = tre_Directory->currentIndex();
  const TXMLNode* element = NodeOf(current);
  if (!current.isValid() || !element) return FCalendarScope = QModelIndex();
  if (element->Name != tagDay && element->Name != tagExperience) return FCalendarScope = current;
  // A night keeps the calendar it was chosen in (while that row is among the night's ancestors);
  // else its journal's.
  for (QModelIndex up = current; up.isValid(); up = up.parent())
    if (up == FCalendarScope) return up;
  for (QModelIndex up = current; up.isValid(); up = up.parent()) {
    const TXMLNode* e = NodeOf(up);
    if (e && e->Name == tagJournal) return FCalendarScope = up;
  }
  return FCalendarScope = current;
}

std::vector<QModelIndex> Tfrm_MainForm::NightsOfCalendar(const QModelIndex& scope, bool load) {
  // Every day row below `scope` in the tree's order, each day once (two entries may show one
  // journal, a journal may name itself), with an explicit stack; journals not loaded yet are
  // loaded when `load` says so.
  std::vector<QModelIndex> nights;
  std::unordered_set<const TXMLNode*> seen;
  std::vector<QModelIndex> pending{scope};
  while (!pending.empty()) {
    const QModelIndex item = pending.back();
    pending.pop_back();
    TXMLNode* element = NodeOf(item);
    if (!element) continue;
    if (element->Name == tagDay) {
      if (seen.insert(element).second) nights.push_back(item);
      continue;  // its dreams hold no nights
    }
    if (element->Name == tagJournal && !seen.insert(element).second) continue;
    if (load && OpenedJournalOfRow(element, item)) {
      pending.push_back(item);
      continue;
    }
    for (int i = FTreeModel->rowCount(item) - 1; i >= 0; --i) pending.push_back(FTreeModel->index(i, 0, item));
  }
  return nights;
}

void Tfrm_MainForm::RefreshCalendar() {
  if (!pnl_Calendar->isVisibleTo(this)) return;
  const QModelIndex scope = CalendarScope();
  std::vector<QDate> marked;
  QStringList undated;
  if (scope.isValid())
    for (const QModelIndex& night : NightsOfCalendar(scope, true)) {
      const TXMLNode* day = NodeOf(night);
      const QDate date = TDreamCalendar::DateOfName(day->GetAttribute(attrName));
      if (!date.isValid())
        undated << night.data().toString();
      else if (HasDreams(*day))
        marked.push_back(date);
    }
  pnl_Calendar->Show(marked, undated);
  // A selected night shows its month.
  const TXMLNode* current = NodeOf(tre_Directory->currentIndex());
  if (current && current->Name == tagDay) {
    const QDate date = TDreamCalendar::DateOfName(current->GetAttribute(attrName));
    if (date.isValid()) pnl_Calendar->cal_Month->setSelectedDate(date);
  }
}

void Tfrm_MainForm::SelectNight(QDate date, int undatedRow) {
  const QModelIndex scope = CalendarScope();
  if (!scope.isValid()) return;
  QModelIndex found;
  int row = 0;
  for (const QModelIndex& night : NightsOfCalendar(scope, false)) {
    const QDate own = TDreamCalendar::DateOfName(NodeOf(night)->GetAttribute(attrName));
    if (date.isValid() ? own == date : (!own.isValid() && row++ == undatedRow)) {
      found = night;
      break;
    }
  }
  if (!found.isValid()) return;  // no night that day
  tre_Directory->ExpandAncestors(found);
  tre_Directory->setCurrentIndex(found);
  tre_Directory->scrollTo(found);
}
