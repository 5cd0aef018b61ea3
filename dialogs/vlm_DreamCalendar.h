#pragma once
// A month view whose marked dates (nights with dreams) are bold and coloured; shared by the
// calendar below the tree and the new day's date picker.
#include <QCalendarWidget>
#include <QDate>
#include <string_view>
#include <vector>

class TDreamCalendar : public QCalendarWidget {
public:
  explicit TDreamCalendar(QWidget* parent = nullptr);
  // Replaces the marks: only `dates` are marked afterwards.
  void SetMarks(const std::vector<QDate>& dates);
  bool Marked(QDate date) const;
  // A night's name `dd.mm.yy` as a date; an invalid date for a name that is no date.
  static QDate DateOfName(std::string_view cp1251Name);
  // A date as a night's name, `dd.mm.yy`.
  static QString NameOfDate(QDate date);
};
