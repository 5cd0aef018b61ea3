#include "vlm_TypingSteps.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

namespace {
QString TextOf(const QWidget* field) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->text();
  return static_cast<const QPlainTextEdit*>(field)->toPlainText();
}

// Positions in a memo's document are those of its plain text: one per UTF-16 unit and line end.
int CaretOf(const QWidget* field) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->cursorPosition();
  return static_cast<const QPlainTextEdit*>(field)->textCursor().position();
}

bool HasSelection(const QWidget* field) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->hasSelectedText();
  return static_cast<const QPlainTextEdit*>(field)->textCursor().hasSelection();
}

bool Blank(QChar c) { return c.isSpace() || c == QChar::ParagraphSeparator; }

// The events through which a user changes a field's text (the keyboard, an input method, the
// mouse's paste and drop, the context menu's actions): the selection is read just before them.
bool UserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}
}  // namespace

TTypingSteps::TTypingSteps(QObject* parent) : QObject(parent) {
  Now = [] {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
  };
}

void TTypingSteps::Watch(QWidget* field) {
  TField watched;
  watched.Widget = field;
  watched.Text = TextOf(field);
  FFields.push_back(watched);
  field->installEventFilter(this);
  // A memo's mouse events go to its viewport.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(field)) area->viewport()->installEventFilter(this);
}

void TTypingSteps::Restart() {
  for (TField& field : FFields) {
    field.Text = TextOf(field.Widget);
    field.Caret = CaretOf(field.Widget);
    field.Open = false;
  }
}

TTypingSteps::TField* TTypingSteps::FieldOf(const QObject* object) {
  for (TField& field : FFields)
    if (field.Widget == object || (field.Widget && field.Widget->isAncestorOf(qobject_cast<const QWidget*>(object))))
      return &field;
  return nullptr;
}

bool TTypingSteps::eventFilter(QObject* watched, QEvent* event) {
  if (TField* field = FieldOf(watched)) {
    if (UserInput(event->type())) field->Selected = HasSelection(field->Widget);
    if (event->type() == QEvent::FocusOut) field->Open = false;
  }
  return QObject::eventFilter(watched, event);
}

TTextStep TTypingSteps::Edited(QWidget* widget) {
  TField* field = FieldOf(widget);
  if (!field) return tsNewStep;
  const QString text = TextOf(widget);
  const int caret = CaretOf(widget);
  const qint64 now = Now();
  // What changed: the text between the common beginning and the common end.
  const QString& old = field->Text;
  const qsizetype shorter = std::min(old.size(), text.size());
  qsizetype same = 0;
  while (same < shorter && old[same] == text[same]) ++same;
  qsizetype sameEnd = 0;
  while (sameEnd < shorter - same && old[old.size() - 1 - sameEnd] == text[text.size() - 1 - sameEnd]) ++sameEnd;
  const qsizetype removed = old.size() - same - sameEnd, added = text.size() - same - sameEnd;

  const bool oneCharacter = removed + added == 1;
  bool continues = field->Open && !field->Selected && oneCharacter && now - field->At < PauseMs;
  if (continues) {
    // Typed or deleted where the last edit ended (the caret did not move elsewhere meanwhile).
    const int start = caret - static_cast<int>(added);
    continues = start <= field->Caret && field->Caret <= start + static_cast<int>(removed);
    // A word begun after a blank or a line break.
    if (continues && added == 1 && start > 0 && start < text.size() && !Blank(text[start]) && Blank(text[start - 1]))
      continues = false;
  }
  // Typing on continues a selection replaced by a letter; a paste or a deletion of more stands alone.
  field->Open = oneCharacter || (added == 1 && field->Selected);
  field->Selected = false;
  field->Text = text;
  field->Caret = caret;
  field->At = now;
  return continues ? tsContinue : tsNewStep;
}
