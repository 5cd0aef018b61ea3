// The spell checker on a text document: what is underlined, and the user's own words kept across
// runs. Skipped where no Hunspell dictionary is installed (the build set-up installs them).
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "vlm_SpellChecker.h"
#include "vlm_SpellHighlighter.h"
#include "vlm_Words.h"

namespace {

// The words of `document` drawn with the misspelt underline, in order.
QStringList Underlined(const QTextDocument& document) {
  QStringList words;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
    for (const QTextLayout::FormatRange& r : b.layout()->formats())
      if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline) words << b.text().mid(r.start, r.length);
  return words;
}

class SpellingTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!TSpellChecker::DictionaryPresent()) GTEST_SKIP() << "no Hunspell dictionary installed";
  }
  QString Personal() const { return Dir.filePath(QStringLiteral("words.dic")); }
  void WritePersonal(const QByteArray& bytes) const {
    QFile file(Personal());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadPersonal() const {
    QFile file(Personal());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QTemporaryDir Dir;
};

TEST_F(SpellingTest, MisspeltWordsAreUnderlinedAndRightOnesNot) {
  TSpellChecker checker(Personal());
  ASSERT_TRUE(checker.Available());
  QTextDocument document;
  TSpellHighlighter highlighter(checker, &document);
  // Right: both spellings of ё, a hyphenated word, capitals at a sentence's start and throughout,
  // English. Left alone: abbreviations, words with digits, single letters.
  document.setPlainText(QStringLiteral("Ёжик ещё кто-то видел во сне МОСКВУ, МГУ и 3D-кино. Мне приснилсь\n"
                                       "a dream about the sea and a shipp; ёлка и елка, don't"));
  highlighter.rehighlight();  // a new highlighter's first pass waits for the event loop
  EXPECT_EQ(Underlined(document), QStringList({QStringLiteral("приснилсь"), QStringLiteral("shipp")}));
  EXPECT_TRUE(checker.Suggest(QStringLiteral("приснилсь")).contains(QStringLiteral("приснилось")));
}

TEST_F(SpellingTest, AnAddedWordIsRightAndKeptForTheNextRun) {
  WritePersonal("Снолёт\n");
  {
    TSpellChecker checker(Personal());
    ASSERT_TRUE(checker.Available());
    QTextDocument document;
    TSpellHighlighter highlighter(checker, &document);
    document.setPlainText(QStringLiteral("Снолёт и Велморка"));
    highlighter.rehighlight();
    EXPECT_EQ(Underlined(document), QStringList({QStringLiteral("Велморка")}));
    EXPECT_TRUE(checker.AddWord(QStringLiteral("Велморка")));
    highlighter.rehighlight();
    EXPECT_TRUE(Underlined(document).isEmpty());
  }
  EXPECT_EQ(ReadPersonal(), QStringLiteral("Снолёт\nВелморка\n").toUtf8());
  TSpellChecker again(Personal());
  EXPECT_TRUE(again.Check(QStringLiteral("Велморка")));
  EXPECT_FALSE(again.Check(QStringLiteral("велморка")));  // a name stays a name
  EXPECT_FALSE(again.Check(QStringLiteral("Велморко")));
}

TEST_F(SpellingTest, AListNotReadWholeIsNeverWrittenOver) {
  const QByteArray broken("Снолёт\n\xff\xfe broken\n");
  WritePersonal(broken);
  TSpellChecker checker(Personal());
  ASSERT_TRUE(checker.Available());
  EXPECT_FALSE(checker.AddWord(QStringLiteral("Велморка")));
  EXPECT_FALSE(checker.Failure().isEmpty());
  EXPECT_TRUE(checker.Check(QStringLiteral("Велморка")));  // known for this run all the same
  EXPECT_EQ(ReadPersonal(), broken);
}

// A dictionary of its own, so that what is right does not depend on the installed ones: "елка"
// without ё, the parts of a hyphenated word but not the whole.
class OwnDictionaryTest : public SpellingTest {
protected:
  void SetUp() override {
    SpellingTest::SetUp();
    if (IsSkipped()) return;
    Write(QStringLiteral("xx_XX.aff"), "SET UTF-8\n");
    Write(QStringLiteral("xx_XX.dic"), "4\nелка\nсеро\nсиний\nприснилось\n");
  }
  void Write(const QString& name, const QByteArray& bytes) const {
    QFile file(Dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
};

TEST_F(OwnDictionaryTest, YoIsEAndAHyphenatedWordIsCheckedPartByPart) {
  TSpellChecker checker(Personal(), {Dir.path()}, {QStringLiteral("xx_XX")});
  ASSERT_TRUE(checker.Available());
  EXPECT_TRUE(checker.Check(QStringLiteral("ёлка")));
  EXPECT_TRUE(checker.Check(QStringLiteral("серо-синий")));
  EXPECT_FALSE(checker.Check(QStringLiteral("серо-синяй")));
  EXPECT_FALSE(checker.Check(QStringLiteral("сера-синий")));
}

TEST_F(OwnDictionaryTest, AWordOfTheOwnListIsRightCapitalised) {
  WritePersonal("снолёт\n");
  TSpellChecker checker(Personal(), {Dir.path()}, {QStringLiteral("xx_XX")});
  ASSERT_TRUE(checker.Available());
  EXPECT_TRUE(checker.Check(QStringLiteral("Снолёт")));  // at a sentence's start
  EXPECT_FALSE(checker.Check(QStringLiteral("Снолот")));
}

// Short words in capitals are abbreviations and left alone; a long one is checked like any word.
TEST(SpellingWords, ALongWordInCapitalsIsChecked) {
  const QString text = QStringLiteral("МГУ ПРИСНИЛСЬ");
  const std::vector<TWordSpan> words = WordsToCheck(text);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_EQ(text.mid(words[0].Start, words[0].Length), QStringLiteral("ПРИСНИЛСЬ"));
}

}  // namespace
