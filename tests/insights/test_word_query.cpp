// Search by word forms: the query's terms, where they are found in a text, and the dreams found.
#include <gtest/gtest.h>

#include "insights_journal.h"
#include "vlm_Insights.h"
#include "vlm_Search.h"
#include "vlm_WordQuery.h"

namespace {

// The words of `text` (UTF-8) that `query` finds, in order.
std::vector<std::string> Found(const char* query, const char* text) {
  TWordQuery q{Cp(query)};
  const std::string cp = Cp(text);
  std::vector<std::string> words;
  for (const TWordMatch& m : q.Find(cp)) words.push_back(Cp1251ToUtf8(cp.substr(m.Begin, m.End - m.Begin)));
  return words;
}

using TWords = std::vector<std::string>;

TEST(InsightsWordQuery, ParsesFormsPrefixesExactWordsAndPhrases) {
  const auto terms = ParseWordQuery(Cp("Кот* ЛЕТАТЬ, \"Ёлка\" \"старый  мост\" \"не закрыт"));
  ASSERT_EQ(terms.size(), 5u);
  EXPECT_EQ(terms[0], (TWordTerm{TWordTerm::Prefix, {Cp("кот")}}));
  EXPECT_EQ(terms[1], (TWordTerm{TWordTerm::Forms, {Cp("летать")}}));
  EXPECT_EQ(terms[2], (TWordTerm{TWordTerm::Exact, {Cp("елка")}}));
  EXPECT_EQ(terms[3], (TWordTerm{TWordTerm::Phrase, {Cp("старый"), Cp("мост")}}));
  EXPECT_EQ(terms[4], (TWordTerm{TWordTerm::Phrase, {Cp("не"), Cp("закрыт")}}));  // an unclosed quote runs to the end
}

TEST(InsightsWordQuery, APlainWordFindsItsFormsAndNotLongerWords) {
  const char* text = "Кота не было, который ушёл. Коту дали молока, о коте ни слова; КОТ.";
  EXPECT_EQ(Found("кот", text), (TWords{"Кота", "Коту", "коте", "КОТ"}));
  EXPECT_EQ(Found("летать", "Я летал над морем, потом летала птица"), (TWords{"летал", "летала"}));
  EXPECT_EQ(Found("ёлка", "У елки и ёлкой"), (TWords{"елки", "ёлкой"}));
}

TEST(InsightsWordQuery, AStarFindsBeginningsAndQuotesFindExactly) {
  const char* text = "Кота не было, который ушёл; кот.";
  EXPECT_EQ(Found("кот*", text), (TWords{"Кота", "который", "кот"}));
  EXPECT_EQ(Found("\"кот\"", text), (TWords{"кот"}));
  EXPECT_EQ(Found("\"ушел\"", text), (TWords{"ушёл"}));
}

TEST(InsightsWordQuery, APhraseIsFoundAsItsWordsInOrder) {
  const std::string text = Cp("Мост старый. Старый,  мост и старый дом");
  TWordQuery q{Cp("\"старый мост\"")};
  const auto found = q.Find(text);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(text.substr(found[0].Begin, found[0].End - found[0].Begin), Cp("Старый,  мост"));
  EXPECT_FALSE(TWordQuery{Cp("\"мост старый дом\"")}.Matches({text}));
}

TEST(InsightsWordQuery, EveryTermMustBeInOneOfTheFields) {
  TWordQuery q{Cp("кот море")};
  EXPECT_TRUE(q.Matches({Cp("Котом"), "", Cp("у моря")}));
  EXPECT_FALSE(q.Matches({Cp("Котом"), Cp("который у"), Cp("реки")}));
}

TEST(InsightsWordQuery, TheEngineFindsDreamsByTheirWordForms) {
  TTestJournal journal(JournalXml({{"01.01.21", "Кота кормили"},
                                   {"01.01.21", "Который час?"},
                                   {"02.01.21", "Старый, мост у моря"},
                                   {"03.01.21", "Мост старый; коту холодно"},
                                   {"без даты", "Коты летали"}},
                                  {{"03.01.21", "Ночь у моря"}}));
  TInsights insights;
  const TScope scope{insights.AddJournal(journal.Root())};
  auto numbers = [&](const char* query, const TDateRange& range = {}) {
    TWordQuery q{Cp(query)};
    std::string found;
    for (const TDreamRef ref : insights.FindDreams(scope, range, q)) found += insights.Experience(ref)->GetAttribute("number");
    return found;
  };
  EXPECT_EQ(numbers("кот"), "145");
  EXPECT_EQ(numbers("кот море"), "4");  // the sea in its night's comment
  EXPECT_EQ(numbers("\"старый мост\""), "3");
  EXPECT_EQ(numbers("мост* старый"), "34");
  EXPECT_EQ(numbers("кот", {*DayNumber(2021, 1, 1), *DayNumber(2021, 1, 2)}), "1");  // no undated dream in a range
  EXPECT_EQ(numbers("летать"), "5");
  EXPECT_EQ(numbers("собака"), "");
}

}  // namespace
