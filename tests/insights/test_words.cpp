// Words of a dream's text: where they are, their word forms by Snowball's stemmers, stop words.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "insights_journal.h"
#include "vlm_Lexicon.h"
#include "vlm_Words.h"

namespace {

std::vector<std::string> Words(const std::string& utf8) {
  const std::string text = Cp(utf8);
  std::vector<std::string> words;
  ForEachWord(text, [&](std::size_t b, std::size_t e) { words.push_back(Cp1251ToUtf8(text.substr(b, e - b))); });
  return words;
}

std::string Stem(TStemmer& stemmer, const std::string& utf8) { return Cp1251ToUtf8(StemOf(stemmer, Cp(utf8))); }

TEST(InsightsWords, SplitsAtBlanksAndPunctuationAndKeepsInnerHyphens) {
  EXPECT_EQ(Words("Кто-то шёл, 2-й раз; don't stop - mp3 -- ЁЖ- x'"),
            (std::vector<std::string>{"Кто-то", "шёл", "2-й", "раз", "don't", "stop", "mp3", "ЁЖ", "x"}));
  EXPECT_EQ(Words("Ґанок «їжак»—Ўзбек"), (std::vector<std::string>{"Ґанок", "їжак", "Ўзбек"}));
}

// The words the index finds sixteen bytes at a time are those the plain reading finds.
TEST(InsightsWords, TheFastTokenizerAgreesWithThePlainOne) {
  const unsigned char alphabet[] = {'a', 'Z', 'q', '1', '0', '-', '-', '\'', ' ', ' ', '.', 0,   0xE0, 0xFF,
                                    0xC0, 0xDF, 0xA8, 0xB8, 0xAB, 0x97, 0xBF, 0xA5, 0x80, 0x98, 0xA0, 0xB9};
  std::uint64_t state = 7;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    state = state * 6364136223846793005ULL + 1;
    const std::size_t length = (state >> 33) % 200;
    for (std::size_t i = 0; i < length; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      text += static_cast<char>(alphabet[(state >> 33) % sizeof alphabet]);
    }
    std::vector<std::uint32_t> plain, fast;
    ForEachWord(text, [&](std::size_t b, std::size_t e) {
      plain.push_back(static_cast<std::uint32_t>(b));
      plain.push_back(static_cast<std::uint32_t>(e));
    });
    std::string lowered(text.size(), '\0');
    LowerInto(lowered.data(), text.data(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i) ASSERT_EQ(lowered[i], static_cast<char>(kLower[static_cast<unsigned char>(text[i])]));
    FindWords(lowered, fast);
    ASSERT_EQ(fast, plain) << round;
  }
}

TEST(InsightsWords, RussianFormsShareTheirStem) {
  TStemmer stemmer;
  for (const char* form : {"кот", "Кота", "КОТУ", "коте", "котом"}) EXPECT_EQ(Stem(stemmer, form), "кот") << form;
  EXPECT_NE(Stem(stemmer, "который"), "кот");
  EXPECT_EQ(Stem(stemmer, "летать"), Stem(stemmer, "летал"));
  EXPECT_EQ(Stem(stemmer, "летала"), Stem(stemmer, "Летали"));
  EXPECT_EQ(Stem(stemmer, "экзамены"), Stem(stemmer, "экзамена"));
}

TEST(InsightsWords, YoIsReadAsYe) {
  TStemmer stemmer;
  EXPECT_EQ(Stem(stemmer, "ПОЛЁТ"), Stem(stemmer, "полет"));
  EXPECT_EQ(Stem(stemmer, "ёлки"), Stem(stemmer, "елка"));
  EXPECT_EQ(Stem(stemmer, "шёл"), "шел");
}

TEST(InsightsWords, EnglishFormsShareTheirStem) {
  TStemmer stemmer;
  EXPECT_EQ(Stem(stemmer, "Running"), "run");
  EXPECT_EQ(Stem(stemmer, "runs"), "run");
  EXPECT_EQ(Stem(stemmer, "dreaming"), Stem(stemmer, "dreams"));
}

TEST(InsightsWords, MixedAndOtherWordsAreTheirOwnStem) {
  TStemmer stemmer;
  EXPECT_EQ(Stem(stemmer, "mp3"), "mp3");
  EXPECT_EQ(Stem(stemmer, "котcat"), "котcat");
  EXPECT_EQ(Stem(stemmer, "їжаки"), "їжаки");
}

TEST(InsightsWords, LexiconInternsOnceAndLeavesStopWordsAndNumbersOutOfThemes) {
  TLexicon lexicon;
  const std::uint32_t kota = lexicon.Intern(Cp("кота"));
  EXPECT_EQ(lexicon.Intern(Cp("кота")), kota);
  EXPECT_EQ(lexicon.StemOf(lexicon.Intern(Cp("коту"))), lexicon.StemOf(kota));
  EXPECT_NE(lexicon.StemOf(lexicon.Intern(Cp("который"))), lexicon.StemOf(kota));
  EXPECT_TRUE(lexicon.Countable(kota));
  EXPECT_FALSE(lexicon.Countable(lexicon.Intern(Cp("который"))));
  EXPECT_FALSE(lexicon.Countable(lexicon.Intern(Cp("её"))));
  EXPECT_FALSE(lexicon.Countable(lexicon.Intern("the")));
  EXPECT_FALSE(lexicon.Countable(lexicon.Intern("2010")));
  // Enough words to grow the table several times: each keeps its id and spelling.
  std::vector<std::uint32_t> ids;
  for (int i = 0; i < 5000; ++i) ids.push_back(lexicon.Intern("w" + std::to_string(i)));
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(lexicon.FindWord("w" + std::to_string(i)), ids[static_cast<std::size_t>(i)]);
    ASSERT_EQ(lexicon.Word(ids[static_cast<std::size_t>(i)]), "w" + std::to_string(i));
  }
}

}  // namespace
