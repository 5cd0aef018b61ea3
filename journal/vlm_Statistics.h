#pragma once
// The numbers behind the charts of a journal and of a day, counted from the documents alone.
//
// The journal chart counts what the directory tree shows below the journal: one node per child of
// the journal's root (its days), and below a day one node per catalog, journal entry or dream
// (TreeShowsBelowDay); so a day's own comment is not counted.
#include <array>
#include <string>
#include <vector>

#include "vlm_Types.h"

class TXMLNode;

// Whether the directory tree gives `child` of a day (or of a catalog below it) a node of its own.
bool TreeShowsBelowDay(const TXMLNode& child);

struct TJournalCounts {
  std::vector<int> DreamsPerDay;        // nodes below each day, in tree order
  int Total = 0;                        // sum of DreamsPerDay
  int MostPerDay = 1;                   // the largest day, and at least 1
  std::array<int, kLabelCount> LabelCounts{};     // dreams whose label1 .. label4 is "true"
};

// Counts the days of a loaded journal and the labels of their dreams.
TJournalCounts CountJournal(const TXMLNode& journalRoot);

// 1 .. 4: the number of the last label that is defined; 0 when none is.
int HighestDefinedLabel(const std::array<bool, kLabelCount>& defined);

struct TDayEnergies {
  std::vector<double> Energies;  // one per experience of the day, in document order
  double Average = 0.0;          // 0 for a day without dreams
  // Levels that were there but were not decimal integers; those dreams count as energy 0.
  std::vector<std::string> BadLevels;
};

// Energy of each dream of a day: (middle - level) / middle, 0 for a dream without an `energy`
// element or whose level is not a decimal integer (absent included).
TDayEnergies CountDayEnergies(const TXMLNode& day);

// `value` as the general floating-point text: up to 15 significant digits, no grouping,
// `decimal` as the decimal separator, an exponent as "E-7" when the number needs one, "0" for zero.
std::string FormatGeneral(double value, const std::string& decimal);
