// The real program under a real signal: the session ending (SIGTERM), the terminal closing
// (SIGHUP) and Ctrl+C (SIGINT) close it as its exit button does, so everything is written; but
// nothing is asked then, no notice waits, and signals never cut its save off.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "vlm_SignalClose.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"

namespace {
QByteArray Get(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

// True once the process has its own handler for `signal` (the "SigCgt" mask of /proc).
bool Catches(qint64 pid, int signal) {
  const QByteArray status = Get(QStringLiteral("/proc/%1/status").arg(pid));
  const int at = status.indexOf("SigCgt:");
  if (at < 0) return false;
  const QByteArray mask = status.mid(at + 7, status.indexOf('\n', at) - at - 7).trimmed();
  return (mask.toULongLong(nullptr, 16) >> (signal - 1)) & 1;
}

// The CPU time the process has used, in clock ticks.
qint64 CpuTime(qint64 pid) {
  const QList<QByteArray> fields = Get(QStringLiteral("/proc/%1/stat").arg(pid)).split(' ');
  return fields.size() > 15 ? fields[13].toLongLong() + fields[14].toLongLong() : -1;
}

// Waits until the process has its handler for `signal` and sits idle in its event loop.
void WaitUntilIdle(qint64 pid, int signal) {
  QElapsedTimer waited;
  waited.start();
  qint64 before = -2;
  for (qint64 now = CpuTime(pid); waited.elapsed() < 30000; now = CpuTime(pid)) {
    if (now == before && Catches(pid, signal)) return;
    before = now;
    QThread::msleep(200);
  }
  FAIL() << "the program never came to rest";
}

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";

// A portable copy of the program in `dir`, with a library whose default journal is `journal`; the
// library holds `extra` after its catalog and no window geometry, so closing writes it.
QString PlaceProgram(const QTemporaryDir& dir, const QByteArray& journal, const QByteArray& extra = {}) {
  const QString program = dir.path() + QStringLiteral("/program/");
  QDir().mkpath(program);
  QFile::copy(QStringLiteral(VELMORA_EXECUTABLE), program + QStringLiteral("velmora"));
  Put(program + QStringLiteral("dreams.ini"),
      kDeclaration +
          "<dreamlibrary name=\"Signals\">\r\n"
          "  <directory name=\"Catalog\">\r\n"
          "    <file name=\"Nights\" path=\"journals/nights.xml\" default=\"yes\" />\r\n"
          "  </directory>\r\n" +
          extra + "</dreamlibrary>\r\n");
  Put(program + QStringLiteral("journals/nights.xml"), journal);
  return program;
}

void Start(QProcess& velmora, const QTemporaryDir& dir, const QString& program) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("HOME"), dir.path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
  velmora.setProcessEnvironment(env);
  velmora.setWorkingDirectory(dir.path());
  velmora.setProcessChannelMode(QProcess::ForwardedChannels);
  velmora.start(program + QStringLiteral("velmora"), {});
}
}  // namespace

class SignalCloseTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalCloseTest, WritesTheChangedLibraryLeavesTheJournalOnlyLookedAtAndExitsNormally) {
  // A portable copy of the program with a library of its own. A comment is dropped on reading:
  // its absence shows a file was written again.
  QTemporaryDir dir;
  const QByteArray nights =
      kDeclaration + "<velmora>\r\n<!-- typed by hand -->\r\n  <day name=\"07.12.26\">\r\n  </day>\r\n</velmora>\r\n";
  const QString program = PlaceProgram(dir, nights, "<!-- typed by hand -->\r\n");
  QProcess velmora;
  Start(velmora, dir, program);
  ASSERT_TRUE(velmora.waitForStarted(10000));
  QElapsedTimer waited;
  waited.start();
  while (!Catches(velmora.processId(), GetParam()) && waited.elapsed() < 20000) QThread::msleep(20);
  ASSERT_TRUE(Catches(velmora.processId(), GetParam())) << "no handler for the signal";
  QThread::msleep(300);  // usually the window is up by now; a signal during start-up is kept for later
  ASSERT_EQ(::kill(static_cast<pid_t>(velmora.processId()), GetParam()), 0);

  ASSERT_TRUE(velmora.waitForFinished(20000)) << "still running after the signal";
  EXPECT_EQ(velmora.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(velmora.exitCode(), 0);
  const QByteArray library = Get(program + QStringLiteral("dreams.ini"));
  EXPECT_TRUE(library.contains("<form left=\"")) << library.toStdString();
  EXPECT_FALSE(library.contains("typed by hand"));
  EXPECT_TRUE(library.contains("<file name=\"Nights\" path=\"journals/nights.xml\" default=\"yes\" />"));
  EXPECT_EQ(Get(program + QStringLiteral("journals/nights.xml")), nights);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalCloseTest, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// The user has a dialog open when the session ends: it is cancelled, then the window closes and
// writes the library.
TEST(SignalCloseTest, AnOpenDialogIsCancelledAndTheWindowStillClosesAndWrites) {
  TLibraryFolder library;
  library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"Dialog open\">\n</dreamlibrary>\n"));
  TScriptedInteraction ui;
  Tfrm_MainForm form(ui, library.Path());
  form.show();
  QDialog dialog(&form);
  QTimer::singleShot(0, &form, [&form] { CloseForSignal(&form); });
  QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(42); });  // rather than hang
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 10000)) << "the window is still open";
  EXPECT_TRUE(library.Read(QStringLiteral("dreams.ini")).contains("<form left=\""));
}

// A program that is writing its files is busy, not stuck: signals in quick succession while the
// exit save of a large journal runs never cut it off.
TEST(SignalCloseTest, SignalsInQuickSuccessionDuringTheExitSaveNeverCutItOff) {
  // A large library file, changed by the window's geometry at closing.
  QByteArray notes = "<!-- typed by hand -->\r\n";
  const QByteArray description(400, 'z');
  for (int note = 0; note < 40000; ++note)
    notes += "  <note name=\"" + QByteArray::number(note) + "\">\r\n    <description>" + description +
             "</description>\r\n  </note>\r\n";
  notes += "  <note name=\"last\">\r\n  </note>\r\n";
  QTemporaryDir dir;
  const QString program = PlaceProgram(dir, kDeclaration + "<velmora>\r\n</velmora>\r\n", notes);
  QProcess velmora;
  Start(velmora, dir, program);
  ASSERT_TRUE(velmora.waitForStarted(10000));
  WaitUntilIdle(velmora.processId(), SIGTERM);
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(::kill(static_cast<pid_t>(velmora.processId()), SIGTERM), 0);
    QThread::msleep(3);
  }
  ASSERT_TRUE(velmora.waitForFinished(60000));
  EXPECT_EQ(velmora.exitStatus(), QProcess::NormalExit) << "ended by a signal";
  EXPECT_EQ(velmora.exitCode(), 0);
  const QByteArray written = Get(program + QStringLiteral("dreams.ini"));
  EXPECT_FALSE(written.contains("typed by hand")) << "the library was not written";
  EXPECT_TRUE(written.contains("<note name=\"last\"")) << "the library was cut off";
}

namespace {
// As the real question does when a signal cancels it, this one answers "go back" after the
// signal came (`Window` set): the user had asked to close and the save failed.
struct TSignalDuringQuestion : TScriptedInteraction {
  Tfrm_MainForm* Window = nullptr;
  QString Watched;       // a file the save wrote: a second save would give it a new inode
  ino_t WatchedInode = 0;
  bool AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) override {
    TScriptedInteraction::AskGoBackAfterSaveFailure(parent, text);
    WatchedInode = Inode(Watched);
    CloseForSignal(Window);
    return true;
  }
  static ino_t Inode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
  }
};
}  // namespace

// Closing for a signal asks nothing and no notice waits: a damaged journal is backed up without a
// word, a file that cannot be written is kept in a folder named by the time, and the exit status
// says so. A signal while the user's own closing asks about a failed save ends it the same way,
// without saving again.
TEST(SignalCloseTest, NothingIsAskedAndWhatCannotBeWrittenIsKeptElsewhere) {
  for (const bool askedFirst : {false, true}) {
    SCOPED_TRACE(askedFirst ? "a signal while the user is asked" : "a signal");
    TLibraryFolder library;
    library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
        "    <file name=\"Damaged\" path=\"damaged.xml\" default=\"yes\" />\n  </directory>\n</dreamlibrary>\n"));
    library.WriteJournal(QStringLiteral("damaged.xml"), QStringLiteral("<velmora>\n  <day name=\"d\">\n  </day>\n"));
    TSignalDuringQuestion ui;
    Tfrm_MainForm form(ui, library.Path());
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.DefaultJournalsPending(); }, 20000));  // read on a thread
    ASSERT_EQ(ui.Warnings.size(), 1) << "the damaged journal is announced";
    // Edits of both files: a damaged journal only looked at would not be written at all.
    form.Library().SetText(*&form.Library().Document(), *form.Library().Document().Root, tfName, "Edited library");
    TXMLParser& damaged = *form.Library().Journals().Documents().front();
    form.Library().SetText(damaged, *damaged.Root->GetChild(0), tfName, "Edited day");
    // The library file becomes a folder after it was read: it can no longer be replaced.
    ASSERT_TRUE(QFile::remove(library.Path(QStringLiteral("dreams.ini"))));
    ASSERT_TRUE(QDir().mkdir(library.Path(QStringLiteral("dreams.ini"))));
    ui.Window = &form;
    ui.Watched = library.Path(QStringLiteral("damaged.xml"));
    if (askedFirst)
      form.close();
    else
      CloseForSignal(&form);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 10000)) << "the window is still open";
    QCoreApplication::processEvents();  // the signal's queued close, if any
    EXPECT_EQ(ui.SaveFailureQuestions.size(), askedFirst ? 1 : 0);
    if (askedFirst) {
      EXPECT_EQ(TSignalDuringQuestion::Inode(ui.Watched), ui.WatchedInode) << "saved again";
    }
    // Only the user's own closing told about the backup; the signal's shows nothing.
    EXPECT_EQ(ui.Warnings.size(), askedFirst ? 2 : 1);
    EXPECT_TRUE(ui.Errors.isEmpty());
    EXPECT_EQ(form.ExitStatus(), 1);
    EXPECT_EQ(QDir(library.Path()).entryList({QStringLiteral("damaged.xml.damaged-*")}).size(), 1);
    const QStringList kept = QDir(library.Path()).entryList({QStringLiteral("velmora-unsaved-*")}, QDir::Dirs);
    ASSERT_EQ(kept.size(), 1) << "saved more than once";
    EXPECT_TRUE(library.Read(kept[0] + QStringLiteral("/dreams.ini")).contains("Edited library"));
    EXPECT_TRUE(library.Read(kept[0] + QStringLiteral("/originals.txt")).contains(library.Path(QStringLiteral("dreams.ini")).toUtf8()));
    EXPECT_FALSE(QFileInfo::exists(library.Path(kept[0] + QStringLiteral("/damaged.xml")))) << "it was written";
  }
}

// A program whose window's thread is held by a long task is busy, not stuck: a second signal
// seconds later does not end it, losing its edits. Only when three have been left unanswered for
// two seconds does a fourth end it at once.
TEST(SignalCloseTest, OnlyAFourthSignalAfterThreeLeftUnansweredEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TSignalListener listener;  // never read: the event loop does not run
        ::raise(SIGTERM);
        QThread::msleep(2500);
        ::raise(SIGTERM);
        ::raise(SIGTERM);
        std::fputs("three left unanswered\n", stderr);
        ::raise(SIGTERM);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "three left unanswered");
}

// Signals the program answered do not count against it: after several, a later one still closes
// the window with a save.
TEST(SignalCloseTest, AfterSignalsThatWereAnsweredALaterOneStillClosesWithASave) {
  TLibraryFolder library;
  library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"Answered\">\n</dreamlibrary>\n"));
  TScriptedInteraction ui;
  Tfrm_MainForm form(ui, library.Path());
  form.show();
  TSignalListener listener;
  ASSERT_TRUE(listener.Installed());
  Tfrm_MainForm* window = nullptr;  // as in main() during start-up: no window to close yet
  int answered = 0;
  QObject::connect(&listener, &TSignalListener::Received, [&](int) {
    ++answered;
    CloseForSignal(window);
  });
  for (int i = 0; i < 3; ++i) ::raise(SIGTERM);
  ASSERT_TRUE(QTest::qWaitFor([&] { return answered == 3; }, 10000)) << answered;
  window = &form;
  ::raise(SIGTERM);  // had the three still counted as unanswered, this one would end the process
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 10000)) << "the window is still open";
  EXPECT_EQ(answered, 4);
  EXPECT_EQ(form.ExitStatus(), 0);
  EXPECT_TRUE(library.Read(QStringLiteral("dreams.ini")).contains("<form left=\""));
}
