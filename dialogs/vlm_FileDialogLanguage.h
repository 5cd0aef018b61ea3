#pragma once
// Qt's own file dialog writes the files' dates and sizes in the system's locale, which need not be
// Russian ("7 Dec 2025" in a Russian window, where the rest of the dialog is translated). This
// shows them in the program's language; a desktop's native dialog follows the desktop instead.
// Also the one reading of the design's file filters.
#include <QStringList>

class QFileDialog;

void ShowDatesInProgramLanguage(QFileDialog& dialog);

// A filter of the design ("name|pattern|name|pattern") as Qt's name filters, "name (pattern)" for
// each pair. With `dotlessToo`, "*.*" becomes "*": Qt's "*.*" leaves out the many files without a dot.
QStringList NameFilters(const char* designFilter, bool dotlessToo);
