#pragma once
// Dates as day numbers (days since 1 January 1970, as DayNumber in vlm_Search.h gives them) and
// the periods the insights count by: weeks (ISO: Monday to Sunday, running across the turn of a
// year), months, quarters and years.
#include <cstdint>
#include <string>

struct TCivilDate {
  int Year = 1970, Month = 1, Day = 1;
};
TCivilDate CivilDate(int day);
// 0 for Monday .. 6 for Sunday.
int Weekday(int day);
// The ISO week a day belongs to: the week with the year's first Thursday is week 1, so 31
// December may lie in week 1 of the next year and 1 January in week 52 or 53 of the last.
struct TIsoWeek {
  int Year = 0, Week = 0;
};
TIsoWeek IsoWeek(int day);
// "yyyy-mm-dd".
std::string IsoDateText(int day);

enum class TPeriod : std::uint8_t { Week, Month, Quarter, Year };
inline constexpr TPeriod kPeriods[] = {TPeriod::Week, TPeriod::Month, TPeriod::Quarter, TPeriod::Year};

// The first day of the period holding `day` (a Monday, the 1st of a month, of January, April, July
// or October, of January).
int PeriodStart(TPeriod period, int day);
// The first day of the next period after the one holding `day`.
int NextPeriodStart(TPeriod period, int day);
// How many periods the days first..last (inclusive) touch.
int PeriodCount(TPeriod period, int first, int last);
// The finest period that shows first..last in `pixels` with at least `pixelsPerPeriod` to each
// period; the year when even years do not fit.
TPeriod PeriodForWidth(int first, int last, int pixels, int pixelsPerPeriod = 8);
// "week", "month", "quarter", "year": the names the tables use.
const char* PeriodName(TPeriod period);
