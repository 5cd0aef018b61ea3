#pragma once
// A date field that takes a date typed as people type one: a click selects the part (day, month,
// year) it lands on, so a digit replaces it rather than being refused; a part typed whole, or a
// separator (".", ",", "/", "-", blank), goes on to the next part, selected. QDateEdit alone keeps
// the caret after a full part and refuses every further digit until the part is deleted.
#include <QDateEdit>

class TDateField : public QDateEdit {
  Q_OBJECT
public:
  explicit TDateField(const QDate& date, QWidget* parent = nullptr);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // A click in the text reaches the field's line edit.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void SelectPart();
  void NextPart();
};
