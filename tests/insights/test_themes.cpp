// Themes on a generated journal with planted words: counted once per dream, rising in the year
// they were planted, going with the label they were planted with, and kept up to date dream by dream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "insights_journal.h"
#include "vlm_EntryFields.h"
#include "vlm_Insights.h"
#include "vlm_Search.h"
#include "vlm_Types.h"

namespace {

const char* const kNeutral[] = {"дом",   "море",  "лес",    "дорога", "окно",  "город", "мост",   "река",
                                "поезд", "сад",   "гора",   "берег",  "лодка", "книга", "часы",   "утро",
                                "вечер", "зима",  "дождь",  "ветер",  "ключ",  "дверь", "голос",  "музыка",
                                "сестра", "друг", "учитель", "птица", "облако", "улица", "площадь", "крыша"};
const char* const kStop[] = {"и", "в", "на", "который", "она", "the"};
const char* const kFlight[] = {"полёт", "полёт", "полёт", "полёта", "полёте"};
const char* const kExam[] = {"экзамен", "экзамен", "экзамена", "экзамены"};  // one stem (not "экзамене")

struct TLcg {
  std::uint64_t State = 12345;
  std::uint32_t Next() {
    State = State * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(State >> 33);
  }
  bool Chance(int percent) { return Next() % 100 < static_cast<std::uint32_t>(percent); }
};

// 2000 to 2005, a dream a night and a second one every fourth night. About a fifth of the dreams
// are lucid (label 1); "полёт" is in 45% of those and 3% of the others; "экзамен" is in 30% of
// the dreams of 2004 and nowhere else (twice in some).
struct TPlanted {
  std::vector<TTestDream> Dreams;
  int ExamDreams = 0;
  TPlanted() {
    TLcg rng;
    for (int day = *DayNumber(2000, 1, 1); day <= *DayNumber(2005, 12, 31); ++day) {
      const TCivilDate date = CivilDate(day);
      for (int k = 0; k < (day % 4 == 0 ? 2 : 1); ++k) {
        TTestDream dream;
        dream.Night = NightName(date.Day, date.Month, date.Year);
        dream.Labels = (rng.Chance(20) ? 1u : 0u) | (rng.Chance(20) ? 2u : 0u);
        for (int w = 0; w < 12; ++w) dream.Description += std::string(kNeutral[rng.Next() % std::size(kNeutral)]) + " ";
        for (int w = 0; w < 3; ++w) dream.Description += std::string(kStop[rng.Next() % std::size(kStop)]) + " ";
        if (rng.Chance(dream.Labels & 1 ? 45 : 3)) dream.Description += std::string(kFlight[rng.Next() % std::size(kFlight)]) + " ";
        if (date.Year == 2004 && rng.Chance(30)) {
          ++ExamDreams;
          dream.Description += std::string(kExam[rng.Next() % std::size(kExam)]) + ". ";
          if (rng.Chance(50)) dream.Description += std::string(kExam[rng.Next() % std::size(kExam)]) + ".";
        }
        Dreams.push_back(dream);
      }
    }
  }
};

const TPlanted& Planted() {
  static const TPlanted planted;
  return planted;
}

int Day(int year, int month, int day) { return *DayNumber(year, month, day); }

const TTheme* FindTheme(const TThemes& themes, const std::string& utf8) {
  for (const TTheme& t : themes.Items)
    if (t.Word == Cp(utf8)) return &t;
  return nullptr;
}

struct InsightsThemes : ::testing::Test {
  TTestJournal Journal{JournalXml(Planted().Dreams)};
  TInsights Insights;
  TScope Scope{Insights.AddJournal(Journal.Root())};
};

TEST_F(InsightsThemes, CountsEachWordFormOncePerDreamWithoutStopWords) {
  const TThemes themes = Insights.Themes(Scope, {}, {.Count = 100, .SeriesPeriod = TPeriod::Year});
  EXPECT_EQ(themes.Dreams, static_cast<int>(Planted().Dreams.size()));
  const TTheme* exam = FindTheme(themes, "экзамен");
  ASSERT_NE(exam, nullptr);
  EXPECT_EQ(exam->Dreams, Planted().ExamDreams);
  ASSERT_EQ(themes.Starts.size(), 6u);
  EXPECT_EQ(themes.Starts[4], Day(2004, 1, 1));
  EXPECT_EQ(exam->Series, (std::vector<int>{0, 0, 0, 0, Planted().ExamDreams, 0}));
  EXPECT_NE(FindTheme(themes, "полёт"), nullptr);  // its commonest spelling, ё kept
  for (const char* stop : kStop) EXPECT_EQ(FindTheme(themes, stop), nullptr) << stop;
  for (std::size_t i = 1; i < themes.Items.size(); ++i) EXPECT_GE(themes.Items[i - 1].Dreams, themes.Items[i].Dreams);
}

TEST_F(InsightsThemes, AWordOfOneYearIsRisingInThatYearOnly) {
  const TContrast rising = Insights.RisingThemes(Scope, {Day(2000, 1, 1), Day(2004, 12, 31)});
  ASSERT_EQ(rising.Items.size(), 1u);
  EXPECT_EQ(rising.Items[0].Word, Cp("экзамен"));
  EXPECT_EQ(rising.Items[0].InGroup, Planted().ExamDreams);
  const auto in2005 = std::count_if(Planted().Dreams.begin(), Planted().Dreams.end(),
                                    [](const TTestDream& d) { return d.Night.ends_with(".05"); });
  EXPECT_EQ(rising.GroupDreams + rising.OutsideDreams, static_cast<int>(Planted().Dreams.size() - static_cast<std::size_t>(in2005)));
  TContrastOptions from2004;
  from2004.RecentFrom = Day(2004, 1, 1);
  EXPECT_EQ(Insights.RisingThemes(Scope, {}, from2004).Items.size(), 1u);  // 2004 and 2005 against before
  EXPECT_TRUE(Insights.RisingThemes(Scope, {}).Items.empty());  // the latest year is 2005
}

TEST_F(InsightsThemes, AWordOfLucidDreamsGoesWithTheLucidLabel) {
  const TContrast lucid = Insights.LabelWords(Scope, {}, 1);
  ASSERT_FALSE(lucid.Items.empty());
  EXPECT_EQ(lucid.Items[0].Word, Cp("полёт"));
  EXPECT_GT(lucid.Items[0].Score, 10.0);
  EXPECT_EQ(lucid.Items.size(), 1u);
  EXPECT_TRUE(Insights.LabelWords(Scope, {}, 2).Items.empty());
}

TEST_F(InsightsThemes, TheUsersExclusionsLeaveEveryFormOut) {
  Insights.SetExclusions({Cp("Экзамены")});
  EXPECT_EQ(FindTheme(Insights.Themes(Scope, {}, {.Count = 100, .MinDreams = 2, .SeriesPeriod = {}}), "экзамен"), nullptr);
  EXPECT_TRUE(Insights.RisingThemes(Scope, {Day(2000, 1, 1), Day(2004, 12, 31)}).Items.empty());
}

// The day elements of the journal, and the experiences of one.
std::vector<TXMLNode*> Children(const TXMLNode& node, std::string_view name) {
  std::vector<TXMLNode*> found;
  for (const auto& child : node.Children)
    if (child->Name == name) found.push_back(child.get());
  return found;
}

TEST_F(InsightsThemes, EditsArePassedOnDreamByDreamAsAFreshEngineReadsThem) {
  const TThemeOptions all{.Count = 1000, .MinDreams = 1, .SeriesPeriod = TPeriod::Year};
  Insights.Themes(Scope, {}, all);  // the word forms made before the edits
  TXMLNode& root = *Journal.Doc.Root;
  const std::vector<TXMLNode*> days = Children(root, tagDay);
  // A dream of 2004 told anew, one deleted, one added, one night renamed into 2003.
  TXMLNode& day2004 = *days[static_cast<std::size_t>(Day(2004, 6, 1) - Day(2000, 1, 1))];
  TXMLNode& edited = *Children(day2004, tagExperience)[0];
  SetChildText(edited, tagDescription, Cp("Дракон у экзамена. ДРАКОНЫ!"));
  Insights.UpdateDream(Scope[0], day2004, edited);
  TXMLNode& other = *days[100];
  other.DeleteChild(other.IndexOfChild(Children(other, tagExperience)[0]));
  TXMLNode* added = other.AddChild(std::make_unique<TXMLNode>(tagExperience));
  SetChildText(*added, tagDescription, Cp("Дракон летал над морем"));
  Insights.UpdateNight(Scope[0], other);
  TXMLNode& renamed = *days[static_cast<std::size_t>(Day(2004, 6, 2) - Day(2000, 1, 1))];
  renamed.SetAttribute(attrName, "02.06.03");
  Insights.UpdateNight(Scope[0], renamed);

  TInsights fresh;
  const TScope freshScope{fresh.AddJournal(root)};
  const TThemes updated = Insights.Themes(Scope, {}, all), expected = fresh.Themes(freshScope, {}, all);
  ASSERT_EQ(updated.Items.size(), expected.Items.size());
  for (std::size_t i = 0; i < expected.Items.size(); ++i) {
    EXPECT_EQ(updated.Items[i].Word, expected.Items[i].Word) << i;
    EXPECT_EQ(updated.Items[i].Dreams, expected.Items[i].Dreams) << i;
    EXPECT_EQ(updated.Items[i].Series, expected.Items[i].Series) << i;
  }
  EXPECT_EQ(FindTheme(updated, "дракон")->Dreams, 2);
  EXPECT_EQ(Insights.OverTime(Scope, {}, TPeriod::Year).Buckets[3].Dreams,
            fresh.OverTime(freshScope, {}, TPeriod::Year).Buckets[3].Dreams);
}

}  // namespace
