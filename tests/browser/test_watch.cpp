// Files another program changes while the window has them open: a journal without unsaved
// changes is read again with the selection kept; with them, both versions are kept; a removed
// journal is written again only when the user says so.
#include <QDirIterator>
#include <QFileInfo>

#include "vlm_FileWatch.h"
#include "vlm_TestSupport.h"

namespace {

class WatchTest : public OneJournalTest {
protected:
  QStringList ConflictCopies() const {
    return QDir(Library.Path()).entryList({QStringLiteral("j.conflict-*.xml")}, QDir::Files);
  }
};

TEST_F(WatchTest, AJournalChangedElsewhereIsReadAgainAfterOurOwnSave) {
  // Our own save replaces the file by a rename: it is no change by another program, and the
  // file is still watched afterwards.
  Form->Library().AddDay(*Journal, "d0");
  ASSERT_TRUE(Form->SaveAndReport());
  QTest::qWait(TFileWatch::kSettleMs * 2);
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().isEmpty()) << Form->pnl_WorkArea->Notice().toStdString();
  ClickItem(Item(QStringLiteral("d1")));

  Library.WriteJournal(QStringLiteral("j.xml"),
                       QStringLiteral("<velmora>\n  <day name=\"d1\" />\n  <day name=\"d2\" />\n</velmora>\n"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(QStringLiteral("d2")) != nullptr; }, 5000));
  ASSERT_NE(CurrentItem(), nullptr);
  EXPECT_EQ(CurrentItem()->text(0), QStringLiteral("d1")) << "the selection stays";
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("j.xml")));
  EXPECT_FALSE(Form->Library().IsChanged(Journal));
  EXPECT_TRUE(ConflictCopies().isEmpty());
  EXPECT_TRUE(Ui.Errors.isEmpty() && Ui.Questions.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(WatchTest, BothVersionsAreKeptAndARemovedJournalIsWrittenOnlyWhenAsked) {
  Form->Library().AddDay(*Journal, "ours");  // not saved yet
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"theirs\" />\n</velmora>\n"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ConflictCopies().isEmpty(); }, 5000));
  ASSERT_EQ(ConflictCopies().size(), 1);
  const QString copy = ConflictCopies().front();
  EXPECT_TRUE(Library.Read(copy).contains("theirs"));
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("ours"));
  EXPECT_FALSE(Library.Read(QStringLiteral("j.xml")).contains("theirs"));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(copy)) << Form->pnl_WorkArea->Notice().toStdString();

  // Removed: asked; "no" leaves it removed and it is written no more; after a new start, "yes".
  QFile::remove(Library.Path(QStringLiteral("j.xml")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Ui.Questions.size() == 1; }, 5000));
  Form->Library().AddDay(*Journal, "later");
  EXPECT_TRUE(Form->SaveAndReport());
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("j.xml"))));

  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));
  Open();
  Journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString());
  Ui.Confirmations.push_back({true, false});
  QFile::remove(Library.Path(QStringLiteral("j.xml")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(Library.Path(QStringLiteral("j.xml"))); }, 5000));
  EXPECT_EQ(Ui.Questions.size(), 2);
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("d1"));
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

}  // namespace
