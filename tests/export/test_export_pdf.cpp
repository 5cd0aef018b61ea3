// The PDF's own text, fonts and pictures, read back with poppler's tools: lines kept inside the
// margins and filled, accented letters drawn whole, characters the text's font lacks taken from
// another font, a picture shown twice stored once.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "vlm_Export.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

namespace {
class PdfTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* tool : {"pdftotext", "pdftoppm", "pdffonts", "pdfimages"})
      if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) GTEST_SKIP() << "poppler-utils is not installed";
    ASSERT_TRUE(Dir.isValid());
  }
  // One night of one dream with `description` (UTF-8), exported to `name` under `title`; `more`
  // is put after the dream (more dreams of the night).
  QString Export(const std::string& description, const QString& name, const QString& title = QStringLiteral("J"),
                 const std::string& more = {}) {
    const std::string journal = "<?xml version=\"1.0\"?>\r\n<velmora>\r\n  <day name=\"01.01.20\">\r\n"
                                "    <experience number=\"1\" title=\"T\"><description>" +
                                Utf8ToCp1251(description) + "</description></experience>\r\n" + more +
                                "  </day>\r\n</velmora>\r\n";
    Documents.emplace_back(std::make_unique<TXMLParser>());
    EXPECT_EQ(Documents.back()->LoadFromString(journal), xrOk);
    TExportContent content;
    ReadLabelCaptions(nullptr, content);
    content.Title = title;
    content.Journals.push_back(NightPart(content.Title, *Documents.back()->Root->GetChild(0)));
    TExportOptions options;
    options.Format = TExportFormat::Pdf;
    options.Output = Dir.filePath(name);
    options.PictureFile = [this](const std::string& path) { return Dir.filePath(QString::fromStdString(path)); };
    EXPECT_EQ(::Export(content, options).Outcome, TExportResult::Done);
    return options.Output;
  }
  static QByteArray Run(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
  }
  // The dark pixels of the first page, drawn at 100 dots per inch in grey levels.
  int Ink(const QString& pdf) {
    const QString base = pdf + QStringLiteral(".ink");
    Run(QStringLiteral("pdftoppm"), {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-singlefile"),
                                     pdf, base});
    QFile file(base + QStringLiteral(".pgm"));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    int ink = 0;
    for (qsizetype i = bytes.size() - 1; i >= 0 && i >= bytes.size() - 827 * 1169; --i) ink += quint8(bytes[i]) < 128;
    return ink;
  }
  QTemporaryDir Dir;
  std::vector<std::unique_ptr<TXMLParser>> Documents;
};

TEST_F(PdfTest, LinesStayInsideTheMarginsAndAreFilled) {
  std::string words;
  for (int i = 0; i < 400; ++i) words += i % 7 ? "слово " : "длинноеслово ";
  const QString xml = QString::fromUtf8(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), Export(words, QStringLiteral("w.pdf")),
                                                                           QStringLiteral("-")}));
  static const QRegularExpression box(QStringLiteral("xMax=\"([0-9.]+)\""));
  double widest = 0;
  for (auto match = box.globalMatch(xml); match.hasNext();) widest = std::max(widest, match.next().captured(1).toDouble());
  const double right = 595.28 - 20 * 72 / 25.4;  // A4 less its right margin of 20 mm
  EXPECT_LE(widest, right + 0.5);
  EXPECT_GT(widest, right - 40) << "lines end well before the margin";
}

TEST_F(PdfTest, AccentedLettersAreDrawnWhole) {
  // "й" is "и" with a breve made of other glyphs of the font: both must be in the PDF's font.
  std::string bare, accented;
  for (int i = 0; i < 300; ++i) bare += "и", accented += "й";
  const int withBreve = Ink(Export(accented, QStringLiteral("a.pdf"))), without = Ink(Export(bare, QStringLiteral("b.pdf")));
  ASSERT_GT(without, 0);
  EXPECT_GT(withBreve, without + without / 20);
}

TEST_F(PdfTest, ACharacterTheFontLacksComesFromAnotherFont) {
  // A title is a file's name and may hold any character (a document's text is Windows-1251). The
  // chess king is in DejaVu Sans, not in DejaVu Serif, which the export writes in.
  const QString pdf = Export("x", QStringLiteral("k.pdf"), QStringLiteral("Король ♔ на доске"));
  const QString fonts = QString::fromUtf8(Run(QStringLiteral("pdffonts"), {pdf}));
  if (!fonts.contains(QStringLiteral("DejaVuSerif"))) GTEST_SKIP() << "DejaVu Serif is not installed";
  EXPECT_TRUE(fonts.contains(QRegularExpression(QStringLiteral("\\+DejaVuSans")))) << fonts.toStdString();
  EXPECT_TRUE(QString::fromUtf8(Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})).contains(QStringLiteral("Король ♔ на доске")));
}
TEST_F(PdfTest, APictureShownTwiceIsStoredOnce) {
  QImage picture(64, 48, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  ASSERT_TRUE(picture.save(Dir.filePath(QStringLiteral("p.png"))));
  std::string dreams;
  for (int k = 2; k <= 3; ++k)
    dreams += "    <experience number=\"" + std::to_string(k) + "\" title=\"T\"><image path=\"p.png\" /></experience>\r\n";
  const QString pdf = Export("x", QStringLiteral("p.pdf"), QStringLiteral("J"), dreams);
  QStringList objects;  // the object of each picture drawn
  for (const QString& line : QString::fromUtf8(Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf})).split(QLatin1Char('\n')).mid(2))
    if (const QStringList fields = line.simplified().split(QLatin1Char(' ')); fields.size() > 10 && fields[2] == QStringLiteral("image"))
      objects << fields[10];
  ASSERT_EQ(objects.size(), 2);
  EXPECT_EQ(objects[0], objects[1]);
}
}  // namespace
