// The time axis of the insights charts: its date labels never touch one another, fall on round
// dates, and stay years for fifty years however narrow the chart.
#include <gtest/gtest.h>

#include "vlm_InsightsAxis.h"

namespace {
int Day(int year, int month, int day) { return DayOfDate(QDate(year, month, day)); }
int Width(const QString& text) { return 7 * static_cast<int>(text.size()); }
}  // namespace

TEST(InsightsAxis, DateLabelsNeverTouchAndFallOnRoundDates) {
  struct TCase {
    int First, Next;
    double Pixels;
    TPeriod Period;
  };
  const TCase cases[] = {{Day(1975, 1, 1), Day(2025, 1, 1), 800, TPeriod::Year},
                         {Day(1975, 1, 1), Day(2025, 1, 1), 150, TPeriod::Year},
                         {Day(2023, 1, 1), Day(2025, 1, 1), 300, TPeriod::Month},
                         {Day(2024, 1, 1), Day(2024, 4, 1), 500, TPeriod::Week}};
  for (const TCase& c : cases) {
    const std::vector<TDateTick> ticks = DateTicks(c.First, c.Next, c.Pixels, c.Period, Width);
    ASSERT_GE(ticks.size(), 2u) << c.Pixels;
    const double perDay = c.Pixels / (c.Next - c.First);
    for (std::size_t k = 0; k < ticks.size(); ++k) {
      EXPECT_TRUE(ticks[k].Day >= c.First && ticks[k].Day < c.Next);
      const QDate date = DateOfDay(ticks[k].Day);
      if (c.Period == TPeriod::Week) EXPECT_EQ(date.dayOfWeek(), Qt::Monday);
      else EXPECT_EQ(date.day(), 1);
      if (k) {
        EXPECT_GE((ticks[k].Day - ticks[k - 1].Day) * perDay, (Width(ticks[k].Text) + Width(ticks[k - 1].Text)) / 2.0 + 12);
      }
    }
  }
  // Fifty years: every label a year, a round step apart.
  const std::vector<TDateTick> years = DateTicks(Day(1975, 1, 1), Day(2025, 1, 1), 800, TPeriod::Year, Width);
  const int step = DateOfDay(years[1].Day).year() - DateOfDay(years[0].Day).year();
  for (const TDateTick& tick : years) {
    EXPECT_EQ(tick.Text, QString::number(DateOfDay(tick.Day).year()));
    EXPECT_EQ(DateOfDay(tick.Day).year() % step, 0);
  }
}
