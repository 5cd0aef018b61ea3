// Spell checking in the work area: a correction from a misspelt word's context menu goes into the
// dream as one edit, and a word added to the dictionary is kept beside the library.
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextCursor>
#include <memory>

#include "vlm_EditorSpelling.h"
#include "vlm_EntryFields.h"
#include "vlm_SpellChecker.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {

QAction* Action(const QMenu& menu, const QString& text) {
  for (QAction* a : menu.actions())
    if (a->text() == text) return a;
  return nullptr;
}

class SpellingMenuTest : public BrowserTest {
protected:
  void SetUp() override {
    if (!TSpellChecker::DictionaryPresent()) GTEST_SKIP() << "no Hunspell dictionary installed";
    Library.WritePicture(QStringLiteral("empty.bmp"), qRgb(255, 255, 255));
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"%1\" />\n  </directory>\n</dreamlibrary>\n")
                             .arg(Library.Path(QStringLiteral("j.xml"))));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
        "<velmora>\n  <day name=\"d1\">\n    <experience number=\"001\" title=\"Полёт\">\n"
        "      <description>Летал над крышамии.</description>\n    </experience>\n  </day>\n</velmora>\n"));
    Open();
    for (const char* caption : {"J", "d1", "001. Полёт"}) {
      const TItem item = Item(QString::fromUtf8(caption));
      ASSERT_TRUE(item) << caption;
      for (TItem up = item.parent(); up; up = up.parent()) up.setExpanded(true);
      ClickItem(item);
    }
    ASSERT_NE(Form->pnl_WorkArea->Spelling(), nullptr);
    ASSERT_TRUE(Form->pnl_WorkArea->Spelling()->Checker().Available());
  }
  // How many entries the description's menu has without spell checking.
  qsizetype StandardEntries() const {
    const std::unique_ptr<QMenu> menu(Editors().mmo_Description->createStandardContextMenu());
    return menu->actions().size();
  }
  // The context menu of the description at text position `position`.
  std::unique_ptr<QMenu> MenuAt(int position) const {
    QPlainTextEdit* memo = Editors().mmo_Description;
    QTextCursor at(memo->document());
    at.setPosition(position);
    return std::unique_ptr<QMenu>(Form->pnl_WorkArea->Spelling()->Menu(memo, memo->cursorRect(at).center()));
  }
};

TEST_F(SpellingMenuTest, ACorrectionGoesIntoTheDreamAsOneEdit) {
  QPlainTextEdit* memo = Editors().mmo_Description;
  ASSERT_EQ(memo->toPlainText(), QStringLiteral("Летал над крышамии."));
  EXPECT_EQ(MenuAt(1)->actions().size(), StandardEntries());  // a right word
  const auto menu = MenuAt(13);
  QAction* correction = Action(*menu, QStringLiteral("крышами"));
  ASSERT_NE(correction, nullptr);
  ASSERT_EQ(Form->Library().UndoStack().count(), 0);
  QSignalSpy changes(memo, &QPlainTextEdit::textChanged);
  correction->trigger();
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("Летал над крышами."));
  std::string expected;
  ASSERT_TRUE(ToCp(QStringLiteral("Летал над крышами."), expected));
  EXPECT_EQ(ChildText(*Tfrm_MainForm::NodeOf(Form->FCurrentNode), tagDescription), expected);
  EXPECT_EQ(Form->Library().UndoStack().count(), 1);
  Form->TakeStep(false);
  EXPECT_EQ(memo->toPlainText(), QStringLiteral("Летал над крышамии."));
}

TEST_F(SpellingMenuTest, AWordAddedToTheDictionaryIsKeptBesideTheLibraryAndCheckingAgainWritesNothing) {
  // Checking again redraws the editors of a night without a comment: nothing is stored.
  ClickItem(Item(QStringLiteral("d1")));
  Form->pnl_WorkArea->Spelling()->Recheck();
  EXPECT_FALSE(Form->Library().IsChanged(Form->Library().Journals().Documents().front().get()));
  ClickItem(Item(QStringLiteral("001. Полёт")));

  const auto menu = MenuAt(13);
  QAction* add = Action(*menu, QStringLiteral("Добавить в словарь"));
  ASSERT_NE(add, nullptr);
  add->trigger();
  EXPECT_EQ(Library.Read(QStringLiteral("words.dic")), QStringLiteral("крышамии\n").toUtf8());
  EXPECT_EQ(MenuAt(13)->actions().size(), StandardEntries());  // right now
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().isEmpty());
}

}  // namespace
