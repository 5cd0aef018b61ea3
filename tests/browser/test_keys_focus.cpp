// The keyboard between the tree and the editors: where the caret goes after a new dream or night,
// F2 from anywhere but a text field, Escape and F6 back to the tree, and the keys of the
// calendar and the creation buttons, named in their tool tips.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "vlm_CalendarPanel.h"
#include "vlm_TestSupport.h"

namespace {
TNewElementResult Answer(const QString& first, const QString& second = QString()) { return {true, first, second}; }

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
}  // namespace

class KeysFocusTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n"
                                        "  <label caption=\"Осознанный\" />\n  <label caption=\"Цветной\" />\n"
                                        "</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"01.03.26\">\n"
                                                                 "    <experience number=\"001\" title=\"a\" />\n"
                                                                 "  </day>\n</velmora>\n"));
    Open();
    Form->activateWindow();
  }
  void Select(const QString& caption) {
    const TItem item = Item(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    Form->tre_Directory->setCurrentIndex(item);
  }
};

TEST_F(KeysFocusTest, ANewDreamTakesTheCaretInItsTitleAndANewNightInItsComment) {
  Select(QStringLiteral("01.03.26"));
  Editors().mmo_Comment->setFocus();  // the night's comment was being written
  Ui.NewElements = {Answer(QStringLiteral("002"), QStringLiteral("Сон"))};
  Press(Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), Editors().edt_Name);
  for (const QChar ch : QStringLiteral(" о море"))
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(), QStringLiteral("002. Сон о море"));
  EXPECT_FALSE(Editors().box_Label1->isChecked());
  EXPECT_FALSE(Editors().box_Label2->isChecked());

  Ui.NewElements = {Answer(QStringLiteral("02.03.26"))};
  Press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(), QStringLiteral("02.03.26"));
  EXPECT_EQ(QApplication::focusWidget(), Editors().mmo_Comment);
}

TEST_F(KeysFocusTest, F2WorksFromAnywhereButATextAndEscapeOrF6GoBackToTheTree) {
  Select(QStringLiteral("001. a"));
  Form->btn_Save->setFocus();
  Press(Qt::Key_F2);
  ASSERT_EQ(QApplication::focusWidget(), Editors().edt_Name);
  EXPECT_EQ(Editors().edt_Name->selectedText(), QStringLiteral("a"));
  Editors().mmo_Description->setFocus();
  Press(Qt::Key_F2);  // in a text it means nothing
  EXPECT_EQ(QApplication::focusWidget(), Editors().mmo_Description);
  Press(Qt::Key_Escape);
  EXPECT_EQ(QApplication::focusWidget(), Form->tre_Directory);
  Editors().edt_Name->setFocus();
  Press(Qt::Key_F6);
  EXPECT_EQ(QApplication::focusWidget(), Form->tre_Directory);
}

TEST_F(KeysFocusTest, TheCalendarAndEveryCreationButtonHaveAKeyNamedInTheirToolTips) {
  Select(QStringLiteral("001. a"));
  Editors().mmo_Description->setFocus();
  const QKeySequence calendar(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
  EXPECT_TRUE(Form->btn_Calendar->toolTip().contains(calendar.toString(QKeySequence::NativeText)));
  Press(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);  // from a text too
  EXPECT_TRUE(Form->pnl_Calendar->isVisible());
  const std::pair<QToolButton*, QKeySequence> creations[] = {
      {Form->btn_Tool_01, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K)},
      {Form->btn_Tool_02, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J)},
      {Form->btn_Tool_03, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
      {Form->btn_Tool_04, QKeySequence(Qt::CTRL | Qt::Key_N)}};
  for (const auto& [button, key] : creations) {
    EXPECT_TRUE(button->toolTip().endsWith(QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')')))
        << button->toolTip().toStdString();
    Select(QStringLiteral("001. a"));  // the key finds where its item goes, above the dream
    QTest::keySequence(Form->tre_Directory, key);
  }
  EXPECT_EQ(Ui.NewElementKinds, std::vector<TNewElementKind>({neCatalog, neJournal, neDay, neExperience}));
}

TEST_F(KeysFocusTest, TheFocusShowsOnAToolButtonAndInTheTree) {
  Select(QStringLiteral("01.03.26"));
  QTreeView* tree = Form->tre_Directory;
  const auto selectedRow = [tree] { return tree->viewport()->grab(tree->visualRect(tree->currentIndex())).toImage(); };
  tree->setFocus(Qt::TabFocusReason);
  const QImage buttonWithout = Form->btn_Save->grab().toImage();
  const QImage rowWith = selectedRow();
  Form->btn_Save->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(Form->btn_Save->hasFocus());
  EXPECT_NE(Form->btn_Save->grab().toImage(), buttonWithout);
  EXPECT_NE(selectedRow(), rowWith);
}
