#include "vlm_Words.h"

namespace {

constexpr qsizetype kLongestAbbreviation = 4;

bool Joiner(QChar c) { return c == QLatin1Char('\'') || c == QChar(0x2019) || c == QLatin1Char('-'); }
bool WordChar(QChar c) { return c.isLetterOrNumber() || c.isMark(); }

bool WorthChecking(const QString& text, qsizetype start, qsizetype length) {
  if (length < 2) return false;
  bool lower = false;
  for (qsizetype i = start; i < start + length; ++i) {
    const QChar c = text.at(i);
    if (c.isDigit() || c.isNumber()) return false;
    if (c.isLower()) lower = true;
  }
  return lower || length > kLongestAbbreviation;
}

}  // namespace

std::vector<TWordSpan> WordsToCheck(const QString& text) {
  std::vector<TWordSpan> words;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    if (!WordChar(text.at(i))) {
      ++i;
      continue;
    }
    const qsizetype start = i;
    while (i < n && (WordChar(text.at(i)) || (Joiner(text.at(i)) && i + 1 < n && WordChar(text.at(i + 1)) && i > start)))
      ++i;
    if (WorthChecking(text, start, i - start)) words.push_back({start, i - start});
  }
  return words;
}

TWordSpan WordAt(const QString& text, qsizetype position) {
  for (const TWordSpan& w : WordsToCheck(text))
    if (w.Start <= position && position <= w.End()) return w;
  return {};
}
