#include "vlm_Widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <algorithm>
#include <string>
#include <vector>

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

namespace {
class TReadOnlyLook : public QObject {
public:
  using QObject::QObject;
  static void Apply(QWidget* field) {
    const QWidget* parent = field->parentWidget();
    const QPalette inherited = parent ? parent->palette() : QApplication::palette(field);
    const bool readOnly = field->property("readOnly").toBool();
    QPalette palette = field->palette();
    // The window's colour behind the text, as the usual styles draw a disabled field.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      palette.setBrush(group, QPalette::Base, inherited.brush(group, readOnly ? QPalette::Window : QPalette::Base));
    field->setPalette(palette);
  }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ReadOnlyChange && watched->isWidgetType()) Apply(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
  }
};
}  // namespace

void ShowReadOnlyLook(QWidget* root) {
  auto* look = new TReadOnlyLook(root);
  QList<QWidget*> fields;
  for (QLineEdit* edit : root->findChildren<QLineEdit*>()) fields << edit;
  for (QPlainTextEdit* edit : root->findChildren<QPlainTextEdit*>()) fields << edit;
  for (QWidget* field : fields) {
    field->installEventFilter(look);
    TReadOnlyLook::Apply(field);
  }
}

TDirectoryTree::TDirectoryTree(QWidget* parent) : QTreeView(parent) {
  // The last line of defence: whatever expanded a row too deep, it is collapsed again before the
  // view lays out its rows once more.
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (DepthOf(index) >= kMaxExpandedDepth) collapse(index);
  });
}

int TDirectoryTree::DepthOf(const QModelIndex& index) {
  int depth = 0;
  for (QModelIndex up = index.parent(); up.isValid() && depth <= kMaxExpandedDepth; up = up.parent()) ++depth;
  return depth;
}

void TDirectoryTree::ExpandAncestors(const QModelIndex& index) {
  std::vector<QModelIndex> ancestors;  // from the parent up to the top-level row
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ancestors.push_back(up);
  // The top-level row has depth 0: the first kMaxExpandedDepth levels may be expanded.
  const std::size_t expandable = std::min<std::size_t>(ancestors.size(), kMaxExpandedDepth);
  for (std::size_t depth = 0; depth < expandable; ++depth) expand(ancestors[ancestors.size() - 1 - depth]);
}

void TDirectoryTree::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // Qt's view expands every ancestor of the row it scrolls to.
  QModelIndex shown = index;
  if (DepthOf(index) > kMaxExpandedDepth) {
    std::vector<QModelIndex> path;
    for (QModelIndex up = index; up.isValid(); up = up.parent()) path.push_back(up);
    shown = path[path.size() - 1 - kMaxExpandedDepth];
  }
  QTreeView::scrollTo(shown, hint);
}

void TDirectoryTree::ExpandBranch(const QModelIndex& top) {
  // Expanding marks the rows only; they are laid out once afterwards.
  scheduleDelayedItemsLayout();
  std::vector<std::pair<QModelIndex, int>> pending{{top, DepthOf(top)}};
  while (!pending.empty()) {
    const auto [index, depth] = pending.back();
    pending.pop_back();
    if (depth >= kMaxExpandedDepth) continue;
    expand(index);
    for (int i = model()->rowCount(index) - 1; i >= 0; --i) pending.emplace_back(model()->index(i, 0, index), depth + 1);
  }
}

void TDirectoryTree::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Asterisk) {
    if (currentIndex().isValid() && itemsExpandable()) ExpandBranch(currentIndex());
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void TDirectoryTree::OnRow(QMouseEvent* event, const std::function<void(QMouseEvent*)>& handler) {
  const QPoint at = event->position().toPoint();
  if (indexAt(at).isValid()) return handler(event);
  const int left = columnViewportPosition(0);
  const QPoint onRow(std::clamp(at.x(), left, left + std::max(0, columnWidth(0) - 1)), at.y());
  if (!indexAt(onRow).isValid()) {
    event->accept();  // below the rows: the selection stays as it is
    return;
  }
  QMouseEvent moved(event->type(), QPointF(onRow), event->scenePosition(), event->globalPosition(), event->button(),
                    event->buttons(), event->modifiers(), event->pointingDevice());
  moved.setTimestamp(event->timestamp());
  handler(&moved);
  event->setAccepted(moved.isAccepted());
}

void TDirectoryTree::mousePressEvent(QMouseEvent* event) {
  OnRow(event, [this](QMouseEvent* e) { QTreeView::mousePressEvent(e); });
}

void TDirectoryTree::mouseReleaseEvent(QMouseEvent* event) {
  OnRow(event, [this](QMouseEvent* e) { QTreeView::mouseReleaseEvent(e); });
}

void TDirectoryTree::mouseDoubleClickEvent(QMouseEvent* event) {
  OnRow(event, [this](QMouseEvent* e) { QTreeView::mouseDoubleClickEvent(e); });
}

void TDirectoryTree::mouseMoveEvent(QMouseEvent* event) {
  OnRow(event, [this](QMouseEvent* e) { QTreeView::mouseMoveEvent(e); });
}

QItemSelectionModel::SelectionFlags TDirectoryTree::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
  // The highlight always marks the current node: Ctrl+click on it does not take it away either.
  const QItemSelectionModel::SelectionFlags flags = QTreeView::selectionCommand(index, event);
  return flags.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : flags;
}
