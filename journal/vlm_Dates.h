#pragma once
// Two-digit years, read the same way wherever a date `dd.mm.yy` is read (a night's name in the
// calendar, the search and the export, a date on the command line): a night is written down after
// it happened, so `yy` is the latest year ending in those digits that is not after next year. In
// 2026, 00 to 27 are 2000 to 2027 and 28 to 99 are 1928 to 1999.

// The year `yy` (0 to 99) stands for when it is `thisYear` now.
int FullYear(int yy, int thisYear);
// The year of today's date, local time (or the one set by SetThisYear).
int ThisYear();
// Makes ThisYear() return `year` from now on, for every thread; 0 gives the clock back. For tests,
// which must not depend on the day they run.
void SetThisYear(int year);
