#include "vlm_DateField.h"

#include <QKeyEvent>
#include <QLineEdit>

TDateField::TDateField(const QDate& date, QWidget* parent) : QDateEdit(date, parent) {
  lineEdit()->installEventFilter(this);
}

void TDateField::SelectPart() { setSelectedSection(currentSection()); }

void TDateField::NextPart() {
  if (currentSectionIndex() + 1 < sectionCount()) setCurrentSectionIndex(currentSectionIndex() + 1);
  SelectPart();
}

void TDateField::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (text.size() == 1 && QStringLiteral(".,/- ").contains(text[0])) {
    // Ending a part; after a digit that left no other choice (a 7 for a day) the field is on the
    // next part already, all of it selected.
    if (lineEdit()->selectedText() != sectionText(currentSection())) NextPart();
    return;
  }
  QDateEdit::keyPressEvent(event);
  if (text.size() != 1 || !text[0].isDigit()) return;
  // A part full (two digits, four for the year) with nothing selected: the next digit is the next part's.
  const int full = currentSection() == YearSection ? 4 : 2;
  if (sectionText(currentSection()).size() >= full && !lineEdit()->hasSelectedText()) NextPart();
}

void TDateField::focusInEvent(QFocusEvent* event) {
  QDateEdit::focusInEvent(event);
  if (!lineEdit()->hasSelectedText()) SelectPart();
}

bool TDateField::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
    lineEdit()->event(event);  // the caret where the click put it first
    if (!lineEdit()->hasSelectedText()) SelectPart();  // a drag that selected text keeps it
    return true;
  }
  return QDateEdit::eventFilter(watched, event);
}
