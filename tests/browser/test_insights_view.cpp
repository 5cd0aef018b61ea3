// The insights view from the window: it follows the tree's selection, names the label lines with
// the library's captions, narrows the range to a period clicked, keeps the user's exclusions in
// the library file, and searches for a word clicked.
#include <QChart>
#include <QComboBox>
#include <QDateEdit>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QLabel>
#include <QMouseEvent>

#include "vlm_InsightsAxis.h"
#include "vlm_InsightsRecall.h"
#include "vlm_InsightsThemes.h"
#include "vlm_InsightsView.h"
#include "vlm_SearchPanel.h"
#include "vlm_TestSupport.h"

class InsightsViewTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <label caption=\"Осознанное\" />\n  <label caption=\"Астрал\" />\n"
        "  <directory name=\"A\"><file name=\"J1\" path=\"j1.xml\" /><file name=\"J2\" path=\"j2.xml\" /></directory>\n"
        "  <directory name=\"B\"><file name=\"J3\" path=\"j3.xml\" /></directory>\n"
        "</dreamlibrary>\n"));
    const QString day = QStringLiteral("<day name=\"%1\">%2</day>\n");
    Library.WriteJournal(QStringLiteral("j1.xml"), QStringLiteral("<velmora>\n") +
                                                      day.arg(QStringLiteral("05.03.01"), Dream(1, "Кот на крыше", true)) +
                                                      day.arg(QStringLiteral("07.06.02"), Dream(2, "Кот и дом", false) + Dream(3, "Кот в саду", true)) +
                                                      day.arg(QStringLiteral("09.09.03"), Dream(4, "Старый дом", false)) +
                                                      QStringLiteral("</velmora>\n"));
    Library.WriteJournal(QStringLiteral("j2.xml"), QStringLiteral("<velmora>") +
                                                      day.arg(QStringLiteral("10.10.02"), Dream(1, "Море", false) + Dream(2, "Лодка", false)) +
                                                      QStringLiteral("</velmora>\n"));
    Library.WriteJournal(QStringLiteral("j3.xml"), QStringLiteral("<velmora>") + day.arg(QStringLiteral("11.11.02"), Dream(1, "Лес", false)) +
                                                      QStringLiteral("</velmora>\n"));
  }
  static QString Dream(int number, const char* title, bool lucid) {
    return QStringLiteral("<experience number=\"%1\" title=\"%2\"><description>%2</description>"
                          "<properties label1=\"%3\" label2=\"false\" label3=\"false\" label4=\"false\" /></experience>")
        .arg(number)
        .arg(QString::fromUtf8(title), lucid ? QStringLiteral("true") : QStringLiteral("false"));
  }
  TInsightsView& View() { return *Form->Insights(); }
  int DreamsShown() { return View().pnl_Recall->Shown().Dreams; }
  // Opens the view with Ctrl+I on `row` and lets it follow.
  void OpenOn(const QString& row) {
    ClickItem(Item(row));
    QTest::keyClick(Form.get(), Qt::Key_I, Qt::ControlModifier);
    ASSERT_NE(Form->Insights(), nullptr);
    QCoreApplication::processEvents();
  }
  // The worker's themes: waited for in the event loop.
  void WaitForThemes() {
    for (int i = 0; i < 3000 && View().Engines().Counting(); ++i) QTest::qWait(5);
    ASSERT_FALSE(View().Engines().Counting());
  }
  QStringList Words(QTableWidget* table) {
    QStringList words;
    for (int r = 0; r < table->rowCount(); ++r) words << table->item(r, 0)->text();
    return words;
  }
  void ClickWord(QTableWidget* table, const QString& word) {
    const auto found = table->findItems(word, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    table->scrollToItem(found.front());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(found.front()).center());
  }
};

TEST_F(InsightsViewTest, FollowsTheScopeSelectedInTheTree) {
  Open();
  EXPECT_EQ(Form->Insights(), nullptr);  // nothing is counted before the view is first opened
  OpenOn(QStringLiteral("J1"));
  EXPECT_EQ(DreamsShown(), 4);
  ClickItem(Item(QStringLiteral("A")));  // a catalog: every journal below it
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 6);
  ClickItem(Item(QStringLiteral("L")));
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 7);
  ClickItem(Item(QStringLiteral("11.11.02")));  // a night stands for its journal
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 1);
  EXPECT_TRUE(View().lbl_Scope->text().contains(QStringLiteral("J3")));
}

TEST_F(InsightsViewTest, FollowsEditsOfTheJournals) {
  Open();
  OpenOn(QStringLiteral("J1"));
  auto lucid = [this] {
    int dreams = 0;
    for (const TBucket& bucket : View().Series().Buckets) dreams += bucket.Labels[0];
    return dreams;
  };
  ASSERT_EQ(lucid(), 2);
  ClickItem(Item(QStringLiteral("2. Кот и дом")));
  Editors().box_Label1->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(lucid(), 3);
  ClickItem(Item(QStringLiteral("09.09.03")));
  Ui.Confirmations = {{true, false}};
  QTest::mouseClick(Form->btn_Delete, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 3);
  Form->TakeStep(false);  // the night comes back
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 4);
  ClickItem(Item(QStringLiteral("05.03.01")));
  Ui.NewElements = {{true, QStringLiteral("5"), QStringLiteral("Новый")}};
  QTest::mouseClick(Form->btn_Tool_04, Qt::LeftButton);  // a new dream in the night
  QCoreApplication::processEvents();
  EXPECT_EQ(DreamsShown(), 5);
}

TEST_F(InsightsViewTest, ListsTheDreamsOfThisNightInEarlierYearsAndOpensOne) {
  Open();
  OpenOn(QStringLiteral("A"));
  View().dte_Night->setDate(QDate(2005, 6, 7));
  QListWidget* list = View().lst_OnThisNight;
  ASSERT_EQ(list->count(), 2);  // the night of 07.06.02, not that of 09.09.03 nor those of other dates
  EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("07.06.2002")));
  emit list->itemActivated(list->item(1));
  ASSERT_TRUE(CurrentItem().text().contains(QStringLiteral(". Кот ")));  // a dream's row: "number. title"
  EXPECT_TRUE(list->item(1)->text().contains(CurrentItem().text()));
}

TEST_F(InsightsViewTest, NamesTheLabelLinesWithTheLibrarysCaptions) {
  Open();
  OpenOn(QStringLiteral("J1"));
  QStringList shown;
  for (QAbstractSeries* series : View().cht_Counts->chart()->series())
    if (series->isVisible()) shown << series->name();
  EXPECT_TRUE(shown.contains(QStringLiteral("Осознанное")));
  EXPECT_TRUE(shown.contains(QStringLiteral("Астрал")));
  // The dreams and nights hidden from the legend: the scale fits the labels' lines.
  QChart* chart = View().cht_Counts->chart();
  for (QLegendMarker* marker : chart->legend()->markers())
    if (marker->label() == QStringLiteral("Сновидения") || marker->label() == QStringLiteral("Ночи с записями")) emit marker->clicked();
  const auto* axis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
  EXPECT_EQ(axis->max(), 1);  // one lucid dream a year at most
}

TEST_F(InsightsViewTest, HoveringShowsAPeriodsFiguresAndClickingNarrowsTheRangeToIt) {
  Open();
  OpenOn(QStringLiteral("J1"));
  View().cmb_Period->setCurrentIndex(4);  // by years
  emit View().cmb_Period->activated(4);
  ASSERT_EQ(View().Period(), TPeriod::Year);
  const int june2002 = DayOfDate(QDate(2002, 6, 7));
  QWidget* chart = View().cht_Counts->viewport();
  const QPoint at = View().cht_Counts->ViewportPos(june2002);
  QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(chart, &move);
  EXPECT_TRUE(View().cht_Counts->lbl_Hover->isVisible());
  EXPECT_TRUE(View().cht_Counts->lbl_Hover->text().startsWith(QStringLiteral("2002 год\nСновидения: 2\n")));
  QTest::mouseClick(View().cht_Counts->viewport(), Qt::LeftButton, {}, View().cht_Counts->ViewportPos(june2002));
  const TDateRange range = View().Range();
  EXPECT_EQ(range.From, DayOfDate(QDate(2002, 1, 1)));
  EXPECT_EQ(range.To, DayOfDate(QDate(2002, 12, 31)));
  EXPECT_EQ(DreamsShown(), 2);
}

TEST_F(InsightsViewTest, ExclusionsAreKeptInTheLibraryFileAndDropTheWord) {
  Open();
  OpenOn(QStringLiteral("J1"));
  WaitForThemes();
  ASSERT_TRUE(Words(View().pnl_Themes->tbl_Themes).contains(QStringLiteral("кот")));
  View().tab_Pages->setCurrentWidget(View().pnl_Themes);
  View().pnl_Themes->tbl_Themes->setCurrentCell(Words(View().pnl_Themes->tbl_Themes).indexOf(QStringLiteral("кот")), 0);
  QTest::mouseClick(View().pnl_Themes->btn_Exclude, Qt::LeftButton);
  WaitForThemes();
  EXPECT_FALSE(Words(View().pnl_Themes->tbl_Themes).contains(QStringLiteral("кот")));
  EXPECT_TRUE(Words(View().pnl_Themes->tbl_Themes).contains(QStringLiteral("дом")));
  ASSERT_TRUE(Form->SaveAndReport());
  EXPECT_TRUE(Library.Read(QStringLiteral("dreams.ini")).contains("<exclude word=\"\xEA\xEE\xF2\" />"));  // Windows-1251
  Form->TakeStep(false);  // undone like any other change
  WaitForThemes();
  EXPECT_TRUE(Words(View().pnl_Themes->tbl_Themes).contains(QStringLiteral("кот")));
}

TEST_F(InsightsViewTest, ClickingAWordSearchesForIt) {
  Open();
  OpenOn(QStringLiteral("J1"));
  WaitForThemes();
  View().tab_Pages->setCurrentWidget(View().pnl_Themes);
  ClickWord(View().pnl_Themes->tbl_Themes, QStringLiteral("дом"));
  EXPECT_TRUE(Form->pnl_Search->isVisible());
  EXPECT_EQ(Form->pnl_Search->edt_Search->text(), QStringLiteral("дом"));
}
