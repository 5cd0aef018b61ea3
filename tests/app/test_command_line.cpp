// The command line's export, run as a script would: no display, the journal only read, the exit
// status telling success from failure.
#include <gtest/gtest.h>

#include <QDir>
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
  EXPECT_TRUE(help.Out.contains(QStringLiteral("--insights")));
  EXPECT_TRUE(help.Out.contains(QStringLiteral("csv или json"))) << help.Out.toStdString();
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

namespace {
void WriteCp1251(const QString& file, const char* utf8) {
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QByteArray::fromStdString(Utf8ToCp1251(utf8)));
}

QString ReadUtf8(const QString& file) {
  QFile in(file);
  return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
}

// Three nights: "кот" in two dreams (in two forms), the first lucid.
constexpr const char* kCats =
    "<?xml version=\"1.0\"?>\r\n<velmora>\r\n"
    "  <day name=\"30.12.20\">\r\n    <experience number=\"1\" title=\"Кот\">\r\n"
    "      <description>Рыжий кот у моря</description>\r\n"
    "      <properties label1=\"true\" label2=\"false\" label3=\"false\" label4=\"false\" />\r\n    </experience>\r\n  </day>\r\n"
    "  <day name=\"31.12.20\">\r\n    <experience number=\"2\" title=\"Сон\">\r\n"
    "      <description>Видел кота и море</description>\r\n    </experience>\r\n  </day>\r\n"
    "  <day name=\"01.01.21\">\r\n    <experience number=\"3\" title=\"Сон\">\r\n"
    "      <description>Море</description>\r\n    </experience>\r\n  </day>\r\n</velmora>\r\n";
}  // namespace

// The insights of a journal as CSV tables in a folder and as JSON, and of every journal of a
// library file, named with its label captions.
TEST(CommandLine, InsightsOfAJournalAndOfALibraryAsCsvAndJson) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString journal = dir.filePath(QStringLiteral("cats.xml"));
  WriteCp1251(journal, kCats);

  const QString tables = dir.filePath(QStringLiteral("tables"));
  const TRan csv = RunVelmora(dir, {QStringLiteral("--insights"), journal, QStringLiteral("--format"), QStringLiteral("csv"),
                                    QStringLiteral("--output"), tables, QStringLiteral("--to"), QStringLiteral("31.12.20")});
  ASSERT_EQ(csv.Status, 0) << csv.Err.toStdString();
  // A month a row (the label columns are named by the library beside the program).
  const QString months = ReadUtf8(tables + QStringLiteral("/over_time.csv"));
  EXPECT_TRUE(months.startsWith(QStringLiteral("period_start,period_end,dreams,nights,"))) << months.toStdString();
  EXPECT_TRUE(months.endsWith(QStringLiteral("mean_energy\r\n2020-12-01,2020-12-31,2,2,1,0,0,0,\r\n"))) << months.toStdString();
  EXPECT_TRUE(ReadUtf8(tables + QStringLiteral("/themes.csv")).contains(QStringLiteral("\r\nкот,2,")));
  EXPECT_TRUE(ReadUtf8(tables + QStringLiteral("/recall.csv")).contains(QStringLiteral("\r\ndreams,,2\r\n")));

  // A library of that journal and another one, by a path relative to the library file.
  QDir(dir.path()).mkdir(QStringLiteral("lib"));
  WriteCp1251(dir.filePath(QStringLiteral("lib/second.xml")),
              "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"02.01.21\">\r\n"
              "    <experience number=\"1\" title=\"Кошка\" />\r\n  </day>\r\n</velmora>\r\n");
  const QString library = dir.filePath(QStringLiteral("lib/dreams.ini"));
  WriteCp1251(library, ("<?xml version=\"1.0\"?>\r\n<dreamlibrary name=\"L\">\r\n  <label caption=\"Осознанный\" />\r\n"
                        "  <directory name=\"C\">\r\n    <file name=\"A\" path=\"" + journal.toStdString() + "\" />\r\n"
                        "    <file name=\"B\" path=\"second.xml\" />\r\n  </directory>\r\n</dreamlibrary>\r\n").c_str());
  const QString json = dir.filePath(QStringLiteral("all.json"));
  const TRan whole = RunVelmora(dir, {QStringLiteral("--insights"), library, QStringLiteral("--format"), QStringLiteral("json"),
                                      QStringLiteral("--output"), json});
  ASSERT_EQ(whole.Status, 0) << whole.Err.toStdString();
  const QString report = ReadUtf8(json);
  EXPECT_TRUE(report.contains(QStringLiteral("\"labels\":[\"Осознанный\",\"label2\""))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("\"recall\":{\"nights\":4,\"dreams\":4,"))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("{\"word\":\"море\",\"dreams\":3,"))) << report.toStdString();
}

TEST(CommandLine, InsightsRefuseAnUnknownFormat) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString journal = dir.filePath(QStringLiteral("cats.xml"));
  WriteCp1251(journal, kCats);
  const QString output = dir.filePath(QStringLiteral("out.html"));
  const TRan refused = RunVelmora(dir, {QStringLiteral("--insights"), journal, QStringLiteral("--format"), QStringLiteral("html"),
                                        QStringLiteral("--output"), output});
  EXPECT_EQ(refused.Status, 2);
  EXPECT_TRUE(refused.Err.contains(QStringLiteral("csv"))) << refused.Err.toStdString();
  EXPECT_FALSE(QFile::exists(output));
}
