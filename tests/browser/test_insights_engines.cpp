// The engines behind the insights view: an edit made while the words are counted on the worker is
// counted in the next answer, and only the latest question is answered.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <vector>

#include "../insights/insights_journal.h"
#include "vlm_EntryFields.h"
#include "vlm_InsightsEngines.h"
#include "vlm_Types.h"

namespace {
int DreamsOf(const TWordsAnswer& answer, const std::string& word) {
  for (const TTheme& theme : answer.Themes.Items)
    if (theme.Word == Cp(word)) return theme.Dreams;
  return 0;
}
}  // namespace

TEST(InsightsEngines, AnEditWhileTheWordsAreCountedIsCountedNextTime) {
  TTestJournal journal(JournalXml({{"01.02.03", "кот и дом"}, {"02.02.03", "кот"}, {"03.02.03", "дом"}}));
  TInsightsEngines engines;
  std::vector<std::function<void()>> jobs;  // the worker, run by hand
  engines.SetRunner([&](std::function<void()> job) { jobs.push_back(std::move(job)); });
  std::vector<TWordsAnswer> answers;
  QObject::connect(&engines, &TInsightsEngines::WordsReady, [&](const TWordsAnswer& answer) { answers.push_back(answer); });
  engines.SetScope({&journal.Root()});

  engines.AskWords({});
  ASSERT_EQ(jobs.size(), 1u);
  // The third dream changes while the worker has the words.
  TXMLNode& night = *journal.Root().GetChild(2);
  TXMLNode& dream = *DirectChild(night, tagExperience);
  SetChildText(dream, tagDescription, Cp("кот"));
  engines.DreamChanged(&journal.Root(), night, dream);
  engines.AskWords({TDateRange{std::nullopt, std::nullopt}, 2});  // asked again meanwhile
  std::exchange(jobs, {}).front()();
  QCoreApplication::processEvents();
  ASSERT_TRUE(answers.empty());  // that answer was for the older question
  ASSERT_EQ(jobs.size(), 1u);    // the latest is sent on at once
  std::exchange(jobs, {}).front()();
  QCoreApplication::processEvents();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers.back().Label, 2);
  EXPECT_EQ(DreamsOf(answers.back(), "кот"), 3);
  EXPECT_FALSE(engines.Counting());
}
