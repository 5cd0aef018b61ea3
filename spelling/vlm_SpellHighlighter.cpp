#include "vlm_SpellHighlighter.h"

#include "vlm_SpellChecker.h"
#include "vlm_Words.h"

TSpellHighlighter::TSpellHighlighter(TSpellChecker& checker, QTextDocument* document)
    : QSyntaxHighlighter(document), FChecker(checker), FFormat(MisspeltFormat()) {}

QTextCharFormat TSpellHighlighter::MisspeltFormat() {
  QTextCharFormat format;
  format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
  format.setUnderlineColor(Qt::red);
  return format;
}

void TSpellHighlighter::highlightBlock(const QString& text) {
  // Typing never waits for the dictionaries: until they are read nothing is underlined.
  if (!FChecker.Ready()) return;
  for (const TWordSpan& w : WordsToCheck(text))
    if (!FChecker.Check(text.mid(w.Start, w.Length)))
      setFormat(static_cast<int>(w.Start), static_cast<int>(w.Length), FFormat);
}
