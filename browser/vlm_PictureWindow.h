#pragma once
// A dream's picture at its full size, in a window of its own beside the main window: as large as
// the picture where the screen has room, else as large as the screen allows, with scroll bars.
// Escape closes it; it is freed when closed.
#include <QScrollArea>

class QImage;

class TPictureWindow : public QScrollArea {
public:
  TPictureWindow(const QImage& picture, QWidget* parent);
};
