// The real program under a real signal: the session ending (SIGTERM), the terminal closing
// (SIGHUP) and Ctrl+C (SIGINT) close it as its exit button does, so everything is written.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "vlm_SignalClose.h"
#include "vlm_TestSupport.h"

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

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";
}  // namespace

class SignalCloseTest : public ::testing::TestWithParam<int> {};

TEST_P(SignalCloseTest, WritesTheLibraryAndTheOpenJournalAndExitsNormally) {
  // A portable copy of the program with a library of its own.
  QTemporaryDir dir;
  const QString program = dir.path() + QStringLiteral("/program/");
  ASSERT_TRUE(QDir().mkpath(program));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_EXECUTABLE), program + QStringLiteral("velmora")));
  Put(program + QStringLiteral("dreams.ini"),
      kDeclaration +
          "<dreamlibrary name=\"Signals\">\r\n"
          "  <directory name=\"Catalog\">\r\n"
          "    <file name=\"Nights\" path=\"journals/nights.xml\" default=\"yes\" />\r\n"
          "  </directory>\r\n"
          "</dreamlibrary>\r\n");
  // The comment is dropped on reading: its absence shows the journal was written again.
  Put(program + QStringLiteral("journals/nights.xml"),
      kDeclaration + "<velmora>\r\n<!-- typed by hand -->\r\n  <day name=\"07.12.26\">\r\n  </day>\r\n</velmora>\r\n");

  QProcess velmora;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("HOME"), dir.path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/data"));
  velmora.setProcessEnvironment(env);
  velmora.setWorkingDirectory(dir.path());
  velmora.setProcessChannelMode(QProcess::ForwardedChannels);
  velmora.start(program + QStringLiteral("velmora"), {});
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
  EXPECT_TRUE(library.contains("<file name=\"Nights\" path=\"journals/nights.xml\" default=\"yes\" />"));
  const QByteArray journal = Get(program + QStringLiteral("journals/nights.xml"));
  EXPECT_FALSE(journal.contains("typed by hand")) << journal.toStdString();
  EXPECT_TRUE(journal.contains("<day name=\"07.12.26\""));
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
  QTRY_VERIFY(!form.isVisible());
  EXPECT_TRUE(library.Read(QStringLiteral("dreams.ini")).contains("<form left=\""));
}
