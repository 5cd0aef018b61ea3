#include "vlm_DreamCalendar.h"

#include <QTextCharFormat>

#include "vlm_Resources.h"
#include "vlm_Search.h"
#include "vlm_Strings.h"

namespace {
const QDate kEpoch(1970, 1, 1);  // day number 0 of DayNumber
}  // namespace

TDreamCalendar::TDreamCalendar(QWidget* parent) : QCalendarWidget(parent) {
  setGridVisible(false);
  setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  // Weeks start on Monday as in Russia, whatever the system's locale says.
  setFirstDayOfWeek(Qt::Monday);
  setLocale(QLocale(QLocale::Russian, QLocale::Russia));
}

void TDreamCalendar::SetMarks(const std::vector<QDate>& dates) {
  setDateTextFormat(QDate(), QTextCharFormat());  // clears every earlier mark
  QTextCharFormat marked;
  marked.setFontWeight(QFont::Bold);
  marked.setForeground(QColor(0, 70, 160));
  for (const QDate& date : dates) setDateTextFormat(date, marked);
}

bool TDreamCalendar::Marked(QDate date) const { return dateTextFormat(date).fontWeight() == QFont::Bold; }

QDate TDreamCalendar::DateOfName(std::string_view cp1251Name) {
  const std::optional<int> day = DayNumberOfName(cp1251Name);
  return day ? kEpoch.addDays(*day) : QDate();
}

QString TDreamCalendar::NameOfDate(QDate date) {
  QString pattern = Text(res::ShortDateFormat);
  return date.toString(pattern.replace(QLatin1Char('m'), QLatin1Char('M')));
}
