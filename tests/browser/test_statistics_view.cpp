// The charts of a journal and of a day in the work area: what is counted, that the boxes show exactly
// what the painters draw, repainting without recounting, and copying a chart to the clipboard.
#include <QClipboard>
#include <QLabel>
#include <QLocale>
#include <QToolButton>

#include "tarvek_Utility.h"
#include "vlm_EditorPanel.h"
#include "vlm_GraphPainter.h"
#include "vlm_ImageCanvas.h"
#include "vlm_StatisticsView.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {

std::vector<std::pair<double, double>> Points(const TVLGraph& graph) {
  std::vector<std::pair<double, double>> points;
  for (const auto& v : graph.Values) points.emplace_back(v.X, v.Y);
  return points;
}

std::string Utf8(const std::string& cp1251) { return FromCp(cp1251).toStdString(); }

}  // namespace

class StatisticsViewTest : public BrowserTest {
protected:
  // A library whose labels are the given `label` elements, with one journal of `body`.
  void Write(const QString& labels, const QString& body) {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n") + labels +
                         QStringLiteral("  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n") + body + QStringLiteral("</velmora>\n"));
  }
  static QString FourLabels() {
    return QStringLiteral("  <label caption=\"Один\" />\n  <label caption=\"Два\" />\n"
                          "  <label caption=\"Три\" />\n  <label caption=\"Четыре\" />\n");
  }
  void Select(const QString& caption) {
    TItem item = Item(caption);
    ASSERT_NE(item, nullptr);
    ClickItem(item);
  }
  TStatisticsView& View() const { return *Form->FStatistics; }
  // What the chart control shows inside `box`.
  QImage Shown(const QRect& box) const {
    return Form->pnl_WorkArea->Graphs()->pixmap().toImage().convertToFormat(QImage::Format_RGB32).copy(box);
  }
  // The framed box drawn directly by a copy of `painter` into an image of the chart's size.
  QImage Direct(const TVLGraph& painter, const QRect& box) const {
    QImage image(View().Image().size(), QImage::Format_RGB32);
    TImageCanvas canvas(image);
    FillBox(&canvas, clBtnFace, clBtnFace, 0, 0, image.width(), image.height());
    FillBox(&canvas, clBlack, clBtnFace, box.x(), box.y(), box.width(), box.height());
    TVLGraph copy = painter;
    copy.Draw(canvas, painter.Area);
    return image.copy(box);
  }
  // Inside the frame there is nothing but the button face: the painter drew nothing.
  bool EmptyBox(const QRect& box) const {
    const QImage inside = Shown(box.adjusted(1, 1, -1, -1));
    const QRgb face = inside.pixel(0, 0);
    for (int y = 0; y < inside.height(); ++y)
      for (int x = 0; x < inside.width(); ++x)
        if (inside.pixel(x, y) != face) return false;
    return true;
  }
};

TEST_F(StatisticsViewTest, JournalChartsAreThePaintersDrawingOfTheTreesCounts) {
  Write(FourLabels(),
        "<day name=\"d1\">\n"
        "  <experience number=\"1\" title=\"a\"><properties label1=\"true\" label3=\"true\" /></experience>\n"
        "  <comment>note</comment>\n"
        "  <experience number=\"2\" title=\"b\"><properties label3=\"true\" /></experience>\n"
        "</day>\n"
        "<day name=\"d2\" />\n"
        "<day name=\"d3\"><experience number=\"3\" title=\"c\" /></day>\n");
  Open();
  Select(QStringLiteral("J"));
  // The counts are those of the tree below the journal, whose days were never expanded.
  TItem journal = Item(QStringLiteral("J"));
  ASSERT_EQ(journal->childCount(), 3);
  EXPECT_EQ(Points(*Form->FGraph), (std::vector<std::pair<double, double>>{{1, 2}, {2, 0}, {3, 1}}));
  journal->child(0)->setExpanded(true);
  EXPECT_EQ(journal->child(0)->childCount(), 2);
  EXPECT_EQ(Form->FGraph->YMax, 2.0);
  EXPECT_EQ(Points(*Form->FQualityGraph), (std::vector<std::pair<double, double>>{{1, 1}, {2, 0}, {3, 2}, {4, 0}}));
  // All four labels defined: the label axis and its bars span 1 to 4.
  EXPECT_EQ(Form->FQualityGraph->XMin, 1.0);
  EXPECT_EQ(Form->FQualityGraph->XMax, 4.0);
  EXPECT_EQ(Form->FQualityGraph->XAxis.Start, 1.0);
  EXPECT_EQ(Utf8(Form->FQualityGraph->Footer.Text), "Всего сновидений: 3");
  EXPECT_EQ(Utf8(Form->FGraph->Title.Text), "Количество сновидений по дням");

  EXPECT_EQ(Shown(View().GraphBox()), Direct(*Form->FGraph, View().GraphBox()));
  EXPECT_EQ(Shown(View().QualityBox()), Direct(*Form->FQualityGraph, View().QualityBox()));
  EXPECT_FALSE(EmptyBox(View().GraphBox()));
  // Each box has its copy and refresh buttons at its top-right corner, inside it.
  for (QToolButton* b : {Editors().btn_Copy_1, Editors().btn_Refresh_1}) {
    EXPECT_TRUE(b->isVisible());
    EXPECT_TRUE(View().GraphBox().contains(b->geometry()));
  }
  EXPECT_TRUE(View().QualityBox().contains(Editors().btn_Refresh_2->geometry()));
  // The buttons hide no point and no bar: each plot ends left of them.
  EXPECT_LT(Form->FGraph->Area.Right, Editors().btn_Refresh_1->x());
  EXPECT_LT(Form->FQualityGraph->Area.Right, Editors().btn_Refresh_2->x());
}

TEST_F(StatisticsViewTest, JournalsWithOneDayWithoutDaysAndWithFewLabels) {
  Write(QStringLiteral("  <label caption=\"Один\" />\n"),
        "<day name=\"only\"><experience number=\"1\" title=\"a\"><properties label1=\"true\" label2=\"true\" />"
        "</experience><experience number=\"2\" title=\"b\"><properties label2=\"true\" /></experience></day>\n");
  Open();
  // One day: the dreams-per-day range is 1 to 1; one label defined: the label range too.
  Select(QStringLiteral("J"));
  EXPECT_TRUE(EmptyBox(View().GraphBox()));
  EXPECT_TRUE(EmptyBox(View().QualityBox()));
  EXPECT_EQ(Points(*Form->FQualityGraph), (std::vector<std::pair<double, double>>{{1, 1}}));

  // Only the second label defined: it alone is charted, at 2 of 1 .. 2.
  const TXMLNode& root = *Form->NodeOf(Item(QStringLiteral("J")));
  View().ShowJournalStatistics(root, {false, true, false, false}, {});
  EXPECT_EQ(Form->FQualityGraph->XMax, 2.0);
  EXPECT_EQ(Points(*Form->FQualityGraph), (std::vector<std::pair<double, double>>{{2, 2}}));
  EXPECT_EQ(Shown(View().QualityBox()), Direct(*Form->FQualityGraph, View().QualityBox()));
  // None defined: nothing charted, the category range as it was.
  View().ShowJournalStatistics(root, {false, false, false, false}, {});
  EXPECT_TRUE(Form->FQualityGraph->Values.empty());
  EXPECT_EQ(Form->FQualityGraph->XMax, 2.0);

  // No days: the value axis 0 .. 1 without data above; no label counted, so an empty label box.
  TXMLNode empty("velmora");
  View().ShowJournalStatistics(empty, {true, true, true, true}, {});
  EXPECT_TRUE(Form->FGraph->Values.empty());
  EXPECT_FALSE(EmptyBox(View().GraphBox()));
  EXPECT_EQ(Shown(View().GraphBox()), Direct(*Form->FGraph, View().GraphBox()));
  EXPECT_TRUE(EmptyBox(View().QualityBox()));
}

TEST_F(StatisticsViewTest, DayEnergiesPassOverTheCommentAndADamagedLevelCountsAsNeutral) {
  Write(FourLabels(),
        "<day name=\"d1\">\n"
        "  <experience number=\"1\" title=\"a\"><energy level=\"50\" /></experience>\n"
        "  <comment>between</comment>\n"
        "  <experience number=\"2\" title=\"b\"><energy level=\"x7\" /></experience>\n"
        "  <experience number=\"3\" title=\"c\" />\n"
        "</day>\n"
        "<day name=\"d2\"><comment>only a note</comment></day>\n");
  struct TRussian {
    QLocale Saved;
    TRussian() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    ~TRussian() { QLocale::setDefault(Saved); }
  } russian;
  Open();
  Select(QStringLiteral("J"));
  Select(QStringLiteral("d1"));
  EXPECT_TRUE(Ui.Errors.isEmpty());
  EXPECT_EQ(Points(*Form->FGraph), (std::vector<std::pair<double, double>>{{1, 0.5}, {2, 0}, {3, 0}}));
  EXPECT_EQ(Utf8(Form->FGraph->Footer.Text), "Средний энергетический уровень сновидений: 0,17");  // two places
  EXPECT_EQ(Shown(View().GraphBox()), Direct(*Form->FGraph, View().GraphBox()));
  EXPECT_FALSE(Editors().btn_Copy_2->isVisible());

  Select(QStringLiteral("d2"));
  EXPECT_TRUE(Form->FGraph->Values.empty());
  EXPECT_EQ(Form->FGraph->XAxis.Count, 0);
  EXPECT_EQ(Utf8(Form->FGraph->Footer.Text), "Средний энергетический уровень сновидений: 0");
  EXPECT_FALSE(EmptyBox(View().GraphBox()));  // the value axis -1.00 .. 1.00
}

TEST_F(StatisticsViewTest, ResizeAndRefreshRepaintWithoutCountingAgain) {
  Write(FourLabels(), "<day name=\"d1\"><experience number=\"1\" title=\"a\" /></day>\n<day name=\"d2\" />\n");
  Open();
  Select(QStringLiteral("J"));
  const auto before = Points(*Form->FGraph);
  const QRect oldBox = View().GraphBox();
  // A dream added behind the view's back is not counted by repainting.
  TXMLNode* day = Form->NodeOf(Item(QStringLiteral("d2")));
  day->AddChild(std::make_unique<TXMLNode>("experience"));
  Form->resize(Form->width() + 120, Form->height() + 60);
  QApplication::processEvents();
  EXPECT_EQ(Points(*Form->FGraph), before);
  EXPECT_NE(View().GraphBox(), oldBox);
  EXPECT_EQ(View().Image().size(), Form->pnl_WorkArea->Graphs()->size());
  EXPECT_EQ(Shown(View().GraphBox()), Direct(*Form->FGraph, View().GraphBox()));
  EXPECT_EQ(Shown(View().QualityBox()), Direct(*Form->FQualityGraph, View().QualityBox()));

  QTest::mouseClick(Editors().btn_Refresh_1, Qt::LeftButton);
  QTest::mouseClick(Editors().btn_Refresh_2, Qt::LeftButton);
  EXPECT_EQ(Points(*Form->FGraph), before);
  EXPECT_EQ(Shown(View().GraphBox()), Direct(*Form->FGraph, View().GraphBox()));

  // With a dream selected the charts are hidden and a resize paints nothing into them.
  Select(QStringLiteral("1. a"));
  const QImage hidden = View().Image();
  Form->resize(Form->width() - 60, Form->height());
  QApplication::processEvents();
  EXPECT_EQ(View().Image(), hidden);
}

TEST_F(StatisticsViewTest, CopyButtonsPutTheirFramedChartOnTheClipboard) {
  Write(FourLabels(), "<day name=\"d1\"><experience number=\"1\" title=\"a\"><properties label4=\"true\" />"
                      "</experience></day>\n<day name=\"d2\" />\n");
  Open();
  Select(QStringLiteral("J"));
  QTest::mouseClick(Editors().btn_Copy_1, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Shown(View().GraphBox()));
  QTest::mouseClick(Editors().btn_Copy_2, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Shown(View().QualityBox()));
}

TEST_F(StatisticsViewTest, AnEntryWithoutAFileShowsNoOtherJournalsCharts) {
  Write(FourLabels(), "<day name=\"d1\"><experience number=\"1\" title=\"a\" /></day>\n<day name=\"d2\" />\n");
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                      "    <file name=\"J\" path=\"j.xml\" />\n    <file name=\"K\" />\n"
                                      "  </directory>\n</dreamlibrary>\n"));
  Open();
  Select(QStringLiteral("J"));
  ASSERT_FALSE(EmptyBox(View().GraphBox()));
  const QRect whole(QPoint(0, 0), View().Image().size());
  Select(QStringLiteral("K"));
  EXPECT_TRUE(EmptyBox(whole.adjusted(-1, -1, 1, 1)));
  Form->resize(Form->width() + 40, Form->height());
  QApplication::processEvents();
  EXPECT_TRUE(EmptyBox(QRect(QPoint(0, 0), View().Image().size()).adjusted(-1, -1, 1, 1)));
  EXPECT_FALSE(Editors().btn_Copy_1->isVisible());
}
