// The window's place and size: read from the library's `form` element at start-up, written back at
// exit. The window opens centred at its stored size, made small enough for its frame to fit the
// screen, and maximised again when it was closed maximised (its normal size is the one stored);
// the tree keeps its share of the window's width as the window grows or shrinks.
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <algorithm>
#include <cmath>

#include "vlm_MainForm.h"
#include "vlm_Widgets.h"

namespace {
// The room a window manager's frame (title bar, borders) takes around the client area. The frame
// is not known before the window is shown, so this is a generous guess: a window a little smaller
// than stored is better than a title bar above the screen.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;
}  // namespace

void Tfrm_MainForm::ApplyGeometry(const TFormGeometry& form) {
  // The stored left and top are not used: the window opens centred (setVisible).
  if (form.Width) resize(*form.Width, height());  // the minimum size raises smaller values
  if (form.Height) resize(width(), *form.Height);
  if (form.TreeWidth) {
    // The splitter spans the window: give the work area the rest of the window's width.
    const int rest = std::max(kMinPaneWidth, width() - *form.TreeWidth - spt_Splitter->handleWidth());
    spt_Splitter->setSizes({*form.TreeWidth, rest});
  }
  FOpenMaximized = form.Maximized;
}

void Tfrm_MainForm::setVisible(bool visible) {
  // The window opens centred on the screen at its current size, whatever `left` and `top` said.
  // It is placed before it is first shown, by its client area: a window manager puts a new
  // window where it is asked to and only then adds its frame, whose size nobody knows before.
  // So every start asks for the same place, and the place written at exit does not change.
  if (visible && !FCentred) {
    FCentred = true;
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
      const QRect available = screen->availableGeometry();
      const QSize room = available.size() - QSize(kFrameAllowanceWidth, kFrameAllowanceHeight);
      QRect client(QPoint(), size().boundedTo(room).expandedTo(minimumSize()));
      client.moveCenter(available.center());
      setGeometry(client);
    }
    // Its normal geometry stays the centred one, for when the user restores it.
    if (FOpenMaximized) setWindowState(windowState() | Qt::WindowMaximized);
  }
  QWidget::setVisible(visible);
}

void Tfrm_MainForm::StoreGeometry() {
  // The stored bounds are the client area's place and size, without the frame, which is what
  // resize() and move() take back at the next start; for a maximised window, those of its normal
  // state, and the tree's width at that size (it keeps its share of the width).
  const bool maximized = isMaximized() && normalGeometry().isValid();
  const QRect bounds = maximized ? normalGeometry() : geometry();
  int tree = TreeWidth();
  if (maximized && width() > 0)
    tree = std::max(kMinPaneWidth, static_cast<int>(std::lround(double(tree) * bounds.width() / width())));
  FCore->SetFormGeometry(bounds.x(), bounds.y(), bounds.width(), bounds.height(), tree, maximized);
}
