#pragma once
// Spell checking in the work area's editors: the misspelt words of the name, the description and
// the comment (a dream's or a day's) underlined as they are typed; on a misspelt word's context
// menu, the dictionaries' corrections and adding the word to the user's own list. A correction is
// one edit of the editor, so it reaches the element through the editor's change handler as typing
// does, and one undo takes it back.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QString;
class TEditorPanel;
class TSpellChecker;
class TSpellHighlighter;

class TEditorSpelling : public QObject {
  Q_OBJECT
public:
  TEditorSpelling(TEditorPanel& panel, std::unique_ptr<TSpellChecker> checker);
  ~TEditorSpelling() override;

  // The context menu of `memo` at `pos` (viewport coordinates), or of `edit` at `pos`: for a
  // misspelt word there its corrections and "add to dictionary" above the usual entries. The
  // caller deletes it.
  QMenu* Menu(QPlainTextEdit* memo, QPoint pos);
  QMenu* Menu(QLineEdit* edit, QPoint pos);
  TSpellChecker& Checker() { return *FChecker; }
  // Checks every editor again, after the own list changed or the dictionaries were read.
  void Recheck();

private:
  struct THighlighted {
    QPlainTextEdit* Memo;
    QPointer<TSpellHighlighter> Highlighter;  // dies with the memo's document
  };
  void Rehighlight(const THighlighted& h);
  void Underline(QLineEdit* edit);
  // Puts the corrections of `word` (when `writable`) and "add to dictionary" at the top of `menu`.
  void AddWordActions(QMenu* menu, const QString& word, bool writable,
                      const std::function<void(const QString&)>& replace);
  void AddToDictionary(const QString& word);
  void WaitForDictionaries();

  TEditorPanel& FPanel;
  std::unique_ptr<TSpellChecker> FChecker;
  std::vector<THighlighted> FHighlighters;
};
