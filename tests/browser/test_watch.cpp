// Files another program changes while the window has them open: a journal or the library file
// without unsaved changes is read again with the selection kept; with them, both versions are
// kept; a removed journal is written again only when the user says so.
#include <fcntl.h>
#include <sys/stat.h>

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
  EXPECT_TRUE(Ui.Warnings.join('\n').contains(copy)) << Ui.Warnings.join('\n').toStdString();

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
  EXPECT_TRUE(Ui.Warnings.join('\n').contains(copy)) << Ui.Warnings.join('\n').toStdString();
  EXPECT_NE(Item(QStringLiteral("ours")), nullptr);
}

TEST_F(WatchTest, ARemovedOrMovedJournalAnsweredNoKeepsItsUnsavedChangesBesideIt) {
  Form->Library().AddDay(*Journal, "unsaved");
  ASSERT_TRUE(QFile::rename(Library.Path(QStringLiteral("j.xml")), Library.Path(QStringLiteral("moved.xml"))));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Ui.Questions.size() == 1; }, 5000));  // answered "Нет"
  ASSERT_EQ(ConflictCopies().size(), 1);
  EXPECT_TRUE(Library.Read(ConflictCopies().front()).contains("unsaved"));
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings.front().contains(ConflictCopies().front())) << Ui.Warnings.front().toStdString();
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("j.xml"))));
}

TEST_F(WatchTest, AJournalRemovedAndWrittenAnewWhileAskedIsAConflictThatKeepsBoth) {
  Form->Library().AddDay(*Journal, "ours");
  // A sync tool removes the file and writes it anew while the question is open.
  Ui.WhileAsked = [&] {
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"theirs\" />\n</velmora>\n"));
  };
  QFile::remove(Library.Path(QStringLiteral("j.xml")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ConflictCopies().isEmpty(); }, 5000));
  EXPECT_EQ(Ui.Questions.size(), 1);  // answered "Нет", but the question was out of date
  ASSERT_EQ(ConflictCopies().size(), 1);
  EXPECT_TRUE(Library.Read(ConflictCopies().front()).contains("theirs"));
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("ours"));
  EXPECT_TRUE(Form->ReadOnlyReason(Item(QStringLiteral("ours"))).isEmpty()) << "still written";
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings.front().contains(ConflictCopies().front()));
}

TEST_F(WatchTest, AFileReplacedWithOneOfTheSameSizeAndTimeIsNoticedAndNewPermissionsAreNot) {
  const QString path = Library.Path(QStringLiteral("j.xml"));
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
  QTest::qWait(TFileWatch::kSettleMs * 4);
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().isEmpty()) << Form->pnl_WorkArea->Notice().toStdString();
  EXPECT_EQ(Form->Library().Journals().Find(Journal->FileName), Journal) << "not read again";

  // The same length and modification time, another file: "d1" became "d7".
  Library.WriteJournal(QStringLiteral("other.xml"), QStringLiteral("<velmora>\n  <day name=\"d7\" />\n</velmora>\n"));
  const QString other = Library.Path(QStringLiteral("other.xml"));
  ASSERT_EQ(QFileInfo(other).size(), QFileInfo(path).size());
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0), 0);
  ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(QStringLiteral("d7")) != nullptr; }, 5000));
  EXPECT_TRUE(Ui.Errors.isEmpty() && Ui.Questions.isEmpty());
}

// A journal whose file was missing at the start, with nothing put into it, reads the file once it
// appears (its folder put back) and writes nothing over it.
class MissingJournalTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"gone/j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Form->DefaultJournalsPending(); }, 5000));
    ASSERT_EQ(Ui.Warnings.size(), 1);  // "not found, opened empty"
  }
  void PutBack() {
    ASSERT_TRUE(QDir(Library.Path()).mkdir(QStringLiteral("gone")));
    Library.WriteJournal(QStringLiteral("gone/j.xml"), QStringLiteral("<velmora>\n  <day name=\"twelve dreams\" />\n</velmora>\n"));
    Theirs = Library.Read(QStringLiteral("gone/j.xml"));
  }
  QByteArray Theirs;
};

TEST_F(MissingJournalTest, TheFileThatAppearsIsReadAndNothingIsWrittenOverIt) {
  PutBack();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Item(QStringLiteral("twelve dreams")) != nullptr; }, 5000));
  ASSERT_TRUE(Form->SaveAndReport());
  ASSERT_TRUE(Close());
  EXPECT_EQ(Library.Read(QStringLiteral("gone/j.xml")), Theirs);
}

TEST_F(MissingJournalTest, WithSomethingPutInBothAreKeptAndTheCopyIsNamed) {
  TXMLParser* journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("gone/j.xml")).toStdString());
  Form->Library().AddDay(*journal, "mine");
  PutBack();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Ui.Warnings.size() == 2; }, 5000));
  const QStringList copies = QDir(Library.Path(QStringLiteral("gone"))).entryList({QStringLiteral("j.conflict-*.xml")});
  ASSERT_EQ(copies.size(), 1);
  EXPECT_EQ(Library.Read(QStringLiteral("gone/") + copies.front()), Theirs);
  EXPECT_TRUE(Library.Read(QStringLiteral("gone/j.xml")).contains("mine"));
  EXPECT_TRUE(Ui.Warnings.back().contains(copies.front())) << Ui.Warnings.back().toStdString();
}

}  // namespace
