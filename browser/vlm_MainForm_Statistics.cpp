// The statistics of journals and days, drawn into the work area's chart image by the view.
#include <QCheckBox>
#include <QLocale>

#include "vlm_EditorPanel.h"
#include "vlm_GraphPainter.h"
#include "vlm_MainForm.h"
#include "vlm_StatisticsView.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"

void Tfrm_MainForm::CreateGraphs() {
  FGraph = std::make_unique<TVLGraph>();
  FQualityGraph = std::make_unique<TVLGraph>();
  TStatisticsView::SetUpPainters(*FGraph, *FQualityGraph);
  TStatisticsView::TControls controls;
  controls.Graphs = pnl_WorkArea->Graphs();
  controls.Border = pnl_WorkArea->Border();
  controls.Layout = pnl_WorkArea->Anchors();
  for (int n = 1; n <= 2; ++n) {
    controls.Copy[n - 1] = pnl_WorkArea->CopyButton(n);
    controls.Refresh[n - 1] = pnl_WorkArea->RefreshButton(n);
  }
  FStatistics = std::make_unique<TStatisticsView>(controls, *FGraph, *FQualityGraph);
  FStatistics->CurrentElement = [this]() -> const TXMLNode* { return NodeOf(FCurrentNode); };
}

void Tfrm_MainForm::ShowJournalStatistics(const QModelIndex& node) {
  const TXMLNode* root = NodeOf(node);
  if (!root || !FStatistics) return;
  if (root->Name != tagJournal) {
    // A library entry that names no file has no journal to count; no other journal's charts stay.
    FStatistics->ShowNothing();
    return;
  }
  std::array<bool, kLabelCount> defined;
  std::array<std::string, kLabelCount> captions;
  for (int n = 1; n <= kLabelCount; ++n) {
    defined[n - 1] = FLabelDefined[n - 1];
    captions[n - 1] = Utf8ToCp1251(pnl_WorkArea->LabelCaption(n).toStdString());
  }
  FStatistics->ShowJournalStatistics(*root, defined, captions);
}

void Tfrm_MainForm::ShowDayStatistics() {
  const TXMLNode* day = NodeOf(FCurrentNode);
  if (!day || !FStatistics) return;
  FStatistics->ShowDayStatistics(*day, Utf8ToCp1251(QLocale().decimalPoint().toStdString()));
}
