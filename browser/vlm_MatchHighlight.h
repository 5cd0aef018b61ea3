#pragma once
// The matches of the search marked in the editors of the dream a result opened: in its title,
// description and comment, wherever a term of the query stands (case and Ё folded as the search
// folds them), kept up as the texts change, until the search is cleared or another entry is shown.
// Only paints: the texts and their undo history stay as they are.
#include <QObject>
#include <QTextCharFormat>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;

class TMatchHighlight : public QObject {
public:
  TMatchHighlight(QLineEdit* title, QPlainTextEdit* description, QPlainTextEdit* comment, QObject* parent);
  // Marks the matches of `terms` (folded Windows-1251, as ParseSearchQuery gives them) while the
  // editors show `shown`; no terms clear the marks.
  void Show(const std::vector<std::string>& terms, const void* shown);
  void Clear() { Show({}, nullptr); }
  // What the marks are for, or none.
  const void* Shown() const { return FShown; }
  // Where `terms` stand in `text`: (start, length) pairs in characters, in order, not overlapping.
  static std::vector<std::pair<int, int>> Matches(const QString& text, const std::vector<std::string>& terms);
  static QTextCharFormat MatchFormat();

private:
  void Mark();

  QLineEdit* FTitle;
  QPlainTextEdit* FMemos[2];
  std::vector<std::string> FTerms;
  const void* FShown = nullptr;
  bool FMarked = false;  // marks may be shown
};
