// Finding dreams: the query's terms against a journal's Windows-1251 text, the filters, snippets.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vlm_Search.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {

std::string Cp(const char* utf8) { return Utf8ToCp1251(utf8); }

// Three nights: two dated, one whose name is not a date; four dreams.
struct TJournal {
  TXMLParser Doc;
  std::unique_ptr<TJournalIndex> Index;
  TJournal() {
    const std::string text = Cp(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n<velmora>\r\n"
        "<day name=\"01.02.03\"><comment>Ночь у моря</comment>\r\n"
        "<experience number=\"1\" title=\"Тёмный ЛЕС\"><description>Я шёл через старый мост, потом летал.</description>"
        "<properties label1=\"true\" /><energy level=\"150\" /></experience>\r\n"
        "<experience number=\"2\" title=\"Город\"><description>Ёлка в городе.</description><comment>Зимний сон</comment>"
        "<properties luciddream=\"true\" label2=\"true\" /></experience></day>\r\n"
        "<day name=\"15.06.99\"><experience number=\"3\" title=\"Bright SKY\"><description>Flying over the old bridge"
        "</description><energy level=\"20\" /></experience></day>\r\n"
        "<day name=\"без даты\"><experience number=\"4\" title=\"Мост\"><description>мост и лес</description>"
        "<properties label4=\"true\" /></experience></day>\r\n"
        "</velmora>\r\n");
    EXPECT_EQ(Doc.LoadFromString(text), xrOk);
    Index = std::make_unique<TJournalIndex>(*Doc.Root);
  }
  // The numbers of the dreams found.
  std::string Find(const char* query, const TSearchFilter& filter = {}) const {
    std::string numbers;
    for (const TSearchHit& hit : SearchDreams({Index.get()}, ParseSearchQuery(Cp(query)), filter))
      numbers += Index->Dreams()[hit.Dream].Experience->GetAttribute("number");
    return numbers;
  }
};

}  // namespace

TEST(SearchMatching, CaseYoAndWordsInAnyOrderAcrossFields) {
  TJournal j;
  EXPECT_EQ(j.Find("лес"), "14");         // ЛЕС in a title, лес in a description
  EXPECT_EQ(j.Find("ТЕМНЫЙ"), "1");       // Тёмный: ё is е, either case
  EXPECT_EQ(j.Find("елка"), "2");         // Ёлка
  EXPECT_EQ(j.Find("ШЕЛ"), "1");
  EXPECT_EQ(j.Find("sky BRIDGE"), "3");   // Latin, title and description
  EXPECT_EQ(j.Find("мост лес"), "14");    // any order
  EXPECT_EQ(j.Find("лес город"), "");     // every word must be found in the same dream
  EXPECT_EQ(j.Find("моря лес"), "1");     // the night's own comment counts for each of its dreams
  EXPECT_EQ(j.Find("зимний"), "2");       // the dream's comment
  EXPECT_EQ(j.Find("  "), "");            // no terms, no filter: nothing
}

TEST(SearchMatching, PhrasesKeepTheirWordsTogetherAndInOrder) {
  TJournal j;
  EXPECT_EQ(j.Find("\"старый мост\""), "1");
  EXPECT_EQ(j.Find("\"мост старый\""), "");
  EXPECT_EQ(j.Find("\"старый   МОСТ\" летал"), "1");
  EXPECT_EQ(j.Find("\"лес мост\""), "");  // a phrase never spans two fields
  EXPECT_EQ(j.Find("\"old bridge"), "3");  // an unclosed quote runs to the end
  EXPECT_EQ(ParseSearchQuery(Cp("А \"б  в\" Ё")), (std::vector<std::string>{Cp("а"), Cp("б в"), Cp("е")}));
}

TEST(SearchMatching, FoldsEveryCapitalOfTheCodePageToItsSmallLetter) {
  for (int c = 0xC0; c <= 0xDF; ++c) EXPECT_EQ(FoldByte(static_cast<unsigned char>(c)), c + 32) << c;
  EXPECT_EQ(FoldText(Cp("ЁёЕЙйQz")), Cp("еееййqz"));
  EXPECT_EQ(FoldText(Cp("ЇІЎЄҐ")), Cp("їіўєґ"));
  // Long texts fold sixteen bytes at a time: every byte, at every place in such a piece, as alone.
  std::string all;
  for (int round = 0; round < 17; ++round)
    for (int c = 0; c < 256; ++c) all += static_cast<char>((c * 7 + round) & 0xFF);
  const std::string folded = FoldText(all);
  ASSERT_EQ(folded.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(folded[i]), FoldByte(static_cast<unsigned char>(all[i]))) << i;
}

TEST(SearchMatching, TermsAreFoundAtEveryPlaceOfALongTextAndNearMissesAreNot) {
  // Sixteen places are compared at a time: the term at each place of such a piece, and texts that
  // hold only its first and last letters at the right distance.
  std::string xml = "<velmora><day name=\"d\">";
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const bool holds = i % 3 != 2;
    const std::string body = std::string(static_cast<std::size_t>(i), 'a') + (holds ? "ЗЕРКАЛО" : "ЗЕРКЕЛО") + std::string(static_cast<std::size_t>(i % 5), 'b');
    xml += "<experience number=\"" + std::to_string(i) + ",\" title=\"t\"><description>" + body + "</description></experience>";
    if (holds) expected += std::to_string(i) + ",";
  }
  xml += "</day></velmora>";
  TXMLParser doc;
  ASSERT_EQ(doc.LoadFromString("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n" + Cp(xml.c_str())), xrOk);
  const TJournalIndex index(*doc.Root);
  std::string numbers;
  for (const TSearchHit& hit : SearchDreams({&index}, ParseSearchQuery(Cp("зеркало")), {}))
    numbers += index.Dreams()[hit.Dream].Experience->GetAttribute("number");
  EXPECT_EQ(numbers, expected);
}

TEST(SearchFilters, EachAloneAndTogether) {
  TJournal j;
  TSearchFilter f;
  f.Labels[0] = lfYes;  // label1, or its older name luciddream
  EXPECT_EQ(j.Find("", f), "12");
  f.Labels[0] = lfNo;
  EXPECT_EQ(j.Find("", f), "34");
  f = {};
  f.Labels[3] = lfYes;
  EXPECT_EQ(j.Find("", f), "4");
  f = {};
  f.EnergyMin = 100;  // no energy level counts as 100
  EXPECT_EQ(j.Find("", f), "124");
  f.EnergyMin = 0;
  f.EnergyMax = 99;
  EXPECT_EQ(j.Find("", f), "3");
  f.EnergyMin = f.EnergyMax = 150;  // a range of one level holds that level
  EXPECT_EQ(j.Find("", f), "1");
  f = {};
  f.DateFrom = DayNumber(2000, 1, 1);  // a night whose name is not a date fails a date filter
  EXPECT_EQ(j.Find("", f), "12");
  f.DateFrom = DayNumber(1999, 6, 15);
  f.DateTo = DayNumber(1999, 6, 15);
  EXPECT_EQ(j.Find("", f), "3");
  f = {};
  f.Labels[0] = lfYes;
  f.Labels[1] = lfNo;
  f.EnergyMin = 120;
  f.DateTo = DayNumber(2003, 2, 1);
  EXPECT_EQ(j.Find("", f), "1");
  EXPECT_EQ(j.Find("город", f), "");
  f.Labels[1] = lfEither;
  EXPECT_EQ(j.Find("мост", f), "1");
}

TEST(SearchFilters, DayNamesAreDatesOnlyWhenTheyExist) {
  EXPECT_EQ(DayNumberOfName("01.01.70", 2026), 0);
  EXPECT_EQ(DayNumberOfName("01.01.00", 2026), DayNumber(2000, 1, 1));
  EXPECT_EQ(DayNumberOfName("29.02.00", 2026), DayNumber(2000, 2, 29));
  EXPECT_FALSE(DayNumberOfName("29.02.01"));
  EXPECT_FALSE(DayNumberOfName("1.1.2001"));
  EXPECT_FALSE(DayNumberOfName("aa.bb.cc"));
}

// A night is written down after it happened: a two-digit year is the latest one not after next
// year, wherever a night's name is read as a date.
TEST(SearchFilters, TwoDigitYearsAreTheLatestNotAfterNextYear) {
  EXPECT_EQ(FullYear(27, 2026), 2027);
  EXPECT_EQ(FullYear(28, 2026), 1928);
  EXPECT_EQ(FullYear(0, 2026), 2000);
  EXPECT_EQ(FullYear(99, 2026), 1999);
  EXPECT_EQ(FullYear(0, 2099), 2100);
  SetThisYear(2026);
  EXPECT_EQ(DayNumberOfName("03.12.69"), DayNumber(1969, 12, 3));
  SetThisYear(2080);  // "today" is the year the reading depends on
  EXPECT_EQ(DayNumberOfName("03.12.69"), DayNumber(2069, 12, 3));
  SetThisYear(0);
}

TEST(SearchResults, TypingOnRefinesAndSnippetsShowTheFirstMatch) {
  TJournal j;
  const std::vector<const TJournalIndex*> sources{j.Index.get()};
  const auto wide = ParseSearchQuery(Cp("мо"));
  const auto narrow = ParseSearchQuery(Cp("мост ле"));
  ASSERT_TRUE(QueryNarrows(wide, narrow));
  EXPECT_FALSE(QueryNarrows(narrow, wide));
  const auto refined = RefineSearch(sources, SearchDreams(sources, wide, {}), narrow);
  const auto fresh = SearchDreams(sources, narrow, {});
  ASSERT_EQ(refined.size(), fresh.size());
  for (std::size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(refined[i].Dream, fresh[i].Dream);

  const auto hits = SearchDreams(sources, ParseSearchQuery(Cp("летал МОСТ")), {});
  ASSERT_EQ(hits.size(), 1u);
  const TSnippet s = MakeSnippet(*j.Index, hits[0], 12);
  EXPECT_EQ(s.Field, TJournalIndex::sfDescription);
  EXPECT_EQ(s.Text.substr(s.MatchBegin, s.MatchLength), Cp("мост"));  // original case, earliest term
  EXPECT_EQ(s.Text, Cp("старый мост, потом"));  // cut at blanks
}
