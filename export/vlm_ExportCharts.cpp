// The journal's two charts, as the work area draws them, into pictures for an export.
#include "vlm_ExportCharts.h"

#include <algorithm>

#include "tarvek_Utility.h"
#include "vlm_GraphPainter.h"
#include "vlm_ImageCanvas.h"
#include "vlm_Resources.h"
#include "vlm_Statistics.h"
#include "xml_functions.h"

namespace {
QImage Draw(TVLGraph& graph, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  TImageCanvas canvas(image);
  FillBox(&canvas, clBlack, clWhite, 0, 0, width, height);
  graph.Draw(canvas, TRect{10, 5, width - 10, height - 5});
  return image;
}
}  // namespace

TJournalCharts DrawJournalCharts(const TXMLNode& root, const TExportContent& content) {
  const TJournalCounts counts = CountJournal(root);
  TJournalCharts charts;

  TVLGraph graph;
  TVLGraph quality;
  SetUpJournalCharts(graph, quality, res::GraphFontName);
  graph.XMin = 1.0;
  graph.XMax = static_cast<double>(counts.DreamsPerDay.size());
  graph.YMin = 0.0;
  graph.YMax = counts.MostPerDay;
  graph.XAxis = {0.0, 1.0, -1};
  graph.YAxis = {0.0, 1.0, -1};
  for (std::size_t i = 0; i < counts.DreamsPerDay.size(); ++i)
    graph.AddValue(std::string(), static_cast<double>(i + 1), counts.DreamsPerDay[i]);
  graph.Title.Text = Utf8ToCp1251(res::TitleDreamsPerDay);
  graph.BarWidth = 10.0 / kChartWidth;
  charts.PerDay = Draw(graph, kChartWidth, kChartHeight);

  int highest = 0;
  for (int k = 0; k < kLabelCount; ++k)
    if (content.LabelDefined[k]) highest = k + 1;
  // Without any label the painter's range is empty and it draws nothing, as in the work area.
  quality.XMin = 1.0;
  quality.XMax = highest ? highest : 1.0;
  quality.YMin = 0.0;
  quality.YMax = *std::max_element(counts.LabelCounts.begin(), counts.LabelCounts.end());
  quality.XAxis = {1.0, 1.0, -1};
  quality.YAxis = {0.0, 1.0, -1};
  for (int k = 0; k < kLabelCount; ++k)
    if (content.LabelDefined[k])
      quality.AddValue(Utf8ToCp1251(content.LabelCaptions[k].toStdString()), k + 1.0, counts.LabelCounts[k]);
  quality.Title.Text = Utf8ToCp1251(res::TitleDreamQuality);
  quality.Footer.Text = Utf8ToCp1251(res::FooterTotalDreams) + std::to_string(counts.Total);
  quality.BarWidth = 0.1;
  charts.Quality = Draw(quality, kChartWidth / 2, kChartHeight);
  return charts;
}
