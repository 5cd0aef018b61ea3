#pragma once
// Reading the pictures that the library and the dreams name.
#include <QString>
#include <QStringList>

class QImage;

// Reads the picture in the file at `path` (native) into `picture`, as QImage::load does, but only
// from a regular file (a link to one is followed): a named pipe, a device or a socket is not read,
// as it could block or never end. False, with `picture` null, when nothing was read.
bool LoadPicture(QImage& picture, const QString& path);

// The picture chooser's filters: first every format Qt's image readers here read (PNG, JPEG, GIF,
// WebP, ... as installed), then the design's (Windows BMP, every file).
QStringList PictureFilters();
