#include "vlm_Periods.h"

#include <cstdio>

#include "vlm_Search.h"

namespace {

int FloorDiv(int a, int b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

// The first day of a month that exists (the caller's months are 1..12 after normalising).
int MonthStart(int year, int month) {
  year += FloorDiv(month - 1, 12);
  month = month - 1 - FloorDiv(month - 1, 12) * 12 + 1;
  return *DayNumber(year, month, 1);
}

int MonthIndex(int day) {
  const TCivilDate d = CivilDate(day);
  return d.Year * 12 + d.Month - 1;
}

}  // namespace

TCivilDate CivilDate(int day) {
  // Civil from days (H. Hinnant's algorithm), the inverse of DayNumber.
  const int z = day + 719468;
  const int era = FloorDiv(z, 146097);
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (m <= 2), m, d};
}

int Weekday(int day) { return ((day + 3) % 7 + 7) % 7; }  // 1 January 1970 was a Thursday

TIsoWeek IsoWeek(int day) {
  const int thursday = day - Weekday(day) + 3;  // the week's year is its Thursday's
  const int year = CivilDate(thursday).Year;
  return {year, (thursday - *DayNumber(year, 1, 1)) / 7 + 1};
}

std::string IsoDateText(int day) {
  const TCivilDate d = CivilDate(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

int PeriodStart(TPeriod period, int day) {
  const TCivilDate d = CivilDate(day);
  switch (period) {
    case TPeriod::Week: return day - Weekday(day);
    case TPeriod::Month: return MonthStart(d.Year, d.Month);
    case TPeriod::Quarter: return MonthStart(d.Year, d.Month - (d.Month - 1) % 3);
    default: return MonthStart(d.Year, 1);
  }
}

int NextPeriodStart(TPeriod period, int day) {
  const TCivilDate d = CivilDate(day);
  switch (period) {
    case TPeriod::Week: return day - Weekday(day) + 7;
    case TPeriod::Month: return MonthStart(d.Year, d.Month + 1);
    case TPeriod::Quarter: return MonthStart(d.Year, d.Month - (d.Month - 1) % 3 + 3);
    default: return MonthStart(d.Year + 1, 1);
  }
}

int PeriodCount(TPeriod period, int first, int last) {
  if (last < first) return 0;
  switch (period) {
    case TPeriod::Week: return (PeriodStart(period, last) - PeriodStart(period, first)) / 7 + 1;
    case TPeriod::Month: return MonthIndex(last) - MonthIndex(first) + 1;
    case TPeriod::Quarter: return MonthIndex(last) / 3 - MonthIndex(first) / 3 + 1;
    default: return CivilDate(last).Year - CivilDate(first).Year + 1;
  }
}

TPeriod PeriodForWidth(int first, int last, int pixels, int pixelsPerPeriod) {
  for (const TPeriod period : kPeriods)
    if (static_cast<long long>(PeriodCount(period, first, last)) * pixelsPerPeriod <= pixels) return period;
  return TPeriod::Year;
}

const char* PeriodName(TPeriod period) {
  switch (period) {
    case TPeriod::Week: return "week";
    case TPeriod::Month: return "month";
    case TPeriod::Quarter: return "quarter";
    default: return "year";
  }
}
