#pragma once
// The writers of the text formats. Each appends to `out` as it goes (the caller writes it to the
// file and empties it) and returns false when the progress callback asked to stop.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <functional>

#include "vlm_Export.h"
#include "vlm_ExportFields.h"

// Hands the text written so far to the file (and empties it); false when it could not be written.
using TFlush = std::function<bool(QString& out)>;

bool WriteHtml(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
               const TFlush& flush);
bool WriteText(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
               const TFlush& flush);
// Pictures and charts go into `folder` (created when first needed); links name them as
// `linkPrefix` + file name, in angle brackets (the folder's name may hold blanks).
bool WriteMarkdown(const TExportContent& content, const TExportOptions& options, TProgress& progress, QString& out,
                   const TFlush& flush, const QString& folder, const QString& linkPrefix);

// A picture file read for an export (a regular file only: never a pipe or a device); null when
// it cannot be read.
QImage ReadPicture(const QString& file);
