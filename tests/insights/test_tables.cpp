// The insights as CSV and JSON, from a small journal.
#include <gtest/gtest.h>

#include "insights_journal.h"
#include "vlm_InsightsTables.h"
#include "vlm_Search.h"

namespace {

struct InsightsTables : ::testing::Test {
  TTestJournal Journal{JournalXml({{"30.12.20", "Кот у моря", 1, 0, ""},
                                   {"31.12.20", "Кот и море", 0, 150, ""},
                                   {"01.01.21", "Море", 2, -1, ""}})};
  TInsights Insights;
  TScope Scope{Insights.AddJournal(Journal.Root())};
  TLabelCaptions Labels{Cp("Осознанный \"ясный\""), "", Cp("Астрал, выход"), ""};
};

TEST_F(InsightsTables, SeriesAsCsv) {
  EXPECT_EQ(SeriesCsv(Insights.OverTime(Scope, {}, TPeriod::Month), Labels),
            "period_start,period_end,dreams,nights,\"Осознанный \"\"ясный\"\"\",label2,\"Астрал, выход\",label4,mean_energy\r\n"
            "2020-12-01,2020-12-31,2,2,1,0,0,0,0.25\r\n"
            "2021-01-01,2021-01-31,1,1,0,1,0,0,\r\n");
}

TEST_F(InsightsTables, RecallAsCsv) {
  const std::string csv = RecallCsv(Insights.Recall(Scope, {}, *DayNumber(2021, 1, 2)));
  EXPECT_EQ(csv.substr(0, csv.find("nights_by_weekday")),
            "measure,key,value\r\nnights,,3\r\ndreams,,3\r\nundated_dreams,,0\r\ndreams_per_night,,1\r\n"
            "longest_run,,3\r\nlongest_run_start,,2020-12-30\r\ncurrent_run,,3\r\n");
  EXPECT_NE(csv.find("nights_by_weekday,Wednesday,1\r\nnights_by_weekday,Thursday,1\r\nnights_by_weekday,Friday,1\r\n"),
            std::string::npos);
  EXPECT_NE(csv.find("dreams_by_month,December,2\r\n"), std::string::npos);
}

TEST_F(InsightsTables, ThemesAsCsv) {
  EXPECT_EQ(ThemesCsv(Insights.Themes(Scope, {}, {.Count = 10, .MinDreams = 2, .SeriesPeriod = TPeriod::Year})),
            "word,dreams,2020-01-01,2021-01-01\r\nморе,3,2,1\r\nкот,2,2,0\r\n");
}

TEST_F(InsightsTables, EverythingAsJson) {
  TInsightsReport report;
  report.Labels = Labels;
  report.Series = Insights.OverTime(Scope, {}, TPeriod::Month);
  report.Recall = Insights.Recall(Scope, {}, *DayNumber(2021, 1, 2));
  report.Themes = Insights.Themes(Scope, {}, {.Count = 10, .MinDreams = 2, .SeriesPeriod = TPeriod::Year});
  const std::string none = R"({"group_dreams":0,"outside_dreams":0,"items":[]})";
  EXPECT_EQ(ReportJson(report),
            R"({"from":null,"to":null,"labels":["Осознанный \"ясный\"","label2","Астрал, выход","label4"],)" "\n"
            R"("over_time":{"period":"month","buckets":[)" "\n"
            R"({"start":"2020-12-01","end":"2020-12-31","dreams":2,"nights":2,"labels":[1,0,0,0],"mean_energy":0.25},)" "\n"
            R"({"start":"2021-01-01","end":"2021-01-31","dreams":1,"nights":1,"labels":[0,1,0,0],"mean_energy":null}]},)" "\n"
            R"("recall":{"nights":3,"dreams":3,"undated_dreams":0,"dreams_per_night":1,"longest_run":3,)"
            R"("longest_run_start":"2020-12-30","current_run":3,"nights_by_weekday":[0,0,1,1,1,0,0],)"
            R"("dreams_by_weekday":[0,0,1,1,1,0,0],"nights_by_month":[1,0,0,0,0,0,0,0,0,0,0,2],)"
            R"("dreams_by_month":[1,0,0,0,0,0,0,0,0,0,0,2]},)" "\n"
            R"("themes":{"dreams":3,"period":"year","starts":["2020-01-01","2021-01-01"],"items":[)" "\n"
            R"({"word":"море","dreams":3,"series":[2,1]},)" "\n"
            R"({"word":"кот","dreams":2,"series":[2,0]}]},)" "\n"
            R"("rising":)" + none + ",\n" R"("label_words":[)" "\n"
            R"({"label":1,"caption":"Осознанный \"ясный\"","words":)" + none + "},\n" +
            R"({"label":2,"caption":"label2","words":)" + none + "},\n" +
            R"({"label":3,"caption":"Астрал, выход","words":)" + none + "},\n" +
            R"({"label":4,"caption":"label4","words":)" + none + "}]}\n");
}

}  // namespace
