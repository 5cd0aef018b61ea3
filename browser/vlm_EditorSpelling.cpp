#include "vlm_EditorSpelling.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTimer>

#include "vlm_EditorPanel.h"
#include "vlm_LineFormats.h"
#include "vlm_Resources.h"
#include "vlm_SpellChecker.h"
#include "vlm_SpellHighlighter.h"
#include "vlm_Words.h"

namespace {
constexpr int kMostSuggestions = 7;
constexpr int kReadingPollMs = 100;
constexpr int kReadingDelayMs = 1000;
}  // namespace

void TEditorPanel::StartSpelling(const QString& personalFile) {
  if (FSpelling || !TSpellChecker::DictionaryPresent()) return;  // no dictionary: the editors as they were
  FSpelling = new TEditorSpelling(*this, std::make_unique<TSpellChecker>(personalFile));
}

TEditorSpelling::TEditorSpelling(TEditorPanel& panel, std::unique_ptr<TSpellChecker> checker)
    : QObject(&panel), FPanel(panel), FChecker(std::move(checker)) {
  for (QPlainTextEdit* memo : {panel.mmo_Description, panel.mmo_Comment}) {
    FHighlighters.push_back({memo, new TSpellHighlighter(*FChecker, memo->document())});
    // The first pass now, quietly, instead of the one Qt would run later and announce.
    Rehighlight(FHighlighters.back());
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    // The position comes in the viewport's coordinates, as cursorForPosition takes it.
    connect(memo, &QWidget::customContextMenuRequested, this, [this, memo](QPoint pos) {
      FPanel.Run([&] {
        const std::unique_ptr<QMenu> menu(Menu(memo, pos));
        menu->exec(memo->viewport()->mapToGlobal(pos));
      });
    });
  }
  QLineEdit* name = panel.edt_Name;
  name->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(name, &QWidget::customContextMenuRequested, this, [this, name](QPoint pos) {
    FPanel.Run([&] {
      const std::unique_ptr<QMenu> menu(Menu(name, pos));
      menu->exec(name->mapToGlobal(pos));
    });
  });
  connect(name, &QLineEdit::textChanged, this, [this, name] { Underline(name); });
  // The dictionaries take half a second of a core to read: after the window has started.
  QTimer::singleShot(kReadingDelayMs, this, [this] {
    FChecker->StartReading();
    WaitForDictionaries();
  });
}

TEditorSpelling::~TEditorSpelling() {
  // The highlighters use the checker that goes with this object.
  for (const THighlighted& h : FHighlighters) delete h.Highlighter.data();
}

void TEditorSpelling::Rehighlight(const THighlighted& h) {
  if (!h.Highlighter) return;
  // A pass over the whole text tells the memo its text changed although only underlines did:
  // the panel's change handler would store the text again (and create an empty comment).
  const QSignalBlocker quiet(h.Memo);
  h.Highlighter->rehighlight();
}

void TEditorSpelling::WaitForDictionaries() {
  if (FChecker->Ready()) {
    Recheck();
    return;
  }
  QTimer::singleShot(kReadingPollMs, this, [this] { WaitForDictionaries(); });
}

void TEditorSpelling::Recheck() {
  for (const THighlighted& h : FHighlighters) Rehighlight(h);
  Underline(FPanel.edt_Name);
}

void TEditorSpelling::Underline(QLineEdit* edit) {
  if (!FChecker->Ready()) return;
  const QString text = edit->text();
  const QTextCharFormat misspelt = TSpellHighlighter::MisspeltFormat();
  QList<QTextLayout::FormatRange> underlined;
  for (const TWordSpan& w : WordsToCheck(text))
    if (!FChecker->Check(text.mid(w.Start, w.Length)))
      underlined.push_back({static_cast<int>(w.Start), static_cast<int>(w.Length), misspelt});
  SetLineFormats(edit, "spelling", underlined);  // beside the search's marks, if any
}

QMenu* TEditorSpelling::Menu(QPlainTextEdit* memo, QPoint pos) {
  QMenu* menu = memo->createStandardContextMenu();
  const QTextCursor at = memo->cursorForPosition(pos);
  const QTextBlock block = at.block();
  const TWordSpan span = WordAt(block.text(), at.positionInBlock());
  if (span.Length == 0) return menu;
  const int start = block.position() + static_cast<int>(span.Start), end = start + static_cast<int>(span.Length);
  AddWordActions(menu, block.text().mid(span.Start, span.Length), !memo->isReadOnly(), [memo, start, end](const QString& s) {
    // One edit: the change handler runs once, and the core keeps it as one step.
    QTextCursor cursor(memo->document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(s);
    cursor.endEditBlock();
    memo->setTextCursor(cursor);
  });
  return menu;
}

QMenu* TEditorSpelling::Menu(QLineEdit* edit, QPoint pos) {
  QMenu* menu = edit->createStandardContextMenu();
  const QString text = edit->text();
  const TWordSpan span = WordAt(text, edit->cursorPositionAt(pos));
  if (span.Length == 0) return menu;
  AddWordActions(menu, text.mid(span.Start, span.Length), !edit->isReadOnly(), [edit, span](const QString& s) {
    edit->setSelection(static_cast<int>(span.Start), static_cast<int>(span.Length));
    edit->insert(s);
  });
  return menu;
}

void TEditorSpelling::AddWordActions(QMenu* menu, const QString& word, bool writable,
                                     const std::function<void(const QString&)>& replace) {
  if (!FChecker->Ready() || FChecker->Check(word)) return;
  QAction* before = menu->actions().value(0);
  QList<QAction*> actions;
  if (writable) {
    for (const QString& s : FChecker->Suggest(word, kMostSuggestions)) {
      auto* a = new QAction(s, menu);
      connect(a, &QAction::triggered, this, [this, replace, s] { FPanel.Run([&] { replace(s); }); });
      actions << a;
    }
    if (actions.isEmpty()) {
      actions << new QAction(QString::fromUtf8(res::CaptionNoSuggestions), menu);
      actions.back()->setEnabled(false);
    }
  }
  auto* add = new QAction(QString::fromUtf8(res::CaptionAddToDictionary), menu);
  connect(add, &QAction::triggered, this, [this, word] { FPanel.Run([&] { AddToDictionary(word); }); });
  actions << add;
  menu->insertActions(before, actions);
  if (before) menu->insertSeparator(before);
}

void TEditorSpelling::AddToDictionary(const QString& word) {
  if (!FChecker->AddWord(word))
    FPanel.ShowNotice(QString::fromUtf8(res::MsgWordNotKept).arg(word, FChecker->PersonalFile(), FChecker->Failure()));
  Recheck();
}
