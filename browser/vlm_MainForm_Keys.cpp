// The keyboard for everything: a key for each tool button (named in its tool tip), and the tool
// buttons reachable with Tab.
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

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
  for (QToolButton* b : {btn_Authorization, btn_Tool_01, btn_Tool_02, btn_Undo, btn_Redo}) b->setFocusPolicy(Qt::TabFocus);
  btn_Tool_03->setFocusPolicy(Qt::TabFocus);
  btn_Tool_04->setFocusPolicy(Qt::TabFocus);
  btn_Tool_03->setToolTip(WithKey(btn_Tool_03->toolTip(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)));
  btn_Tool_04->setToolTip(WithKey(btn_Tool_04->toolTip(), QKeySequence(Qt::CTRL | Qt::Key_N)));
  // A new dream or night also from a node below where it is made: its day or journal is selected.
  auto newBelow = [this](const std::string_view kind, QToolButton* tool) {
    for (QModelIndex node = FCurrentNode; node.isValid(); node = node.parent()) {
      const TXMLNode* element = NodeOf(node);
      if (!element || element->Name != kind) continue;
      if (node != FCurrentNode) tre_Directory->setCurrentIndex(node);
      if (tool->isEnabled()) tool->click();
      return;
    }
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_N), this, [this, newBelow] { newBelow(tagDay, btn_Tool_04); });
  key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N), this, [this, newBelow] { newBelow(tagJournal, btn_Tool_03); });
  // Insert: the new element that fits the selection (a catalog's is a journal).
  key(QKeySequence(Qt::Key_Insert), tre_Directory, [this, newBelow] {
    const TXMLNode* element = NodeOf(FCurrentNode);
    if (!element) return;
    if (element->Name == tagExperience) return newBelow(tagDay, btn_Tool_04);
    for (QToolButton* tool : {btn_Tool_04, btn_Tool_03, btn_Tool_02, btn_Tool_01})
      if (tool->isEnabled()) return tool->click();
  });
  // F2: the name, or a dream's title.
  key(QKeySequence(Qt::Key_F2), tre_Directory, [this] { pnl_WorkArea->FocusName(); });
}
