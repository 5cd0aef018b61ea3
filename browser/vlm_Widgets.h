#pragma once
// Small controls of the window's design that Qt lacks as such.
#include <QLabel>
#include <QTreeView>
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

// Read-only text fields (line edits and plain text edits below `root`) get the background of a
// disabled field, their text still in its usual colour and selectable; editable ones keep the
// usual look. Follows every later change of their read-only state.
void ShowReadOnlyLook(QWidget* root);

// The directory tree.
// - A click anywhere on a row selects that row, also beside its caption (the column is only as
//   wide as the widest caption); a click below the rows changes nothing. Qt's view would take the
//   highlight away there and keep the current node, so the editors would show a node that is not
//   highlighted.
// - Qt's view lays out expanded rows recursively (about 320 bytes of stack a level with Qt 6.4: a
//   chain of 27,000 expanded rows overflows the usual 8 MB), and a library decides how deep its
//   catalogs go. So no node deeper than kMaxExpandedDepth is ever expanded: not by the program,
//   not by a click, not by "*" (Qt's expand-all key), not by scrolling to a deeper node. Deeper
//   nodes stay collapsed, and selecting one still shows it in the editors.
class TDirectoryTree : public QTreeView {
  Q_OBJECT
public:
  // 2,000 levels take about 0.6 MB of the stack: a wide margin even for a 1 MB stack.
  static constexpr int kMaxExpandedDepth = 2000;

  explicit TDirectoryTree(QWidget* parent = nullptr);
  // 0 for a top-level row; counting stops at kMaxExpandedDepth + 1.
  static int DepthOf(const QModelIndex& index);
  // Expands the ancestors of `index` down to the depth that may be expanded.
  void ExpandAncestors(const QModelIndex& index);
  // Scrolls to `index`, or to its deepest ancestor that can be shown when it cannot be.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;

private:
  // Hands `event` to `handler` at the same height on the caption column, or drops it when no row
  // is there.
  void OnRow(QMouseEvent* event, const std::function<void(QMouseEvent*)>& handler);
  // "*": the current row and every row below it, as deep as may be expanded, without recursion.
  void ExpandBranch(const QModelIndex& top);
};
