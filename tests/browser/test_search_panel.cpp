// The search panel in the window: Ctrl+F, typing, the keys of the field and the list, and a
// result opening its dream under the right one of two entries that share a journal.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>

#include "vlm_SearchPanel.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"

class SearchPanelTest : public BrowserTest {
protected:
  void SetUp() override {
    // Two entries of one journal file, neither loaded at the start.
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <directory name=\"A\"><file name=\"J1\" path=\"j.xml\" /></directory>\n"
        "  <directory name=\"B\"><file name=\"J2\" path=\"./j.xml\" /></directory>\n"
        "</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"01.01.20\"><experience number=\"1\" title=\"Лес\"><description>Тёмный лес</description></experience></day>\n"
        "  <day name=\"02.01.20\">\n"
        "    <experience number=\"2\" title=\"Море\" />\n"
        "    <experience number=\"3\" title=\"Лесное озеро\" />\n"
        "  </day>\n"
        "</velmora>\n"));
  }
  TSearchPanel& Panel() { return *Form->pnl_Search; }
  // Types a Cyrillic query one character at a time and waits for the journals to load.
  void Type(const QString& text) {
    for (const QChar ch : text)
      QTest::sendKeyEvent(QTest::Click, Panel().edt_Search, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QTRY_VERIFY(!Panel().Loading());
  }
  std::string Current() const {
    const TItem item = CurrentItem();
    return item ? item->text(0).toStdString() : std::string();
  }
  // The caption of the library entry above the current node.
  std::string CurrentEntry() const {
    for (TItem up = CurrentItem(); up; up = up->parent())
      if (Tfrm_MainForm::EntryOf(up) && Tfrm_MainForm::EntryOf(up)->Name == tagFile) return up->text(0).toStdString();
    return {};
  }
};

TEST_F(SearchPanelTest, KeysOfTheFieldAndTheList) {
  Open();
  ASSERT_TRUE(Panel().isHidden());
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(Panel().isVisible());
  EXPECT_TRUE(Panel().edt_Search->hasFocus());
  Type(QStringLiteral("ЛЕС"));
  EXPECT_EQ(Panel().ResultCount(), 2);  // Лес and Лесное, found once though two entries show the journal
  EXPECT_EQ(Panel().lbl_Count->text(), QStringLiteral("Найдено: 2"));
  EXPECT_FALSE(Form->Library().AnyChanged());  // loading for a search changes nothing

  QTest::keyClick(Panel().edt_Search, Qt::Key_Return);  // the first result
  EXPECT_EQ(Current(), "1. Лес");
  EXPECT_EQ(CurrentEntry(), "J1");

  QTest::keyClick(Panel().edt_Search, Qt::Key_Down);
  EXPECT_TRUE(Panel().lst_Results->hasFocus());
  QTest::keyClick(Panel().lst_Results, Qt::Key_Down);
  QTest::keyClick(Panel().lst_Results, Qt::Key_Return);
  EXPECT_EQ(Current(), "3. Лесное озеро");
  EXPECT_TRUE(CurrentItem()->parent()->isExpanded());

  QTest::keyClick(Panel().lst_Results, Qt::Key_Escape);  // clears the search
  EXPECT_TRUE(Panel().edt_Search->text().isEmpty());
  EXPECT_EQ(Panel().ResultCount(), 0);
  QTest::keyClick(Panel().edt_Search, Qt::Key_Escape);  // an empty field: the panel goes
  EXPECT_TRUE(Panel().isHidden());
  EXPECT_FALSE(Form->Library().AnyChanged());
}

TEST_F(SearchPanelTest, AResultOpensUnderTheEntryChosenAsScope) {
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  const int second = Panel().cmb_Scope->findText(QStringLiteral("J2"), Qt::MatchEndsWith);
  ASSERT_GT(second, 0);
  Panel().cmb_Scope->setCurrentIndex(second);
  Type(QStringLiteral("озеро"));
  ASSERT_EQ(Panel().ResultCount(), 1);
  ASSERT_TRUE(Panel().OpenResult(0));
  EXPECT_EQ(Current(), "3. Лесное озеро");
  EXPECT_EQ(CurrentEntry(), "J2");
  // The editors show the dream found.
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("Лесное озеро"));
}
