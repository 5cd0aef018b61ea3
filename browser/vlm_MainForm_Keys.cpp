// The keyboard for everything: a key for each tool button (named in its tool tip), the tool
// buttons reachable with Tab, and the keys between the tree and the editors.
#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QToolButton>

#include <algorithm>

#include "vlm_MainForm.h"
#include "vlm_Widgets.h"
#include "vlm_Types.h"

namespace {
// The hint with its key, in the form the system shows keys.
QString WithKey(const QString& hint, const QKeySequence& key) {
  return hint + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')');
}
}  // namespace

void Tfrm_MainForm::ConnectKeys() {
  auto key = [this](const QKeySequence& sequence, QWidget* scope, std::function<void()> handler) {
    auto* shortcut = new QShortcut(sequence, scope);
    shortcut->setContext(scope == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, handler = std::move(handler)] { Run(handler); });
  };
  auto button = [&](QToolButton* b, const QKeySequence& sequence, QWidget* scope) {
    b->setFocusPolicy(Qt::TabFocus);
    b->setToolTip(WithKey(b->toolTip(), sequence));
    key(sequence, scope, [b] {
      if (b->isEnabled()) b->click();
    });
  };
  button(btn_Save, QKeySequence(Qt::CTRL | Qt::Key_S), this);
  button(btn_Tool_05, QKeySequence(Qt::Key_F1), this);
  button(btn_Tool_06, QKeySequence(Qt::CTRL | Qt::Key_Q), this);
  button(btn_MoveUp, QKeySequence(Qt::ALT | Qt::Key_Up), this);
  button(btn_MoveDown, QKeySequence(Qt::ALT | Qt::Key_Down), this);
  // In a text field Delete and Insert are the field's own.
  button(btn_Delete, QKeySequence(Qt::Key_Delete), tre_Directory);
  // The calendar's key is free in the text fields too (Ctrl+D and Ctrl+K delete there).
  button(btn_Calendar, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this);
  for (QToolButton* b : {btn_Authorization, btn_Undo, btn_Redo}) b->setFocusPolicy(Qt::TabFocus);
  // The creation buttons' keys also work from a node below where the item is made.
  const std::pair<QToolButton*, QKeySequence> creations[] = {
      {btn_Tool_01, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)},
      {btn_Tool_02, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J)},
      {btn_Tool_03, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
      {btn_Tool_04, QKeySequence(Qt::CTRL | Qt::Key_N)}};
  for (const auto& [tool, sequence] : creations) {
    tool->setFocusPolicy(Qt::TabFocus);
    tool->setToolTip(WithKey(tool->toolTip(), sequence));
  }
  // The nearest node at or above the selection where `tool` makes its item is selected first.
  auto newBelow = [this](std::initializer_list<std::string_view> kinds, QToolButton* tool) {
    for (QModelIndex node = FCurrentNode; node.isValid(); node = node.parent()) {
      const TXMLNode* element = NodeOf(node);
      if (!element || std::find(kinds.begin(), kinds.end(), element->Name) == kinds.end()) continue;
      if (node != FCurrentNode) tre_Directory->setCurrentIndex(node);
      if (tool->isEnabled()) tool->click();
      return;
    }
  };
  key(creations[0].second, this, [this, newBelow] { newBelow({tagDreamLibrary, tagDirectory}, btn_Tool_01); });
  key(creations[1].second, this, [this, newBelow] { newBelow({tagDirectory}, btn_Tool_02); });
  key(creations[2].second, this, [this, newBelow] { newBelow({tagJournal}, btn_Tool_03); });
  key(creations[3].second, this, [this, newBelow] { newBelow({tagDay}, btn_Tool_04); });
  // Insert: the new element that fits the selection (a catalog's is a journal).
  key(QKeySequence(Qt::Key_Insert), tre_Directory, [this, newBelow] {
    const TXMLNode* element = NodeOf(FCurrentNode);
    if (!element) return;
    if (element->Name == tagExperience) return newBelow({tagDay}, btn_Tool_04);
    for (QToolButton* tool : {btn_Tool_04, btn_Tool_03, btn_Tool_02, btn_Tool_01})
      if (tool->isEnabled()) return tool->click();
  });
  // F2: the name, or a dream's title, from wherever the focus is but a text field (where it means
  // nothing: the focus is in a text already).
  key(QKeySequence(Qt::Key_F2), this, [this] {
    const QWidget* focus = QApplication::focusWidget();
    if (!qobject_cast<const QLineEdit*>(focus) && !qobject_cast<const QPlainTextEdit*>(focus)) pnl_WorkArea->FocusName();
  });
  // Back to the tree: F6 from anywhere, Escape from the editors.
  auto toTree = [this] { tre_Directory->setFocus(Qt::ShortcutFocusReason); };
  key(QKeySequence(Qt::Key_F6), this, toTree);
  tre_Directory->setFocus();  // the keys start in the tree, not on the first tool button
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), pnl_WorkArea);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, toTree);
  ShowWhereTheFocusIs();
}

// The style draws no focus on a flat tool button, and the tree's selection looks the same whether
// the keys go to the tree or elsewhere: a focused tool button gets a frame, and the tree's
// selection is grey while the focus is elsewhere.
void Tfrm_MainForm::ShowWhereTheFocusIs() {
  pnl_Tools->setStyleSheet(QStringLiteral("QToolButton:focus { border: 1px solid palette(highlight); border-radius: 2px; }"));
  auto showTreeFocus = [this](bool focused) {
    const QPalette standard = QApplication::palette(tre_Directory);
    QPalette palette = tre_Directory->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      palette.setColor(group, QPalette::Highlight,
                       focused ? standard.color(group, QPalette::Highlight) : standard.color(group, QPalette::Window).darker(125));
      palette.setColor(group, QPalette::HighlightedText,
                       focused ? standard.color(group, QPalette::HighlightedText) : standard.color(group, QPalette::Text));
    }
    tre_Directory->setPalette(palette);
  };
  showTreeFocus(false);
  connect(qApp, &QApplication::focusChanged, this, [this, showTreeFocus](QWidget* old, QWidget* now) {
    if (old == tre_Directory || now == tre_Directory) showTreeFocus(now == tre_Directory);
  });
}
