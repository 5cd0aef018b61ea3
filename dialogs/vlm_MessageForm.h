#pragma once
// A message box in the look of the program's own dialogs (TCaptionedDialog): its own caption and
// no frame of the window manager's, where QMessageBox gets minimise and maximise buttons from one
// and no caption at all without one. A picture for the kind of message, the text, and a row of
// push buttons below it; the box is sized to them.
#include <QMessageBox>
#include <vector>

#include "vlm_CaptionedDialog.h"

class Tfrm_Message : public TCaptionedDialog {
  Q_OBJECT
public:
  // `icon`: the picture of QMessageBox for Information, Warning, Critical or Question.
  Tfrm_Message(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent = nullptr);

  // A button at the end of the row; any of them closes the box.
  QPushButton* AddButton(const QString& caption);
  // The button focused when the box opens (Enter presses the focused one); the first by default.
  void SetDefaultButton(QPushButton* button) { FDefault = button; }
  // The button Escape presses; without one Escape does nothing.
  void SetEscapeButton(QPushButton* button) { FEscape = button; }
  // The button that closed the box, or null when it was closed otherwise.
  QPushButton* ClickedButton() const { return FClicked; }

  // The question before an existing `file` is replaced by a new journal: "Да", or "Нет" (focused,
  // and Escape). True for "Да".
  static bool AskReplaceFile(QWidget* parent, const QString& file);

  QLabel* img_Icon = nullptr;
  QLabel* lbl_Text = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Arrange();

  std::vector<QPushButton*> FButtons;
  QPushButton* FDefault = nullptr;
  QPushButton* FEscape = nullptr;
  QPushButton* FClicked = nullptr;
};
