#pragma once
// The calendar below the tree: a month of the selected journal (or of every journal below the
// selected catalog or the library) with its nights with dreams marked, and the nights whose names
// are not dates listed apart. The window fills it and answers its clicks.
#include <QDate>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class TDreamCalendar;

class TCalendarPanel : public QWidget {
  Q_OBJECT
public:
  explicit TCalendarPanel(QWidget* parent = nullptr);
  // The marked dates and the names of the nights without a date, in the tree's order.
  void Show(const std::vector<QDate>& marked, const QStringList& undated);

  std::function<void(QDate)> DateClicked;
  std::function<void(int row)> UndatedClicked;

  TDreamCalendar* cal_Month = nullptr;
  QLabel* lbl_Undated = nullptr;
  QListWidget* lst_Undated = nullptr;
};
