// Items added and removed through the window: a new night goes among the nights by its date, and
// a date that is none or is there already is said first; a journal or picture chosen inside the
// library's folder is stored relative to it and found after the folder moved; a picture shows at
// its full size; removing the first night selects the next one.
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>

#include "vlm_EntryFields.h"
#include "vlm_Pictures.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {
TNewElementResult Answer(const QString& first, const QString& second = QString()) { return {true, first, second}; }
}  // namespace

class NewItemsTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WritePicture(QStringLiteral("empty.bmp"), qRgb(255, 255, 255));
    WriteLibrary();
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n"
                                                                 "  <day name=\"01.03.26\" />\n"
                                                                 "  <day name=\"05.03.26\">\n"
                                                                 "    <experience number=\"001\" title=\"a\" />\n"
                                                                 "  </day>\n"
                                                                 "  <day name=\"09.03.26\" />\n"
                                                                 "</velmora>\n"));
  }
  void WriteLibrary() const {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
  }
  void Select(const QString& caption) {
    const TItem item = Item(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    Form->tre_Directory->setCurrentIndex(item);
  }
  QStringList Nights() const {
    QStringList names;
    const TItem journal = Item(QStringLiteral("J"));
    for (int i = 0; i < journal->childCount(); ++i) names << journal->child(i)->text();
    return names;
  }
  std::string EntryPath(const QString& caption) const {
    return Tfrm_MainForm::EntryOf(Item(caption))->GetAttribute(attrPath);
  }
};

TEST_F(NewItemsTest, ANightGoesByItsDateAndADateThatIsNoneOrThereAlreadyIsSaidFirst) {
  Open();
  Select(QStringLiteral("J"));
  // Refused answers keep the real dialog open: the next one is what the user typed then.
  Ui.NewElements = {Answer(QStringLiteral("32.13.26")), Answer(QStringLiteral("05.03.26")), Answer(QStringLiteral("03.03.26"))};
  QTest::mouseClick(Form->btn_Tool_03, Qt::LeftButton);
  ASSERT_EQ(Ui.Warnings.size(), 2);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("32.13.26")));
  EXPECT_TRUE(Ui.Warnings[1].contains(QStringLiteral("05.03.26")));
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(), QStringLiteral("03.03.26"));
  // A name that is no date at all is a night without a date, at the end.
  Select(QStringLiteral("J"));
  Ui.NewElements = {Answer(QStringLiteral("Отпуск"))};
  QTest::mouseClick(Form->btn_Tool_03, Qt::LeftButton);
  EXPECT_EQ(Ui.Warnings.size(), 2);
  EXPECT_EQ(Nights(), QStringList({QStringLiteral("01.03.26"), QStringLiteral("03.03.26"), QStringLiteral("05.03.26"),
                                   QStringLiteral("09.03.26"), QStringLiteral("Отпуск")}));
}

TEST_F(NewItemsTest, RemovingTheFirstOfThreeNightsSelectsTheNext) {
  Open();
  Select(QStringLiteral("01.03.26"));
  Form->FConfirmDelete = false;
  QTest::mouseClick(Form->btn_Delete, Qt::LeftButton);
  EXPECT_EQ(TItem(Form->FCurrentNode)->text(), QStringLiteral("05.03.26"));
  EXPECT_EQ(Nights(), QStringList({QStringLiteral("05.03.26"), QStringLiteral("09.03.26")}));
}

TEST_F(NewItemsTest, AJournalChosenInsideTheLibraryFolderIsStoredRelativeAndOpensAfterTheFolderMoved) {
  Open();
  Select(QStringLiteral("A"));
  TLibraryFolder outside;
  Ui.NewElements = {Answer(QStringLiteral("In"), Library.Path(QStringLiteral("years/2026.xml"))),
                    Answer(QStringLiteral("07.03.26")), Answer(QStringLiteral("Out"), outside.Path(QStringLiteral("out.xml")))};
  QDir().mkpath(Library.Path(QStringLiteral("years")));
  QTest::mouseClick(Form->btn_Tool_02, Qt::LeftButton);
  QTest::mouseClick(Form->btn_Tool_03, Qt::LeftButton);
  Select(QStringLiteral("A"));
  QTest::mouseClick(Form->btn_Tool_02, Qt::LeftButton);
  ASSERT_NE(Item(QStringLiteral("Out")), nullptr);
  EXPECT_EQ(EntryPath(QStringLiteral("In")), "years/2026.xml");
  EXPECT_EQ(EntryPath(QStringLiteral("Out")), outside.Path(QStringLiteral("out.xml")).toStdString());
  ASSERT_TRUE(Close());
  Form.reset();

  // The folder moved: the journal inside it goes along.
  TLibraryFolder elsewhere;
  const QString moved = elsewhere.Path(QStringLiteral("moved"));
  ASSERT_TRUE(QDir().rename(Library.Dir.path(), moved));
  Form = std::make_unique<Tfrm_MainForm>(Ui, moved + QLatin1Char('/'));
  TItem::View = Form->tre_Directory;
  Form->show();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !Form->DefaultJournalsPending(); }, 20000));
  Select(QStringLiteral("In"));
  EXPECT_NE(Item(QStringLiteral("07.03.26")), nullptr);
  EXPECT_TRUE(Ui.Errors.isEmpty()) << Ui.Errors.join(QLatin1Char('\n')).toStdString();
  Form.reset();
  QDir().rename(moved, Library.Dir.path());  // the temporary folder removes what it made
}

TEST_F(NewItemsTest, APictureIsChosenAmongEveryFormatShownAtFullSizeAndStoredRelativeInsideTheFolder) {
  const QStringList filters = PictureFilters();
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    EXPECT_TRUE(filters.first().contains(QStringLiteral("*.") + QString::fromLatin1(format))) << format.toStdString();
  EXPECT_TRUE(filters.last().contains(QStringLiteral("(*)")));  // every file too

  QImage large(3000, 40, QImage::Format_RGB32);
  large.fill(qRgb(0, 0, 200));
  ASSERT_TRUE(QDir().mkpath(Library.Path(QStringLiteral("pictures"))));
  ASSERT_TRUE(large.save(Library.Path(QStringLiteral("pictures/wide.png"))));
  TLibraryFolder outside;
  outside.WritePicture(QStringLiteral("o.bmp"), qRgb(0, 160, 0));
  Open();
  Select(QStringLiteral("001. a"));
  TXMLNode* dream = Tfrm_MainForm::NodeOf(Form->FCurrentNode);
  Ui.ImageAnswers = {outside.Path(QStringLiteral("o.bmp")), Library.Path(QStringLiteral("pictures/wide.png"))};
  QTest::mouseClick(Editors().btn_LoadImage, Qt::LeftButton);
  EXPECT_EQ(DirectChild(*dream, tagImage)->GetAttribute(attrPath), outside.Path(QStringLiteral("o.bmp")).toStdString());
  QTest::mouseClick(Editors().btn_LoadImage, Qt::LeftButton);
  EXPECT_EQ(DirectChild(*dream, tagImage)->GetAttribute(attrPath), "pictures/wide.png");

  QTest::mouseDClick(Editors().img_Image, Qt::LeftButton);
  auto* window = qobject_cast<QScrollArea*>(Form->pnl_WorkArea->FullPictureWindow());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_EQ(static_cast<QLabel*>(window->widget())->pixmap().size(), large.size());  // not made smaller
  EXPECT_LT(window->width(), large.width());  // scrolled instead, within the screen
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Form->pnl_WorkArea->FullPictureWindow() == nullptr; }));
}
