// Saving by itself: a failure is told once and tried again; the window saves what changed when
// the program loses the focus, writes nothing when nothing changed, and keeps a dated backup.
#include <QDialog>
#include <QDirIterator>
#include <QFileInfo>
#include <QTimer>
#include <chrono>
#include <thread>

#include "vlm_AutoSave.h"
#include "vlm_TestSupport.h"

namespace {

TEST(AutoSave, AFailureIsToldOnceAndTriedAgainUntilASaveSucceeds) {
  bool changed = false, fail = true;
  int saves = 0, told = 0;
  TAutoSave autoSave([&] { return changed; },
                     [&] {
                       ++saves;
                       if (fail) return std::vector<TJournalSaveFailure>{{"j.xml", "no space"}};
                       changed = false;
                       return std::vector<TJournalSaveFailure>{};
                     },
                     [&](const std::vector<TJournalSaveFailure>&) { ++told; });
  autoSave.SaveNow();
  autoSave.Edited();
  EXPECT_EQ(saves, 0) << "nothing changed: nothing written";
  EXPECT_FALSE(autoSave.Timer().isActive());

  changed = true;
  autoSave.Edited();
  EXPECT_TRUE(autoSave.Timer().isActive());
  EXPECT_EQ(autoSave.Timer().interval(), 30000);
  autoSave.SaveNow();  // the countdown's end
  autoSave.SaveNow();
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(autoSave.Timer().isActive()) << "tried again after the interval";
  fail = false;
  autoSave.SaveNow();
  EXPECT_FALSE(autoSave.Failing());
  EXPECT_FALSE(autoSave.Timer().isActive());
  changed = fail = true;
  autoSave.SaveNow();
  EXPECT_EQ(told, 2) << "a new failure after a success is told again";
}

TEST(AutoSave, TheCountdownRunsFromTheFirstUnsavedChangeNotFromTheLastEdit) {
  TAutoSave autoSave([] { return true; }, [] { return std::vector<TJournalSaveFailure>{}; },
                     [](const std::vector<TJournalSaveFailure>&) {});
  autoSave.SetInterval(1);
  autoSave.Edited();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  autoSave.Edited();  // typing on does not put the save off
  EXPECT_LE(autoSave.Timer().remainingTime(), 850);
}

class AutoSaveWindowTest : public BrowserTest {};

TEST_F(AutoSaveWindowTest, ASettingOutsideTheHistoryStartsTheCountdown) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\" />\n</dreamlibrary>\n"));
  Open();
  ClickItem(TopItem());
  ASSERT_FALSE(Form->AutoSave()->Timer().isActive());
  Editors().box_ConfirmDelete->click();  // "ask before deleting" off
  EXPECT_EQ(Form->Library().UndoStack().count(), 0);
  EXPECT_TRUE(Form->AutoSave()->Timer().isActive());
}

TEST_F(AutoSaveWindowTest, AnOpenDialogHoldsBackNeitherTheCountdownsSaveNorTheOneOnLosingTheFocus) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                      "    <file name=\"J\" path=\"j.xml\" />\n  </directory>\n</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));
  Open();
  TXMLParser* journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString());
  Form->Library().AddDay(*journal, "d2");
  QDialog dialog(Form.get());  // as the window for a new day, left open
  QByteArray atCountdown, atFocusLost;
  QTimer::singleShot(0, &dialog, [&] {
    Form->AutoSave()->SaveNow();  // the countdown's end
    atCountdown = Library.Read(QStringLiteral("j.xml"));
    Form->Library().AddDay(*journal, "d3");
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    atFocusLost = Library.Read(QStringLiteral("j.xml"));
    dialog.reject();
  });
  dialog.exec();
  EXPECT_TRUE(atCountdown.contains("d2"));
  EXPECT_TRUE(atFocusLost.contains("d3"));
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(AutoSaveWindowTest, LosingTheFocusSavesWhatChangedAndKeepsTheOldVersion) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <options autosave=\"45\" />\n"
                                      "  <directory name=\"A\">\n    <file name=\"J\" path=\"j.xml\" />\n"
                                      "  </directory>\n</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));
  const QByteArray libraryBefore = Library.Read(QStringLiteral("dreams.ini"));
  Open();
  ASSERT_NE(Form->AutoSave(), nullptr);
  EXPECT_EQ(Form->AutoSave()->Timer().interval(), 45000);

  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(Library.Read(QStringLiteral("dreams.ini")), libraryBefore) << "nothing changed: nothing written";
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("backups"))));

  TXMLParser* journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString());
  Form->Library().AddDay(*journal, "d2");
  EXPECT_TRUE(Form->AutoSave()->Timer().isActive());
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains("d2"));
  EXPECT_FALSE(Form->AutoSave()->Timer().isActive());
  EXPECT_EQ(Library.Read(QStringLiteral("dreams.ini")), libraryBefore);
  ASSERT_TRUE(Form->Backups()->Wait(std::chrono::seconds(10)));
  QDirIterator backups(Library.Path(QStringLiteral("backups")), {QStringLiteral("j-*.xml.zst")}, QDir::Files);
  ASSERT_TRUE(backups.hasNext()) << "the old version is kept (its bytes are checked in the library tests)";
  EXPECT_TRUE(Ui.Errors.isEmpty() && Ui.Warnings.isEmpty()) << Ui.Errors.join('\n').toStdString();
}

TEST_F(AutoSaveWindowTest, TheSaveButtonNamesTheFilesItWroteOnTheNoticeLine) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                      "    <file name=\"J\" path=\"j.xml\" />\n  </directory>\n</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));
  Open();
  ClickItem(TopItem());
  TXMLParser* journal = Form->Library().OpenJournal(Library.Path(QStringLiteral("j.xml")).toStdString());
  Form->Library().AddDay(*journal, "d2");
  Form->btn_Save->click();
  const QString saved = Form->pnl_WorkArea->Notice();
  EXPECT_TRUE(saved.contains(Library.Path(QStringLiteral("j.xml")))) << saved.toStdString();
  EXPECT_FALSE(saved.contains(QStringLiteral("dreams.ini"))) << "unchanged, not written";
  Form->btn_Save->click();
  const QString again = Form->pnl_WorkArea->Notice();
  EXPECT_FALSE(again.contains(QStringLiteral("j.xml"))) << "the last save's word replaces the one before";
  EXPECT_FALSE(again.isEmpty());
}

}  // namespace
