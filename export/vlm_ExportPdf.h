#pragma once
// The PDF of an export, written into `file` (which the caller commits or discards): A4 pages laid
// out as the printer's.
#include <QIODevice>

#include "vlm_Export.h"

TExportResult WritePdf(const TExportContent& content, const TExportOptions& options, QIODevice& file);
