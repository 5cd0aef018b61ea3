// Undo and redo: the buttons and keys, and the tree and editors following a step of the library
// core's history taken back or done again.
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>

#include "vlm_LibraryModel.h"
#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
QString Hint(const char* withStep, const char* without, const QString& step) {
  return step.isEmpty() ? QString::fromUtf8(without) : QString::fromUtf8(withStep).arg(step);
}

bool IsUndoKey(const QKeyEvent* key) {
  return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
         key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}
}  // namespace

// The text fields keep no history of their own: their undo keys reach the window's, so Ctrl+Z
// takes back the same step wherever the focus is.
class TUndoKeys : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride && IsUndoKey(static_cast<QKeyEvent*>(event))) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

void Tfrm_MainForm::ConnectUndo() {
  QUndoStack& stack = FCore->UndoStack();
  connect(btn_Undo, &QToolButton::clicked, this, [this] { Run([this] { TakeStep(false); }); });
  connect(btn_Redo, &QToolButton::clicked, this, [this] { Run([this] { TakeStep(true); }); });
  const std::pair<QKeySequence, bool> keys[] = {{QKeySequence::Undo, false},
                                                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), true},
                                                {QKeySequence(Qt::CTRL | Qt::Key_Y), true}};
  for (const auto& [key, redo] : keys) {
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, redo = redo] { Run([this, redo] { TakeStep(redo); }); });
  }
  auto* filter = new TUndoKeys(this);
  for (QLineEdit* edit : pnl_WorkArea->findChildren<QLineEdit*>()) edit->installEventFilter(filter);
  for (QPlainTextEdit* memo : pnl_WorkArea->findChildren<QPlainTextEdit*>()) {
    memo->setUndoRedoEnabled(false);
    memo->installEventFilter(filter);
  }
  auto follow = [this, &stack] {
    btn_Undo->setEnabled(stack.canUndo());
    btn_Redo->setEnabled(stack.canRedo());
    btn_Undo->setToolTip(Hint(res::HintUndo, res::HintUndoNothing, stack.undoText()));
    btn_Redo->setToolTip(Hint(res::HintRedo, res::HintRedoNothing, stack.redoText()));
  };
  connect(&stack, &QUndoStack::indexChanged, this, follow);
  connect(&stack, &QUndoStack::cleanChanged, this, follow);
  follow();
  connect(FCore.get(), &TLibrary::EntryChanged, this, [this](TXMLNode* element) {
    if (FStepping) FSteppedEntries.push_back(element);
  });
  connect(FCore.get(), &TLibrary::ChildrenChanged, this, [this](TXMLNode* parent, TXMLNode* child) {
    if (FStepping) FSteppedParents.push_back({parent, child});
  });
}

void Tfrm_MainForm::TakeStep(bool redo) {
  QUndoStack& stack = FCore->UndoStack();
  if (redo ? !stack.canRedo() : !stack.canUndo()) return;
  const TXMLNode* before = NodeOf(FCurrentNode);
  // The editors hold nothing of their own: what they show is shown again from the documents. The
  // model follows the step as it is taken; the selection handler waits until it is done.
  FStepping = true;
  FSteppedEntries.clear();
  FSteppedParents.clear();
  {
    const QScopedValueRollback quiet(FQuietTree, true);
    const auto done = qScopeGuard([this] { FStepping = false; });
    if (redo)
      stack.redo();
    else
      stack.undo();
  }
  const TXMLNode* show = nullptr;  // where the step happened
  for (const auto& [parent, child] : FSteppedParents) show = child ? child : parent;
  for (const TXMLNode* element : FSteppedEntries) show = element;
  // The row where the step happened is selected and shown; else the one selected before, when
  // it is still there; else the library.
  QModelIndex target = FTreeModel->FindAnywhere(show);
  if (!target.isValid()) {
    const QModelIndexList rows = FTreeModel->RowsOf(before);
    if (!rows.isEmpty()) target = rows.first();
  }
  if (!target.isValid() && !show && FCurrentNode.isValid()) target = FCurrentNode;
  if (!target.isValid()) target = FTreeModel->index(0, 0);
  if (target.isValid()) SelectQuietly(target);
}

void Tfrm_MainForm::SelectQuietly(const QModelIndex& node) {
  tre_Directory->ExpandAncestors(node);
  {
    const QScopedValueRollback quiet(FQuietTree, true);
    tre_Directory->setCurrentIndex(node);
  }
  tre_Directory->scrollTo(node);
  FStepping = true;  // nothing the user chose: the default journal stays
  const auto shown = qScopeGuard([this] { FStepping = false; });
  tre_DirectoryChanging(node);
  ShowReadOnlyState(node);
}
