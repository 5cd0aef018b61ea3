#include "vlm_InsightsRecall.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QGridLayout>
#include <QLabel>
#include <QValueAxis>
#include <algorithm>

#include "vlm_InsightsAxis.h"
#include "vlm_InsightsResources.h"
#include "vlm_Strings.h"

namespace {

// A bar chart of nights and dreams over fixed categories; its sets are returned through `nights`
// and `dreams`.
QChartView* BarChart(const char* title, const QStringList& categories, QBarSet*& nights, QBarSet*& dreams, QWidget* parent) {
  auto* chart = new QChart;
  chart->setTitle(Text(title));
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setAlignment(Qt::AlignBottom);
  nights = new QBarSet(Text(res::SeriesNights));
  dreams = new QBarSet(Text(res::SeriesDreams));
  nights->setColor(QColor(0x55, 0x55, 0x55));
  dreams->setColor(QColor(0x6F, 0x9F, 0xD8));
  auto* bars = new QBarSeries(chart);
  bars->append(nights);
  bars->append(dreams);
  chart->addSeries(bars);
  auto* x = new QBarCategoryAxis(chart);
  x->append(categories);
  chart->addAxis(x, Qt::AlignBottom);
  bars->attachAxis(x);
  auto* y = new QValueAxis(chart);
  y->setLabelFormat(QStringLiteral("%d"));
  y->setTickType(QValueAxis::TicksDynamic);
  y->setTickAnchor(0);
  chart->addAxis(y, Qt::AlignLeft);
  bars->attachAxis(y);
  auto* view = new QChartView(chart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

template <std::size_t N>
void Fill(QChartView* view, QBarSet* nights, QBarSet* dreams, const std::array<int, N>& n, const std::array<int, N>& d) {
  QList<qreal> nv, dv;
  for (std::size_t i = 0; i < N; ++i) {
    nv << n[i];
    dv << d[i];
  }
  nights->remove(0, nights->count());
  dreams->remove(0, dreams->count());
  nights->append(nv);
  dreams->append(dv);
  const int highest = std::max(*std::max_element(n.begin(), n.end()), *std::max_element(d.begin(), d.end()));
  const int step = NiceStep(highest, 4);
  for (QAbstractAxis* axis : view->chart()->axes(Qt::Vertical))
    if (auto* y = qobject_cast<QValueAxis*>(axis)) {
      y->setTickInterval(step);
      y->setRange(0, std::max(step, (highest + step - 1) / step * step));
    }
}

}  // namespace

TRecallPanel::TRecallPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  lbl_Figures = new QLabel(this);
  lbl_Figures->setTextFormat(Qt::PlainText);
  lbl_Figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(lbl_Figures, 0, 0, 1, 2);
  QStringList weekdays, months;
  for (const char* day : res::WeekdayShortNames) weekdays << Text(day);
  for (const char* month : res::MonthShortNames) months << Text(month);
  cht_Weekdays = BarChart(res::ChartByWeekday, weekdays, FWeekdayNights, FWeekdayDreams, this);
  cht_Months = BarChart(res::ChartByMonth, months, FMonthNights, FMonthDreams, this);
  layout->addWidget(cht_Weekdays, 1, 0);
  layout->addWidget(cht_Months, 1, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(0, 2);
  layout->setColumnStretch(1, 3);
}

void TRecallPanel::Show(const TRecall& recall) {
  FRecall = recall;
  const QLocale locale;
  const QString format = Text(res::InsightsDateFormat);
  auto date = [&](int day) { return DateOfDay(day).toString(format); };
  QString longest = QString::number(recall.LongestRun);
  if (recall.LongestRunStart)
    longest = Text(res::RecallRunDates).arg(recall.LongestRun).arg(date(*recall.LongestRunStart), date(*recall.LongestRunStart + recall.LongestRun - 1));
  QStringList lines{Text(res::RecallNights) + QLatin1Char(' ') + QString::number(recall.Nights),
                    Text(res::RecallDreams) + QLatin1Char(' ') + QString::number(recall.Dreams),
                    Text(res::RecallPerNight) + QLatin1Char(' ') + locale.toString(recall.DreamsPerNight, 'f', 2),
                    Text(res::RecallLongestRun) + QLatin1Char(' ') + longest,
                    Text(res::RecallCurrentRun) + QLatin1Char(' ') + QString::number(recall.CurrentRun)};
  if (recall.UndatedDreams) lines << Text(res::RecallUndated) + QLatin1Char(' ') + QString::number(recall.UndatedDreams);
  lbl_Figures->setText(lines.join(QLatin1Char('\n')));
  Fill(cht_Weekdays, FWeekdayNights, FWeekdayDreams, recall.NightsByWeekday, recall.DreamsByWeekday);
  Fill(cht_Months, FMonthNights, FMonthDreams, recall.NightsByMonth, recall.DreamsByMonth);
}
