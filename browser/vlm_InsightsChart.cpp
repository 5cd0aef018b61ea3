#include "vlm_InsightsChart.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QLabel>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "vlm_InsightsResources.h"
#include "vlm_Strings.h"

namespace {

const QColor kLabelColours[kLabelCount] = {QColor(0x8E, 0x44, 0xAD), QColor(0xE6, 0x7E, 0x22), QColor(0x27, 0xAE, 0x60),
                                           QColor(0xC0, 0x39, 0x2B)};

QString Number(double value, int decimals) { return QLocale().toString(value, 'f', decimals); }

}  // namespace

QString PeriodFigures(const TSeries& series, std::size_t bucket, const TLabelNames& labels) {
  const TBucket& b = series.Buckets[bucket];
  const QString line = Text(res::HoverLine);
  QStringList lines{PeriodText(series.Period, b.Start), line.arg(Text(res::SeriesDreams)).arg(b.Dreams),
                    line.arg(Text(res::SeriesNights)).arg(b.Nights)};
  for (int n = 0; n < kLabelCount; ++n)
    if (labels.InUse[static_cast<std::size_t>(n)])
      lines << line.arg(labels.Captions[static_cast<std::size_t>(n)]).arg(b.Labels[static_cast<std::size_t>(n)]);
  const auto energy = b.MeanEnergy();
  lines << line.arg(Text(res::SeriesEnergy), energy ? Number(*energy, 2) : Text(res::HoverNoEnergy));
  return lines.join(QLatin1Char('\n'));
}

TOverTimeChart::TOverTimeChart(TKind kind, QWidget* parent) : QChartView(parent), FKind(kind) {
  auto* chart = new QChart;
  setChart(chart);
  setRenderHint(QPainter::Antialiasing);
  viewport()->setMouseTracking(true);  // hovering shows a period's figures without a button held
  // The figures of the period under the pointer, drawn as a tool tip is but inside the chart, so
  // that they follow the pointer from period to period.
  lbl_Hover = new QLabel(viewport());
  lbl_Hover->setObjectName(QStringLiteral("lbl_Hover"));
  lbl_Hover->setTextFormat(Qt::PlainText);
  lbl_Hover->setForegroundRole(QPalette::ToolTipText);
  lbl_Hover->setBackgroundRole(QPalette::ToolTipBase);
  lbl_Hover->setAutoFillBackground(true);
  lbl_Hover->setFrameShape(QFrame::Box);
  lbl_Hover->setMargin(4);
  lbl_Hover->setAttribute(Qt::WA_TransparentForMouseEvents);
  lbl_Hover->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setAlignment(Qt::AlignBottom);
  FDateAxis = new QCategoryAxis(chart);
  FDateAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  FDateAxis->setGridLineVisible(true);
  chart->addAxis(FDateAxis, Qt::AlignBottom);
  FValueAxis = new QValueAxis(chart);
  FValueAxis->setTickType(QValueAxis::TicksDynamic);
  chart->addAxis(FValueAxis, Qt::AlignLeft);
  if (kind == Counts) {
    FDreamsTop = new QLineSeries(chart);
    FDreams = new QAreaSeries(FDreamsTop);
    FDreams->setName(Text(res::SeriesDreams));
    FDreams->setColor(QColor(0xAE, 0xCB, 0xEB));
    FDreams->setBorderColor(QColor(0x2E, 0x6D, 0xB4));
    chart->addSeries(FDreams);
    FDreams->attachAxis(FDateAxis);
    FDreams->attachAxis(FValueAxis);
    FNights = AddLine(QColor(0x55, 0x55, 0x55), Qt::DashLine);
    FNights->setName(Text(res::SeriesNights));
    for (int n = 0; n < kLabelCount; ++n) FLabelLines[static_cast<std::size_t>(n)] = AddLine(kLabelColours[n]);
    FValueAxis->setLabelFormat(QStringLiteral("%d"));
  } else {
    FEnergy = AddLine(QColor(0x0E, 0x76, 0x6E));
    FEnergy->setName(Text(res::SeriesEnergy));
    FValueAxis->setRange(-1, 1);
    FValueAxis->setTickAnchor(0);
    FValueAxis->setTickInterval(0.5);
    FValueAxis->setLabelFormat(QStringLiteral("%.1f"));
    chart->legend()->hide();
  }
  // A click on a legend entry shows or hides its line; the scale follows the lines shown, so that
  // the labels' lines fill the chart once the dreams and nights are hidden.
  for (QLegendMarker* marker : chart->legend()->markers())
    connect(marker, &QLegendMarker::clicked, this, [this, marker] {
      QAbstractSeries* series = marker->series();
      const bool hide = !FHidden.contains(series);
      if (hide) FHidden.insert(series);
      else FHidden.erase(series);
      series->setVisible(!hide);
      marker->setVisible(true);
      QFont font = marker->font();
      font.setStrikeOut(hide);
      marker->setFont(font);
      if (FKind == Counts) ScaleCounts();
    });
  connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceTicks(); });
}

QLineSeries* TOverTimeChart::AddLine(const QColor& colour, Qt::PenStyle style) {
  auto* line = new QLineSeries(chart());
  QPen pen(colour, 2);
  pen.setStyle(style);
  line->setPen(pen);
  chart()->addSeries(line);
  line->attachAxis(FDateAxis);
  line->attachAxis(FValueAxis);
  return line;
}

void TOverTimeChart::Show(const TSeries& series, const TLabelNames& labels) {
  FSeries = series;
  FLabels = labels;
  lbl_Hover->hide();  // its figures were of the series before
  const auto& buckets = FSeries.Buckets;
  const QString periods = PeriodsText(series.Period);
  chart()->setTitle(Text(FKind == Counts ? res::ChartDreamsOverTime : res::ChartEnergyOverTime).arg(periods));
  // Few points: each marked, so that a single period is still seen.
  const bool marked = buckets.size() <= 40;
  auto centre = [](const TBucket& b) { return (b.Start + b.Next) / 2.0; };
  if (FKind == Counts) {
    QList<QPointF> top, nights;
    std::array<QList<QPointF>, kLabelCount> perLabel;
    top.reserve(static_cast<qsizetype>(buckets.size() * 2));
    nights.reserve(static_cast<qsizetype>(buckets.size()));
    for (const TBucket& b : buckets) {
      top << QPointF(b.Start, b.Dreams) << QPointF(b.Next, b.Dreams);
      nights << QPointF(centre(b), b.Nights);
      for (std::size_t n = 0; n < perLabel.size(); ++n) perLabel[n] << QPointF(centre(b), b.Labels[n]);
    }
    FDreamsTop->replace(top);
    FNights->replace(nights);
    FNights->setPointsVisible(marked);
    for (std::size_t n = 0; n < FLabelLines.size(); ++n) {
      FLabelLines[n]->setName(labels.Captions[n]);
      FLabelLines[n]->replace(perLabel[n]);
      FLabelLines[n]->setPointsVisible(marked);
      FLabelLines[n]->setVisible(labels.InUse[n] && !FHidden.contains(FLabelLines[n]));
      for (QLegendMarker* marker : chart()->legend()->markers(FLabelLines[n])) marker->setVisible(labels.InUse[n]);
    }
    ScaleCounts();
  } else {
    QList<QPointF> energy;
    for (const TBucket& b : buckets)
      if (const auto mean = b.MeanEnergy()) energy << QPointF(centre(b), *mean);
    FEnergy->replace(energy);
    FEnergy->setPointsVisible(marked || energy.size() < 2);
  }
  if (buckets.empty()) FDateAxis->setRange(0, 1);
  else FDateAxis->setRange(buckets.front().Start, buckets.back().Next);
  FTicksWidth = -1;
  PlaceTicks();
}

void TOverTimeChart::ScaleCounts() {
  int highest = 0;
  for (const TBucket& b : FSeries.Buckets) {
    if (FDreams->isVisible()) highest = std::max(highest, b.Dreams);
    if (FNights->isVisible()) highest = std::max(highest, b.Nights);
    for (std::size_t n = 0; n < FLabelLines.size(); ++n)
      if (FLabelLines[n]->isVisible()) highest = std::max(highest, b.Labels[n]);
  }
  const int step = NiceStep(highest, 5);
  FValueAxis->setTickAnchor(0);
  FValueAxis->setTickInterval(step);
  FValueAxis->setRange(0, std::max(step, (highest + step - 1) / step * step));
}

int TOverTimeChart::PlotWidth() const {
  const double plot = chart()->plotArea().width();
  if (plot > 0 && chart()->size().width() >= width() - 2) return static_cast<int>(plot);
  // Not laid out at this size yet: the view's width less what the value axis and margins take.
  return std::max(1, width() - 8 * fontMetrics().horizontalAdvance(QLatin1Char('0')) - 24);
}

void TOverTimeChart::PlaceTicks() {
  const double width = PlotWidth();
  if (width == FTicksWidth || FSeries.Buckets.empty()) {
    if (FSeries.Buckets.empty()) FTicks.clear();
    return;
  }
  FTicksWidth = width;
  const QFontMetrics metrics(FDateAxis->labelsFont());
  std::vector<TDateTick> ticks = DateTicks(FSeries.Buckets.front().Start, FSeries.Buckets.back().Next, width, FSeries.Period,
                                           [&](const QString& text) { return metrics.horizontalAdvance(text); });
  if (ticks == FTicks && FDateAxis->count() == static_cast<int>(ticks.size())) return;
  FTicks = std::move(ticks);
  for (const QString& label : FDateAxis->categoriesLabels()) FDateAxis->remove(label);
  FDateAxis->setStartValue(FSeries.Buckets.front().Start);
  for (const TDateTick& tick : FTicks) FDateAxis->append(tick.Text, tick.Day);
}

std::optional<std::size_t> TOverTimeChart::BucketAt(QPoint viewportPos) const {
  const QPointF at = chart()->mapFromScene(mapToScene(viewportPos));
  if (!chart()->plotArea().contains(at) || FSeries.Buckets.empty()) return std::nullopt;
  QAbstractSeries* reference = FKind == Counts ? static_cast<QAbstractSeries*>(FNights) : FEnergy;
  const double day = chart()->mapToValue(at, reference).x();
  const auto& buckets = FSeries.Buckets;
  const auto it = std::upper_bound(buckets.begin(), buckets.end(), day, [](double d, const TBucket& b) { return d < b.Start; });
  if (it == buckets.begin()) return std::nullopt;
  const auto index = static_cast<std::size_t>(it - buckets.begin() - 1);
  return day < buckets[index].Next ? std::optional(index) : std::nullopt;
}

QPoint TOverTimeChart::ViewportPos(int day) const {
  QAbstractSeries* reference = FKind == Counts ? static_cast<QAbstractSeries*>(FNights) : FEnergy;
  const QPointF inChart = chart()->mapToPosition(QPointF(day, FValueAxis->min() + (FValueAxis->max() - FValueAxis->min()) / 2), reference);
  return mapFromScene(chart()->mapToScene(inChart));
}

void TOverTimeChart::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const auto bucket = BucketAt(at);
  if (bucket) {
    lbl_Hover->setText(PeriodFigures(FSeries, *bucket, FLabels) + QLatin1Char('\n') + Text(res::HoverClick));
    lbl_Hover->adjustSize();
    // Beside the pointer, inside the chart: left of it near the right edge, above it near the bottom.
    const QSize size = lbl_Hover->size(), room = viewport()->size();
    QPoint place = at + QPoint(16, 16);
    if (place.x() + size.width() > room.width()) place.rx() = at.x() - 16 - size.width();
    if (place.y() + size.height() > room.height()) place.ry() = at.y() - 16 - size.height();
    lbl_Hover->move(std::max(0, place.x()), std::max(0, place.y()));
    lbl_Hover->show();
    lbl_Hover->raise();
    viewport()->setCursor(Qt::PointingHandCursor);
  } else {
    lbl_Hover->hide();
    viewport()->unsetCursor();
  }
  QChartView::mouseMoveEvent(event);
}

void TOverTimeChart::leaveEvent(QEvent* event) {
  lbl_Hover->hide();
  QChartView::leaveEvent(event);
}

void TOverTimeChart::mousePressEvent(QMouseEvent* event) {
  FPressed = event->button() == Qt::LeftButton ? BucketAt(event->position().toPoint()) : std::nullopt;
  QChartView::mousePressEvent(event);
}

void TOverTimeChart::mouseReleaseEvent(QMouseEvent* event) {
  const auto bucket = event->button() == Qt::LeftButton ? BucketAt(event->position().toPoint()) : std::nullopt;
  const bool click = bucket && bucket == FPressed;
  FPressed.reset();
  QChartView::mouseReleaseEvent(event);
  if (click) {
    const TBucket& b = FSeries.Buckets[*bucket];
    emit PeriodClicked(b.Start, b.Next);
  }
}
