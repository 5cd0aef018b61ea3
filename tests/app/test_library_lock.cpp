// One program per library, with real processes: a second copy started on a library that a running
// program holds tells the user and ends without writing; anything else in the lock's place is
// taken over; without any lock the library is only viewed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QTest>

#include <functional>
#include <utility>

#include "vlm_Resources.h"
#include "vlm_TestSupport.h"
#include "vlm_Unprivileged.h"

namespace {

QByteArray Get(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

constexpr auto kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                           QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// A portable copy of the program in a folder of its own, with a library beside it.
class LibraryLockTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Program = Dir.path() + QStringLiteral("/program/");
    ASSERT_TRUE(QDir().mkpath(Program));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_EXECUTABLE), Program + QStringLiteral("velmora")));
    QFile library(Program + QStringLiteral("dreams.ini"));
    ASSERT_TRUE(library.open(QIODevice::WriteOnly));
    library.write("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
                  "<dreamlibrary name=\"Locked\">\r\n  <directory name=\"Catalog\" />\r\n</dreamlibrary>\r\n");
  }
  void Start(QProcess& velmora) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), Dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Dir.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), Dir.path() + QStringLiteral("/data"));
    velmora.setProcessEnvironment(env);
    velmora.setWorkingDirectory(Dir.path());
    velmora.setProcessChannelMode(QProcess::ForwardedChannels);
    velmora.start(Program + QStringLiteral("velmora"), {});
    ASSERT_TRUE(velmora.waitForStarted(10000));
  }
  // Waits until `velmora` holds the library's lock.
  void WaitForLock(const QProcess& velmora) {
    QElapsedTimer waited;
    waited.start();
    const QByteArray pid = QByteArray::number(velmora.processId());
    while (!Get(LockFile()).startsWith(pid + '\n') && waited.elapsed() < 20000) QThread::msleep(20);
    ASSERT_TRUE(Get(LockFile()).startsWith(pid + '\n')) << "the program never took the lock";
  }
  static void Stop(QProcess& velmora, int signal) {
    ASSERT_EQ(::kill(static_cast<pid_t>(velmora.processId()), signal), 0);
    ASSERT_TRUE(velmora.waitForFinished(20000));
  }
  QString LockFile() const { return Program + QStringLiteral(".velmora.lock"); }

  QTemporaryDir Dir;
  QString Program;
};

TEST_F(LibraryLockTest, ASecondProgramOnTheSameLibraryEndsWithoutWriting) {
  QProcess first;
  Start(first);
  WaitForLock(first);
  const QByteArray before = Get(Program + QStringLiteral("dreams.ini"));

  // The second real program shows its message and waits; closing the message ends it.
  QProcess second;
  Start(second);
  EXPECT_FALSE(second.waitForFinished(1500)) << "it ended without telling the user";
  Stop(second, SIGTERM);
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(Get(Program + QStringLiteral("dreams.ini")), before);
  EXPECT_TRUE(Get(LockFile()).startsWith(QByteArray::number(first.processId()) + '\n'));

  // The window of this process is a second program too: it is told, through the seam.
  TScriptedInteraction ui;
  {
    Tfrm_MainForm form(ui, Program);
    EXPECT_TRUE(form.AlreadyOpen());
    ASSERT_EQ(ui.Errors.size(), 1);
    EXPECT_EQ(ui.Errors[0], QString::fromUtf8(res::MsgLibraryAlreadyOpen).arg(Program));
    EXPECT_TRUE(form.tre_Directory->model()->rowCount() == 0) << "the library is not even read";
    EXPECT_TRUE(form.close());
  }
  EXPECT_EQ(Get(Program + QStringLiteral("dreams.ini")), before);

  // The first program closes normally, writes its library and lets go of the lock.
  Stop(first, SIGTERM);
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_TRUE(Get(Program + QStringLiteral("dreams.ini")).contains("<form left=\""));
  EXPECT_FALSE(QFileInfo::exists(LockFile()));
}

TEST_F(LibraryLockTest, TheLockOfAProgramThatCrashedIsTakenOver) {
  QProcess crashed;
  Start(crashed);
  WaitForLock(crashed);
  Stop(crashed, SIGKILL);
  ASSERT_TRUE(QFileInfo::exists(LockFile())) << "a crash leaves its lock behind";

  TScriptedInteraction ui;
  {
    Tfrm_MainForm form(ui, Program);
    EXPECT_FALSE(form.AlreadyOpen());
    EXPECT_TRUE(ui.Errors.isEmpty());
    ASSERT_EQ(form.tre_Directory->model()->rowCount(), 1);
    // The start says that the last run ended without closing and when each file was last written.
    ASSERT_EQ(ui.Warnings.size(), 1);
    EXPECT_TRUE(ui.Warnings[0].startsWith(QString::fromUtf8(res::MsgLastRunCrashed).section(QLatin1Char(':'), 0, 0)));
    EXPECT_TRUE(ui.Warnings[0].contains(QFileInfo(Program + QStringLiteral("dreams.ini")).lastModified().toString(
        QStringLiteral("dd.MM.yyyy HH:mm:ss"))));
    EXPECT_TRUE(form.close());
  }
  EXPECT_TRUE(Get(Program + QStringLiteral("dreams.ini")).contains("<form left=\""));
}

TEST_F(LibraryLockTest, ALockNobodyHoldsIsTakenOverWhateverRunsUnderItsNumberNow) {
  // A copy of the program on another library runs; a lock it never held names its process.
  const QString other = Dir.path() + QStringLiteral("/other/");
  ASSERT_TRUE(QDir().mkpath(other));
  ASSERT_TRUE(QFile::copy(Program + QStringLiteral("velmora"), other + QStringLiteral("velmora")));
  ASSERT_TRUE(QFile::copy(Program + QStringLiteral("dreams.ini"), other + QStringLiteral("dreams.ini")));
  QProcess elsewhere;
  {
    const QString program = std::exchange(Program, other);
    Start(elsewhere);
    WaitForLock(elsewhere);
    Program = program;
  }
  Put(LockFile(), Get(other + QStringLiteral(".velmora.lock")));

  QProcess velmora;
  Start(velmora);
  WaitForLock(velmora);
  Stop(velmora, SIGTERM);
  Stop(elsewhere, SIGTERM);
}

TEST_F(LibraryLockTest, ALockLeftNamingProcessOneIsTakenOverWithTheNoticeOfTheCrash) {
  ASSERT_TRUE(QFile::setPermissions(Dir.path(), kEveryone & ~QFile::WriteOther));
  ASSERT_TRUE(QFile::setPermissions(Program, kEveryone));
  ASSERT_TRUE(QFile::setPermissions(Program + QStringLiteral("dreams.ini"), kEveryone & ~QFile::ExeOwner));
  Put(LockFile(), "1\nvelmora\n" + QSysInfo::machineHostName().toUtf8() + "\n\n");
  ASSERT_TRUE(QFile::setPermissions(LockFile(), kEveryone & ~QFile::ExeOwner));
  TScriptedInteraction ui;
  {
    // Process 1 runs, and an unprivileged user cannot see what it is.
    TUnprivilegedScope nobody;
    Tfrm_MainForm form(ui, Program);
    EXPECT_FALSE(form.AlreadyOpen());
    ASSERT_EQ(ui.Warnings.size(), 1);
    EXPECT_TRUE(ui.Warnings[0].startsWith(QString::fromUtf8(res::MsgLastRunCrashed).left(40))) << ui.Warnings[0].toStdString();
    EXPECT_TRUE(Get(LockFile()).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
  }
}

}  // namespace

TEST_F(LibraryLockTest, AnythingButALockThatARunningCopyHoldsIsTakenOverAndNamed) {
  const QString library = Program + QStringLiteral("dreams.ini");
  const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
  // User 65534 may reach the folder and replace what is in it (for the unreadable lock).
  ASSERT_TRUE(QFile::setPermissions(Dir.path(), kEveryone & ~QFile::WriteOther));
  ASSERT_TRUE(QFile::setPermissions(Program, kEveryone));
  struct TCase {
    const char* Name;
    std::function<void()> Place;
    bool Unprivileged = false;
  };
  const TCase cases[] = {
      {"empty (a power cut)", [&] { Put(LockFile(), ""); }},
      {"garbage", [&] { Put(LockFile(), "\x01 not a lock\n"); }},
      {"a link to the library", [&] { ASSERT_TRUE(QFile::link(library, LockFile())); }},
      {"a dangling link", [&] { ASSERT_TRUE(QFile::link(Program + QStringLiteral("nowhere"), LockFile())); }},
      {"a named pipe", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(LockFile()).constData(), 0600), 0); }},
      {"a folder with a file", [&] {
         ASSERT_TRUE(QDir().mkpath(LockFile()));
         Put(LockFile() + QStringLiteral("/kept.txt"), "mine");
       }},
      {"unreadable", [&] {
         Put(LockFile(), "1\nvelmora\nhost\n");
         ASSERT_TRUE(QFile::setPermissions(LockFile(), {}));
       }, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Place();
    const QByteArray before = Get(library);
    TScriptedInteraction ui;
    {
      TUnprivilegedScope nobody(c.Unprivileged);
      Tfrm_MainForm form(ui, Program);
      EXPECT_FALSE(form.AlreadyOpen());
      EXPECT_TRUE(ui.Errors.isEmpty());
      ASSERT_EQ(ui.Warnings.size(), 1);
      EXPECT_TRUE(ui.Warnings[0].startsWith(QString::fromUtf8(res::MsgLockTakenOver).left(20)));
      EXPECT_TRUE(Get(LockFile()).startsWith(ownPid)) << "the lock is not this program's";
      EXPECT_EQ(Get(library), before) << "the library was changed through the lock's place";
      EXPECT_EQ(form.tre_Directory->model()->rowCount(), 1);
      EXPECT_TRUE(form.ViewOnly().isEmpty());
    }
    EXPECT_FALSE(QFileInfo(LockFile()).exists() || QFileInfo(LockFile()).isSymLink()) << "the lock was not let go";
  }
  // The folder was moved aside whole, not deleted.
  const QStringList aside = QDir(Program).entryList({QStringLiteral(".velmora.lock.moved-*")}, QDir::Dirs | QDir::Hidden);
  ASSERT_EQ(aside.size(), 1);
  EXPECT_EQ(Get(Program + aside[0] + QStringLiteral("/kept.txt")), "mine");
}

TEST_F(LibraryLockTest, WithoutAnyLockTheLibraryIsOnlyViewedAndNothingIsWritten) {
  // The default journal lies in a folder anyone may write, so that only the rule keeps it unwritten.
  Put(Program + QStringLiteral("dreams.ini"),
      "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
      "<dreamlibrary name=\"Unlocked\">\r\n  <directory name=\"Catalog\">\r\n"
      "    <file name=\"Nights\" path=\"journals/nights.xml\" default=\"yes\" />\r\n"
      "  </directory>\r\n</dreamlibrary>\r\n");
  const QString journal = Program + QStringLiteral("journals/nights.xml");
  ASSERT_TRUE(QDir().mkpath(Program + QStringLiteral("journals")));
  Put(journal, "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
               "<velmora>\r\n<!-- dropped by any write -->\r\n  <day name=\"d\">\r\n  </day>\r\n</velmora>\r\n");
  ASSERT_TRUE(QFile::setPermissions(Program + QStringLiteral("journals"), kEveryone));
  ASSERT_TRUE(QFile::setPermissions(journal, kEveryone & ~(QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)));
  const QByteArray journalBefore = Get(journal);
  // A library folder nobody may write, and a temporary folder that is not there.
  ASSERT_TRUE(QFile::setPermissions(Dir.path(), kEveryone & ~QFile::WriteOther));
  ASSERT_TRUE(QFile::setPermissions(Program, kEveryone & ~(QFile::WriteOwner | QFile::WriteOther)));
  const QByteArray tmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(Dir.path() + QStringLiteral("/no-such-folder")));
  TScriptedInteraction ui;
  {
    TUnprivilegedScope nobody;
    Tfrm_MainForm form(ui, Program);
    EXPECT_FALSE(form.AlreadyOpen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.DefaultJournalsPending(); }, 20000));  // read on a thread
    EXPECT_EQ(form.ViewOnly(), QString::fromUtf8(res::MsgViewOnlyWithoutLock));
    ASSERT_EQ(ui.Warnings.size(), 1);
    EXPECT_TRUE(ui.Warnings[0].startsWith(QString::fromUtf8(res::MsgLibraryNotLocked).arg(Program).left(60)));
    ASSERT_EQ(form.Library().Journals().Documents().size(), 1u) << "the default journal is shown";
    EXPECT_EQ(form.ReadOnlyReason(form.tre_Directory->model()->index(0, 0)), form.ViewOnly());
    EXPECT_FALSE(form.btn_Save->isEnabled());
    // Closing writes nothing (another copy may be writing this library) and reports no failure.
    form.Library().Journals().Documents()[0]->Root->SetAttribute("edited", "yes");
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(ui.SaveFailureQuestions.isEmpty());
  }
  if (tmp.isNull()) qunsetenv("TMPDIR"); else qputenv("TMPDIR", tmp);
  QFile::setPermissions(Program, kEveryone);
  EXPECT_EQ(Get(journal), journalBefore);
}
