// Exporting from the insights view: the page shown (its charts) as PNG or SVG, the tables as CSV.
// The file is chosen through the seam and written whole or not at all.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QToolButton>

#include "vlm_InsightsRecall.h"
#include "vlm_InsightsResources.h"
#include "vlm_InsightsTables.h"
#include "vlm_InsightsThemes.h"
#include "vlm_InsightsView.h"
#include "vlm_Strings.h"
#include "vlm_UserInteraction.h"

namespace {
enum TTable { tbSeries, tbRecall, tbThemes, tbRising, tbLabelWords };
}  // namespace

void TInsightsView::CreateExportMenu() {
  auto* menu = new QMenu(btn_Export);
  connect(menu->addAction(Text(res::ExportChartPng)), &QAction::triggered, this, [this] { Handle([this] { ExportChart(false); }); });
  connect(menu->addAction(Text(res::ExportChartSvg)), &QAction::triggered, this, [this] { Handle([this] { ExportChart(true); }); });
  menu->addSeparator();
  const char* tables[] = {res::ExportSeriesCsv, res::ExportRecallCsv, res::ExportThemesCsv, res::ExportRisingCsv,
                          res::ExportLabelWordsCsv};
  for (int t = tbSeries; t <= tbLabelWords; ++t)
    connect(menu->addAction(Text(tables[t])), &QAction::triggered, this, [this, t] { Handle([this, t] { ExportTable(t); }); });
  btn_Export->setMenu(menu);
}

bool TInsightsView::WriteChosenFile(const QString& proposed, const QStringList& filters, QString& filter,
                                    const std::function<bool(QSaveFile& file)>& write) {
  TUserInteraction::TExportDates dates;  // the range is the view's own
  const QString file = FUi.AskExportFile(this, proposed, filters, filter, dates);
  if (file.isEmpty()) return false;
  if (QFileInfo::exists(file) && !FUi.AskReplaceFile(this, file)) return false;
  QSaveFile out(file);
  const bool written = out.open(QIODevice::WriteOnly) && write(out) && out.commit();
  if (!written) FUi.ShowError(this, Text(res::ExportWriteFailed).arg(file, out.errorString()));
  return written;
}

void TInsightsView::ExportChart(bool svg) {
  QWidget* page = tab_Pages->currentWidget();
  QStringList filters{Text(res::FilterPng), Text(res::FilterSvg)};
  if (svg) filters.swapItemsAt(0, 1);
  QString filter = filters.front();
  WriteChosenFile(tab_Pages->tabText(tab_Pages->currentIndex()) + (svg ? QStringLiteral(".svg") : QStringLiteral(".png")),
                  filters, filter, [&](QSaveFile& file) {
                    const bool asSvg = file.fileName().endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) ||
                                       (filter == Text(res::FilterSvg) && !file.fileName().endsWith(QLatin1String(".png"), Qt::CaseInsensitive));
                    if (asSvg) {
                      QSvgGenerator svg;
                      svg.setOutputDevice(&file);
                      svg.setSize(page->size());
                      svg.setViewBox(QRect(QPoint(), page->size()));
                      svg.setTitle(windowTitle());
                      QPainter painter;
                      if (!painter.begin(&svg)) return false;
                      page->render(&painter);
                      return painter.end();
                    }
                    return page->grab().save(&file, "PNG");
                  });
}

void TInsightsView::ExportTable(int table) {
  TLabelCaptions captions;
  for (std::size_t n = 0; n < captions.size(); ++n) ToCp(FLabels.Captions[n], captions[n]);
  const TWordsAnswer& words = pnl_Themes->Shown();
  std::string csv;
  switch (table) {
    case tbSeries: csv = SeriesCsv(FSeries, captions); break;
    case tbRecall: csv = RecallCsv(pnl_Recall->Shown()); break;
    case tbThemes: csv = ThemesCsv(words.Themes); break;
    case tbRising: csv = ContrastCsv(words.Rising); break;
    default: csv = ContrastCsv(words.LabelWords); break;
  }
  const char* names[] = {"periods", "recall", "themes", "rising", "label"};
  QString filter = Text(res::FilterCsv);
  WriteChosenFile(QLatin1String(names[table]) + QStringLiteral(".csv"), {filter}, filter, [&](QSaveFile& file) {
    return file.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size());
  });
}
