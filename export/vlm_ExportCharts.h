#pragma once
// The journal's charts for an export: dreams per night and how many dreams carry each label.
#include <QImage>

#include "vlm_Export.h"

inline constexpr int kChartWidth = 900;
inline constexpr int kChartHeight = 260;

struct TJournalCharts {
  QImage PerDay;
  QImage Quality;
};

TJournalCharts DrawJournalCharts(const TXMLNode& root, const TExportContent& content);
