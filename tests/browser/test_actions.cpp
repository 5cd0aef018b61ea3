// The tool bar's actions driven through the real window: creating each kind of item, moving
// items while hidden elements keep their places, deleting with and without the question, saving.
#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>

#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"

namespace {
TNewElementResult Answer(const QString& first, const QString& second = QString()) { return {true, first, second}; }
}  // namespace

class ActionsTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <directory name=\"A\">\n"
        "    <file name=\"K\" path=\"k.xml\" />\n"
        "  </directory>\n"
        "  <directory name=\"B\" />\n"
        "  <form treewidth=\"200\" />\n"
        "  <directory name=\"C\">\n"
        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
        "  </directory>\n"
        "</dreamlibrary>\n"));
    QString nine;
    for (int i = 3; i <= 11; ++i) nine += QStringLiteral("    <experience number=\"%1\" title=\"t\" />\n").arg(i);
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"d1\">\n"
        "    <experience number=\"001\" title=\"a\" />\n"
        "    <comment>night</comment>\n"
        "    <experience number=\"002\" title=\"b\" />\n"
        "  </day>\n"
        "  <day name=\"d2\">\n") + nine + QStringLiteral("  </day>\n</velmora>\n"));
    Library.WriteJournal(QStringLiteral("k.xml"), QStringLiteral("<velmora>\n  <day name=\"k1\" />\n</velmora>\n"));
  }
  void Select(const QString& caption) {
    TItem item = Item(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    Form->tre_Directory->setCurrentIndex(item);
    ASSERT_EQ(Form->FCurrentNode, item);
  }
  void Click(QToolButton* button) {
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
  }
  QStringList Captions(const TItem parent) const {
    QStringList list;
    for (int i = 0; i < parent->childCount(); ++i) list << parent->child(i)->text(0);
    return list;
  }
  QString LibraryText() const { return FromCp(Form->Library().Document().SaveToString()); }
  void Restart() {
    ASSERT_TRUE(Close());
    Form.reset();
    Open();
  }
};

TEST_F(ActionsTest, EachCreationAddsItsElementAndNodeOnlyWithOk) {
  Open();
  TXMLParser* journal = Form->Library().Journals().Documents().front().get();
  const std::string libraryBefore = Form->Library().Document().SaveToString(), journalBefore = journal->SaveToString();
  const int nodes = TopItem()->childCount();
  // Cancel on every button: nothing changes.
  for (const auto& [caption, button] : {std::pair{QStringLiteral("L"), Form->btn_Tool_01},
                                         {QStringLiteral("C"), Form->btn_Tool_02},
                                         {QStringLiteral("J"), Form->btn_Tool_03},
                                         {QStringLiteral("d1"), Form->btn_Tool_04}}) {
    Select(caption);
    Click(button);
  }
  EXPECT_EQ(Ui.NewElementKinds, std::vector<TNewElementKind>({neCatalog, neJournal, neDay, neExperience}));
  EXPECT_EQ(Ui.NewElementNumbers.back(), 12);  // 11 dreams over two days
  EXPECT_EQ(Form->Library().Document().SaveToString(), libraryBefore);
  EXPECT_EQ(journal->SaveToString(), journalBefore);
  EXPECT_EQ(TopItem()->childCount(), nodes);

  // A catalog of the root goes behind the settings elements and is selected.
  Select(QStringLiteral("L"));
  Ui.NewElements = {Answer(QStringLiteral("Сны"))};
  Click(Form->btn_Tool_01);
  EXPECT_TRUE(LibraryText().endsWith(
      QStringLiteral("  </directory>\r\n  <directory name=\"Сны\">\r\n  </directory>\r\n</dreamlibrary>\r\n")));
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("Сны"));
  EXPECT_TRUE(TItem(Form->FCurrentNode)->parent()->isExpanded());

  // A journal is written at once, becomes the default and holds the new day and dream.
  Ui.NewElements = {Answer(QStringLiteral("Декабрь"), QStringLiteral("dec.xml"))};
  Click(Form->btn_Tool_02);
  EXPECT_EQ(Library.Read(QStringLiteral("dec.xml")),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
                       "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">\r\n\r\n<velmora>\r\n</velmora>\r\n"));
  EXPECT_EQ(Tfrm_MainForm::NodeOf(Form->FCurrentNode)->Name, tagJournal);
  ASSERT_NE(Form->Library().DefaultJournal(), nullptr);
  EXPECT_EQ(Form->Library().DefaultJournal()->GetAttribute(attrName), "\xC4\xE5\xEA\xE0\xE1\xF0\xFC");  // Декабрь
  Ui.NewElements = {Answer(QStringLiteral("06.12.26"))};
  Click(Form->btn_Tool_03);
  Ui.NewElements = {Answer(QStringLiteral("001"), QStringLiteral("Полёт"))};
  Click(Form->btn_Tool_04);
  EXPECT_EQ(Ui.NewElementNumbers.back(), 1);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("001. Полёт"));
  EXPECT_FALSE(Form->btn_Tool_04->isEnabled());

  Restart();
  EXPECT_NE(Item(QStringLiteral("001. Полёт")), nullptr);  // the new journal is the default one
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ActionsTest, AJournalPathIsAskedAboutOrRefusedBeforeAnythingIsAdded) {
  Library.Write(QStringLiteral("old.xml"), QStringLiteral("precious"));
  Open();
  Select(QStringLiteral("A"));
  const std::string before = Form->Library().Document().SaveToString();

  // A typed path naming a file: "no" keeps the file and adds nothing.
  Ui.NewElements = {Answer(QStringLiteral("X"), QStringLiteral("old.xml"))};
  Ui.Replace = {false};
  Click(Form->btn_Tool_02);
  ASSERT_EQ(Ui.ReplaceQuestions.size(), 1);
  EXPECT_TRUE(Ui.ReplaceQuestions[0].endsWith(QStringLiteral("old.xml")));
  EXPECT_EQ(Library.Read(QStringLiteral("old.xml")), QByteArray("precious"));
  EXPECT_EQ(Form->Library().Document().SaveToString(), before);

  // A file that cannot be written: the reason is said and no entry points at nothing.
  Ui.NewElements = {Answer(QStringLiteral("X"), Library.Path(QStringLiteral("old.xml/inside.xml")))};
  Click(Form->btn_Tool_02);
  ASSERT_EQ(Ui.Errors.size(), 1);
  EXPECT_TRUE(Ui.Errors[0].startsWith(QStringLiteral("Не удалось создать файл журнала"))) << Ui.Errors[0].toStdString();
  EXPECT_EQ(Form->Library().Document().SaveToString(), before);
  EXPECT_EQ(Captions(Item(QStringLiteral("A"))), QStringList{QStringLiteral("K")});

  // "Yes" replaces it with the empty journal.
  Ui.NewElements = {Answer(QStringLiteral("X"), QStringLiteral("old.xml"))};
  Ui.Replace = {true};
  Click(Form->btn_Tool_02);
  EXPECT_TRUE(Library.Read(QStringLiteral("old.xml")).endsWith("<velmora>\r\n</velmora>\r\n"));
  EXPECT_EQ(Captions(Item(QStringLiteral("A"))), QStringList({QStringLiteral("K"), QStringLiteral("X")}));
}

TEST_F(ActionsTest, MovingExchangesEntriesAroundHiddenElementsAndKeepsSelectionAndExpansion) {
  Open();
  Select(QStringLiteral("C"));
  Item(QStringLiteral("C"))->setExpanded(true);
  TXMLNode* edited = Tfrm_MainForm::NodeOf(Form->FCurrentNode);
  Click(Form->btn_MoveUp);
  TItem root = TopItem();
  EXPECT_EQ(Captions(root), QStringList({QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
  EXPECT_TRUE(Item(QStringLiteral("C"))->isExpanded());
  EXPECT_EQ(Tfrm_MainForm::NodeOf(Form->FCurrentNode), edited);
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("C"));
  EXPECT_TRUE(Form->btn_MoveUp->isEnabled());
  EXPECT_TRUE(Form->btn_MoveDown->isEnabled());
  Click(Form->btn_MoveUp);
  EXPECT_FALSE(Form->btn_MoveUp->isEnabled());
  Click(Form->btn_MoveDown);
  EXPECT_TRUE(Form->btn_MoveUp->isEnabled());
  // Stored as A C form B: the window's form element stays where it was.
  const QString text = LibraryText();
  EXPECT_LT(text.indexOf(QStringLiteral("name=\"C\"")), text.indexOf(QStringLiteral("<form")));
  EXPECT_LT(text.indexOf(QStringLiteral("<form")), text.indexOf(QStringLiteral("name=\"B\"")));

  // In a day the night's own comment stays between the dreams.
  Select(QStringLiteral("002. b"));
  Click(Form->btn_MoveUp);
  EXPECT_EQ(Captions(Item(QStringLiteral("d1"))), QStringList({QStringLiteral("002. b"), QStringLiteral("001. a")}));
  Click(Form->btn_Save);
  const QByteArray journal = Library.Read(QStringLiteral("j.xml"));
  EXPECT_LT(journal.indexOf("\"002\""), journal.indexOf("<comment>"));
  EXPECT_LT(journal.indexOf("<comment>"), journal.indexOf("\"001\""));
  Restart();
  EXPECT_EQ(Captions(TopItem()),
            QStringList({QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
}

TEST_F(ActionsTest, DeletingAsksUnlessSwitchedOffAndTheAnswerSurvivesARestart) {
  Open();
  Select(QStringLiteral("J"));
  Click(Form->btn_Delete);  // no answer: "Нет"
  ASSERT_EQ(Ui.Questions.size(), 1);
  EXPECT_EQ(Ui.Questions[0], QStringLiteral("Вы действительно хотите удалить объект \"J\"?"));
  EXPECT_NE(Item(QStringLiteral("J")), nullptr);
  EXPECT_FALSE(LibraryText().contains(QStringLiteral("<options")));

  // "Да": the catalog holding the default journal goes; the mark goes with it.
  Select(QStringLiteral("C"));
  Ui.Confirmations = {{true, false}};
  Click(Form->btn_Delete);
  EXPECT_EQ(Item(QStringLiteral("J")), nullptr);
  EXPECT_EQ(Form->Library().DefaultJournal(), nullptr);
  EXPECT_FALSE(LibraryText().contains(QStringLiteral("<options")));  // the answer changed no setting
  // The editors show the node selected next.
  ASSERT_TRUE(Form->FCurrentNode.isValid());
  EXPECT_EQ(Editors().edt_Name->text(), CurrentItem().text());

  Select(QStringLiteral("K"));
  EXPECT_EQ(LibraryText().count(QStringLiteral("default=\"yes\"")), 1);

  // "Да" with the box: no more questions, now or after a restart.
  Select(QStringLiteral("k1"));
  Ui.Confirmations = {{true, true}};
  Click(Form->btn_Delete);
  EXPECT_FALSE(Form->FConfirmDelete);
  EXPECT_EQ(Form->FCurrentNode, Item(QStringLiteral("K")));  // the journal, now without days
  Click(Form->btn_Save);
  Restart();
  EXPECT_FALSE(Form->FConfirmDelete);
  Select(QStringLiteral("B"));
  Click(Form->btn_Delete);
  Select(QStringLiteral("A"));
  Click(Form->btn_Delete);
  EXPECT_EQ(Ui.Questions.size(), 3);
  // Nothing left below the root: the root is selected and edited.
  EXPECT_EQ(Form->FCurrentNode, TopItem());
  EXPECT_EQ(Editors().edt_Name->text(), TopItem().text());
  // The library's editor switches the question on again.
  QCheckBox* ask = Editors().box_ConfirmDelete;
  ASSERT_TRUE(ask->isVisible());
  EXPECT_FALSE(ask->isChecked());
  ask->click();
  EXPECT_TRUE(Form->FConfirmDelete);
  EXPECT_TRUE(LibraryText().contains(QStringLiteral("confirmdelete=\"yes\"")));
}

TEST_F(ActionsTest, TwoEntriesOfOneJournalAreMovedAndDeletedEachOnItsOwn) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"One\" path=\"j.xml\" />\n"
      "    <file name=\"Two\" path=\"j.xml\" />\n"
      "    <file name=\"K\" path=\"k.xml\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n"));
  Open();
  Select(QStringLiteral("One"));
  Select(QStringLiteral("Two"));
  // A dream deleted below one entry is gone below the other one too; a new day shows under both.
  TItem two = Item(QStringLiteral("Two"));
  Item(QStringLiteral("One"))->child(0)->setExpanded(true);
  Form->tre_Directory->setCurrentIndex(Item(QStringLiteral("One"))->child(0)->child(0));
  Ui.Confirmations = {{true, false}};
  Click(Form->btn_Delete);
  two->child(0)->setExpanded(true);
  EXPECT_EQ(Captions(two->child(0)), QStringList{QStringLiteral("002. b")});
  Select(QStringLiteral("One"));
  Ui.NewElements = {Answer(QStringLiteral("d3"))};
  Click(Form->btn_Tool_03);
  EXPECT_EQ(Captions(two), QStringList({QStringLiteral("d1"), QStringLiteral("d2"), QStringLiteral("d3")}));
  Form->tre_Directory->setCurrentIndex(Item(QStringLiteral("One"))->child(0));
  Click(Form->btn_MoveDown);
  EXPECT_EQ(Captions(two), QStringList({QStringLiteral("d2"), QStringLiteral("d1"), QStringLiteral("d3")}));
  Select(QStringLiteral("Two"));  // its own entry is named and marked, not the first one's
  EXPECT_EQ(two->text(0), QStringLiteral("Two"));
  EXPECT_EQ(Form->Library().DefaultJournal()->GetAttribute(attrName), "Two");
  Click(Form->btn_MoveDown);
  EXPECT_EQ(Captions(Item(QStringLiteral("A"))),
            QStringList({QStringLiteral("One"), QStringLiteral("K"), QStringLiteral("Two")}));
  Select(QStringLiteral("One"));
  Ui.Confirmations = {{true, false}};
  Click(Form->btn_Delete);
  const QString text = LibraryText();
  EXPECT_FALSE(text.contains(QStringLiteral("\"One\"")));
  EXPECT_LT(text.indexOf(QStringLiteral("\"K\"")), text.indexOf(QStringLiteral("\"Two\"")));
  // The journal goes on through the other entry.
  Select(QStringLiteral("Two"));
  EXPECT_EQ(Form->Library().Pairs().FirstOf(Tfrm_MainForm::NodeOf(Item(QStringLiteral("Two")))),
            Form->Library().Document().Root->GetChild(0)->GetChild(1));
  EXPECT_NE(Item(QStringLiteral("d2")), nullptr);
}

TEST_F(ActionsTest, AJournalIsItsFileWhateverSpellingLeadsToIt) {
  QFile::link(Library.Path(QStringLiteral("j.xml")), Library.Path(QStringLiteral("link.xml")));
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"One\" path=\"%1\" />\n"
      "    <file name=\"Two\" path=\"%2\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n").arg(Library.Path(QStringLiteral("j.xml")), Library.Path(QStringLiteral("./j.xml"))));
  Open();
  Select(QStringLiteral("One"));
  const QByteArray before = Library.Read(QStringLiteral("j.xml"));
  // A new journal at another spelling of the open journal's file is refused before any question.
  Select(QStringLiteral("A"));
  for (const QString& spelling : {Library.Path(QStringLiteral("./j.xml")), Library.Path(QStringLiteral("j.xml")),
                                  Library.Path(QStringLiteral("link.xml"))}) {
    Ui.NewElements = {Answer(QStringLiteral("B"), spelling)};
    Ui.Replace = {true};
    Click(Form->btn_Tool_02);
  }
  EXPECT_TRUE(Ui.ReplaceQuestions.isEmpty());
  EXPECT_EQ(Ui.Warnings.size(), 3);
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), before);
  EXPECT_EQ(Captions(Item(QStringLiteral("A"))), QStringList({QStringLiteral("One"), QStringLiteral("Two")}));

  // The second entry shows the same journal: a day added under one is under the other, and the
  // edit is on disk whichever entry was selected last.
  Select(QStringLiteral("Two"));
  EXPECT_EQ(Form->Library().Journals().Documents().size(), 1u);
  Select(QStringLiteral("One"));
  Ui.NewElements = {Answer(QStringLiteral("d3"))};
  Click(Form->btn_Tool_03);
  EXPECT_EQ(Captions(Item(QStringLiteral("Two"))).last(), QStringLiteral("d3"));
  Select(QStringLiteral("Two"));
  ASSERT_TRUE(Close());
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("<day name=\"d3\">"));
}

TEST_F(ActionsTest, EveryStepIsUndoneAndRedoneWithTheTreeFollowing) {
  Open();
  Select(QStringLiteral("K"));
  Select(QStringLiteral("J"));
  TXMLParser* journal = Form->Library().Journals().Find(Library.Path(QStringLiteral("j.xml")).toStdString());
  // The default mark follows what the user selects, which is no step of its own.
  const auto texts = [&] {
    return FromCp(Form->Library().Document().SaveToString() + journal->SaveToString())
        .remove(QRegularExpression(QStringLiteral(" default=\"\\w+\"")));
  };
  const auto captions = [&] {
    QStringList all;
    for (const TItem& item : AllItems()) all << item->text(0);
    return all;
  };
  const QString startTexts = texts();
  const QStringList startCaptions = captions();
  Select(QStringLiteral("B"));
  Ui.NewElements = {Answer(QStringLiteral("Новый"))};
  Click(Form->btn_Tool_01);
  Select(QStringLiteral("d1"));
  Ui.NewElements = {Answer(QStringLiteral("012"), QStringLiteral("Сон"))};
  Click(Form->btn_Tool_04);
  // Typing is one step; Ctrl+Z in the field takes back the window's step, not the field's own.
  QLineEdit* title = Editors().edt_Name;
  title->setFocus();
  title->end(false);
  for (const QChar ch : QStringLiteral("ище"))
    QTest::sendKeyEvent(QTest::Click, title, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("012. Сонище"));
  EXPECT_EQ(Form->btn_Undo->toolTip(), QStringLiteral("Отменить: изменение заголовка (Ctrl+Z)"));
  QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("012. Сон"));
  EXPECT_EQ(title->text(), QStringLiteral("Сон"));
  EXPECT_TRUE(Form->btn_Redo->isEnabled());  // the field's own undo would have made a new step
  Select(QStringLiteral("d2"));
  Click(Form->btn_MoveUp);
  Select(QStringLiteral("K"));
  Ui.Confirmations = {{true, false}};
  Click(Form->btn_Delete);
  const QString endTexts = texts();
  const QStringList endCaptions = captions();

  while (Form->btn_Undo->isEnabled()) Click(Form->btn_Undo);
  EXPECT_EQ(texts(), startTexts);
  EXPECT_EQ(captions(), startCaptions);
  while (Form->btn_Redo->isEnabled()) Click(Form->btn_Redo);
  EXPECT_EQ(texts(), endTexts);
  EXPECT_EQ(captions(), endCaptions);
  // The deleted journal entry comes back selected, with its pair.
  QTest::keyClick(Form->tre_Directory, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Form->FCurrentNode, Item(QStringLiteral("K")));
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ActionsTest, EveryActionHasItsKey) {
  Open();
  Select(QStringLiteral("d1"));
  auto press = [&](QWidget* where, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    where->setFocus();
    QTest::keyClick(where, key, modifiers);
  };
  TDirectoryTree* tree = Form->tre_Directory;
  Ui.NewElements = {Answer(QStringLiteral("012"), QStringLiteral("a")), Answer(QStringLiteral("d3")),
                    Answer(QStringLiteral("013"), QStringLiteral("b"))};
  press(tree, Qt::Key_N, Qt::ControlModifier);                      // a dream in the day
  press(tree, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);  // a night in its journal
  press(tree, Qt::Key_Insert);                                      // in a night: a dream
  EXPECT_EQ(Ui.NewElementKinds, std::vector<TNewElementKind>({neExperience, neDay, neExperience}));
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("013. b"));
  press(tree, Qt::Key_F2);
  EXPECT_TRUE(Editors().edt_Name->hasFocus());
  Select(QStringLiteral("d3"));
  press(tree, Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(Captions(Item(QStringLiteral("J"))), QStringList({QStringLiteral("d1"), QStringLiteral("d3"), QStringLiteral("d2")}));
  press(tree, Qt::Key_Down, Qt::AltModifier);
  Ui.Confirmations = {{true, false}};
  press(tree, Qt::Key_Delete);
  EXPECT_EQ(Item(QStringLiteral("d3")), nullptr);
  // Delete in a text field is the field's own.
  press(Editors().edt_Name, Qt::Key_Delete);
  EXPECT_EQ(Ui.Questions.size(), 1);
  press(tree, Qt::Key_F1);
  EXPECT_EQ(Ui.AboutShown, 1);
  press(tree, Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(Library.Read(QStringLiteral("j.xml")).contains("d3"));
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("012"));
  EXPECT_EQ(Form->btn_Save->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
  press(tree, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(ActionsTest, SaveWritesEveryFileItCanAndNamesTheOneItCannot) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"Blocked\" path=\"blocker/bad.xml\" default=\"yes\" />\n"
      "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n"));
  Open();
  Ui.Warnings.clear();
  Library.Write(QStringLiteral("blocker"), QStringLiteral("a file where a folder should be"));
  Select(QStringLiteral("J"));
  Ui.NewElements = {Answer(QStringLiteral("Kept day"))};
  Click(Form->btn_Tool_03);
  // A journal whose file was never read is written only once something is put into it.
  Select(QStringLiteral("Blocked"));
  Ui.NewElements = {Answer(QStringLiteral("Blocked day"))};
  Click(Form->btn_Tool_03);
  Click(Form->btn_Save);
  ASSERT_EQ(Ui.Errors.size(), 1);
  EXPECT_TRUE(Ui.Errors[0].contains(QStringLiteral("blocker/bad.xml")));
  EXPECT_FALSE(Ui.Errors[0].contains(QStringLiteral("j.xml")));
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("Kept day"));
  EXPECT_TRUE(Library.Read(QStringLiteral("dreams.ini")).contains("name=\"A\""));
}

// A day's dreams get their nodes when the day is first expanded or needed; each exactly once.
TEST_F(ActionsTest, DreamsOfADayNeverExpandedAppearOnceWhenShownCreatedOrMoved) {
  Open();
  TItem journal = CurrentItem();
  ASSERT_EQ(Captions(journal), QStringList({QStringLiteral("d1"), QStringLiteral("d2")}));
  TItem d1 = journal->child(0);
  TItem d2 = journal->child(1);
  // The first day is moved below the second, which was never expanded, then expanded twice.
  Form->tre_Directory->setCurrentIndex(d1);
  Click(Form->btn_MoveDown);
  ASSERT_EQ(journal->child(0), d2);
  d2->setExpanded(true);
  d2->setExpanded(false);
  d2->setExpanded(true);
  ASSERT_EQ(d2->childCount(), 9);
  EXPECT_EQ(d2->child(0)->text(0), QStringLiteral("3. t"));
  EXPECT_EQ(d2->child(8)->text(0), QStringLiteral("11. t"));
  // A dream created in a day selected but never expanded is shown once, also after expanding.
  Form->tre_Directory->setCurrentIndex(d1);
  Ui.NewElements = {Answer(QStringLiteral("012"), QStringLiteral("новый"))};
  Click(Form->btn_Tool_04);
  d1->setExpanded(false);
  d1->setExpanded(true);
  EXPECT_EQ(Captions(d1), QStringList({QStringLiteral("001. a"), QStringLiteral("002. b"), QStringLiteral("012. новый")}));
  // Deleting the expanded day leaves the moved one with its dreams; the document agrees.
  Form->tre_Directory->setCurrentIndex(d2);
  Form->FConfirmDelete = false;
  Click(Form->btn_Delete);
  ASSERT_EQ(Captions(journal), QStringList({QStringLiteral("d1")}));
  EXPECT_EQ(journal->child(0)->childCount(), 3);
  const TXMLNode* root = Tfrm_MainForm::NodeOf(journal);
  ASSERT_EQ(root->ChildCount(), 1);
  EXPECT_EQ(Tfrm_MainForm::CountExperiences(root), 3);
}

// A never expanded day is deleted with its dreams and the next day, never expanded either, is
// selected and shows its own dreams.
TEST_F(ActionsTest, DeletingSelectsTheNextSiblingAndADayNeverExpandedKeepsItsDreams) {
  Open();
  TItem journal = CurrentItem();
  Form->tre_Directory->setCurrentIndex(journal->child(0));
  Form->FConfirmDelete = false;
  Click(Form->btn_Delete);
  ASSERT_EQ(Captions(journal), QStringList({QStringLiteral("d2")}));
  EXPECT_EQ(Form->FCurrentNode, journal->child(0));
  EXPECT_EQ(journal->child(0)->childCount(), 9);
  EXPECT_EQ(Form->FNextNumber, 10);
  // A sibling in the middle: the next one, not the one before.
  Form->tre_Directory->setCurrentIndex(journal->child(0)->child(4));
  Click(Form->btn_Delete);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(0), QStringLiteral("8. t"));
}

// "*" expands the journal with every day below it: the days' dreams are there.
TEST_F(ActionsTest, ExpandingAJournalWithEverythingBelowShowsTheDaysDreams) {
  Open();
  TItem journal = CurrentItem();
  Form->tre_Directory->setFocus();
  QTest::keyClick(Form->tre_Directory, Qt::Key_Asterisk);
  ASSERT_TRUE(journal->child(1)->isExpanded());
  EXPECT_EQ(journal->child(1)->childCount(), 9);
  EXPECT_EQ(journal->child(0)->childCount(), 2);
}
