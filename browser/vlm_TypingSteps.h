#pragma once
// Where a step of the undo history begins while the user types into the editors' text fields, as
// in the editors people know. An edit continues the step of the edit before it only when it types
// or deletes one character where the last edit ended, less than a pause after it, without the
// field losing the focus meanwhile. A new step begins when a selection is replaced or deleted
// (undone, it gives the selected text back exactly), on a paste or any other insertion of more
// than one character (a step of its own), when a word begins after a blank or a line break, after
// a pause in typing, after the field lost the focus, and after another entry was shown.
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "vlm_Library.h"  // TTextStep

class QWidget;

class TTypingSteps : public QObject {
public:
  explicit TTypingSteps(QObject* parent = nullptr);

  // Follows the user's edits of `field`, a QLineEdit or a QPlainTextEdit.
  void Watch(QWidget* field);
  // The fields' texts as shown now are where the next edits are measured from, each in a step of
  // its own (another entry is shown, or the same one shown again after a step was taken back).
  void Restart();
  // `field` has just been edited by the user: whether the edit continues the step of the last one.
  TTextStep Edited(QWidget* field);

  // Milliseconds of a steady clock, and the pause after which typing begins a new step; both
  // replaceable (tests, which never wait a second).
  std::function<qint64()> Now;
  qint64 PauseMs = 1000;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct TField {
    QWidget* Widget = nullptr;
    QString Text;          // as of the last edit (or Restart)
    int Caret = 0;         // where the last edit ended
    qint64 At = 0;         // when
    bool Open = false;     // the next edit may continue the last one's step
    bool Selected = false;  // text was selected just before the event under way
  };
  TField* FieldOf(const QObject* object);

  std::vector<TField> FFields;
};
