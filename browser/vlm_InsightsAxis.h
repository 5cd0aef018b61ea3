#pragma once
// Dates on the insights charts: day numbers (vlm_Periods.h) as QDate, the names of periods, and
// which dates label a time axis so that every label is shown and none touches the next.
#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "vlm_Periods.h"

QDate DateOfDay(int day);
int DayOfDate(const QDate& date);

// "по месяцам", ... (the charts' titles and the period chooser).
QString PeriodsText(TPeriod period);
// One period by its first day: "неделя с 03.03.2025", "март 2025", "I квартал 2025", "2025 год".
QString PeriodText(TPeriod period, int start);

struct TDateTick {
  int Day = 0;
  QString Text;
  bool operator==(const TDateTick&) const = default;
};

// The labels of a time axis from day `first` to day `next` (excluded) drawn over `pixels`: the
// first days of weeks, months, quarters or years (every 1, 2, 5, 10, ... years), the finest step
// no finer than `period` at which each label, as wide as `width` measures it, keeps `gap` pixels
// from its neighbours. Years read "2025", months "мар 2025", weeks "03.03.25".
std::vector<TDateTick> DateTicks(int first, int next, double pixels, TPeriod period,
                                 const std::function<int(const QString&)>& width, int gap = 12);

// A round step for an axis from 0 to `maximum` with about `ticks` intervals (1, 2, 5 times a
// power of ten; at least 1).
int NiceStep(double maximum, int ticks);
