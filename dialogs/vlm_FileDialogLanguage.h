#pragma once
// Qt's own file dialog writes the files' dates and sizes in the system's locale, which need not be
// Russian ("7 Dec 2025" in a Russian window, where the rest of the dialog is translated). This
// shows them in the program's language; a desktop's native dialog follows the desktop instead.
class QFileDialog;

void ShowDatesInProgramLanguage(QFileDialog& dialog);
