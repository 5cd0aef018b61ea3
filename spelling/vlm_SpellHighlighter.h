#pragma once
// Underlines the misspelt words of a text document with a red wavy line, paragraph by paragraph
// as Qt asks (a keystroke re-checks its own paragraph only, from the checker's memory). Nothing is
// underlined while the dictionaries are still being read: rehighlight() once they are.
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class TSpellChecker;

class TSpellHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
public:
  TSpellHighlighter(TSpellChecker& checker, QTextDocument* document);
  // The format of a misspelt word.
  static QTextCharFormat MisspeltFormat();

protected:
  void highlightBlock(const QString& text) override;

private:
  TSpellChecker& FChecker;
  QTextCharFormat FFormat;
};
