#pragma once
// The matches of the search marked in the editors of the dream a result opened: in its title,
// description and comment, wherever a term of the query is found (the word in any of its forms,
// a prefix's words, a quoted word or phrase, as the search finds them), kept up as the texts change, until the search is cleared or another entry is shown.
// Only paints: the texts and their undo history stay as they are.
#include <QObject>
#include <QTextCharFormat>
#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class TWordQuery;

class TMatchHighlight : public QObject {
public:
  TMatchHighlight(QLineEdit* title, QPlainTextEdit* description, QPlainTextEdit* comment, QObject* parent);
  ~TMatchHighlight() override;
  // Marks the matches of `query` (Windows-1251, as typed into the search) while the editors show
  // `shown`; a query without terms clears the marks.
  void Show(const std::string& query, const void* shown);
  void Clear() { Show({}, nullptr); }
  // What the marks are for, or none.
  const void* Shown() const { return FShown; }
  // Where the query's terms stand in `text`: (start, length) pairs in characters, in order, not overlapping.
  static std::vector<std::pair<int, int>> Matches(const QString& text, TWordQuery& query);
  static QTextCharFormat MatchFormat();

private:
  void Mark();

  QLineEdit* FTitle;
  QPlainTextEdit* FMemos[2];
  std::unique_ptr<TWordQuery> FQuery;  // none while nothing is marked
  const void* FShown = nullptr;
  bool FMarked = false;  // marks may be shown
};
