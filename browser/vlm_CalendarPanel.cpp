#include "vlm_CalendarPanel.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "vlm_DreamCalendar.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"

TCalendarPanel::TCalendarPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 2, 0, 0);
  layout->setSpacing(2);
  cal_Month = new TDreamCalendar(this);
  layout->addWidget(cal_Month);
  lbl_Undated = new QLabel(Text(res::CalendarUndated), this);
  layout->addWidget(lbl_Undated);
  lst_Undated = new QListWidget(this);
  lst_Undated->setMaximumHeight(4 * fontMetrics().height() + 8);
  layout->addWidget(lst_Undated);
  connect(cal_Month, &QCalendarWidget::clicked, this, [this](QDate date) {
    if (DateClicked) DateClicked(date);
  });
  connect(cal_Month, &QCalendarWidget::activated, this, [this](QDate date) {
    if (DateClicked) DateClicked(date);
  });
  connect(lst_Undated, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (UndatedClicked) UndatedClicked(lst_Undated->row(item));
  });
  connect(lst_Undated, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (UndatedClicked) UndatedClicked(lst_Undated->row(item));
  });
}

void TCalendarPanel::Show(const std::vector<QDate>& marked, const QStringList& undated) {
  cal_Month->SetMarks(marked);
  lst_Undated->clear();
  lst_Undated->addItems(undated);
  // The list is there only when some night's name is no date.
  lbl_Undated->setVisible(!undated.isEmpty());
  lst_Undated->setVisible(!undated.isEmpty());
}
