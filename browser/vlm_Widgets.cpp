#include "vlm_Widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <string>

#include "vlm_Strings.h"

void TBevel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int y = height() - 2;
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(0, y, width() - 1, y);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(0, y + 1, width() - 1, y + 1);
}

void TClickImage::mousePressEvent(QMouseEvent* event) {
  FPressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TClickImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  FPressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

void TLevelLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit doubleClicked();
}
