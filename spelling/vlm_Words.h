#pragma once
// The words of a text worth checking: runs of letters (Cyrillic and Ё included) joined by inner
// apostrophes and hyphens. Left out: single letters, anything with a digit in it, and short words
// in capitals (abbreviations).
#include <QString>
#include <vector>

struct TWordSpan {
  qsizetype Start = 0;
  qsizetype Length = 0;
  qsizetype End() const { return Start + Length; }
};

std::vector<TWordSpan> WordsToCheck(const QString& text);
// The word to check that holds position `position` (its ends included); Length 0 when none.
TWordSpan WordAt(const QString& text, qsizetype position);
