// Selecting each kind of node: the current node, the buttons, journal loading, editors shown.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

class SelectionTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <directory name=\"A\">\n"
        "    <file name=\"J\" path=\"j.xml\" />\n"
        "    <directory name=\"Sub\" />\n"
        "  </directory>\n"
        "  <directory name=\"B\" />\n"
        "</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"d1\">\n"
        "    <experience number=\"1\" title=\"a\" />\n"
        "    <experience number=\"2\" title=\"b\" readonly=\"true\" />\n"
        "    <experience number=\"9\" title=\"c\" />\n"
        "  </day>\n"
        "  <day name=\"d2\">\n"
        "    <experience number=\"4\" title=\"d\" />\n"
        "    <experience number=\"5\" title=\"e\" />\n"
        "  </day>\n"
        "</velmora>\n"));
  }
  // Tool buttons 1-4, up, down, delete as a string of 0 and 1.
  std::string Buttons() const {
    std::string s;
    for (QToolButton* b : {Form->btn_Tool_01, Form->btn_Tool_02, Form->btn_Tool_03, Form->btn_Tool_04,
                           Form->btn_MoveUp, Form->btn_MoveDown, Form->btn_Delete})
      s += b->isEnabled() ? '1' : '0';
    return s;
  }
  std::string Select(const QString& caption) {
    TItem item = Item(caption);
    EXPECT_NE(item, nullptr) << caption.toStdString();
    if (!item) return {};
    ClickItem(item);
    EXPECT_EQ(Form->FCurrentNode, item);
    return Buttons();
  }
};

TEST_F(SelectionTest, ButtonsFollowTheKindAndThePosition) {
  Open();
  // Before any selection: the designed states.
  EXPECT_EQ(Buttons(), "1000111");
  EXPECT_EQ(Select(QStringLiteral("L")), "1000000");
  EXPECT_EQ(Select(QStringLiteral("A")), "1100011");
  EXPECT_EQ(Select(QStringLiteral("B")), "1100101");
  EXPECT_EQ(Select(QStringLiteral("J")), "0010011");
  Item(QStringLiteral("J"))->setExpanded(true);
  EXPECT_EQ(Select(QStringLiteral("Sub")), "1100101");
  EXPECT_EQ(Select(QStringLiteral("d1")), "0001011");
  EXPECT_EQ(Form->FNextNumber, 6);  // five experiences in the journal, plus one
  Item(QStringLiteral("d1"))->setExpanded(true);
  EXPECT_EQ(Select(QStringLiteral("1. a")), "0000011");
  EXPECT_EQ(Select(QStringLiteral("2. b")), "0000111");
  EXPECT_EQ(Select(QStringLiteral("9. c")), "0000101");
  EXPECT_EQ(Select(QStringLiteral("d2")), "0001101");
}

TEST_F(SelectionTest, AJournalIsLoadedOnceAndMarkedAsDefault) {
  Open();
  EXPECT_TRUE(Form->Library().Journals().Documents().empty());
  TXMLNode* file = Tfrm_MainForm::NodeOf(Item(QStringLiteral("J")));
  Select(QStringLiteral("J"));
  TItem journal = Item(QStringLiteral("J"));
  ASSERT_EQ(journal->childCount(), 2);
  EXPECT_EQ(Tfrm_MainForm::NodeOf(journal)->Name, tagJournal);
  EXPECT_EQ(file->GetAttribute(attrDefault), litYes);
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("J"));
  Select(QStringLiteral("B"));
  EXPECT_EQ(Select(QStringLiteral("J")), "0010011");  // now a loaded journal
  EXPECT_EQ(journal->childCount(), 2);
  EXPECT_EQ(Form->Library().Journals().Documents().size(), 1u);
  EXPECT_EQ(Form->Library().DefaultJournal(), file);
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("J"));
}

TEST_F(SelectionTest, OnlyCatalogHasNoMovesAndEditorsMatchTheKind) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"Only\" />\n</dreamlibrary>\n"));
  Open();
  EXPECT_EQ(Select(QStringLiteral("Only")), "1100001");
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("Only"));
  EXPECT_FALSE(Editors().edt_Number->isVisible());
  EXPECT_FALSE(Editors().img_Graphs->isVisible());
  EXPECT_EQ(Editors().edt_Name->x(), 4);
  EXPECT_EQ(Editors().edt_Name->width(), Form->pnl_WorkArea->width() - 6);
}

// The caption column is only as wide as the widest caption: a click beside a shorter one still
// selects its row, and a click below the rows keeps the highlighted node the current one.
TEST_F(SelectionTest, AClickBesideARowSelectsItAndOneBelowTheRowsChangesNothing) {
  Open();
  TDirectoryTree* tree = Form->tre_Directory;
  TItem b = Item(QStringLiteral("B"));
  Select(QStringLiteral("A"));
  const int right = tree->viewport()->width() - 3;
  ASSERT_GT(right, tree->visualRect(b).right());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(right, tree->visualRect(b).center().y()));
  EXPECT_EQ(Form->FCurrentNode, b);
  EXPECT_EQ(tree->selectionModel()->selectedIndexes(), QModelIndexList{b});
  ASSERT_GT(tree->viewport()->height() - 3, tree->visualRect(b).bottom());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(20, tree->viewport()->height() - 3));
  EXPECT_EQ(Form->FCurrentNode, b);
  EXPECT_EQ(tree->selectionModel()->selectedIndexes(), QModelIndexList{b});
}

TEST_F(SelectionTest, DayAndExperienceEditorsAndTheReadOnlyState) {
  Open();
  Select(QStringLiteral("J"));
  Select(QStringLiteral("d1"));
  EXPECT_EQ(Editors().lbl_Name->text(), QStringLiteral("Дата:"));
  EXPECT_TRUE(Editors().img_Graphs->isVisible());
  EXPECT_TRUE(Editors().mmo_Comment->isVisible());
  Item(QStringLiteral("d1"))->setExpanded(true);
  Select(QStringLiteral("2. b"));
  EXPECT_EQ(Editors().lbl_Name->text(), QStringLiteral("Название:"));
  EXPECT_EQ(Editors().edt_Number->text(), QStringLiteral("2"));
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("b"));
  EXPECT_TRUE(Editors().edt_Number->isVisible());
  EXPECT_FALSE(Editors().img_Graphs->isVisible());
  EXPECT_TRUE(Editors().edt_Name->isReadOnly());
  EXPECT_TRUE(Editors().btn_ReadOnly->isChecked());
  // A locked field looks read-only: the window's colour behind its text.
  const auto background = [](const QWidget* field) { return field->palette().color(QPalette::Base); };
  EXPECT_EQ(background(Editors().mmo_Description), Form->palette().color(QPalette::Window));
  Select(QStringLiteral("9. c"));
  EXPECT_FALSE(Editors().edt_Name->isReadOnly());
  EXPECT_FALSE(Editors().btn_ReadOnly->isChecked());
  EXPECT_EQ(background(Editors().mmo_Description), Form->palette().color(QPalette::Base));
}

TEST_F(SelectionTest, ZeroLevelLabelStaysBesideTheTrackBarOfAnExperience) {
  Open();
  Select(QStringLiteral("J"));
  Item(QStringLiteral("d1"))->setExpanded(true);
  Select(QStringLiteral("1. a"));
  auto expectCentred = [&] {
    const QRect track = Editors().trb_Energy->geometry();
    const QRect zero = Editors().lbl_ZeroEnergyLevel->geometry();
    EXPECT_EQ(zero.left(), track.left() + 28);
    EXPECT_EQ(zero.top(), track.top() + (track.height() - zero.height()) / 2);
  };
  expectCentred();  // as first laid out
  Form->resize(Form->width() + 40, Form->height() + 60);
  QApplication::processEvents();
  expectCentred();
  const QRect zero = Editors().lbl_ZeroEnergyLevel->geometry();
  EXPECT_TRUE(Editors().lbl_ZeroEnergyLevel->isVisible());
  EXPECT_TRUE(Form->pnl_WorkArea->rect().contains(zero)) << zero.x() << "," << zero.y();
}
