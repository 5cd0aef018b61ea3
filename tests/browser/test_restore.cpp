// Bringing back a dated backup: a restore and its undo (of a journal, of the library file), a
// backup that cannot be used, and the restore dialog's list and preview.
#include <sys/stat.h>

#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "vlm_Resources.h"
#include "vlm_BackupPacking.h"
#include "vlm_RestoreForm.h"
#include "vlm_TestSupport.h"

namespace {

class RestoreTest : public OneJournalTest {
protected:
  void SetUp() override {
    OneJournalTest::SetUp();
    // The first save keeps the file as it was (d1 alone) as a backup.
    ClickItem(Item(QStringLiteral("J")));
    Ui.NewElements.push_back({true, QStringLiteral("d2"), QString()});
    Form->btn_Tool_03->click();
    ASSERT_NE(Item(QStringLiteral("d2")), nullptr);
    ASSERT_TRUE(Form->SaveAndReport());
    ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
    ASSERT_EQ(Backups().size(), 1u);
    ClickItem(Item(QStringLiteral("d2")));
  }
  std::vector<TBackupFile> Backups() const { return ListBackups(Form->Backups()->Folder(), "j"); }
};

TEST_F(RestoreTest, ARestoreKeepsTheJournalFirstAndIsUndoneToTheSameBytes) {
  const QByteArray before = Library.Read(QStringLiteral("j.xml"));
  Ui.ChooseBackup = [](const std::vector<TBackupFile>& offered) {
    return offered.empty() ? QString() : QString::fromLocal8Bit(offered.front().Path.c_str());
  };
  Form->RestoreFromBackup();
  ASSERT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
  EXPECT_FALSE(Library.Read(QStringLiteral("j.xml")).contains("d2")) << "the restored version is on disk";
  EXPECT_EQ(Item(QStringLiteral("d2")), nullptr);
  ASSERT_NE(Item(QStringLiteral("d1")), nullptr);
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("j.xml")));
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  EXPECT_EQ(Backups().size(), 2u) << "the version before the restore was kept, however recent the last backup";

  Form->TakeStep(false);
  ASSERT_NE(Item(QStringLiteral("d2")), nullptr);
  ASSERT_TRUE(Form->SaveAndReport());
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), before);
  Form->TakeStep(true);  // and done again
  EXPECT_EQ(Item(QStringLiteral("d2")), nullptr);
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(RestoreTest, TypingAndThenRestoringKeepsTheTypedVersionAsTheNewestBackup) {
  Form->Library().SetText(*Journal, *Tfrm_MainForm::NodeOf(Item(QStringLiteral("d2"))), tfName, "typed");
  Ui.ChooseBackup = [](const std::vector<TBackupFile>& offered) {
    return offered.empty() ? QString() : QString::fromLocal8Bit(offered.front().Path.c_str());
  };
  Form->RestoreFromBackup();
  ASSERT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
  EXPECT_EQ(Item(QStringLiteral("typed")), nullptr) << "restored";
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  const std::vector<TBackupFile> backups = Backups();
  ASSERT_GE(backups.size(), 2u);
  std::string text, problem;
  ASSERT_TRUE(UnpackBackup(backups.back().Path, backups.back().Base, text, problem)) << problem;
  EXPECT_NE(text.find("typed"), std::string::npos) << "the newest backup holds what was typed";
}

TEST_F(RestoreTest, TheLibraryFileIsRestoredInPlaceWithItsJournalsOpenAndTheRestoreIsUndone) {
  // A catalog of ours, saved: the library file's version before it is kept as a backup.
  Form->Library().AddCatalog(Form->Library().Root(), "C2");
  ASSERT_TRUE(Form->SaveAndReport());
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  const auto libraryBackups = [&] { return ListBackups(Form->Backups()->Folder(), "dreams"); };
  ASSERT_EQ(libraryBackups().size(), 1u);
  ClickItem(TopItem());
  Ui.ChooseBackup = [](const std::vector<TBackupFile>& offered) {
    return offered.empty() ? QString() : QString::fromLocal8Bit(offered.front().Path.c_str());
  };
  Form->RestoreFromBackup();
  ASSERT_TRUE(Ui.Errors.isEmpty() && Ui.Warnings.isEmpty()) << (Ui.Errors + Ui.Warnings).join('\n').toStdString();
  EXPECT_EQ(Item(QStringLiteral("C2")), nullptr);
  EXPECT_FALSE(Library.Read(QStringLiteral("dreams.ini")).contains("C2")) << "the restored version is on disk";
  EXPECT_NE(Item(QStringLiteral("d2")), nullptr) << "the open journal is shown under its entry as it is";
  EXPECT_EQ(CurrentItem(), TopItem());
  EXPECT_TRUE(Form->ReadOnlyReason(TopItem()).isEmpty()) << "no restart needed";
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("dreams.ini")));
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  EXPECT_EQ(libraryBackups().size(), 2u) << "the version before the restore was kept";

  Form->TakeStep(false);
  ASSERT_NE(Item(QStringLiteral("C2")), nullptr);
  EXPECT_TRUE(Item(QStringLiteral("J"))->isExpanded()) << "the rows open stay open";
  ASSERT_TRUE(Form->SaveAndReport());
  EXPECT_TRUE(Library.Read(QStringLiteral("dreams.ini")).contains("C2"));
  Form->TakeStep(true);  // and done again
  EXPECT_EQ(Item(QStringLiteral("C2")), nullptr);
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(RestoreTest, ABackupThatCannotBeUsedIsRefusedAndTheJournalStaysAsItIs) {
  const QByteArray before = Library.Read(QStringLiteral("j.xml"));
  const QString folder = QString::fromLocal8Bit(Form->Backups()->Folder().c_str());
  const QString good = QString::fromLocal8Bit(Backups().front().Path.c_str());
  // Not gzip; a gzip cut short; a whole gzip of another kind of file (the library's own backup).
  QFile plain(folder + QStringLiteral("j-2020-01-01-000000.xml.gz"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.write(Library.Read(QStringLiteral("j.xml")));
  plain.close();
  const QString cut = folder + QStringLiteral("j-2020-01-02-000000.xml.gz");
  ASSERT_TRUE(QFile::copy(good, cut));
  ASSERT_TRUE(QFile::resize(cut, QFileInfo(cut).size() / 2));
  const QString other = folder + QStringLiteral("j-2020-01-03-000000.xml.gz");
  Form->Backups()->KeepNow(Library.Path(QStringLiteral("dreams.ini")).toStdString());
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  ASSERT_EQ(ListBackups(Form->Backups()->Folder(), "dreams").size(), 1u);
  ASSERT_TRUE(QFile::rename(QString::fromLocal8Bit(ListBackups(Form->Backups()->Folder(), "dreams").front().Path.c_str()), other));

  const int steps = Form->Library().UndoStack().count();
  for (const QString& bad : {plain.fileName(), cut, other}) {
    Ui.Errors.clear();
    Ui.ChooseBackup = [bad](const std::vector<TBackupFile>&) { return bad; };
    Form->RestoreFromBackup();
    ASSERT_EQ(Ui.Errors.size(), 1) << bad.toStdString();
    EXPECT_TRUE(Ui.Errors.front().contains(QFileInfo(bad).fileName())) << Ui.Errors.front().toStdString();
    EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), before);
    EXPECT_EQ(Form->Library().UndoStack().count(), steps);
    EXPECT_FALSE(Form->Library().IsChanged(Journal));
    ASSERT_NE(Item(QStringLiteral("d2")), nullptr);
  }
  EXPECT_EQ(Backups().size(), 4u) << "nothing was kept for a restore that did not happen";
}

TEST_F(RestoreTest, CancellingWhileTheBackupIsReadChangesNothing) {
  const QByteArray before = Library.Read(QStringLiteral("j.xml"));
  Ui.ChooseBackup = [](const std::vector<TBackupFile>& offered) {
    return offered.empty() ? QString() : QString::fromLocal8Bit(offered.front().Path.c_str());
  };
  Ui.CancelAtStep = 1;
  const int steps = Form->Library().UndoStack().count();
  Form->RestoreFromBackup();
  EXPECT_TRUE(Ui.ProgressTexts.contains(QString::fromUtf8(res::RestoreReading)));
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), before);
  EXPECT_NE(Item(QStringLiteral("d2")), nullptr);
  EXPECT_EQ(Form->Library().UndoStack().count(), steps);
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  EXPECT_EQ(Backups().size(), 1u) << "nothing kept for a restore that did not happen";
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("отменено"))) << Form->pnl_WorkArea->Notice().toStdString();
  EXPECT_TRUE(Ui.Errors.isEmpty() && Ui.Warnings.isEmpty());
}

TEST(RestoreForm, ListsBackupsNewestFirstWithTheirCountsAndPreviewsTheChosenOne) {
  QTemporaryDir dir;
  const QString journal = dir.path() + QStringLiteral("/j.xml");
  std::time_t now = 1700000000;
  TBackupKeeper keeper(QFile::encodeName(dir.path() + QStringLiteral("/backups/")).toStdString(), [&] { return now; });
  const char* versions[] = {"<day name=\"a\" />",
                            "<day name=\"a\"><experience number=\"1\" title=\"t\"><description>text</description>"
                            "</experience></day><day name=\"b\" />",
                            "<day name=\"a\"><experience number=\"1\" title=\"t\" /><experience number=\"2\" /></day>"
                            "<day name=\"b\" /><day name=\"c\" />"};
  for (const char* days : versions) {
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n<velmora>") + days + "</velmora>\r\n");
    file.close();
    ASSERT_TRUE(keeper.KeepNow(QFile::encodeName(journal).toStdString()));
    ASSERT_TRUE(keeper.Wait(std::chrono::seconds(10)));
    now += 86400;
  }
  std::vector<TBackupFile> backups = ListBackups(keeper.Folder(), "j");
  ASSERT_EQ(backups.size(), 3u);
  // A fourth, damaged: its row says so and it cannot be restored.
  const std::string damaged = keeper.Folder() + BackupName("j", now);
  ASSERT_TRUE(QFile(QString::fromLocal8Bit(backups.front().Path.c_str())).copy(QString::fromLocal8Bit(damaged.c_str())));
  ASSERT_TRUE(QFile::resize(QString::fromLocal8Bit(damaged.c_str()), 20));
  backups = ListBackups(keeper.Folder(), "j");

  TRestoreForm form(QStringLiteral("j.xml"), backups, false);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Counted(); }, 10000));
  ASSERT_EQ(form.lst_Backups->topLevelItemCount(), 4);
  const QString expected[4][3] = {{QString(), QString(), QString()},
                                  {QStringLiteral("16.11.2023"), QStringLiteral("3"), QStringLiteral("2")},
                                  {QStringLiteral("15.11.2023"), QStringLiteral("2"), QStringLiteral("1")},
                                  {QStringLiteral("14.11.2023"), QStringLiteral("1"), QStringLiteral("0")}};
  for (int row = 1; row < 4; ++row) {
    const QTreeWidgetItem* item = form.lst_Backups->topLevelItem(row);
    EXPECT_TRUE(item->text(0).startsWith(expected[row][0])) << item->text(0).toStdString();
    EXPECT_EQ(item->text(1), expected[row][1]);
    EXPECT_EQ(item->text(2), expected[row][2]);
    EXPECT_TRUE(item->text(3).endsWith(QStringLiteral("КБ")));
  }
  EXPECT_EQ(form.lst_Backups->topLevelItem(0)->text(1), QStringLiteral("повреждена"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PreviewShown(); }, 10000));
  EXPECT_FALSE(form.btn_Restore->isEnabled()) << "the newest, damaged, is chosen first";
  EXPECT_TRUE(form.ChosenPath().isEmpty());

  form.lst_Backups->setCurrentItem(form.lst_Backups->topLevelItem(2));
  EXPECT_FALSE(form.PreviewShown()) << "the copy is read on a thread: the list answers meanwhile";
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.PreviewShown(); }, 10000));
  EXPECT_TRUE(form.btn_Restore->isEnabled());
  ASSERT_EQ(form.tre_Preview->topLevelItemCount(), 2);
  QTreeWidgetItem* dream = form.tre_Preview->topLevelItem(0)->child(0);
  ASSERT_NE(dream, nullptr);
  EXPECT_EQ(dream->text(0), QStringLiteral("1. t"));
  form.tre_Preview->setCurrentItem(dream);
  EXPECT_EQ(form.mem_Text->toPlainText(), QStringLiteral("text"));
  EXPECT_TRUE(form.mem_Text->isReadOnly());
  EXPECT_EQ(form.ChosenPath(), QString::fromLocal8Bit(backups[1].Path.c_str()));
}

// A named pipe where a backup should be is never read: the window lists it as damaged and closes.
TEST(RestoreForm, ABackupThatIsANamedPipeIsNotReadAndTheWindowCloses) {
  QTemporaryDir dir;
  const std::string pipe = QFile::encodeName(dir.path()).toStdString() + "/" + BackupName("j", 1700000000);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  TRestoreForm form(QStringLiteral("j.xml"), {TBackupFile{pipe, 1700000000, {}}}, false);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.Counted(); }, 10000));
  EXPECT_EQ(form.lst_Backups->topLevelItem(0)->text(1), QStringLiteral("повреждена"));
  EXPECT_FALSE(form.btn_Restore->isEnabled());
}

}  // namespace
