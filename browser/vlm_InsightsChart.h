#pragma once
// One chart of the insights over time (Qt Charts): the dreams, the nights recorded and each label
// in use per period, or the mean energy per period. The x axis is the dates themselves (day
// numbers), labelled by DateTicks so that every label shows and none overlaps; hovering shows the
// period's figures, a click on a period asks for it alone.
#include <QChartView>
#include <QString>
#include <array>
#include <optional>
#include <set>
#include <vector>

#include "vlm_Insights.h"
#include "vlm_InsightsAxis.h"

class QAreaSeries;
class QLabel;
class QCategoryAxis;
class QLineSeries;
class QValueAxis;

// The labels' captions and which of them the library uses.
struct TLabelNames {
  std::array<QString, kLabelCount> Captions;
  std::array<bool, kLabelCount> InUse{};
};

// The figures of one period, a line each, for the hover text.
QString PeriodFigures(const TSeries& series, std::size_t bucket, const TLabelNames& labels);

class TOverTimeChart : public QChartView {
  Q_OBJECT
public:
  enum TKind { Counts, Energy };
  explicit TOverTimeChart(TKind kind, QWidget* parent = nullptr);

  void Show(const TSeries& series, const TLabelNames& labels);
  // The plot's width in pixels as laid out (before the first layout, as the view's width allows).
  int PlotWidth() const;
  const std::vector<TDateTick>& Ticks() const { return FTicks; }
  QCategoryAxis* DateAxis() const { return FDateAxis; }
  // The period under a point of the viewport, by its place in the series shown.
  std::optional<std::size_t> BucketAt(QPoint viewportPos) const;
  // Where a day is drawn, in the viewport (for tests and tips).
  QPoint ViewportPos(int day) const;
  QLabel* lbl_Hover = nullptr;  // the figures of the period under the pointer

signals:
  void PeriodClicked(int start, int next);

protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  // The date labels for the plot's width now.
  void PlaceTicks();
  QLineSeries* AddLine(const QColor& colour, Qt::PenStyle style = Qt::SolidLine);
  // The count axis from 0 to the highest value of the lines shown.
  void ScaleCounts();

  TKind FKind;
  TSeries FSeries;
  TLabelNames FLabels;
  QCategoryAxis* FDateAxis = nullptr;
  QValueAxis* FValueAxis = nullptr;
  QLineSeries* FDreamsTop = nullptr;  // Counts: the upper edge of the dreams' area
  QAreaSeries* FDreams = nullptr;
  QLineSeries* FNights = nullptr;
  std::array<QLineSeries*, kLabelCount> FLabelLines{};
  QLineSeries* FEnergy = nullptr;  // Energy
  std::vector<TDateTick> FTicks;
  double FTicksWidth = -1;
  std::optional<std::size_t> FPressed;
  std::set<QAbstractSeries*> FHidden;  // hidden by a click on the legend
};
