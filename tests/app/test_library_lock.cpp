// One program per library, with real processes: a second copy started on a library that a running
// program holds tells the user and ends without writing; a lock left by a crash is taken over.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "vlm_Resources.h"
#include "vlm_TestSupport.h"

namespace {

QByteArray Get(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
    EXPECT_TRUE(form.tre_Directory->topLevelItemCount() == 0) << "the library is not even read";
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
    ASSERT_EQ(form.tre_Directory->topLevelItemCount(), 1);
    EXPECT_TRUE(form.close());
  }
  EXPECT_TRUE(Get(Program + QStringLiteral("dreams.ini")).contains("<form left=\""));
}

}  // namespace
