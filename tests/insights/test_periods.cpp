// Periods and their boundaries, the counts over time and the runs of recorded nights.
#include <gtest/gtest.h>

#include "insights_journal.h"
#include "vlm_EntryFields.h"
#include "vlm_Insights.h"
#include "vlm_Periods.h"
#include "vlm_Search.h"

namespace {

int Day(int year, int month, int day) { return *DayNumber(year, month, day); }

TEST(InsightsPeriods, CivilDateIsTheInverseOfDayNumber) {
  for (int day = Day(1600, 1, 1); day <= Day(2400, 12, 31); day += 13) {
    const TCivilDate d = CivilDate(day);
    ASSERT_EQ(DayNumber(d.Year, d.Month, d.Day), day) << day;
  }
  EXPECT_EQ(Weekday(Day(2024, 2, 29)), 3);  // a Thursday
  EXPECT_EQ(Weekday(Day(1969, 12, 29)), 0);
  EXPECT_EQ(IsoDateText(Day(1999, 3, 7)), "1999-03-07");
}

TEST(InsightsPeriods, IsoWeeksRunAcrossTheTurnOfTheYear) {
  EXPECT_EQ(IsoWeek(Day(2020, 12, 31)).Week, 53);
  EXPECT_EQ(IsoWeek(Day(2021, 1, 3)).Year, 2020);
  EXPECT_EQ(IsoWeek(Day(2021, 1, 3)).Week, 53);
  EXPECT_EQ(IsoWeek(Day(2021, 1, 4)).Year, 2021);
  EXPECT_EQ(IsoWeek(Day(2021, 1, 4)).Week, 1);
  EXPECT_EQ(IsoWeek(Day(2018, 12, 31)).Year, 2019);
  EXPECT_EQ(IsoWeek(Day(2018, 12, 31)).Week, 1);
  EXPECT_EQ(PeriodStart(TPeriod::Week, Day(2021, 1, 1)), Day(2020, 12, 28));
  EXPECT_EQ(NextPeriodStart(TPeriod::Week, Day(2021, 1, 1)), Day(2021, 1, 4));
  EXPECT_EQ(PeriodStart(TPeriod::Week, Day(2021, 1, 4)), Day(2021, 1, 4));
  EXPECT_EQ(PeriodCount(TPeriod::Week, Day(2020, 12, 27), Day(2021, 1, 4)), 3);
}

TEST(InsightsPeriods, MonthsQuartersAndYearsStartOnTheirFirstDay) {
  EXPECT_EQ(PeriodStart(TPeriod::Month, Day(2024, 2, 29)), Day(2024, 2, 1));
  EXPECT_EQ(NextPeriodStart(TPeriod::Month, Day(2024, 2, 29)), Day(2024, 3, 1));
  EXPECT_EQ(NextPeriodStart(TPeriod::Month, Day(2023, 12, 31)), Day(2024, 1, 1));
  EXPECT_EQ(PeriodStart(TPeriod::Quarter, Day(2023, 12, 31)), Day(2023, 10, 1));
  EXPECT_EQ(NextPeriodStart(TPeriod::Quarter, Day(2023, 11, 5)), Day(2024, 1, 1));
  EXPECT_EQ(PeriodStart(TPeriod::Quarter, Day(2023, 3, 31)), Day(2023, 1, 1));
  EXPECT_EQ(PeriodStart(TPeriod::Year, Day(2024, 7, 1)), Day(2024, 1, 1));
  EXPECT_EQ(PeriodCount(TPeriod::Quarter, Day(2023, 3, 31), Day(2023, 4, 1)), 2);
  EXPECT_EQ(PeriodCount(TPeriod::Month, Day(2023, 12, 31), Day(2024, 1, 1)), 2);
}

TEST(InsightsPeriods, ThePeriodKeepsAChartReadableAtItsWidth) {
  EXPECT_EQ(PeriodForWidth(Day(2000, 1, 1), Day(2049, 12, 31), 800), TPeriod::Year);
  EXPECT_EQ(PeriodForWidth(Day(2000, 1, 1), Day(2009, 12, 31), 800), TPeriod::Quarter);
  EXPECT_EQ(PeriodForWidth(Day(2000, 1, 1), Day(2003, 12, 31), 800), TPeriod::Month);
  EXPECT_EQ(PeriodForWidth(Day(2000, 1, 1), Day(2000, 12, 31), 800), TPeriod::Week);
  EXPECT_EQ(PeriodForWidth(Day(2000, 1, 1), Day(2000, 12, 31), 300), TPeriod::Month);
}

TEST(InsightsOverTime, BucketsStartOnRealDatesAndCountLeapDaysAndLabels) {
  TTestJournal journal(JournalXml({{"28.02.24", "а", 1, 0},
                                   {"29.02.24", "б", 1, 200},
                                   {"29.02.24", "в", 2},
                                   {"01.03.24", "г", 0, 100},
                                   {"не дата", "д", 1}}));
  TInsights insights;
  const TScope scope{insights.AddJournal(journal.Root())};
  const TSeries months = insights.OverTime(scope, {}, TPeriod::Month);
  ASSERT_EQ(months.Buckets.size(), 2u);
  EXPECT_EQ(months.Buckets[0].Start, Day(2024, 2, 1));
  EXPECT_EQ(months.Buckets[0].Next, Day(2024, 3, 1));
  EXPECT_EQ(months.Buckets[0].Dreams, 3);
  EXPECT_EQ(months.Buckets[0].Nights, 2);
  EXPECT_EQ(months.Buckets[0].Labels[0], 2);
  EXPECT_EQ(months.Buckets[0].Labels[1], 1);
  EXPECT_DOUBLE_EQ(*months.Buckets[0].MeanEnergy(), 0.0);  // +1 and -1; the dream without a level is left out
  EXPECT_EQ(months.Buckets[1].Dreams, 1);
  EXPECT_FALSE(insights.OverTime(scope, {Day(2024, 3, 1), Day(2024, 3, 31)}, TPeriod::Month).Buckets[0].Labels[0]);

  const TSeries weeks = insights.OverTime(scope, {Day(2024, 2, 20), Day(2024, 3, 10)}, TPeriod::Week);
  ASSERT_EQ(weeks.Buckets.size(), 3u);  // the weeks from Monday 19 February to Monday 4 March
  EXPECT_EQ(weeks.Buckets[0].Start, Day(2024, 2, 19));
  EXPECT_EQ(weeks.Buckets[1].Start, Day(2024, 2, 26));
  EXPECT_EQ(weeks.Buckets[1].Dreams, 4);
  EXPECT_EQ(weeks.Buckets[2].Dreams, 0);
}

// Labels and energy as the editors read them: older label names, "undefined", the last of two
// elements, levels that are no number or out of range.
TEST(InsightsOverTime, LabelsAndEnergyAreReadAsTheEditorsReadThem) {
  TTestJournal journal(Cp(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n<velmora><day name=\"01.01.21\">"
      "<experience><properties luciddream=\"true\" label1=\"false\" label2=\"true\" /><energy level=\"+50\" /></experience>"
      "<experience><properties luciddream=\"undefined\" label1=\"true\" outofbody=\"false\" label3=\"true\" />"
      "<energy level=\"abc\" /></experience>"
      "<experience><properties label4=\"true\" /><properties label1=\"true\" /><energy level=\"300\" /><energy /></experience>"
      "<experience><energy level=\"-20\" /><energy level=\"150\" /><properties label2=\"TRUE\" /></experience>"
      "</day></velmora>"));
  std::array<int, kLabelCount> labels{};
  double energy = 0;
  int energies = 0;
  for (const auto& day : journal.Doc.Root->Children)
    for (const auto& dream : day->Children) {
      for (int n = 1; n <= kLabelCount; ++n) labels[static_cast<std::size_t>(n - 1)] += ReadLabelFlag(*dream, n);
      const TEnergyLevel level = ReadEnergyLevel(*dream);
      if (level.State == TEnergyLevel::Valid) {
        energy += (kEnergyMiddle - level.Level) / static_cast<double>(kEnergyMiddle);
        ++energies;
      }
    }
  ASSERT_EQ(labels, (std::array<int, kLabelCount>{3, 1, 0, 0}));  // the journal is what it should test
  ASSERT_EQ(energies, 2);
  TInsights insights;
  const TBucket bucket = insights.OverTime({insights.AddJournal(journal.Root())}, {}, TPeriod::Year).Buckets.at(0);
  EXPECT_EQ(bucket.Labels, labels);
  EXPECT_EQ(bucket.EnergyDreams, energies);
  EXPECT_DOUBLE_EQ(bucket.EnergySum, energy);
}

TEST(InsightsOverTime, AWeekAcrossNewYearIsOneBucket) {
  TTestJournal journal(JournalXml({{"31.12.20", "а"}, {"01.01.21", "б"}, {"04.01.21", "в"}}));
  TInsights insights;
  const TSeries weeks = insights.OverTime({insights.AddJournal(journal.Root())}, {}, TPeriod::Week);
  ASSERT_EQ(weeks.Buckets.size(), 2u);
  EXPECT_EQ(weeks.Buckets[0].Start, Day(2020, 12, 28));
  EXPECT_EQ(weeks.Buckets[0].Dreams, 2);
  EXPECT_EQ(weeks.Buckets[1].Dreams, 1);
}

TEST(InsightsRecall, RunsOfNightsAcrossJournalsAndToday) {
  TTestJournal first(JournalXml({{"01.01.21", "а"}, {"02.01.21", "б"}, {"02.01.21", "в"}, {"05.01.21", "г"},
                                 {"07.01.21", "д"}, {"08.01.21", "е"}, {"без даты", "ж"}}));
  TTestJournal second(JournalXml({{"03.01.21", "з"}, {"06.01.21", "и"}}));
  TInsights insights;
  const TScope both{insights.AddJournal(first.Root()), insights.AddJournal(second.Root())};
  TRecall r = insights.Recall(both, {}, Day(2021, 1, 9));
  EXPECT_EQ(r.Nights, 7);
  EXPECT_EQ(r.Dreams, 8);
  EXPECT_EQ(r.UndatedDreams, 1);
  EXPECT_EQ(r.LongestRun, 4);  // 5 to 8 January (1 to 3 January is the other run)
  EXPECT_EQ(r.LongestRunStart, Day(2021, 1, 5));
  EXPECT_EQ(r.CurrentRun, 4);  // nothing on the 9th yet: the run up to yesterday
  EXPECT_EQ(insights.Recall(both, {}, Day(2021, 1, 10)).CurrentRun, 0);
  EXPECT_EQ(r.DreamsByWeekday[4], 2);  // Friday 1 January and 8 January
  EXPECT_EQ(r.NightsByWeekday[5], 1);  // Saturday 2 January, two dreams
  EXPECT_EQ(r.NightsByMonth[0], 7);
  r = insights.Recall({both[1]}, {}, Day(2021, 1, 6));
  EXPECT_EQ(r.LongestRun, 1);
  EXPECT_EQ(r.LongestRunStart, Day(2021, 1, 3));  // the earliest of equal runs
  EXPECT_EQ(r.CurrentRun, 1);
  EXPECT_EQ(insights.Recall(both, {Day(2021, 1, 1), Day(2021, 1, 2)}, Day(2021, 1, 9)).CurrentRun, 0);
}

TEST(InsightsOnThisNight, EarlierYearsOfTheSameDateLatestFirstWithLeapDays) {
  TTestJournal journal(JournalXml({{"15.03.20", "а"}, {"29.02.20", "б"}, {"28.02.21", "в"}, {"15.03.22", "г"},
                                   {"16.03.22", "д"}, {"15.03.23", "е"}}));
  TInsights insights;
  const TScope scope{insights.AddJournal(journal.Root())};
  const auto march = insights.OnThisNight(scope, Day(2023, 3, 15));
  ASSERT_EQ(march.size(), 2u);
  EXPECT_EQ(insights.Date(march[0]), Day(2022, 3, 15));
  EXPECT_EQ(insights.Date(march[1]), Day(2020, 3, 15));
  const auto february = insights.OnThisNight(scope, Day(2022, 2, 28));
  ASSERT_EQ(february.size(), 2u);
  EXPECT_EQ(insights.Date(february[0]), Day(2021, 2, 28));
  EXPECT_EQ(insights.Date(february[1]), Day(2020, 2, 29));
  EXPECT_EQ(insights.OnThisNight(scope, Day(2024, 2, 28)).size(), 1u);  // 2024 has its own 29th
}

}  // namespace
