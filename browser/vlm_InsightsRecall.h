#pragma once
// How well dreams are remembered over the range: nights recorded, dreams per night, the longest
// and the current run of nights in a row, and nights and dreams by weekday and by month of the year.
#include <QWidget>

#include "vlm_Insights.h"

class QBarSet;
class QChartView;
class QLabel;

class TRecallPanel : public QWidget {
  Q_OBJECT
public:
  explicit TRecallPanel(QWidget* parent = nullptr);
  void Show(const TRecall& recall);
  const TRecall& Shown() const { return FRecall; }

  QLabel* lbl_Figures = nullptr;
  QChartView* cht_Weekdays = nullptr;
  QChartView* cht_Months = nullptr;

private:
  TRecall FRecall;
  QBarSet* FWeekdayNights = nullptr;
  QBarSet* FWeekdayDreams = nullptr;
  QBarSet* FMonthNights = nullptr;
  QBarSet* FMonthDreams = nullptr;
};
