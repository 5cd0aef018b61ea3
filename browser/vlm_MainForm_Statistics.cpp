// The statistics of journals and days, drawn into the work area's chart image.
#include "vlm_MainForm.h"

void Tfrm_MainForm::ShowJournalStatistics(QTreeWidgetItem*) {
  // Counted and drawn by the journal statistics view.
}

void Tfrm_MainForm::ShowDayStatistics() {
  // Counted and drawn by the day statistics view.
}
