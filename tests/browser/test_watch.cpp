// Files another program changes while the window has them open: a journal or the library file
// without unsaved changes is read again with the selection kept; with them, both versions are
// kept; a removed journal is written again only when the user says so.
#include <QDialog>
#include <QDirIterator>
#include <QFileInfo>

#include "vlm_FileWatch.h"
#include "vlm_TestSupport.h"

namespace {

class WatchTest : public OneJournalTest {
protected:
  QStringList ConflictCopies(const QString& pattern = QStringLiteral("j.conflict-*.xml")) const {
    return QDir(Library.Path()).entryList({pattern}, QDir::Files);
  }
  QStringList LibraryConflicts() const { return ConflictCopies(QStringLiteral("dreams.conflict-*.ini")); }
  // dreams.ini as another program writes it: catalog A keeps J, a catalog B and a label are new.
  void WriteTheirLibrary() {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <label caption=\"Яркий\" />\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n  </directory>\n"
                                        "  <directory name=\"B\" />\n</dreamlibrary>\n"));
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

TEST_F(WatchTest, TheLibraryChangedElsewhereIsShownAgainAndADamagedOneIsNotTaken) {
  // A step of ours, saved: it points into the library's tree that is about to go.
  Form->Library().AddCatalog(Form->Library().Root(), "ours");
  ASSERT_TRUE(Form->SaveAndReport());
  QTest::qWait(TFileWatch::kSettleMs * 2);
  ClickItem(Item(QStringLiteral("d1")));
  Form->Library().AddDay(*Journal, "unsaved");  // a journal's change stays through it

  WriteTheirLibrary();
  const QByteArray theirs = Library.Read(QStringLiteral("dreams.ini"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(QStringLiteral("B")) != nullptr; }, 5000));
  EXPECT_EQ(Item(QStringLiteral("ours")), nullptr);
  ASSERT_NE(CurrentItem(), nullptr);
  EXPECT_EQ(CurrentItem()->text(0), QStringLiteral("d1")) << "the selection stays";
  EXPECT_EQ(Form->Library().Journals().Find(Journal->FileName), Journal) << "the open journal stays";
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("dreams.ini")));
  EXPECT_EQ(Editors().LabelBox(1)->text(), QStringLiteral("Яркий"));
  EXPECT_NE(Item(QStringLiteral("unsaved")), nullptr);
  EXPECT_TRUE(Form->Library().IsChanged(Journal));
  EXPECT_EQ(Form->Library().UndoStack().count(), 0);
  Form->TakeStep(false);
  EXPECT_FALSE(Form->Library().IsChanged(&Form->Library().Document()));
  EXPECT_TRUE(Form->SaveAndReport());
  EXPECT_EQ(Library.Read(QStringLiteral("dreams.ini")), theirs) << "nothing written";

  // Cut short by the other program: ours stays shown; a later save of ours keeps theirs beside it.
  ClickItem(Item(QStringLiteral("B")));  // the notice goes
  Library.Write(QStringLiteral("dreams.ini"),
                Library.Declaration() + QStringLiteral("<dreamlibrary name=\"L\">\n  <dir"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Form->pnl_WorkArea->Notice().isEmpty(); }, 5000));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("dreams.ini")));
  ASSERT_EQ(CurrentItem()->text(0), QStringLiteral("B"));
  Form->Library().AddCatalog(*Tfrm_MainForm::NodeOf(CurrentItem()), "C");
  ASSERT_TRUE(Form->SaveAndReport());
  ASSERT_EQ(LibraryConflicts().size(), 1);
  EXPECT_FALSE(Library.Read(LibraryConflicts().front()).contains("</dreamlibrary>"));
  EXPECT_TRUE(Library.Read(QStringLiteral("dreams.ini")).contains("\"C\""));
  EXPECT_TRUE(Ui.Errors.isEmpty() && Ui.Questions.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(WatchTest, TheLibraryIsReadAgainOnlyAfterAnOpenDialogAndItsOpenRowsStayOpen) {
  ClickItem(TopItem());
  ASSERT_TRUE(Item(QStringLiteral("A"))->isExpanded() && Item(QStringLiteral("J"))->isExpanded());
  {
    // A dialog's handler goes on with the elements it was opened for.
    QDialog dialog(Form.get());
    dialog.setModal(true);
    dialog.show();
    WriteTheirLibrary();
    QTest::qWait(TFileWatch::kSettleMs * 4);
    EXPECT_EQ(Item(QStringLiteral("B")), nullptr);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(QStringLiteral("B")) != nullptr; }, 5000));
  EXPECT_EQ(CurrentItem(), TopItem());
  EXPECT_TRUE(Item(QStringLiteral("A"))->isExpanded());
  EXPECT_TRUE(Item(QStringLiteral("J"))->isExpanded());
}

TEST_F(WatchTest, TheLibraryChangedElsewhereWhileOursIsNotSavedKeepsBoth) {
  Form->Library().AddCatalog(Form->Library().Root(), "ours");  // not saved yet
  WriteTheirLibrary();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !LibraryConflicts().isEmpty(); }, 5000));
  ASSERT_EQ(LibraryConflicts().size(), 1);
  const QString copy = LibraryConflicts().front();
  EXPECT_TRUE(Library.Read(copy).contains("\"B\""));
  EXPECT_TRUE(Library.Read(QStringLiteral("dreams.ini")).contains("\"ours\""));
  EXPECT_FALSE(Library.Read(QStringLiteral("dreams.ini")).contains("\"B\""));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(copy)) << Form->pnl_WorkArea->Notice().toStdString();
  EXPECT_NE(Item(QStringLiteral("ours")), nullptr);
}

}  // namespace
