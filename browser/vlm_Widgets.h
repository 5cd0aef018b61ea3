#pragma once
// Small controls of the window's design that Qt lacks as such.
#include <QLabel>
#include <QValidator>
#include <QWidget>
#include <functional>

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

// Refuses typed or pasted text that Windows-1251 cannot hold and tells `refused` which characters.
class TCp1251Validator : public QValidator {
public:
  TCp1251Validator(QObject* parent, std::function<void(const QString&)> refused)
      : QValidator(parent), FRefused(std::move(refused)) {}
  State validate(QString& input, int& position) const override;

private:
  std::function<void(const QString&)> FRefused;
};
