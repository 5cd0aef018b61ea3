// Where the steps of the undo history begin as the user types into the editors: a selection
// replaced comes back whole with one undo; a pause, a new word, a paste and leaving the field
// begin steps, and typing on inside a word does not.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "vlm_EntryFields.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_TypingSteps.h"
#include "vlm_Types.h"

class TypingStepsTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\">\n"
                                                                 "    <experience number=\"001\" title=\"a\" />\n"
                                                                 "  </day>\n</velmora>\n"));
    Open();
    Form->tre_Directory->setCurrentIndex(Item(QStringLiteral("001. a")));
    // The clock moves a tenth of a second a key, unless a test lets it stand still longer.
    Form->pnl_WorkArea->Typing().Now = [this] { return Clock; };
  }
  // Typed one character at a time, as a user types (Cyrillic included).
  void Type(QWidget* field, const QString& text) {
    for (const QChar ch : text) {
      QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
      Clock += 100;
    }
  }
  static void Undo(QWidget* field) { QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier); }
  QString StoredDescription() const {
    return FromCp(ChildText(*Tfrm_MainForm::NodeOf(Form->FCurrentNode), tagDescription));
  }

  qint64 Clock = 0;
};

TEST_F(TypingStepsTest, TypingOverASelectionIsUndoneToTheSelectedTextExactly) {
  QPlainTextEdit* memo = Editors().mmo_Description;
  memo->setFocus();
  const QString paragraph = QStringLiteral("Мне снилось море, тёплое и тихое.");
  Type(memo, paragraph);
  QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
  Type(memo, QStringLiteral("ж"));
  ASSERT_EQ(StoredDescription(), QStringLiteral("ж"));
  Undo(memo);
  EXPECT_EQ(memo->toPlainText(), paragraph);
  EXPECT_EQ(StoredDescription(), paragraph);
  QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(StoredDescription(), QStringLiteral("ж"));
}

TEST_F(TypingStepsTest, APauseANewWordAPasteAndLeavingTheFieldBeginSteps) {
  QPlainTextEdit* memo = Editors().mmo_Description;
  memo->setFocus();
  Type(memo, QStringLiteral("one two"));  // "one " and "two"
  Clock += 1500;
  Type(memo, QStringLiteral("s"));  // after a pause
  QGuiApplication::clipboard()->setText(QStringLiteral("XY"));
  QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
  Type(memo, QStringLiteral("z"));  // a paste is a step of its own
  Editors().edt_Name->setFocus();
  memo->setFocus();
  memo->moveCursor(QTextCursor::End);
  Type(memo, QStringLiteral("q"));  // back in the field
  ASSERT_EQ(StoredDescription(), QStringLiteral("one twosXYzq"));
  for (const char* before : {"one twosXYz", "one twosXY", "one twos", "one two", "one", ""}) {  // stored trimmed
    Undo(memo);
    EXPECT_EQ(memo->toPlainText(), QString::fromLatin1(before));
  }
  EXPECT_FALSE(Form->btn_Undo->isEnabled());
}
