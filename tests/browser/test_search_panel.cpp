// The search panel in the window: Ctrl+F, typing, the keys of the field and the list, and a
// result opening its dream under the right one of two entries that share a journal.
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QSplitterHandle>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>

#include "vlm_LineFormats.h"
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
        "    <experience number=\"2\" title=\"Море\"><energy level=\"150\" /></experience>\n"
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
  Type(QStringLiteral("ЛЕС*"));
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

// The energy filter shows the editor's scale, -1 (low) to +1 (high): its low end finds the dream
// of level 150 (-0.5), and a range whose ends are equal finds the dream at that level. An empty
// query after a search finds every dream the filter lets through again.
TEST_F(SearchPanelTest, TheEnergyFilterHasTheEditorsScaleAndDirection) {
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(Panel().spn_EnergyMin->minimum(), -1.0);
  EXPECT_EQ(Panel().spn_EnergyMax->maximum(), 1.0);
  Panel().spn_EnergyMax->setValue(-0.5);
  QTRY_VERIFY(!Panel().Loading());
  EXPECT_EQ(Panel().ResultCount(), 1);  // Море, the only one below 0
  Panel().spn_EnergyMin->setValue(-0.5);
  EXPECT_EQ(Panel().ResultCount(), 1);
  Panel().spn_EnergyMin->setValue(0.5);
  Panel().spn_EnergyMax->setValue(1.0);
  EXPECT_EQ(Panel().ResultCount(), 0);  // nothing high: the others have no level (0)
  Panel().spn_EnergyMin->setValue(0.0);
  Panel().spn_EnergyMax->setValue(0.0);
  EXPECT_EQ(Panel().ResultCount(), 2);
  Type(QStringLiteral("озеро"));
  EXPECT_EQ(Panel().ResultCount(), 1);
  Panel().edt_Search->clear();
  EXPECT_EQ(Panel().ResultCount(), 2) << "an empty query finds every dream of the filter again";
}

TEST_F(SearchPanelTest, ATitleRenamedAfterASearchIsFoundByTheNextSearch) {
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  Type(QStringLiteral("озеро"));
  ASSERT_TRUE(Panel().OpenResult(0));
  Editors().edt_Name->setText(QStringLiteral("Горное ущелье"));
  Panel().edt_Search->clear();
  Type(QStringLiteral("ущелье"));
  EXPECT_EQ(Panel().ResultCount(), 1);
}

// The matches are marked in the title and description of the dream a result opened, following
// its text, until the search is cleared; another dream shown has none.
TEST_F(SearchPanelTest, TheMatchesAreMarkedInTheDreamAResultOpens) {
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  Type(QStringLiteral("ЛЕС*"));
  ASSERT_TRUE(Panel().OpenResult(0));
  auto marks = [this] {
    QList<std::pair<int, int>> found;
    for (const auto& range : LineFormats(Editors().edt_Name))
      if (range.format.background().style() != Qt::NoBrush) found << std::pair{range.start, range.length};
    for (const auto& selection : Editors().mmo_Description->extraSelections())
      found << std::pair{selection.cursor.selectionStart() + 100, selection.cursor.selectionEnd() - selection.cursor.selectionStart()};
    return found;
  };
  EXPECT_EQ(marks(), (QList<std::pair<int, int>>{{0, 3}, {107, 3}}));  // Лес; Тёмный лес
  Editors().mmo_Description->setPlainText(QStringLiteral("Лес и лес"));
  EXPECT_EQ(marks(), (QList<std::pair<int, int>>{{0, 3}, {100, 3}, {106, 3}}));
  ASSERT_TRUE(Panel().OpenResult(1));  // Лесное озеро: another dream, marked as well
  EXPECT_EQ(marks(), (QList<std::pair<int, int>>{{0, 6}}));
  QTest::keyClick(Panel().edt_Search, Qt::Key_Escape);
  EXPECT_TRUE(marks().isEmpty());
  Type(QStringLiteral("лес"));
  ASSERT_TRUE(Panel().OpenResult(0));
  ASSERT_FALSE(marks().isEmpty());
  ClickItem(Item(QStringLiteral("3. Лесное озеро")));  // shown from the tree, not from a result
  EXPECT_TRUE(marks().isEmpty());
}

// A word finds its forms and not another word that begins the same: in the list, the snippet and
// the marks in the dream opened.
TEST_F(SearchPanelTest, AWordIsFoundAndMarkedInItsFormsOnly) {
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
      "<velmora>\n"
      "  <day name=\"01.01.20\"><experience number=\"1\" title=\"Утро\"><description>Видел кота, который спал</description></experience></day>\n"
      "  <day name=\"02.01.20\"><experience number=\"2\" title=\"Который час\" /></day>\n"
      "</velmora>\n"));
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  Type(QStringLiteral("кот"));
  ASSERT_EQ(Panel().ResultCount(), 1);
  const QModelIndex first = Panel().lst_Results->model()->index(0, 0);
  EXPECT_EQ(first.data(Qt::UserRole).toPoint(), QPoint(6, 4));  // "кота" in bold in the snippet
  ASSERT_TRUE(Panel().OpenResult(0));
  QList<std::pair<int, int>> marks;
  for (const auto& selection : Editors().mmo_Description->extraSelections())
    marks << std::pair{selection.cursor.selectionStart(), selection.cursor.selectionEnd() - selection.cursor.selectionStart()};
  EXPECT_EQ(marks, (QList<std::pair<int, int>>{{6, 4}}));
}

// Ctrl+F widens the left side so that a result can be read; Escape gives the tree its width back.
// The width the user gives the panel is kept in the library file, and the tree's own width too.
TEST_F(SearchPanelTest, ThePanelIsWideEnoughToReadAndKeepsTheWidthGivenIt) {
  Open();
  auto* splitter = qobject_cast<QSplitter*>(Form->tre_Directory->parentWidget()->parentWidget());
  ASSERT_NE(splitter, nullptr);
  const int tree = splitter->sizes()[0];
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  const int wide = splitter->sizes()[0];
  EXPECT_GE(wide, Panel().lst_Results->fontMetrics().averageCharWidth() * 50);
  // The user drags the splitter's handle 30 pixels to the left.
  QSplitterHandle* handle = splitter->handle(1);
  const QPoint middle = handle->rect().center();
  QTest::mousePress(handle, Qt::LeftButton, {}, middle);
  QTest::mouseMove(handle, middle - QPoint(30, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, middle - QPoint(30, 0));
  const int chosen = splitter->sizes()[0];
  ASSERT_LT(chosen, wide);
  QTest::keyClick(Panel().edt_Search, Qt::Key_Escape);
  EXPECT_EQ(splitter->sizes()[0], tree);
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(splitter->sizes()[0], chosen);
  ASSERT_TRUE(Close());
  const QByteArray library = Library.Read(QStringLiteral("dreams.ini"));
  EXPECT_TRUE(library.contains("treewidth=\"" + QByteArray::number(tree) + "\"")) << library.toStdString();
  EXPECT_TRUE(library.contains("searchwidth=\"" + QByteArray::number(chosen) + "\"")) << library.toStdString();
}

// A date typed into a date field of the filters is taken as typed: a click selects the day, and
// each part typed whole goes on to the next.
TEST_F(SearchPanelTest, ADateTypedIntoTheFiltersIsTaken) {
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  Panel().btn_Filters->setChecked(true);
  auto* text = Panel().dte_From->findChild<QLineEdit*>();
  ASSERT_NE(text, nullptr);
  QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(4, text->height() / 2));
  for (const char digit : std::string("05031969")) QTest::keyClick(Panel().dte_From, digit);
  EXPECT_EQ(Panel().dte_From->date(), QDate(1969, 3, 5));
  QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(4, text->height() / 2));
  for (const char key : std::string("7.4.2001")) QTest::keyClick(Panel().dte_From, key);
  EXPECT_EQ(Panel().dte_From->date(), QDate(2001, 4, 7));
}

// Loading the journals a search needs can be stopped: the journals loaded stay, nothing changes,
// the list says not every journal was searched, and typing on searches only those loaded until
// the search is cleared.
TEST_F(SearchPanelTest, LoadingForASearchCanBeStopped) {
  // The fifth journal is large: its reading keeps the loading going long enough to stop it.
  QString entries;
  for (int i = 0; i < 40; ++i) {
    entries += QStringLiteral("    <file name=\"K%1\" path=\"k%1.xml\" />\n").arg(i);
    const QString description = i == 4 ? QString(8'000'000, QLatin1Char('x')) : QString();
    Library.WriteJournal(QStringLiteral("k%1.xml").arg(i),
                         QStringLiteral("<velmora><day name=\"d\"><experience number=\"1\" title=\"Сон %1\">"
                                        "<description>%2</description></experience></day></velmora>\n")
                             .arg(i)
                             .arg(description));
  }
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n") + entries +
                       QStringLiteral("  </directory>\n</dreamlibrary>\n"));
  Open();
  QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
  Panel().edt_Search->setText(QStringLiteral("Сон"));
  ASSERT_TRUE(Panel().Loading());
  ASSERT_TRUE(Panel().btn_StopLoading->isVisible());
  // A turn of the event loop at a time, until one journal was taken.
  QElapsedTimer waited;
  waited.start();
  while (Form->Library().Journals().Documents().empty() && waited.elapsed() < 10000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  ASSERT_TRUE(Panel().btn_StopLoading->isVisible());
  Panel().btn_StopLoading->click();
  EXPECT_FALSE(Panel().Loading());
  EXPECT_FALSE(Panel().prb_Loading->isVisible());
  const int loaded = static_cast<int>(Form->Library().Journals().Documents().size());
  ASSERT_LT(loaded, 40);
  EXPECT_EQ(Panel().ResultCount(), loaded);
  EXPECT_TRUE(Panel().lbl_Count->text().contains(QStringLiteral("остановлена"))) << Panel().lbl_Count->text().toStdString();
  QTest::sendKeyEvent(QTest::Click, Panel().edt_Search, Qt::Key_unknown, QStringLiteral(" "), Qt::NoModifier);
  EXPECT_FALSE(Panel().Loading()) << "typing on loads nothing more";
  EXPECT_FALSE(Form->Library().AnyChanged());
  Panel().Clear();
  Type(QStringLiteral("Сон"));
  EXPECT_EQ(Panel().ResultCount(), 40);
}
