#pragma once
// `velmora --insights PATH`: the insights of a journal, or of every journal of a library file, as
// tables for other programs (CSV files in a folder, or one JSON document). Only reads.
#include <QString>
#include <functional>

#include "vlm_Insights.h"

struct TInsightsCommand {
  QString Path;    // a journal file, or a library file (dreams.ini)
  QString Output;  // the JSON file, or the folder the CSV files are written into
  bool Json = false;
  TDateRange Range;
  // For a journal: the library the program would open, whose label captions name the columns
  // (may be absent). Relative paths of a library's journals are looked for beside it, then in DataDir.
  QString ProgramLibrary;
  QString DataDir;
  int Today = 0;  // day number: where the current run of nights ends
};

struct TInsightsOutcome {
  QString Error;  // for the user; empty on success
  int Dreams = 0;  // the dreams of the range counted
};

// Writes the tables; `warn` hears of a library's journals that cannot be read (the rest are used).
TInsightsOutcome WriteInsights(const TInsightsCommand& command, const std::function<void(const QString&)>& warn);
