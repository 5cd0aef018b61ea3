// The calendar below the tree: its marks for a journal and for the whole library, the nights
// whose names are no dates, and a click selecting its night.
#include <QAbstractItemView>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

#include "vlm_CalendarPanel.h"
#include "vlm_Dates.h"
#include "vlm_DreamCalendar.h"
#include "vlm_TestSupport.h"

class CalendarTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <directory name=\"A\"><file name=\"J1\" path=\"j1.xml\" /></directory>\n"
        "  <directory name=\"B\"><file name=\"J2\" path=\"j2.xml\" /></directory>\n"
        "</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j1.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"01.02.03\"><experience number=\"1\" title=\"Лес\" /></day>\n"
        "  <day name=\"02.02.03\" />\n"
        "  <day name=\"весна\"><experience number=\"2\" title=\"Море\" /></day>\n"
        "  <day name=\"31.02.03\"><experience number=\"3\" title=\"Сад\" /></day>\n"
        "</velmora>\n"));
    Library.WriteJournal(QStringLiteral("j2.xml"), QStringLiteral(
        "<velmora><day name=\"10.02.03\"><experience number=\"1\" title=\"Дом\" /></day>\n"
        "<day name=\"03.12.69\"><experience number=\"2\" title=\"Первый\" /></day></velmora>\n"));
  }
  TCalendarPanel& Panel() { return *Form->pnl_Calendar; }
  bool Marked(int day) { return Panel().cal_Month->Marked(QDate(2003, 2, day)); }
  QStringList Undated() {
    QStringList names;
    for (int i = 0; i < Panel().lst_Undated->count(); ++i) names << Panel().lst_Undated->item(i)->text();
    return names;
  }
  QString Current() const { return CurrentItem()->text(0); }
};

TEST_F(CalendarTest, MarksNightsWithDreamsAndListsNamesThatAreNoDates) {
  Open();
  ASSERT_TRUE(Panel().isHidden());
  QTest::mouseClick(Form->btn_Calendar, Qt::LeftButton);
  ClickItem(Item(QStringLiteral("J1")));
  QCoreApplication::processEvents();  // the calendar follows once the selection was handled
  EXPECT_TRUE(Marked(1));
  EXPECT_FALSE(Marked(2));   // a night without dreams
  EXPECT_FALSE(Marked(10));  // another journal's
  EXPECT_FALSE(Marked(28));  // 31.02.03 is no date: not guessed into another day
  EXPECT_EQ(Undated(), (QStringList{QStringLiteral("весна"), QStringLiteral("31.02.03")}));
  EXPECT_TRUE(Panel().lst_Undated->isVisible());
  EXPECT_GE(Panel().cal_Month->height(), Panel().cal_Month->minimumSizeHint().height());
  EXPECT_GT(Form->tre_Directory->height(), 100);

  // The library: every journal, loaded for the calendar. A night of 1969 is in 1969 (in 2026, as
  // the test says it is: 69 would be 2069 only from 2068 on).
  SetThisYear(2026);
  ClickItem(Item(QStringLiteral("L")));
  QCoreApplication::processEvents();
  SetThisYear(0);
  ASSERT_TRUE(Marked(10));
  EXPECT_TRUE(Marked(1));
  EXPECT_TRUE(Panel().cal_Month->Marked(QDate(1969, 12, 3)));
  QTest::mouseClick(Form->btn_Calendar, Qt::LeftButton);
  EXPECT_TRUE(Panel().isHidden());
}

TEST_F(CalendarTest, ClickingADateOrAnUndatedNightSelectsIt) {
  Open();
  QTest::mouseClick(Form->btn_Calendar, Qt::LeftButton);
  ClickItem(Item(QStringLiteral("L")));
  QCoreApplication::processEvents();
  ASSERT_TRUE(Marked(10));
  Panel().cal_Month->setSelectedDate(QDate(2003, 2, 10));
  auto* grid = Panel().cal_Month->findChild<QAbstractItemView*>();
  ASSERT_TRUE(grid);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(Current(), QStringLiteral("10.02.03"));
  EXPECT_TRUE(CurrentItem()->parent()->isExpanded());
  EXPECT_TRUE(Form->pnl_WorkArea->isVisible());
  QCoreApplication::processEvents();
  EXPECT_TRUE(Marked(1));  // a night chosen in the library's calendar keeps the library's

  Panel().lst_Undated->setCurrentRow(1);
  QTest::keyClick(Panel().lst_Undated, Qt::Key_Return);
  EXPECT_EQ(Current(), QStringLiteral("31.02.03"));
  EXPECT_FALSE(Form->Library().AnyChanged());  // loading journals for the calendar changes nothing
}
