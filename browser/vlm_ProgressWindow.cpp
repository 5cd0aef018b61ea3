#include "vlm_ProgressWindow.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <algorithm>

#include "vlm_Resources.h"

namespace {
constexpr int kShowAfterMs = 500;  // shorter work shows no window at all
constexpr int kLookEveryMs = 50;   // the window moves and answers about this often
constexpr int kScale = 1000;       // QProgressDialog counts in int: done of total as thousandths
}  // namespace

TQtProgressWindow::TQtProgressWindow(QWidget* parent, const QString& text)
    : FDialog(std::make_unique<QProgressDialog>(text, QString::fromUtf8(res::ExportCancel), 0, kScale, parent)) {
  FDialog->setWindowTitle(QString::fromUtf8(res::AppTitle));
  FDialog->setWindowModality(Qt::WindowModal);
  FDialog->setMinimumDuration(kShowAfterMs);
  FDialog->setAutoReset(false);
  FDialog->setAutoClose(false);
  FDialog->setValue(0);  // the half second counts from here
}

TQtProgressWindow::~TQtProgressWindow() { FDialog->hide(); }

bool TQtProgressWindow::Step(qint64 done, qint64 total) {
  if (FLooked.isValid() && FLooked.elapsed() < kLookEveryMs) return !FCancellable || !FDialog->wasCanceled();
  FLooked.start();
  if (total <= 0) {
    if (FDialog->maximum() != 0) FDialog->setRange(0, 0);  // a busy bar
  } else {
    if (FDialog->maximum() != kScale) FDialog->setRange(0, kScale);
    FDialog->setValue(static_cast<int>(std::clamp<qint64>(done * kScale / total, 1, kScale - 1)));
  }
  // Only the dialog takes input (it is modal for the window); the file watch's notifiers wait, so
  // no document is read again under the operation.
  QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
  return !FCancellable || !FDialog->wasCanceled();
}

void TQtProgressWindow::SetText(const QString& text, bool cancellable) {
  FDialog->setLabelText(text);
  if (cancellable != FCancellable) FDialog->setCancelButtonText(cancellable ? QString::fromUtf8(res::ExportCancel) : QString());
  FCancellable = cancellable;
  FLooked.invalidate();  // shown at the next step
}
