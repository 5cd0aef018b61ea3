#pragma once
// The charts of the work area: for a journal, dreams per day (upper box) and how many dreams carry
// each label (lower-left box); for a day, the energy of each dream (upper box). The numbers are
// counted by vlm_Statistics (journal/); this class sets up the two painters, frames their boxes in
// the chart image below the name field's separator, places each box's copy and refresh buttons at
// its top-right corner, and repaints from the values it holds when the work area changes size.
#include <QImage>
#include <QObject>
#include <QRect>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "vlm_Types.h"

class QLabel;
class QToolButton;
class QWidget;
class TAnchorLayout;
class TImageCanvas;
class TVLGraph;
class TXMLNode;

class TStatisticsView : public QObject {
  Q_OBJECT
public:
  struct TControls {
    QLabel* Graphs = nullptr;       // img_Graphs: fills the work area
    QWidget* Border = nullptr;      // bvl_Border: the separator under the name field
    TAnchorLayout* Layout = nullptr;  // places the buttons in the work area
    QToolButton* Copy[2] = {nullptr, nullptr};
    QToolButton* Refresh[2] = {nullptr, nullptr};
  };

  // `graph` and `quality` are the main window's painters; they outlive the view.
  TStatisticsView(const TControls& controls, TVLGraph& graph, TVLGraph& quality, QObject* parent = nullptr);
  ~TStatisticsView() override;

  // The fixed settings of both painters: fonts, alignments, colours and gradient stops.
  static void SetUpPainters(TVLGraph& graph, TVLGraph& quality);

  // The element of the node the work area shows (null for none); refreshing and resizing look at it.
  std::function<const TXMLNode*()> CurrentElement;

  // Both journal charts, counted from the loaded journal's root. `defined` and `captions` are the
  // four labels of the library (captions in Windows-1251).
  void ShowJournalStatistics(const TXMLNode& journalRoot, const std::array<bool, kLabelCount>& defined,
                             const std::array<std::string, kLabelCount>& captions);
  // The energy chart of a day. `decimal` is the locale's decimal separator (Windows-1251).
  void ShowDayStatistics(const TXMLNode& day, const std::string& decimal);

  // No statistics: the image cleared, and nothing repainted until the next Show.
  void ShowNothing();

  void DrawGraph();
  void DrawQualityGraph();
  void btn_Refresh_1Click();
  void btn_Refresh_2Click();
  void btn_Copy_1Click();
  void btn_Copy_2Click();
  // The work area changed size: repaint what the painters hold, nothing recounted.
  void Resized();

  // The framed boxes as last laid out, in the chart image.
  QRect GraphBox() const { return FGraphBox; }
  QRect QualityBox() const { return FQualityBox; }
  const QImage& Image() const { return FImage; }

private:
  enum TShown { shNone, shJournal, shDay };
  // The image at the chart control's size, keeping what it holds.
  void FitImage();
  void Present();
  void PaintGraph();
  void PaintQualityGraph();
  void PaintClear();
  // The painters hold the statistics of the element the work area shows.
  TShown ShownNow() const;
  void PlaceButtons(int n, const QRect& box);
  // The width at a box's right edge that the plot leaves to the copy and refresh buttons.
  int ButtonColumn() const;

  TControls FControls;
  TVLGraph& FGraph;
  TVLGraph& FQualityGraph;
  QImage FImage;
  std::unique_ptr<TImageCanvas> FCanvas;
  QRect FGraphBox;
  QRect FQualityBox;
  TShown FShown = shNone;
  const TXMLNode* FShownFor = nullptr;  // only compared, never followed
};
