#include "vlm_DialogKeys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

bool HandleDialogKey(QDialog* dialog, QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      return true;
    case Qt::Key_Enter:
    case Qt::Key_Return:
      if (auto* button = qobject_cast<QPushButton*>(dialog->focusWidget()); button && button->isEnabled())
        button->click();
      event->accept();
      return true;
    default:
      return false;
  }
}
