// Exporting from the window: Ctrl+E on the selection asks for a file (proposing a name from what
// is exported), writes it in the format of the filter chosen (the nights of the dates chosen, when
// limited), and asks before replacing a file; Ctrl+P prints the same.
#include <QFileInfo>
#include <QPrinter>

#include "vlm_TestSupport.h"

namespace {
class TExportAnswers : public TScriptedInteraction {
public:
  QString AskExportFile(QWidget*, const QString& proposed, const QStringList& filters, QString& filter,
                        TExportDates& dates) override {
    Proposed << proposed;
    filter = filters.value(2);  // text
    Offered << dates.Offered;
    dates.From = From;
    dates.To = To;
    return Answer;
  }
  // The preview's print button, to a PDF file.
  void ShowPrintPreview(QWidget*, const std::function<void(QPrinter&)>& paint) override {
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Printed);
    paint(printer);
  }
  QStringList Proposed;
  QList<bool> Offered;
  QDate From, To;
  QString Answer, Printed;
};
}  // namespace

class ExportWindowTest : public BrowserTest {
protected:
  void TearDown() override { Form.reset(); }  // the window goes before the Answers it holds
  TExportAnswers Answers;
};

TEST_F(ExportWindowTest, CtrlEWritesTheSelectedJournalAsksBeforeReplacingAFileAndCtrlPPrintsIt) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n  <directory name=\"A\"><file name=\"Журнал\" path=\"j.xml\" /></directory>\n"
      "</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
      "<velmora>\n  <day name=\"01.02.03\"><experience number=\"1\" title=\"Лес\" />"
      "<experience number=\"2\" title=\"Море\" /></day>\n"
      "  <day name=\"05.02.03\"><experience number=\"3\" title=\"Горы\" /></day>\n</velmora>\n"));
  Answers.Answer = Library.Path(QStringLiteral("out"));
  Form = std::make_unique<Tfrm_MainForm>(Answers, Library.Dir.path() + QLatin1Char('/'));
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  ClickItem(Item(QStringLiteral("Журнал")));
  Form->tre_Directory->setFocus();
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(Answers.Proposed.size(), 1);
  EXPECT_EQ(QFileInfo(Answers.Proposed[0]).fileName(), QStringLiteral("Журнал.html"));
  const QString text = QString::fromUtf8(Library.Read(QStringLiteral("out.txt")));
  EXPECT_TRUE(text.contains(QStringLiteral("1. Лес\n"))) << text.toStdString();
  EXPECT_TRUE(text.indexOf(QStringLiteral("2. Море")) > text.indexOf(QStringLiteral("1. Лес")));

  QFile kept(Library.Path(QStringLiteral("out.txt")));
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.write("mine");
  kept.close();
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);  // the question is answered "no"
  EXPECT_EQ(Answers.ReplaceQuestions, QStringList{Library.Path(QStringLiteral("out.txt"))});
  EXPECT_EQ(Library.Read(QStringLiteral("out.txt")), QByteArray("mine"));
  EXPECT_TRUE(Answers.Errors.isEmpty());

  // Only the nights of the dates chosen; none there: nothing written, and said so.
  QFile::remove(Library.Path(QStringLiteral("out.txt")));
  Answers.From = QDate(2003, 2, 4);
  Answers.To = QDate(2003, 2, 5);
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);
  const QString ranged = QString::fromUtf8(Library.Read(QStringLiteral("out.txt")));
  EXPECT_TRUE(ranged.contains(QStringLiteral("3. Горы")) && !ranged.contains(QStringLiteral("Лес"))) << ranged.toStdString();
  QFile::remove(Library.Path(QStringLiteral("out.txt")));
  Answers.From = Answers.To = QDate(2003, 2, 2);
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("out.txt"))));
  EXPECT_EQ(Answers.Warnings.size(), 1);
  EXPECT_EQ(Answers.Offered, QList<bool>({true, true, true, true}));

  Answers.Printed = Library.Path(QStringLiteral("printed.pdf"));
  QTest::keyClick(Form->tre_Directory, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(Library.Read(QStringLiteral("printed.pdf")).startsWith("%PDF"));
}

TEST_F(ExportWindowTest, TheDialogStartsBesideTheLibraryADoneExportSaysWhereAndACancelledOneWritesNothing) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n  <directory name=\"A\"><file name=\"J\" path=\"j.xml\" /></directory>\n"
      "</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
      "<velmora>\n  <day name=\"01.02.03\"><experience number=\"1\" title=\"Лес\" /></day>\n</velmora>\n"));
  Answers.Answer = Library.Path(QStringLiteral("out.txt"));
  Form = std::make_unique<Tfrm_MainForm>(Answers, Library.Dir.path() + QLatin1Char('/'));
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  ClickItem(Item(QStringLiteral("J")));
  Form->tre_Directory->setFocus();
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(Answers.Proposed.size(), 1);
  EXPECT_EQ(QFileInfo(Answers.Proposed[0]).absolutePath(), QFileInfo(Library.Path()).absolutePath());
  ASSERT_TRUE(QFileInfo::exists(Answers.Answer));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(Answers.Answer)) << Form->pnl_WorkArea->Notice().toStdString();
  EXPECT_FALSE(Answers.ProgressTexts.isEmpty());

  Answers.Answer = Library.Path(QStringLiteral("cancelled.txt"));
  Answers.CancelAtStep = 1;  // "Отмена" as soon as the progress window asks
  QTest::keyClick(Form->tre_Directory, Qt::Key_E, Qt::ControlModifier);
  EXPECT_FALSE(QFileInfo::exists(Answers.Answer));
  EXPECT_FALSE(Form->pnl_WorkArea->Notice().contains(Answers.Answer));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("отменён"))) << Form->pnl_WorkArea->Notice().toStdString();
  EXPECT_TRUE(Answers.Errors.isEmpty());
}
