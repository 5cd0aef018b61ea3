#pragma once
// Deterministic journals for the benchmarks, laid out as the program writes them.
#include <string>

// A journal of `years` years up to 31.12.2024, in the past as a diary is: one day per date, three
// experiences per day, each with a description of 200 to 600 bytes of Russian prose, a title, a
// comment, flags, energy and a picture path. Windows-1251 bytes, CR LF lines. The same arguments
// give the same bytes. Ending in a leap year, the journals of 1, 10 and 50 years hold as many days
// as those that began in 2000 did, so the benchmarks' sizes stay.
std::string GenerateJournal(int years);
