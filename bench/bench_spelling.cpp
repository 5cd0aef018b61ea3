// Spell checking a 2,000-word description, one paragraph as descriptions are read back:
//   Show:       a fresh checker (dictionaries read, nothing remembered) underlines the whole text,
//               as when a dream is first shown; about one word in ten is misspelt.
//   ShowAgain:  the same text shown again by the same checker (words remembered).
//   Keystroke:  one letter typed in the middle of the paragraph: the paragraph checked again.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QSet>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "offscreen_main.h"
#include "vlm_SpellChecker.h"
#include "vlm_SpellHighlighter.h"
#include "vlm_Words.h"

namespace {

constexpr int kWords = 2000;

const char* const kStems[] = {
    "сон", "ночь", "город", "дом", "море", "небо", "лес", "дорога", "окно", "свет", "тень", "мост", "река",
    "поезд", "старый", "тёмный", "светлый", "высокий", "тихий", "странный", "знакомый", "далёкий", "летал",
    "шёл", "видел", "слышал", "искал", "нашёл", "открыл", "стоял", "ждал", "вспомнил", "над", "под", "через",
    "вдоль", "около", "потом", "вдруг", "снова", "медленно", "быстро", "долго", "почти", "но", "когда",
    "где", "мы", "они", "друг", "сестра", "учитель", "кошка", "птица", "облако", "лестница", "комната",
    "дверь", "ключ", "зеркало", "голос", "музыка", "вода", "крыша", "улица", "площадь", "сад", "поле", "гора",
    "берег", "лодка", "письмо", "книга", "часы", "утро", "вечер", "зима", "лето", "дождь", "снег", "ветер",
    "приснилось", "проснулся", "незнакомый", "огромный", "бежал", "кричал", "падал", "взлетел", "dream", "house"};

// Deterministic prose of many different words, as real writing has: half the words take one of
// eight endings (right or not), and one in ten has two letters swapped (misspelt).
QString Description() {
  std::uint64_t state = 2026;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33);
  };
  QString text;
  for (int i = 0; i < kWords; ++i) {
    static const char* const endings[] = {"а", "у", "ом", "ами", "ах", "ой", "ые", "ого"};
    QString w = QString::fromUtf8(kStems[next() % std::size(kStems)]);
    if (next() % 2 == 0) w += QString::fromUtf8(endings[next() % std::size(endings)]);
    if (next() % 10 == 0 && w.size() > 3) {
      const qsizetype at = 1 + static_cast<qsizetype>(next() % static_cast<std::uint32_t>(w.size() - 2));
      const QChar c = w[at];
      w[at] = w[at + 1];
      w[at + 1] = c;
    }
    text += w;
    text += (i % 12 == 11) ? QStringLiteral(". ") : QStringLiteral(" ");
  }
  return text;
}

bool Ready(benchmark::State& state, TSpellChecker& checker) {
  if (checker.Available()) return true;
  state.SkipWithError("no Hunspell dictionary installed");
  return false;
}

void BM_Show(benchmark::State& state) {
  const QString text = Description();
  for (auto _ : state) {
    state.PauseTiming();
    TSpellChecker checker(QString{});
    if (!Ready(state, checker)) break;
    QTextDocument document;
    document.setPlainText(text);
    TSpellHighlighter highlighter(checker, &document);
    state.ResumeTiming();
    highlighter.rehighlight();
  }
  TSpellChecker checker(QString{});
  if (!checker.Available()) return;
  QSet<QString> distinct;
  int misspelt = 0;
  for (const TWordSpan& w : WordsToCheck(text)) {
    distinct.insert(text.mid(w.Start, w.Length));
    misspelt += checker.Check(text.mid(w.Start, w.Length)) ? 0 : 1;
  }
  state.counters["words"] = static_cast<double>(WordsToCheck(text).size());
  state.counters["distinct"] = static_cast<double>(distinct.size());
  state.counters["misspelt"] = misspelt;
}

void BM_ShowAgain(benchmark::State& state) {
  const QString text = Description();
  TSpellChecker checker(QString{});
  if (!Ready(state, checker)) return;
  QTextDocument document;
  TSpellHighlighter highlighter(checker, &document);
  document.setPlainText(text);
  highlighter.rehighlight();
  for (auto _ : state) {
    document.setPlainText(text);
    highlighter.rehighlight();
  }
}

void BM_Keystroke(benchmark::State& state) {
  TSpellChecker checker(QString{});
  if (!Ready(state, checker)) return;
  QTextDocument document;
  TSpellHighlighter highlighter(checker, &document);
  document.setPlainText(Description());
  highlighter.rehighlight();
  QTextCursor cursor(&document);
  cursor.setPosition(document.characterCount() / 2);
  for (auto _ : state) cursor.insertText(QStringLiteral("м"));  // the highlighter follows the change
}

}  // namespace

BENCHMARK(BM_Show)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_ShowAgain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return RunOffscreen<QGuiApplication>(argc, argv); }
