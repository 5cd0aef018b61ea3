#include "vlm_StatisticsView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "tarvek_Utility.h"
#include "vlm_Anchors.h"
#include "vlm_GraphPainter.h"
#include "vlm_ImageCanvas.h"
#include "vlm_Resources.h"
#include "vlm_Statistics.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {
// The 16 x 16 glyph's middle, for the 15 x 15 chart buttons.
QIcon Glyph(const char* path) {
  const QPixmap picture{QLatin1String(path)};
  return picture.isNull() ? QIcon() : QIcon(picture.copy(1, 1, 13, 13));
}

bool ShowsJournal(const TXMLNode* e) { return e && (e->Name == tagJournal || e->Name == tagFile); }
bool ShowsDay(const TXMLNode* e) { return e && e->Name == tagDay; }
}  // namespace

TStatisticsView::TStatisticsView(const TControls& controls, TVLGraph& graph, TVLGraph& quality, QObject* parent)
    : QObject(parent), FControls(controls), FGraph(graph), FQualityGraph(quality) {
  FCanvas = std::make_unique<TImageCanvas>(FImage);
  for (int n = 0; n < 2; ++n) {
    FControls.Copy[n]->setIcon(Glyph(":/ui/copy_graph.bmp"));
    FControls.Refresh[n]->setIcon(Glyph(":/ui/refresh_graph.bmp"));
    for (QToolButton* b : {FControls.Copy[n], FControls.Refresh[n]}) b->setIconSize(QSize(13, 13));
  }
  connect(FControls.Refresh[0], &QToolButton::clicked, this, [this] { btn_Refresh_1Click(); });
  connect(FControls.Refresh[1], &QToolButton::clicked, this, [this] { btn_Refresh_2Click(); });
  connect(FControls.Copy[0], &QToolButton::clicked, this, [this] { btn_Copy_1Click(); });
  connect(FControls.Copy[1], &QToolButton::clicked, this, [this] { btn_Copy_2Click(); });
}

TStatisticsView::~TStatisticsView() = default;

void TStatisticsView::SetUpPainters(TVLGraph& graph, TVLGraph& quality) {
  SetUpJournalCharts(graph, quality, res::GraphFontName);
}

void TStatisticsView::ShowJournalStatistics(const TXMLNode& journalRoot, const std::array<bool, kLabelCount>& defined,
                                            const std::array<std::string, kLabelCount>& captions) {
  const TJournalCounts counts = CountJournal(journalRoot);

  FGraph.XMin = 1.0;
  FGraph.XMax = static_cast<double>(counts.DreamsPerDay.size());
  FGraph.YMin = 0.0;
  FGraph.YMax = counts.MostPerDay;
  FGraph.XAxis = {0.0, 1.0, -1};
  FGraph.XFormat = "%.0n";
  FGraph.YAxis = {0.0, 1.0, -1};
  FGraph.YFormat = "%.0n";
  FGraph.ClearValues();
  for (std::size_t i = 0; i < counts.DreamsPerDay.size(); ++i)
    FGraph.AddValue(std::string(), static_cast<double>(i + 1), counts.DreamsPerDay[i]);
  FGraph.Title.Text = Utf8ToCp1251(res::TitleDreamsPerDay);
  FGraph.Footer.Text.clear();
  FGraph.Kind = gkLineCircles;

  FQualityGraph.XMin = 1.0;
  // Without any label the range stays as it was: the painter draws nothing when it is empty.
  if (const int highest = HighestDefinedLabel(defined)) FQualityGraph.XMax = highest;
  FQualityGraph.YMin = 0.0;
  FQualityGraph.YMax = *std::max_element(counts.LabelCounts.begin(), counts.LabelCounts.end());
  FQualityGraph.XAxis = {1.0, 1.0, -1};
  FQualityGraph.XFormat = "%.0n";
  FQualityGraph.YAxis = {0.0, 1.0, -1};
  FQualityGraph.YFormat = "%.0n";
  FQualityGraph.ClearValues();
  for (std::size_t k = 0; k < kLabelCount; ++k)
    if (defined[k]) FQualityGraph.AddValue(captions[k], static_cast<double>(k + 1), counts.LabelCounts[k]);
  FQualityGraph.Title.Text = Utf8ToCp1251(res::TitleDreamQuality);
  FQualityGraph.Footer.Text = Utf8ToCp1251(res::FooterTotalDreams) + std::to_string(counts.Total);
  FQualityGraph.Kind = gkHorzBars;

  FShown = shJournal;
  FShownFor = &journalRoot;
  PaintClear();
  PaintGraph();
  PaintQualityGraph();
  Present();
}

void TStatisticsView::ShowDayStatistics(const TXMLNode& day, const std::string& decimal) {
  const TDayEnergies energies = CountDayEnergies(day);
  const int n = static_cast<int>(energies.Energies.size());
  FGraph.ClearValues();
  for (int i = 0; i < n; ++i) FGraph.AddValue(std::string(), i + 1, energies.Energies[static_cast<std::size_t>(i)]);
  FGraph.XMin = 0.0;
  FGraph.XMax = n + 1;
  FGraph.YMin = -1.0;
  FGraph.YMax = 1.0;
  FGraph.XAxis = {1.0, 1.0, n};
  FGraph.XFormat = "%.0n";
  FGraph.YAxis = {-1.0, 0.25, -1};
  FGraph.YFormat = "%.2n";
  FGraph.Title.Text = Utf8ToCp1251(res::TitleEnergyLevel);
  // Shown to two places; the dreams' own levels stay as they are.
  const double average = std::round(energies.Average * 100.0) / 100.0;
  FGraph.Footer.Text = Utf8ToCp1251(res::FooterAverageEnergy) + FormatGeneral(average, decimal);
  FGraph.Kind = gkLineCircles;

  FShown = shDay;
  FShownFor = &day;
  PaintClear();
  PaintGraph();
  Present();
}

void TStatisticsView::ShowNothing() {
  FShown = shNone;
  FShownFor = nullptr;
  PaintClear();
  Present();
}

TStatisticsView::TShown TStatisticsView::ShownNow() const {
  const TXMLNode* current = CurrentElement ? CurrentElement() : nullptr;
  return current && current == FShownFor ? FShown : shNone;
}

void TStatisticsView::FitImage() {
  const QSize size = FControls.Graphs->size();
  if (FImage.size() == size) return;
  // The bitmap takes the control's size and keeps what it holds where both overlap.
  QImage fitted(size, QImage::Format_RGB32);
  fitted.fill(Qt::white);
  if (!FImage.isNull()) {
    for (int y = 0; y < std::min(size.height(), FImage.height()); ++y)
      std::copy_n(FImage.constScanLine(y), 4 * std::min(size.width(), FImage.width()), fitted.scanLine(y));
  }
  FImage = std::move(fitted);
}

void TStatisticsView::Present() { FControls.Graphs->setPixmap(QPixmap::fromImage(FImage)); }

void TStatisticsView::PaintClear() {
  FitImage();
  FillBox(FCanvas.get(), clBtnFace, clBtnFace, 0, 0, FImage.width(), FImage.height());
}

void TStatisticsView::PlaceButtons(int n, const QRect& box) {
  QToolButton* copy = FControls.Copy[n];
  QToolButton* refresh = FControls.Refresh[n];
  const int right = box.left() + box.width();
  const QRect copyAt(right - copy->width() - 5, box.top() + 5, copy->width(), copy->height());
  const QRect refreshAt(right - refresh->width() - 5, box.top() + 6 + copy->height(), refresh->width(),
                        refresh->height());
  if (FControls.Layout) {
    FControls.Layout->Place(copy, copyAt);
    FControls.Layout->Place(refresh, refreshAt);
  } else {
    copy->setGeometry(copyAt);
    refresh->setGeometry(refreshAt);
  }
  copy->show();
  copy->raise();
  refresh->show();
  refresh->raise();
}

int TStatisticsView::ButtonColumn() const {
  // The plot ends left of the buttons, so that they hide no point or bar at its right edge.
  return 10 + FControls.Copy[0]->width() + 10;
}

void TStatisticsView::PaintGraph() {
  FitImage();
  const QRect border = FControls.Border->geometry();
  const int top = border.top() + 15;
  const int right = FImage.width() - 10;
  const int bottom = (FImage.height() - (border.top() + border.height())) / 2 + 25;
  FGraphBox = QRect(10, top, right - 10, bottom - top);
  FillBox(FCanvas.get(), clBlack, clBtnFace, 10, top, right - 10, bottom - top);
  const int plotRight = right - ButtonColumn();
  FGraph.BarWidth = 10.0 / std::max(1, plotRight - 10);
  FGraph.Draw(*FCanvas, TRect{20, top + 5, plotRight, bottom - 5});
  PlaceButtons(0, FGraphBox);
}

void TStatisticsView::PaintQualityGraph() {
  FitImage();
  const QRect border = FControls.Border->geometry();
  const int top = (FImage.height() - (border.top() + border.height())) / 2 + 35;
  const int right = FImage.width() / 2 - 20;
  const int bottom = FImage.height() - 10;
  FQualityBox = QRect(10, top, right - 10, bottom - top);
  FillBox(FCanvas.get(), clBlack, clBtnFace, 10, top, right - 10, bottom - top);
  FQualityGraph.BarWidth = 0.1;
  FQualityGraph.Draw(*FCanvas, TRect{20, top + 5, right - ButtonColumn(), bottom - 5});
  PlaceButtons(1, FQualityBox);
}

void TStatisticsView::DrawGraph() {
  PaintGraph();
  Present();
}

void TStatisticsView::DrawQualityGraph() {
  PaintQualityGraph();
  Present();
}

void TStatisticsView::btn_Refresh_1Click() {
  if (ShownNow() != shNone) DrawGraph();
}

void TStatisticsView::btn_Refresh_2Click() {
  if (ShownNow() == shJournal) DrawQualityGraph();
}

void TStatisticsView::btn_Copy_1Click() {
  if (!FGraphBox.isEmpty()) QGuiApplication::clipboard()->setImage(FImage.copy(FGraphBox));
}

void TStatisticsView::btn_Copy_2Click() {
  if (!FQualityBox.isEmpty()) QGuiApplication::clipboard()->setImage(FImage.copy(FQualityBox));
}

void TStatisticsView::Resized() {
  const TXMLNode* current = CurrentElement ? CurrentElement() : nullptr;
  switch (ShownNow()) {
    case shJournal:
      PaintClear();
      PaintGraph();
      PaintQualityGraph();
      break;
    case shDay:
      PaintClear();
      PaintGraph();
      break;
    case shNone:
      // A journal or day whose statistics were not counted shows no other journal's charts.
      if (!ShowsJournal(current) && !ShowsDay(current)) return;
      PaintClear();
      break;
  }
  Present();
}
