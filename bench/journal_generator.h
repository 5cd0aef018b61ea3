#pragma once
// Deterministic journals for the benchmarks, laid out as the program writes them.
#include <string>

// A journal of `years` years from 01.01.2000: one day per date, three experiences per day, each with
// a description of 200 to 600 bytes of Russian prose, a title, a comment, flags, energy and a
// picture path. Windows-1251 bytes, CR LF lines. The same arguments give the same bytes.
std::string GenerateJournal(int years);
