#pragma once
// Small controls of the window's design that Qt lacks as such.
#include <QLabel>
#include <QWidget>
#include <functional>

#include "vlm_Cp1251Validator.h"  // TCp1251Validator, for the editors

// A bevel drawn as a lowered line along its bottom edge.
class TBevel : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent* event) override;
};

// A label that reports a double click of the left mouse button.
class TLevelLabel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

signals:
  void doubleClicked();

protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A picture that reports a click of the left mouse button.
class TClickImage : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

signals:
  void clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  bool FPressed = false;
};
