#include "vlm_CaptionedDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

TCaptionedDialog::TCaptionedDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  lbl_Caption = new QLabel(this);
  lbl_Caption->setIndent(6);
  lbl_Caption->setAutoFillBackground(true);
  lbl_Caption->setBackgroundRole(QPalette::Highlight);
  lbl_Caption->setForegroundRole(QPalette::HighlightedText);
  lbl_Caption->installEventFilter(this);
  UpdateCaptionFont();
  pnl_Client = new QWidget(this);
}

void TCaptionedDialog::SetClientSize(int width, int height) {
  setFixedSize(width + 2 * kBorderWidth, kCaptionHeight + height + 2 * kBorderWidth);
  lbl_Caption->setGeometry(kBorderWidth, kBorderWidth, width, kCaptionHeight);
  pnl_Client->setGeometry(kBorderWidth, kBorderWidth + kCaptionHeight, width, height);
}

QPushButton* TCaptionedDialog::AddPushButton(const QString& caption, const QRect& place) {
  auto* button = new QPushButton(caption, pnl_Client);
  button->setGeometry(place);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

void TCaptionedDialog::UpdateCaptionFont() {
  QFont bold = font();
  bold.setBold(true);
  lbl_Caption->setFont(bold);
}

void TCaptionedDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) lbl_Caption->setText(windowTitle());
  // The caption's bold font is set on it explicitly, so it does not follow the dialog's by itself.
  if (event->type() == QEvent::FontChange) UpdateCaptionFont();
  QDialog::changeEvent(event);
}

void TCaptionedDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TCaptionedDialog::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool mouseEvent = type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
  if (watched != lbl_Caption || !mouseEvent) return QDialog::eventFilter(watched, event);
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (type) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) break;
      // The window manager moves the window where it can; otherwise the dialog follows the mouse.
      if (windowHandle() && windowHandle()->startSystemMove()) return true;
      FDragging = true;
      FDragOffset = mouse->globalPosition().toPoint() - pos();
      return true;
    case QEvent::MouseMove:
      if (FDragging) move(mouse->globalPosition().toPoint() - FDragOffset);
      return FDragging;
    case QEvent::MouseButtonRelease:
      FDragging = false;
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void TCaptionedDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      if (FCancelButton && FCancelButton->isVisible())
        FCancelButton->click();
      else if (FCancelButton)
        reject();
      event->accept();
      return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
        button->click();
      else if (FAcceptButton && FAcceptButton->isEnabled())
        FAcceptButton->click();
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
