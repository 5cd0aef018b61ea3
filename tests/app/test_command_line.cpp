// The command line's export, run as a script would: no display, the journal only read, the exit
// status telling success from failure.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "xml_functions.h"

namespace {
struct TRan {
  int Status = -1;
  QString Out, Err;
};

TRan RunVelmora(const QTemporaryDir& dir, const QStringList& arguments) {
  QProcess velmora;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
  env.insert(QStringLiteral("HOME"), dir.path());
  env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
  velmora.setProcessEnvironment(env);
  velmora.start(QStringLiteral(VELMORA_EXECUTABLE), arguments);
  if (!velmora.waitForFinished(60000)) return {};
  return {velmora.exitStatus() == QProcess::NormalExit ? velmora.exitCode() : -1,
          QString::fromUtf8(velmora.readAllStandardOutput()), QString::fromUtf8(velmora.readAllStandardError())};
}
}  // namespace

TEST(CommandLine, ExportsAJournalWithoutADisplayAndFailsClearlyOnAMissingOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray journal = QByteArray::fromStdString(Utf8ToCp1251(
      "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"06.12.26\">\r\n"
      "    <experience number=\"001\" title=\"Полёт над городом\" />\r\n  </day>\r\n</velmora>\r\n"));
  const QString input = dir.filePath(QStringLiteral("dreams.xml"));
  QFile file(input);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(journal);
  file.close();

  const QString output = dir.filePath(QStringLiteral("out.txt"));
  const TRan done = RunVelmora(dir, {QStringLiteral("--export"), input, QStringLiteral("--format"), QStringLiteral("txt"),
                                     QStringLiteral("--output"), output, QStringLiteral("--from"), QStringLiteral("2026-12-01")});
  EXPECT_EQ(done.Status, 0) << done.Err.toStdString();
  QFile exported(output);
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(exported.readAll()).contains(QStringLiteral("001. Полёт над городом")));
  QFile again(input);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), journal);  // only read

  const QString never = dir.filePath(QStringLiteral("never.html"));
  const TRan missing = RunVelmora(dir, {QStringLiteral("--export"), dir.filePath(QStringLiteral("absent.xml")),
                                        QStringLiteral("--output"), never});
  EXPECT_NE(missing.Status, 0);
  EXPECT_TRUE(missing.Err.contains(QStringLiteral("absent.xml"))) << missing.Err.toStdString();
  EXPECT_FALSE(QFile::exists(never));

  const TRan help = RunVelmora(dir, {QStringLiteral("--help")});
  EXPECT_EQ(help.Status, 0);
  EXPECT_TRUE(help.Out.contains(QStringLiteral("--export")));
  // Russian as the rest of the program; the option names as they are.
  EXPECT_TRUE(help.Out.contains(QStringLiteral("Показать эту справку"))) << help.Out.toStdString();
  for (const char* english : {"Usage", "Options", "Displays", "help on"})
    EXPECT_FALSE(help.Out.contains(QLatin1String(english))) << english;
}

// A two-digit year is the latest one that is not after next year, on the command line as in a
// night's name: a diary kept since 1969 exports its nights of 1969.
TEST(CommandLine, TwoDigitYearsOfNightsAndDatesAreInThePast) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString input = dir.filePath(QStringLiteral("old.xml"));
  QFile file(input);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString(Utf8ToCp1251(
      "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"03.12.69\">\r\n"
      "    <experience number=\"001\" title=\"Первый сон\" />\r\n  </day>\r\n</velmora>\r\n")));
  file.close();
  const QString output = dir.filePath(QStringLiteral("out.txt"));
  const TRan done = RunVelmora(dir, {QStringLiteral("--export"), input, QStringLiteral("--output"), output,
                                     QStringLiteral("--from"), QStringLiteral("01.12.69"), QStringLiteral("--to"),
                                     QStringLiteral("1969-12-31")});
  EXPECT_EQ(done.Status, 0) << done.Err.toStdString();
  QFile exported(output);
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(exported.readAll()).contains(QStringLiteral("Первый сон")));
}
