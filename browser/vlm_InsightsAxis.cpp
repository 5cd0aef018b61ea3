#include "vlm_InsightsAxis.h"

#include <algorithm>
#include <cmath>

#include "vlm_InsightsResources.h"
#include "vlm_Strings.h"

namespace {

const QDate kEpoch(1970, 1, 1);

enum TUnit { uWeek, uMonth, uYear };
struct TStep {
  TUnit Unit;
  int Count;
};
// Finest first.
constexpr TStep kSteps[] = {{uWeek, 1},  {uWeek, 2},  {uMonth, 1},  {uMonth, 3},  {uMonth, 6},   {uYear, 1},
                            {uYear, 2},  {uYear, 5},  {uYear, 10},  {uYear, 20},  {uYear, 50},   {uYear, 100},
                            {uYear, 200}, {uYear, 500}, {uYear, 1000}};

// The finest step that labels no finer than the period's own length.
bool Allowed(TStep step, TPeriod period) {
  switch (period) {
    case TPeriod::Week: return true;
    case TPeriod::Month: return step.Unit != uWeek;
    case TPeriod::Quarter: return step.Unit == uYear || (step.Unit == uMonth && step.Count % 3 == 0);
    default: return step.Unit == uYear;
  }
}

QString TickText(TUnit unit, const QDate& date) {
  switch (unit) {
    case uWeek: return date.toString(QStringLiteral("dd.MM.yy"));
    case uMonth:
      return date.month() == 1 ? QString::number(date.year())
                               : Text(res::MonthShortNames[date.month() - 1]) + QLatin1Char(' ') + QString::number(date.year());
    default: return QString::number(date.year());
  }
}

// The step's dates in first .. next-1, at most `limit` + 1 of them (more cannot fit anyway).
std::vector<int> StepDays(TStep step, int first, int next, std::size_t limit) {
  std::vector<int> days;
  const QDate begin = DateOfDay(first);
  if (step.Unit == uWeek) {
    int day = first + (7 - Weekday(first)) % 7;  // the first Monday
    // Fortnights from a fixed Monday, so that the labels do not move with the range.
    if (step.Count == 2 && ((day - 4) / 7) % 2) day += 7;
    for (; day < next && days.size() <= limit; day += 7 * step.Count) days.push_back(day);
  } else if (step.Unit == uMonth) {
    int month = begin.year() * 12 + begin.month() - 1;
    if (begin.day() != 1) ++month;
    month += (step.Count - month % step.Count) % step.Count;
    for (;; month += step.Count) {
      const int day = DayOfDate(QDate(month / 12, month % 12 + 1, 1));
      if (day >= next || days.size() > limit) break;
      days.push_back(day);
    }
  } else {
    int year = begin.year() + (begin.month() == 1 && begin.day() == 1 ? 0 : 1);
    year += (step.Count - ((year % step.Count) + step.Count) % step.Count) % step.Count;
    for (;; year += step.Count) {
      const int day = DayOfDate(QDate(year, 1, 1));
      if (day >= next || days.size() > limit) break;
      days.push_back(day);
    }
  }
  return days;
}

}  // namespace

QDate DateOfDay(int day) { return kEpoch.addDays(day); }
int DayOfDate(const QDate& date) { return static_cast<int>(kEpoch.daysTo(date)); }

QString PeriodsText(TPeriod period) {
  switch (period) {
    case TPeriod::Week: return Text(res::InsightsByWeeks);
    case TPeriod::Month: return Text(res::InsightsByMonths);
    case TPeriod::Quarter: return Text(res::InsightsByQuarters);
    default: return Text(res::InsightsByYears);
  }
}

QString PeriodText(TPeriod period, int start) {
  const QDate date = DateOfDay(start);
  static const char* const kRoman[] = {"I", "II", "III", "IV"};
  switch (period) {
    case TPeriod::Week: return Text(res::InsightsWeekOf).arg(date.toString(Text(res::InsightsDateFormat)));
    case TPeriod::Month: return Text(res::MonthNames[date.month() - 1]) + QLatin1Char(' ') + QString::number(date.year());
    case TPeriod::Quarter: return Text(res::InsightsQuarterOf).arg(QLatin1String(kRoman[(date.month() - 1) / 3])).arg(date.year());
    default: return Text(res::InsightsYearOf).arg(date.year());
  }
}

std::vector<TDateTick> DateTicks(int first, int next, double pixels, TPeriod period,
                                 const std::function<int(const QString&)>& width, int gap) {
  if (next <= first || pixels <= 0) return {};
  const double perDay = pixels / (next - first);
  for (const TStep step : kSteps) {
    if (!Allowed(step, period)) continue;
    // A label is at least a few characters wide: a step that gives more labels cannot fit.
    const std::size_t limit = static_cast<std::size_t>(pixels / std::max(1, width(QStringLiteral("2000")) + gap)) + 1;
    const std::vector<int> days = StepDays(step, first, next, limit);
    if (days.size() > limit) continue;
    std::vector<TDateTick> ticks;
    for (const int day : days) ticks.push_back({day, TickText(step.Unit, DateOfDay(day))});
    bool fits = true;
    for (std::size_t k = 1; k < ticks.size() && fits; ++k) {
      const double apart = (ticks[k].Day - ticks[k - 1].Day) * perDay;
      fits = apart >= (width(ticks[k].Text) + width(ticks[k - 1].Text)) / 2.0 + gap;
    }
    if (fits) return ticks;
  }
  return {};
}

int NiceStep(double maximum, int ticks) {
  if (maximum <= 0 || ticks <= 0) return 1;
  const double raw = maximum / ticks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) return std::max(1, static_cast<int>(std::lround(m * power)));
  return std::max(1, static_cast<int>(std::lround(10 * power)));
}
