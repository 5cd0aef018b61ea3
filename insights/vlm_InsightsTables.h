#pragma once
// The insights as tables for other programs: CSV (one table a file, RFC 4180: commas, CR LF,
// quotes where needed) and one JSON document of them all. UTF-8 text; dates "yyyy-mm-dd"; numbers
// with a point, never the locale's comma; an absent value is empty (CSV) or null (JSON).
#include <array>
#include <string>

#include "vlm_Insights.h"

// The library's label captions, Windows-1251; an empty caption is written "label1" .. "label4".
using TLabelCaptions = std::array<std::string, kLabelCount>;

// period_start, period_end (its last day), dreams, nights, one column per label, mean_energy.
std::string SeriesCsv(const TSeries& series, const TLabelCaptions& labels);
// measure, key, value: the totals, the runs, and the nights and dreams by weekday and by month.
std::string RecallCsv(const TRecall& recall);
// word, dreams, then one column per period of the small series (headed by its first day).
std::string ThemesCsv(const TThemes& themes);
// word, in_group, outside, score (rising themes: in the latest part and before it).
std::string ContrastCsv(const TContrast& contrast);

struct TInsightsReport {
  TDateRange Range;
  TLabelCaptions Labels;
  TSeries Series;
  TRecall Recall;
  TThemes Themes;
  TContrast Rising;
  std::array<TContrast, kLabelCount> LabelWords;  // by label 1 .. 4
};
std::string ReportJson(const TInsightsReport& report);
