// The search panel's search by word forms over a journal's search index.
#include <gtest/gtest.h>

#include "insights_journal.h"
#include "vlm_Search.h"
#include "vlm_WordSearch.h"

namespace {

struct WordSearch : ::testing::Test {
  TTestJournal Journal{JournalXml({{"01.01.20", "Рыжий кот спал на крыше", 1},
                                   {"02.01.20", "Видел кота у моря, кто-то летал", 0},
                                   {"03.01.20", "Человек, который летал", 1},
                                   {"04.01.20", "Я хотел летать. Котёнок", 0},
                                   {"05.01.20", "Happy dogs", 0},
                                   {"06.01.20", "Кот-то", 0}})};
  TJournalIndex Index{Journal.Root()};

  // The numbers of the dreams found (in order), and the first match of each in brackets.
  std::string Find(const char* query, const TSearchFilter& filter = {}) {
    TWordSearch search(Cp(query));
    std::string found;
    for (const TSearchHit& hit : search.Search({&Index}, filter)) {
      found += std::to_string(hit.Dream + 1);
      const TSnippet snippet = MakeSnippet(Index, hit, 100);
      found += "[" + Cp1251ToUtf8(snippet.Text.substr(snippet.MatchBegin, snippet.MatchLength)) + "]";
    }
    return found;
  }
};

TEST_F(WordSearch, AWordFindsItsFormsAPrefixItsBeginningsAQuotedWordItself) {
  EXPECT_EQ(Find("кот"), "1[кот]2[кота]");  // not "который", "Котёнок", nor the joined "Кот-то"
  EXPECT_EQ(Find("летать"), "2[летал]3[летал]4[летать]");
  EXPECT_EQ(Find("кот*"), "1[кот]2[кота]3[который]4[Котёнок]6[Кот-то]");
  EXPECT_EQ(Find("\"кота\""), "2[кота]");
  EXPECT_EQ(Find("\"кот\""), "1[кот]");
  EXPECT_EQ(Find("котенок"), "4[Котёнок]");  // ё read as е
  EXPECT_EQ(Find("то"), "");                  // the end of "кто-то" is no word of its own
  EXPECT_EQ(Find("happiness dog"), "5[Happy]");  // English forms whose stem changes a letter
}

TEST_F(WordSearch, PhrasesWordsInAnyOrderAndFilters) {
  EXPECT_EQ(Find("\"рыжего кот\""), "");
  EXPECT_EQ(Find("\"рыжий кот\""), "1[Рыжий кот]");
  EXPECT_EQ(Find("\"сон рыжий\""), "");  // not from the title ("Сон") on into the description
  EXPECT_EQ(Find("летал кот"), "2[кота]");  // every word, in any order, the earliest match shown
  TSearchFilter lucid;
  lucid.Labels[0] = lfYes;
  EXPECT_EQ(Find("кот", lucid), "1[кот]");
  EXPECT_EQ(Find("", lucid), "1[]3[]");
}

TEST_F(WordSearch, TypingOnRefinesOnlyWhatCannotFindMore) {
  EXPECT_TRUE(TWordSearch(Cp("ко*")).Narrows(TWordSearch(Cp("кот* мост"))));
  EXPECT_TRUE(TWordSearch(Cp("ко*")).Narrows(TWordSearch(Cp("\"кота\""))));
  EXPECT_TRUE(TWordSearch(Cp("кот")).Narrows(TWordSearch(Cp("мост кот"))));
  EXPECT_FALSE(TWordSearch(Cp("ко")).Narrows(TWordSearch(Cp("кот"))));  // forms of another word
  EXPECT_FALSE(TWordSearch(Cp("кот*")).Narrows(TWordSearch(Cp("ко*"))));
  TWordSearch wide(Cp("ко*"));
  const auto previous = wide.Search({&Index}, {});
  EXPECT_EQ(TWordSearch(Cp("кота*")).Refine({&Index}, previous).size(), 1u);
}

}  // namespace
