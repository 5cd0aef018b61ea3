// Exporting from the insights view through the file seam: the page's charts as SVG or PNG by the
// file chosen, a table as CSV named with the library's captions.
#include <QImage>
#include <QTemporaryDir>

#include "../insights/insights_journal.h"
#include "vlm_InsightsView.h"
#include "vlm_TestSupport.h"

namespace {
class TExportAnswers : public TScriptedInteraction {
public:
  QString AskExportFile(QWidget*, const QString&, const QStringList& filters, QString& filter, TExportDates&) override {
    Offered << filters.front();
    filter = filters.front();
    return File;
  }
  QString File;
  QStringList Offered;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

TEST(InsightsExport, WritesTheChartAsSvgOrPngAndATableAsCsv) {
  TTestJournal journal(JournalXml({{"01.02.03", "кот", 1}, {"02.03.03", "дом"}}));
  TExportAnswers ui;
  TInsightsView view(ui);
  TLabelNames labels;
  labels.Captions[0] = QStringLiteral("Осознанное");
  labels.InUse[0] = true;
  view.SetLabels(labels);
  view.resize(800, 500);
  view.show();
  view.SetScope(QStringLiteral("J"), {{&journal.Root(), QStringLiteral("J")}});
  QTemporaryDir dir;

  ui.File = dir.filePath(QStringLiteral("chart.svg"));
  view.ExportChart(true);
  EXPECT_TRUE(ReadAll(ui.File).contains("<svg"));
  ui.File = dir.filePath(QStringLiteral("chart.png"));
  view.ExportChart(false);
  EXPECT_FALSE(QImage(ui.File).isNull());
  EXPECT_EQ(ui.Offered, (QStringList{QStringLiteral("Рисунок SVG (*.svg)"), QStringLiteral("Изображение PNG (*.png)")}));

  ui.File = dir.filePath(QStringLiteral("periods.csv"));
  view.ExportTable(0);
  const QString csv = QString::fromUtf8(ReadAll(ui.File));
  EXPECT_TRUE(csv.startsWith(QStringLiteral("period_start,")));
  EXPECT_TRUE(csv.contains(QStringLiteral("Осознанное")));
  EXPECT_TRUE(ui.Errors.isEmpty());
}
