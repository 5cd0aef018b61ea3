#include "vlm_PictureWindow.h"

#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QShortcut>

#include "vlm_EditorPanel.h"
#include "vlm_Resources.h"

TPictureWindow::TPictureWindow(const QImage& picture, QWidget* parent) : QScrollArea(parent) {
  setWindowFlags(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(res::TitleFullPicture));
  auto* shown = new QLabel;
  shown->setPixmap(QPixmap::fromImage(picture));
  shown->resize(picture.size());
  setWidget(shown);
  setAlignment(Qt::AlignCenter);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  const int frame = 2 * frameWidth();
  QSize size = picture.size() + QSize(frame, frame);
  if (const QScreen* screen = parent ? parent->screen() : nullptr)
    size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
  resize(size);
}

void TEditorPanel::ShowFullPicture() {
  if (FPicture.isNull()) return;  // the blank picture is nothing to look at
  if (FPictureWindow) FPictureWindow->close();
  FPictureWindow = new TPictureWindow(FPicture, window());
  FPictureWindow->show();
  FPictureWindow->activateWindow();
}
