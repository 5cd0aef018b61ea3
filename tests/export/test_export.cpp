// Exports read back: HTML through Qt's HTML reader, text line by line, PDF through pdftotext;
// a cancelled export leaves no file behind and the old file whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QImage>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>

#include "vlm_EntryFields.h"
#include "vlm_Export.h"
#include "vlm_Search.h"
#include "vlm_Types.h"
#include "xml_node.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"

namespace {
QString Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const QString kTricky = QStringLiteral("Кот <b> & \"мышь\"");

class ExportTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    const std::string library = Utf8ToCp1251(
        "<?xml version=\"1.0\"?>\r\n<dreamlibrary name=\"Мои сны\">\r\n"
        "  <label caption=\"Осознанное\" />\r\n  <label caption=\"Астрал\" />\r\n</dreamlibrary>\r\n");
    ASSERT_EQ(Library.LoadFromString(library), xrOk);
    const std::string journal = Utf8ToCp1251(
        "<?xml version=\"1.0\"?>\r\n<velmora>\r\n"
        "  <day name=\"01.12.26\">\r\n"
        "    <experience number=\"001\" title=\"Раньше срока\"><description>Вне диапазона.</description></experience>\r\n"
        "  </day>\r\n  <day name=\"03.12.26\">\r\n"
        "    <experience number=\"002\" title=\"Полёт над городом\">\r\n"
        "      <description>Летал над крышами, ёж смотрел снизу.</description>\r\n"
        "      <properties label1=\"true\" label2=\"false\" />\r\n      <energy level=\"30\" />\r\n"
        "      <comment>Проснулся в пять.</comment>\r\n    </experience>\r\n"
        "    <experience number=\"003\" title=\"Кот\" />\r\n"
        "    <comment>Ночь длинная.</comment>\r\n"
        "  </day>\r\n  <day name=\"05.12.26\">\r\n"
        "    <experience number=\"004\" title=\"Море под окном\"><energy level=\"150\" /></experience>\r\n"
        "  </day>\r\n</velmora>\r\n");
    ASSERT_EQ(Journal.LoadFromString(journal), xrOk);
    // As typed in the title field (a file cannot hold "<" or a quote in a value).
    Journal.Root->GetChild(1)->GetChild(1)->SetAttribute(attrTitle, Utf8ToCp1251(kTricky.toStdString()));
    ReadLabelCaptions(Library.Root.get(), Content);
    Content.Title = QStringLiteral("Дневник");
    TExportRange range{DayNumber(2026, 12, 2), DayNumber(2026, 12, 31)};
    Content.Journals.push_back(JournalPart(QStringLiteral("Дневник"), *Journal.Root, range));
  }
  TExportResult Run(TExportFormat format, const QString& name) {
    TExportOptions options;
    options.Format = format;
    options.Output = Dir.filePath(name);
    return Export(Content, options);
  }
  QTemporaryDir Dir;
  TXMLParser Library, Journal;
  TExportContent Content;
  const QStringList Expected{QStringLiteral("002. Полёт над городом"), QStringLiteral("003. ") + kTricky,
                             QStringLiteral("004. Море под окном")};
};

// Where each of `parts` is found in `text`, in order; -1 for one missing or out of order.
bool InOrder(const QString& text, const QStringList& parts) {
  qsizetype at = 0;
  for (const QString& part : parts) {
    at = text.indexOf(part, at);
    if (at < 0) return false;
    at += part.size();
  }
  return true;
}
}  // namespace

TEST_F(ExportTest, HtmlReadsBackWithEveryDreamOfTheRangeInOrderAndEscaped) {
  ASSERT_EQ(Run(TExportFormat::Html, QStringLiteral("out.html")).Outcome, TExportResult::Done);
  const QString html = Read(Dir.filePath(QStringLiteral("out.html")));
  EXPECT_TRUE(html.contains(QStringLiteral("Кот &lt;b&gt; &amp; &quot;мышь&quot;")));
  EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
  EXPECT_TRUE(html.contains(QStringLiteral("data:image/png;base64,")));  // the charts
  QTextDocument document;
  document.setHtml(html);
  const QString text = document.toPlainText();
  EXPECT_TRUE(InOrder(text, QStringList{QStringLiteral("Ночь 03.12.26")} + Expected)) << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("Раньше срока")));
  EXPECT_TRUE(InOrder(text, {QStringLiteral("Метки: Осознанное"), QStringLiteral("Энергетика: очень высокая (0,7)"),
                             QStringLiteral("Летал над крышами, ёж смотрел снизу."), QStringLiteral("Проснулся в пять."),
                             QStringLiteral("Энергетика: очень низкая (-0,5)")}));
}

TEST_F(ExportTest, TextListsEveryDreamOfTheRangeLineByLine) {
  ASSERT_EQ(Run(TExportFormat::Text, QStringLiteral("out.txt")).Outcome, TExportResult::Done);
  const QStringList lines = Read(Dir.filePath(QStringLiteral("out.txt"))).split(QLatin1Char('\n'));
  static const QRegularExpression dream(QStringLiteral("^\\d{3}\\. .+$"));
  QStringList titles, nights;
  for (const QString& line : lines) {
    if (dream.match(line).hasMatch()) titles << line;
    if (line.startsWith(QStringLiteral("Ночь "))) nights << line;
  }
  EXPECT_EQ(titles, Expected);
  EXPECT_EQ(nights, (QStringList{QStringLiteral("Ночь 03.12.26"), QStringLiteral("Ночь 05.12.26")}));
  EXPECT_TRUE(lines.contains(QStringLiteral("Комментарий к ночи: Ночь длинная.")));
}

TEST_F(ExportTest, PdfTextHoldsTheTitles) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  ASSERT_EQ(Run(TExportFormat::Pdf, QStringLiteral("out.pdf")).Outcome, TExportResult::Done);
  QProcess process;
  process.start(pdftotext, {QStringLiteral("-layout"), Dir.filePath(QStringLiteral("out.pdf")), QStringLiteral("-")});
  ASSERT_TRUE(process.waitForFinished(30000));
  ASSERT_EQ(process.exitCode(), 0);
  const QString text = QString::fromUtf8(process.readAllStandardOutput());
  EXPECT_TRUE(InOrder(text, Expected)) << text.toStdString();
  EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("—\\s*1\\s*—"))));  // the page number
}

TEST_F(ExportTest, CancelledExportLeavesNoFileAndTheOldOneWhole) {
  QFile old(Dir.filePath(QStringLiteral("old.md")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("kept");
  old.close();
  for (TExportFormat format : {TExportFormat::Html, TExportFormat::Markdown, TExportFormat::Text, TExportFormat::Pdf}) {
    TExportOptions options;
    options.Format = format;
    int calls = 0;
    options.Progress = [&calls](int, int) { return ++calls < 2; };
    for (const QString& name : {QStringLiteral("new.") + ExportSuffix(format), QStringLiteral("old.md")}) {
      options.Output = Dir.filePath(name);
      calls = 0;
      EXPECT_EQ(Export(Content, options).Outcome, TExportResult::Cancelled) << name.toStdString();
    }
  }
  const QStringList left = QDir(Dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  EXPECT_EQ(left, QStringList{QStringLiteral("old.md")});
  EXPECT_EQ(Read(Dir.filePath(QStringLiteral("old.md"))), QStringLiteral("kept"));
}

namespace {
// One night holding one dream with markup in its title, description and picture (whose caption is
// the title), exported as HTML and Markdown and read back.
class MarkupTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(Dir.filePath(QStringLiteral("p.png"))));
    ASSERT_EQ(Journal.LoadFromString(Utf8ToCp1251(
                  "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"02.03.04\">\r\n"
                  "    <experience number=\"7\" title=\"t\"><image path=\"p.png\" /></experience>\r\n"
                  "  </day>\r\n</velmora>\r\n")),
              xrOk);
    TXMLNode* dream = Journal.Root->GetChild(0)->GetChild(0);
    dream->SetAttribute(attrTitle, Utf8ToCp1251(kTitle.toStdString()));
    SetChildText(*dream, tagDescription, Utf8ToCp1251(kDescription.toStdString()));
    ReadLabelCaptions(nullptr, Content);
    Content.Title = QStringLiteral("J");
    Content.Journals.push_back(JournalPart(Content.Title, *Journal.Root, {}));
  }
  QString Export(TExportFormat format) {
    TExportOptions options;
    options.Format = format;
    options.Output = Dir.filePath(QStringLiteral("out.") + ExportSuffix(format));
    options.PictureFile = [this](const std::string& path) { return Dir.filePath(QString::fromStdString(path)); };
    EXPECT_EQ(::Export(Content, options).Outcome, TExportResult::Done);
    return Read(options.Output);
  }
  // The pictures a reader shows (Qt's Markdown reader repeats one for each part of its caption).
  static qsizetype Images(const QTextDocument& document) {
    QSet<QString> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
      for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
        if (const QTextCharFormat format = fragment.fragment().charFormat(); format.isImageFormat())
          images.insert(format.toImageFormat().name());
    return images.size();
  }
  // Markup of HTML and of Markdown, which must show as typed.
  const QString kTitle = QStringLiteral("Кот <b>] & \"мышь\" *x*");
  const QString kDescription = QStringLiteral("<i>не курсив</i> [ссылка](http://x) # _подчёркнуто_ `код`");
  QTemporaryDir Dir;
  TXMLParser Journal;
  TExportContent Content;
};
}  // namespace

TEST_F(MarkupTest, HtmlShowsTitleDescriptionAndPictureCaptionAsTyped) {
  const QString html = Export(TExportFormat::Html);
  EXPECT_TRUE(html.contains(QStringLiteral("alt=\"") + kTitle.toHtmlEscaped() + QLatin1Char('"'))) << html.toStdString();
  QTextDocument document;
  document.setHtml(html);
  const QString text = document.toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("7. ") + kTitle)) << text.toStdString();
  EXPECT_TRUE(text.contains(kDescription)) << text.toStdString();
  EXPECT_EQ(Images(document), 3) << "the two charts and the picture";
}

TEST_F(MarkupTest, MarkdownShowsTitleDescriptionAndPictureCaptionAsTyped) {
  const QString markdown = Export(TExportFormat::Markdown);
  QTextDocument document;
  document.setMarkdown(markdown);
  const QString text = document.toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("7. ") + kTitle)) << text.toStdString();
  EXPECT_TRUE(text.contains(kDescription)) << text.toStdString();
  EXPECT_EQ(Images(document), 3) << "the picture's caption does not break its link\n" << markdown.toStdString();
}

TEST_F(ExportTest, ARangeOfOneDayHoldsThatNight) {
  const TExportJournal part = JournalPart(QStringLiteral("J"), *Journal.Root, {DayNumber(2026, 12, 3), DayNumber(2026, 12, 3)});
  ASSERT_EQ(part.Nights.size(), 1u);
  EXPECT_EQ(part.Nights[0].Day->GetAttribute(attrName), "03.12.26");
  EXPECT_EQ(part.Nights[0].Dreams.size(), 2u);
}

TEST_F(ExportTest, PdfOfADescriptionLongerThanOneLayoutHoldsEveryWordOnceInOrder) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  // About 200,000 characters: laid out in several parts, which must meet without a gap or a repeat.
  constexpr int kWords = 22000;
  std::string description;
  for (int i = 1; i <= kWords; ++i) description += "w" + std::to_string(i) + (i % 9 == 0 ? "  " : " ");
  SetChildText(*Journal.Root->GetChild(1)->GetChild(0), tagDescription, description);
  ASSERT_EQ(Run(TExportFormat::Pdf, QStringLiteral("long.pdf")).Outcome, TExportResult::Done);
  QProcess process;
  process.start(pdftotext, {Dir.filePath(QStringLiteral("long.pdf")), QStringLiteral("-")});
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString text = QString::fromUtf8(process.readAllStandardOutput());
  int expected = 1;
  static const QRegularExpression word(QStringLiteral("\\bw(\\d+)\\b"));
  for (auto match = word.globalMatch(text); match.hasNext();) {
    const int number = match.next().captured(1).toInt();
    ASSERT_EQ(number, expected) << "a word lost, repeated or out of order";
    ++expected;
  }
  EXPECT_EQ(expected, kWords + 1);
}

TEST(ExportPictures, APictureStandsOnThePageWhereItsDreamStarts) {
  const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
  const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
  if (pdftotext.isEmpty() || pdfimages.isEmpty()) GTEST_SKIP() << "poppler-utils is not installed";
  QTemporaryDir dir;
  // Dreams of growing length, each with a picture a third of a page high: after a description
  // one of them would be left at some page's foot.
  constexpr int kDreams = 30;
  std::string journal = "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"01.01.20\">\r\n";
  for (int k = 1; k <= kDreams; ++k) {
    QImage picture(240, 320, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(k * 12, 200, 200));
    ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("p%1.png").arg(k))));
    std::string words;
    for (int w = 0; w < k * 40; ++w) words += Utf8ToCp1251("трава ");
    journal += "    <experience number=\"" + std::to_string(k) + "\" title=\"" + Utf8ToCp1251("Картина ") + std::to_string(k) +
               "\"><description>" + words + "</description><image path=\"p" + std::to_string(k) + ".png\" /></experience>\r\n";
  }
  journal += "  </day>\r\n</velmora>\r\n";
  TXMLParser document;
  ASSERT_EQ(document.LoadFromString(journal), xrOk);
  TExportContent content;
  ReadLabelCaptions(nullptr, content);
  content.Title = QStringLiteral("J");
  content.Journals.push_back(NightPart(content.Title, *document.Root->GetChild(0)));
  TExportOptions options;
  options.Format = TExportFormat::Pdf;
  options.Output = dir.filePath(QStringLiteral("out.pdf"));
  options.PictureFile = [&dir](const std::string& path) { return dir.filePath(QString::fromStdString(path)); };
  ASSERT_EQ(Export(content, options).Outcome, TExportResult::Done);

  auto run = [](const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return QString::fromUtf8(process.readAllStandardOutput());
  };
  // The page of each picture, in the order they are drawn (one per dream, in the dreams' order).
  std::vector<int> imagePages;
  for (const QString& line : run(pdfimages, {QStringLiteral("-list"), options.Output}).split(QLatin1Char('\n')).mid(2))
    if (const QStringList fields = line.simplified().split(QLatin1Char(' ')); fields.size() > 2 && fields[2] == QStringLiteral("image"))
      imagePages.push_back(fields[0].toInt());
  ASSERT_EQ(imagePages.size(), std::size_t(kDreams));
  const QStringList pages = run(pdftotext, {options.Output, QStringLiteral("-")}).split(QLatin1Char('\f'));
  int checked = 0;
  for (int k = 1; k <= kDreams; ++k) {
    const QRegularExpression title(QStringLiteral("^%1\\. Картина %1$").arg(k), QRegularExpression::MultilineOption);
    for (int page = 0; page < pages.size(); ++page)
      if (title.match(pages[page]).hasMatch()) {
        EXPECT_EQ(imagePages[std::size_t(k - 1)], page + 1) << "the picture of dream " << k;
        ++checked;
      }
  }
  EXPECT_EQ(checked, kDreams);
}
