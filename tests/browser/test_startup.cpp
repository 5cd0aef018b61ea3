// Start-up: the tree built from the library, the settings read on the way, default journals.
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include "vlm_Resources.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"

namespace {
QRgb ButtonColour(const QToolButton* b) {
  const QImage image = b->icon().pixmap(QSize(16, 16)).toImage();
  return image.isNull() ? 0 : image.pixel(8, 8);
}
}  // namespace

class StartupTest : public BrowserTest {};

TEST_F(StartupTest, NestedCatalogsGiveTreeShapeCaptionsPicturesAndSettings) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"Библиотека\">\n%1"
      "  <label caption=\"Осознанное\" />\n"
      "  <label caption=\"Астрал\" />\n"
      "  <label />\n"
      "  <options confirmdelete=\"maybe\" />\n"
      "  <directory name=\"Первый\">\n"
      "    <directory name=\"Второй\">\n"
      "      <directory>\n"
      "        <file name=\"Журнал\" path=\"j1.xml\" />\n"
      "      </directory>\n"
      "    </directory>\n"
      "    <experience number=\"7\" title=\"Полёт\" />\n"
      "  </directory>\n"
      "  <file name=\"Вне каталога\" path=\"j2.xml\" />\n"
      "  <directory name=\"Последний\" />\n"
      "</dreamlibrary>\n").arg(Library.SixIcons()));
  Open();
  TDirectoryTree* tree = Form->tre_Directory;
  ASSERT_EQ(tree->model()->rowCount(), 1);
  TItem root = TopItem();
  EXPECT_EQ(root->text(0), QStringLiteral("Библиотека"));
  EXPECT_EQ(Tfrm_MainForm::NodeOf(root)->Name, tagDreamLibrary);
  // A file placed directly under the root is not shown.
  ASSERT_EQ(root->childCount(), 2);
  EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Первый"));
  EXPECT_EQ(root->child(1)->text(0), QStringLiteral("Последний"));
  TItem second = root->child(0)->child(0);
  ASSERT_EQ(second->text(0), QStringLiteral("Второй"));
  TItem third = second->child(0);
  ASSERT_EQ(third->text(0), QStringLiteral("undefined"));
  ASSERT_EQ(third->childCount(), 1);
  TItem journal = third->child(0);
  EXPECT_EQ(journal->text(0), QStringLiteral("Журнал"));
  TItem experience = root->child(0)->child(1);
  EXPECT_EQ(experience->text(0), QStringLiteral("7. Полёт"));

  // Pictures by kind, and picture 0 for whichever node is selected.
  for (TItem catalog : {root->child(0), second, third, root->child(1)}) {
    EXPECT_EQ(Tfrm_MainForm::PictureOf(catalog), 2);
    EXPECT_EQ(PictureColour(catalog, QIcon::Normal), TLibraryFolder::IconColour(2));
  }
  EXPECT_EQ(PictureColour(root, QIcon::Normal), TLibraryFolder::IconColour(1));
  EXPECT_EQ(PictureColour(journal, QIcon::Normal), TLibraryFolder::IconColour(3));
  EXPECT_EQ(PictureColour(experience, QIcon::Normal), TLibraryFolder::IconColour(5));
  EXPECT_EQ(PictureColour(journal, QIcon::Selected), TLibraryFolder::IconColour(0));
  EXPECT_EQ(tree->indentation(), 19);
  EXPECT_EQ(tree->editTriggers(), QAbstractItemView::NoEditTriggers);

  // The creation buttons take the pictures named for them.
  EXPECT_EQ(ButtonColour(Form->btn_Tool_01), TLibraryFolder::IconColour(2));
  EXPECT_EQ(ButtonColour(Form->btn_Tool_02), TLibraryFolder::IconColour(3));
  EXPECT_EQ(ButtonColour(Form->btn_Tool_03), TLibraryFolder::IconColour(4));
  EXPECT_EQ(ButtonColour(Form->btn_Tool_04), TLibraryFolder::IconColour(5));

  EXPECT_EQ(Editors().box_Label1->text(), QStringLiteral("Осознанное"));
  EXPECT_EQ(Editors().box_Label2->text(), QStringLiteral("Астрал"));
  EXPECT_EQ(Editors().box_Label3->text(), QStringLiteral("undefined"));
  EXPECT_TRUE(Editors().box_Label4->text().isEmpty());
  EXPECT_TRUE(Form->FLabelDefined[2]);
  EXPECT_FALSE(Form->FLabelDefined[3]);
  EXPECT_TRUE(Form->FConfirmDelete);  // only "no" turns the question off
  EXPECT_TRUE(Form->Library().Journals().Documents().empty());  // no journal is read before it is selected
  EXPECT_TRUE(Ui.Warnings.isEmpty());
  EXPECT_TRUE(Ui.Errors.isEmpty());
}

TEST_F(StartupTest, BadPictureAndBadGeometryAreReportedOnceAndTheWalkGoesOn) {
  const QString absolute = Library.Path(QStringLiteral("elsewhere/day.bmp"));
  Library.WritePicture(QStringLiteral("elsewhere/day.bmp"), TLibraryFolder::IconColour(4));
  Library.WritePicture(QStringLiteral("icons/a.bmp"), TLibraryFolder::IconColour(0));
  Library.WritePicture(QStringLiteral("icons/b.bmp"), TLibraryFolder::IconColour(1));
  Library.WritePicture(QStringLiteral("icons/d.bmp"), TLibraryFolder::IconColour(3));
  // A named pipe is not read as a picture (the window would wait for a writer before it appears).
  ASSERT_EQ(::mkfifo(QFile::encodeName(Library.Path(QStringLiteral("icons/pipe.bmp"))).constData(), 0600), 0);
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <icon path=\"icons/a.bmp\" />\n"
      "  <icon path=\"icons/b.bmp\" />\n"
      "  <icon path=\"icons/missing.bmp\" name=\"Dream Directory\" />\n"
      "  <icon name=\"Dream File\" />\n"
      "  <icon path=\"icons/d.bmp\" />\n"
      "  <icon path=\"%1\" />\n"
      "  <icon path=\"icons/pipe.bmp\" />\n"
      "  <form width=\"80x\" height=\"555\" />\n"
      "  <options confirmdelete=\"no\" />\n"
      "  <directory name=\"После\">\n"
      "    <file name=\"J\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n").arg(absolute));
  ::alarm(30);  // a read from the pipe ends the test binary instead of hanging it
  Open();
  ::alarm(0);
  // One message lists all the problems.
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("icons/missing.bmp")));
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("icons/pipe.bmp")));
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("80x")));
  // The walk went on: the later form value, the options and the catalog were read.
  EXPECT_EQ(Form->height(), 555);
  EXPECT_EQ(Form->width(), Tfrm_MainForm::kDesignWidth);
  EXPECT_FALSE(Form->FConfirmDelete);
  TItem catalog = Item(QStringLiteral("После"));
  ASSERT_NE(catalog, nullptr);
  // The blank picture kept the slot: index 3 is still d.bmp, 4 the absolute path's picture;
  // an icon without path adds no picture.
  EXPECT_EQ(Form->iml_TreeImages.Count(), 6);
  EXPECT_EQ(PictureColour(catalog->child(0), QIcon::Normal), TLibraryFolder::IconColour(3));
  EXPECT_EQ(Form->iml_TreeImages.At(4).toImage().pixel(8, 8), TLibraryFolder::IconColour(4));
  EXPECT_EQ(qAlpha(PictureColour(catalog, QIcon::Normal)), 0);
}

// A journal's days are built apart from the view; a journal entry kept among them (a catalog in
// the journal) must still stand in the document's order and open as a default journal does.
TEST_F(StartupTest, JournalBranchesKeepTheDocumentsOrderAroundACatalogHoldingADefaultJournal) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"Outer\" path=\"outer.xml\" default=\"yes\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("outer.xml"), QStringLiteral(
      "<velmora>\n"
      "  <day name=\"d1\">\n    <experience number=\"1\" title=\"a\" />\n  </day>\n"
      "  <directory name=\"Inside\">\n    <file name=\"Inner\" path=\"inner.xml\" default=\"yes\" />\n"
      "  </directory>\n"
      "  <day name=\"d2\">\n    <experience number=\"2\" title=\"b\" />\n"
      "    <experience number=\"3\" title=\"c\" />\n  </day>\n"
      "</velmora>\n"));
  Library.WriteJournal(QStringLiteral("inner.xml"), QStringLiteral("<velmora>\n  <day name=\"i1\" />\n</velmora>\n"));
  Open();
  TItem outer = Item(QStringLiteral("Outer"));
  ASSERT_NE(outer, nullptr);
  ASSERT_EQ(outer->childCount(), 3);
  EXPECT_EQ(outer->child(0)->text(0), QStringLiteral("d1"));
  EXPECT_EQ(outer->child(1)->text(0), QStringLiteral("Inside"));
  EXPECT_EQ(outer->child(2)->text(0), QStringLiteral("d2"));
  outer->child(2)->setExpanded(true);
  ASSERT_EQ(outer->child(2)->childCount(), 2);
  EXPECT_EQ(outer->child(2)->child(1)->text(0), QStringLiteral("3. c"));
  // The inner journal was loaded while the outer one was added.
  TItem inner = Item(QStringLiteral("Inner"));
  ASSERT_NE(inner, nullptr);
  ASSERT_EQ(inner->childCount(), 1);
  EXPECT_EQ(inner->child(0)->text(0), QStringLiteral("i1"));
  EXPECT_EQ(Form->Library().Journals().Documents().size(), 2u);
}

class DefaultJournalTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n%1"
        "  <directory name=\"A\">\n"
        "    <file name=\"J1\" path=\"j1.xml\" default=\"yes\" />\n"
        "  </directory>\n"
        "  <directory name=\"B\">\n"
        "    <file name=\"J2\" path=\"j2.xml\" default=\"yes\" />\n"
        "  </directory>\n"
        "</dreamlibrary>\n").arg(Library.SixIcons()));
    Library.WriteJournal(QStringLiteral("j1.xml"), QStringLiteral(
        "<velmora>\n  <day name=\"01.01.26\">\n    <experience number=\"1\" title=\"a\" />\n  </day>\n</velmora>\n"));
    Library.WriteJournal(QStringLiteral("j2.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"02.01.26\">\n"
        "    <experience number=\"7\" title=\"Полёт\" />\n"
        "    <experience />\n"
        "  </day>\n"
        "  <day name=\"03.01.26\" />\n"
        "</velmora>\n"));
  }
};

TEST_F(DefaultJournalTest, BothAreLoadedTheSecondStaysSelectedAndAloneMarked) {
  Open();
  ASSERT_EQ(Form->Library().Journals().Documents().size(), 2u);
  TItem j1 = Item(QStringLiteral("J1"));
  TItem j2 = Item(QStringLiteral("J2"));
  ASSERT_TRUE(j1 && j2);
  EXPECT_EQ(CurrentItem(), j2);
  EXPECT_EQ(Form->FCurrentNode, j2);
  EXPECT_TRUE(j2->isExpanded());
  EXPECT_TRUE(j2->isSelected());
  ASSERT_EQ(j2->childCount(), 2);
  ASSERT_EQ(j1->childCount(), 1);
  TItem day = j2->child(0);
  EXPECT_EQ(day->text(0), QStringLiteral("02.01.26"));
  EXPECT_FALSE(day->isExpanded());
  day->setExpanded(true);  // its dreams are shown from here on
  ASSERT_EQ(day->childCount(), 2);
  EXPECT_EQ(day->child(0)->text(0), QStringLiteral("7. Полёт"));
  EXPECT_EQ(day->child(1)->text(0), QStringLiteral("undefined. undefined"));
  EXPECT_EQ(PictureColour(day, QIcon::Normal), TLibraryFolder::IconColour(4));

  // The nodes now stand for the journals' roots, paired with their library entries.
  const TXMLNode* root2 = Tfrm_MainForm::NodeOf(j2);
  EXPECT_EQ(root2->Name, tagJournal);
  TXMLNode* file1 = Tfrm_MainForm::NodeOf(j1->parent())->GetChild(0);
  TXMLNode* file2 = Tfrm_MainForm::NodeOf(j2->parent())->GetChild(0);
  EXPECT_EQ(Form->Library().Pairs().FirstOf(root2), file2);
  EXPECT_EQ(file1->GetAttribute(attrDefault), litNo);
  EXPECT_EQ(file2->GetAttribute(attrDefault), litYes);
  EXPECT_EQ(Form->Library().DefaultJournal(), file2);
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("J2"));
  // The registry key is the path resolved beside the library.
  EXPECT_EQ(QString::fromStdString(Form->Library().Journals().Documents()[0]->FileName), Library.Path(QStringLiteral("j1.xml")));
}

TEST_F(DefaultJournalTest, MissingJournalStartsEmptyIsToldAndIsCreatedOnlyWithSomethingInIt) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"Нет файла\" path=\"absent.xml\" default=\"yes\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n"));
  Open();
  TItem journal = Item(QStringLiteral("Нет файла"));
  ASSERT_NE(journal, nullptr);
  EXPECT_EQ(journal->childCount(), 0);
  EXPECT_EQ(Tfrm_MainForm::NodeOf(journal)->Name, tagJournal);
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("absent.xml")));
  ASSERT_TRUE(Close());
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("absent.xml")))) << "nothing put in: nothing written";

  Open();
  ClickItem(Item(QStringLiteral("Нет файла")));
  Ui.NewElements.push_back({true, QStringLiteral("d1"), QString()});
  Form->btn_Tool_03->click();
  ASSERT_NE(Item(QStringLiteral("d1")), nullptr);
  ASSERT_TRUE(Close());
  TXMLParser written;
  written.LoadFromFile(Library.Path(QStringLiteral("absent.xml")).toStdString());
  EXPECT_EQ(written.Status, xrOk);
  EXPECT_EQ(written.Root->Name, tagJournal);
}

namespace {
// The backups kept beside the files of a folder.
QStringList Backups(const TLibraryFolder& library) {
  return QDir(library.Path()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files | QDir::Hidden);
}
}  // namespace

TEST_F(DefaultJournalTest, JournalReadInPartIsBackedUpAtItsFirstWriteAndReadsBackAfterRestart) {
  Library.WriteJournal(QStringLiteral("j2.xml"), QStringLiteral("<velmora>\n  <day name=\"обрыв\">\n    <experience"));
  const QByteArray before = Library.Read(QStringLiteral("j2.xml"));
  Open();
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("j2.xml")));
  Form->Library().SetText(*Form->Library().Journals().Find(Library.Path(QStringLiteral("j2.xml")).toStdString()),
                          *Tfrm_MainForm::NodeOf(Item(QStringLiteral("обрыв"))), tfName, "\xcf\xf0\xe0\xe2\xea\xe0");  // "Правка"
  ASSERT_TRUE(Close());
  EXPECT_TRUE(Ui.SaveFailureQuestions.isEmpty());
  // One notice names the backup, which holds the original bytes beside the journal.
  const QStringList backups = Backups(Library);
  ASSERT_EQ(backups.size(), 1);
  EXPECT_TRUE(backups[0].startsWith(QStringLiteral("j2.xml.damaged-")));
  EXPECT_EQ(Library.Read(backups[0]), before);
  ASSERT_EQ(Ui.Warnings.size(), 2);
  EXPECT_TRUE(Ui.Warnings[1].contains(backups[0]));

  // Restarted: the journal reads whole with the edit, and no second backup is made.
  Ui.Warnings.clear();
  Open();
  EXPECT_TRUE(Ui.Warnings.isEmpty());
  EXPECT_NE(Item(QStringLiteral("Правка")), nullptr);
  ASSERT_TRUE(Close());
  EXPECT_EQ(Backups(Library).size(), 1);
  EXPECT_TRUE(Ui.Warnings.isEmpty());
}

TEST_F(DefaultJournalTest, JournalThatCannotBeReadIsOnlyViewedNeverWrittenAndNotAskedAbout) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"A\">\n"
      "    <file name=\"Папка\" path=\"folder.xml\" default=\"yes\" />\n"
      "    <file name=\"J1\" path=\"j1.xml\" />\n"
      "  </directory>\n"
      "</dreamlibrary>\n"));
  ASSERT_TRUE(QDir().mkdir(Library.Path(QStringLiteral("folder.xml"))));
  for (int run = 0; run < 2; ++run) {
    Ui.Warnings.clear();
    Open();
    ASSERT_EQ(Ui.Warnings.size(), 1);
    const QString reason = QString::fromUtf8(res::ReasonIsFolder);
    EXPECT_TRUE(Ui.Warnings[0].contains(reason));
    TItem journal = Item(QStringLiteral("Папка"));
    ASSERT_NE(journal, nullptr);
    EXPECT_TRUE(journal->toolTip(0).contains(reason));
    EXPECT_EQ(Form->ReadOnlyReason(journal), journal->toolTip(0));
    // Nothing can be added to it; the reason stands in the work area.
    EXPECT_FALSE(Form->btn_Tool_03->isEnabled());
    EXPECT_TRUE(Form->lbl_ReadOnlyReason->isVisible());
    EXPECT_TRUE(Form->lbl_ReadOnlyReason->text().contains(reason));
    // Another journal is writable again.
    ClickItem(Item(QStringLiteral("J1")));
    EXPECT_TRUE(Form->btn_Tool_03->isEnabled());
    EXPECT_FALSE(Form->lbl_ReadOnlyReason->isVisible());
    EXPECT_TRUE(Form->ReadOnlyReason(Item(QStringLiteral("01.01.26"))).isEmpty());
    ClickItem(journal);
    ASSERT_TRUE(Close());
    EXPECT_TRUE(Ui.SaveFailureQuestions.isEmpty());
    EXPECT_TRUE(QFileInfo(Library.Path(QStringLiteral("folder.xml"))).isDir());
    EXPECT_TRUE(Backups(Library).isEmpty());
  }
}

TEST_F(StartupTest, MissingLibraryIsAWorkingRootAndExitWritesAValidFile) {
  Open();
  TDirectoryTree* tree = Form->tre_Directory;
  ASSERT_EQ(tree->model()->rowCount(), 1);
  TItem root = TopItem();
  EXPECT_EQ(root->text(0), QStringLiteral("undefined"));
  EXPECT_TRUE(Ui.Warnings.isEmpty());  // a first run is not an error
  ClickItem(root);
  EXPECT_EQ(Form->FCurrentNode, root);
  EXPECT_TRUE(Form->btn_Tool_01->isEnabled());
  EXPECT_FALSE(Form->btn_Delete->isEnabled());
  EXPECT_TRUE(Editors().edt_Name->text().isEmpty());

  ASSERT_TRUE(Close());
  TXMLParser written;
  written.LoadFromFile(Library.Path(QStringLiteral("dreams.ini")).toStdString());
  ASSERT_EQ(written.Status, xrOk);
  EXPECT_EQ(written.Root->Name, tagDreamLibrary);
  const TXMLNode* form = written.Root->FindNode(tagForm);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->GetAttribute(attrWidth), std::to_string(Form->geometry().width()));
}

TEST_F(StartupTest, DamagedLibraryIsBackedUpAtItsFirstWriteAndReadsBackAfterRestart) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <directory name=\"Один\">\n"
      "    <file name=\"J\" path=\"absent.xml\" default=\"yes\" />\n"
      "  </directory>\n"
      "  <directory name=\"Два\">\n"));
  const QByteArray before = Library.Read(QStringLiteral("dreams.ini"));
  Open();
  ASSERT_EQ(Ui.Warnings.size(), 2);  // the library, then the new journal
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("dreams.ini")));
  EXPECT_NE(Item(QStringLiteral("Один")), nullptr);
  ASSERT_TRUE(Close());
  EXPECT_TRUE(Ui.SaveFailureQuestions.isEmpty());
  const QStringList backups = Backups(Library);
  ASSERT_EQ(backups.size(), 1);
  EXPECT_TRUE(backups[0].startsWith(QStringLiteral("dreams.ini.damaged-")));
  EXPECT_EQ(Library.Read(backups[0]), before);
  EXPECT_TRUE(Ui.Warnings.last().contains(backups[0]));
  // The journal that was not there was only looked at: it is not made up as an empty file.
  EXPECT_FALSE(QFile::exists(Library.Path(QStringLiteral("absent.xml"))));

  Ui.Warnings.clear();
  Open();
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("absent.xml")));
  EXPECT_NE(Item(QStringLiteral("Два")), nullptr);
  EXPECT_NE(Item(QStringLiteral("J")), nullptr);
}

// A library that is there but cannot be opened (here a link to nowhere) is not a first run:
// it is announced, only viewed, never replaced, and not asked about at exit.
TEST_F(StartupTest, LibraryThatCannotBeOpenedIsToldOnlyViewedAndNeverReplaced) {
  const QString file = Library.Path(QStringLiteral("dreams.ini"));
  ASSERT_TRUE(QFile::link(Library.Path(QStringLiteral("elsewhere/dreams.ini")), file));
  Open();
  ASSERT_EQ(Ui.Warnings.size(), 1);
  EXPECT_TRUE(Ui.Warnings[0].contains(QStringLiteral("dreams.ini")));
  TItem root = TopItem();
  EXPECT_TRUE(root->toolTip(0).contains(QString::fromUtf8(res::ReasonDanglingLink)));
  ClickItem(root);
  EXPECT_FALSE(Form->btn_Tool_01->isEnabled());
  EXPECT_TRUE(Form->lbl_ReadOnlyReason->isVisible());
  ASSERT_TRUE(Close());
  EXPECT_TRUE(Ui.SaveFailureQuestions.isEmpty());
  EXPECT_TRUE(QFileInfo(file).isSymLink());
  EXPECT_FALSE(QFileInfo::exists(Library.Path(QStringLiteral("elsewhere/dreams.ini"))));
}

TEST_F(StartupTest, FourthLabelCaptionIsReadAndAFifthIgnored) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n"
      "  <label caption=\"Один\" />\n  <label caption=\"Два\" />\n  <label caption=\"Три\" />\n"
      "  <directory name=\"A\" />\n"
      "  <label caption=\"Четыре\" />\n  <label caption=\"Пять\" />\n"
      "</dreamlibrary>\n"));
  Open();
  EXPECT_EQ(Editors().box_Label4->text(), QStringLiteral("Четыре"));
  EXPECT_TRUE(Form->FLabelDefined[3]);
  for (int n = 1; n <= 4; ++n) EXPECT_NE(Editors().LabelBox(n)->text(), QStringLiteral("Пять"));
}

// The tree's own destructor frees nodes recursively: a library this deep used to overflow the
// stack as the window was freed at exit.
TEST_F(StartupTest, LibraryNestedFourHundredThousandCatalogsDeepOpensAndCloses) {
  constexpr int kDepth = 400'000;
  QByteArray text = TLibraryFolder::Declaration().toLatin1().replace("\n", "\r\n") + "<dreamlibrary name=\"Deep\">";
  text.reserve(text.size() + kDepth * 32 + 64);
  for (int i = 0; i < kDepth; ++i) text += "<directory name=\"d\">";
  for (int i = 0; i < kDepth; ++i) text += "</directory>";
  text += "</dreamlibrary>\r\n";
  QFile file(Library.Path(QStringLiteral("dreams.ini")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  file.close();

  Open();
  EXPECT_TRUE(Ui.Warnings.isEmpty());
  int depth = 0;
  for (TItem item = TopItem(); item->childCount() > 0; item = item->child(0)) ++depth;
  EXPECT_EQ(depth, kDepth);
  ASSERT_TRUE(Close());
  Form.reset();
  TXMLParser written;
  written.LoadFromFile(Library.Path(QStringLiteral("dreams.ini")).toStdString());
  EXPECT_EQ(written.Status, xrOk);
}

// Qt's view lays out expanded rows recursively (27,000 levels overflow the stack): a default
// journal this deep is selected and shown with the catalogs below the depth the view can lay out
// left collapsed, also after scrolling to it and after "*" on the library.
TEST_F(StartupTest, DefaultJournalAHundredThousandCatalogsDeepIsShownWithTheDeepCatalogsCollapsed) {
  constexpr int kDepth = 100'000;
  QByteArray text = TLibraryFolder::Declaration().toLatin1().replace("\n", "\r\n") + "<dreamlibrary name=\"Deep\">";
  for (int i = 0; i < kDepth; ++i) text += "<directory name=\"d\">";
  text += "<file name=\"J\" path=\"j.xml\" default=\"yes\" />";
  for (int i = 0; i < kDepth; ++i) text += "</directory>";
  text += "</dreamlibrary>\r\n";
  QFile file(Library.Path(QStringLiteral("dreams.ini")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  file.close();
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral("<velmora>\n  <day name=\"d1\" />\n</velmora>\n"));

  Open();
  TDirectoryTree* tree = Form->tre_Directory;
  TItem journal = CurrentItem();
  ASSERT_NE(journal, nullptr);
  EXPECT_EQ(journal->text(0), QStringLiteral("J"));
  EXPECT_EQ(Editors().edt_Name->text(), QStringLiteral("J"));
  const auto expanded = [&] {
    int count = 0;
    for (TItem item = TopItem(); item; item = item->child(0)) count += item->isExpanded();
    return count;
  };
  EXPECT_EQ(expanded(), TDirectoryTree::kMaxExpandedDepth);
  tree->scrollTo(journal);
  tree->setCurrentIndex(TopItem());
  QTest::keyClick(tree, Qt::Key_Asterisk);
  tree->doItemsLayout();
  EXPECT_EQ(expanded(), TDirectoryTree::kMaxExpandedDepth);
  ASSERT_TRUE(Close());
}

// The default journal is read on a thread while the window shows; nothing may see it before it is
// read whole, and a window closed before that leaves its file alone.
class JournalReadAheadTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                        "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n"
                                        "  </directory>\n</dreamlibrary>\n"));
    QString journal = QStringLiteral("<velmora>\n");
    for (int d = 0; d < kDays; ++d)
      journal += QStringLiteral("  <day name=\"%1\">\n    <experience number=\"1\" title=\"Сон\" />\n  </day>\n").arg(d);
    Library.WriteJournal(QStringLiteral("j.xml"), journal + QStringLiteral("</velmora>\n"));
    Written = Library.Read(QStringLiteral("j.xml"));
    Form = std::make_unique<Tfrm_MainForm>(Ui, Library.Dir.path() + QLatin1Char('/'));
    TItem::View = Form->tre_Directory;
    Form->show();
  }
  static constexpr int kDays = 20000;
  QByteArray Written;
};

TEST_F(JournalReadAheadTest, ClosingBeforeItIsReadWritesNothingOfIt) {
  ASSERT_TRUE(Form->DefaultJournalsPending());
  EXPECT_TRUE(Form->Library().Journals().Documents().empty());
  EXPECT_TRUE(Close());
  Form.reset();
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), Written);
}

TEST_F(JournalReadAheadTest, EntryChosenWhileReadingGetsTheWholeJournalOnce) {
  const TItem entry = Item(QStringLiteral("J"));
  ASSERT_TRUE(entry && Form->DefaultJournalsPending());
  Form->tre_Directory->setCurrentIndex(entry.Index);  // waits for the rest of the read
  ASSERT_EQ(Form->Library().Journals().Documents().size(), 1u);
  EXPECT_EQ(Form->Library().Journals().Documents()[0]->Root->ChildCount(), kDays);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !Form->DefaultJournalsPending(); }, 20000));
  EXPECT_EQ(Form->Library().Journals().Documents().size(), 1u);
  EXPECT_EQ(CurrentItem(), Item(QStringLiteral("J")));
  EXPECT_TRUE(Close());
  EXPECT_EQ(Library.Read(QStringLiteral("j.xml")), Written);  // only looked at
}

TEST_F(JournalReadAheadTest, OtherRowChosenWhileReadingStaysAndTheJournalWaitsUntilOpened) {
  const TItem catalog = Item(QStringLiteral("A"));
  ASSERT_TRUE(catalog && Form->DefaultJournalsPending());
  Form->tre_Directory->setCurrentIndex(catalog.Index);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !Form->DefaultJournalsPending(); }, 20000));
  EXPECT_EQ(CurrentItem(), catalog);
  EXPECT_TRUE(Form->Library().Journals().Documents().empty());
  Form->tre_Directory->setCurrentIndex(Item(QStringLiteral("J")).Index);
  ASSERT_EQ(Form->Library().Journals().Documents().size(), 1u);
  EXPECT_EQ(Form->Library().Journals().Documents()[0]->Root->ChildCount(), kDays);
}
