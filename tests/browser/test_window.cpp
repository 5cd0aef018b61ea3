// The window as designed: tool bar, anchors, banner, splitter; the error boundary; the real
// authorization dialog reached through the program's own interaction.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTemporaryFile>
#include <QTimer>
#include <QToolButton>

#include "vlm_ErrorBoundary.h"
#include "vlm_MessageForm.h"
#include "vlm_Paths.h"
#include "vlm_Resources.h"
#include "vlm_TestSupport.h"
#include "vlm_Widgets.h"
#include "xml_types.h"

class WindowTest : public BrowserTest {};

TEST_F(WindowTest, ToolBarAsDesigned) {
  Open();
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Velmora"));
  EXPECT_EQ(Form->minimumSize(), QSize(663, 480));
  EXPECT_EQ(Form->pnl_Tools->height(), 70);
  struct {
    QToolButton* Button;
    QPoint Place;
    const char* Hint;
  } const expected[] = {
      {Form->btn_Authorization, {5, 5}, res::HintAuthorization}, {Form->btn_Save, {28, 5}, res::HintSave},
      {Form->btn_Tool_05, {126, 5}, res::HintAbout},           {Form->btn_Tool_06, {149, 5}, res::HintExit},
      {Form->btn_Tool_01, {5, 41}, res::HintNewCatalog},        {Form->btn_Tool_02, {28, 41}, res::HintNewFile},
      {Form->btn_Tool_03, {51, 41}, res::HintNewDay},           {Form->btn_Tool_04, {74, 41}, res::HintNewExperience},
      {Form->btn_MoveUp, {103, 41}, res::HintMoveUp},           {Form->btn_MoveDown, {126, 41}, res::HintMoveDown},
      {Form->btn_Delete, {149, 41}, res::HintDelete},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(e.Button->geometry(), QRect(e.Place, QSize(22, 22))) << e.Hint;
    EXPECT_TRUE(e.Button->toolTip().startsWith(QString::fromUtf8(e.Hint)));  // then the key, where it has one
    EXPECT_TRUE(e.Button->autoRaise());
  }
  EXPECT_EQ(Form->bvl_Tool->geometry(), QRect(5, 33, 166, 2));
  EXPECT_EQ(Form->img_Banner->size(), QSize(468, 60));
  EXPECT_EQ(Form->img_Banner->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Form->tre_Directory->width(), 200);
  EXPECT_EQ(Form->spt_Splitter->handleWidth(), 3);
}

TEST_F(WindowTest, AnchorsFollowTheWindowAndTheZeroLabelStaysCentred) {
  Open();
  const QRect banner = Form->img_Banner->geometry();
  const QRect name = Editors().edt_Name->geometry();
  const QRect energy = Editors().lbl_Energy->geometry();
  const QRect readOnly = Editors().btn_ReadOnly->geometry();
  const int work = Form->pnl_WorkArea->width(), tree = Form->tre_Directory->width();
  Form->resize(Form->width() + 100, Form->height() + 50);
  QApplication::processEvents();
  EXPECT_EQ(Form->img_Banner->geometry(), banner.translated(100, 0));
  // The tree and the work area share the 100 pixels by their widths.
  const int grown = Form->pnl_WorkArea->width() - work;
  EXPECT_EQ(grown + Form->tre_Directory->width() - tree, 100);
  EXPECT_NEAR(grown, 100 * work / (work + tree), 1);
  EXPECT_EQ(Editors().edt_Name->geometry(), name.adjusted(0, 0, grown, 0));
  EXPECT_EQ(Editors().lbl_Energy->geometry(), energy.translated(grown, 0));
  EXPECT_EQ(Editors().btn_ReadOnly->geometry(), readOnly.translated(grown, 50));
  const QRect track = Editors().trb_Energy->geometry();
  const QRect zero = Editors().lbl_ZeroEnergyLevel->geometry();
  EXPECT_EQ(zero.left(), track.left() + 28);
  EXPECT_EQ(zero.top(), track.top() + (track.height() - zero.height()) / 2);
  EXPECT_EQ(Editors().bvl_Border->width(), Form->pnl_WorkArea->width() - 6);
}

TEST_F(WindowTest, ALongNoticeLiesBelowTheWorkAreaWrappedAndCoversNoEditorOrChart) {
  Library.WriteLibrary(QStringLiteral("<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
                                      "    <file name=\"J\" path=\"j.xml\" />\n  </directory>\n</dreamlibrary>\n"));
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
      "<velmora>\n  <day name=\"d1\"><experience number=\"001\" title=\"Сон\" /></day>\n</velmora>\n"));
  Open();  // at the designed size, the narrowest there is
  const QString notice = QStringLiteral("Файл \"/очень/длинный/путь/к/журналу.xml\" прочитан заново. ").repeated(6);
  for (const QString& row : {QStringLiteral("J"), QStringLiteral("001. Сон")}) {
    ClickItem(Item(row));
    Form->pnl_WorkArea->ShowNotice(notice);
    QApplication::processEvents();
    const QLabel* line = Form->findChild<QLabel*>(QStringLiteral("lbl_Notice"));
    ASSERT_NE(line, nullptr);
    const QRect at(line->mapTo(Form.get(), QPoint()), line->size());
    const QRect area(Form->pnl_WorkArea->mapTo(Form.get(), QPoint()), Form->pnl_WorkArea->size());
    EXPECT_TRUE(line->isVisible()) << row.toStdString();
    EXPECT_FALSE(at.intersects(area)) << row.toStdString() << ": the editors and charts lie above it";
    EXPECT_TRUE(Form->rect().contains(at)) << row.toStdString();
    EXPECT_GE(line->height(), 2 * line->fontMetrics().lineSpacing()) << "wrapped, not cut to one line";
    EXPECT_EQ(line->toolTip(), line->text());
  }
}

TEST(AnchorLayoutTest, EachAxisFollowsItsAnchors) {
  const QSize designed(100, 100), now(150, 120);
  const QRect bounds(10, 20, 30, 40);
  EXPECT_EQ(TAnchorLayout::Arrange(bounds, akLeftTop, designed, now), bounds);
  EXPECT_EQ(TAnchorLayout::Arrange(bounds, akAll, designed, now), QRect(10, 20, 80, 60));
  EXPECT_EQ(TAnchorLayout::Arrange(bounds, akRight | akBottom, designed, now), QRect(60, 40, 30, 40));
  // Neither edge: the centre keeps its share (25 of 100 -> 37.5 of 150; 40 of 100 -> 48 of 120).
  EXPECT_EQ(TAnchorLayout::Arrange(bounds, 0, designed, now), QRect(23, 28, 30, 40));
}

TEST_F(WindowTest, BannerOpensTheMakersAddressAndTheAboutButtonTheAboutBox) {
  Open();
  QTest::mouseClick(Form->img_Banner, Qt::LeftButton);
  ASSERT_EQ(Ui.Urls.size(), 1u);
  EXPECT_EQ(Ui.Urls[0], QUrl(QString::fromUtf8(res::MakerWebAddress)));
  EXPECT_EQ(Ui.AboutShown, 0);
  Form->btn_Tool_05->click();
  EXPECT_EQ(Ui.AboutShown, 1);
}

TEST_F(WindowTest, ErrorBoundaryShowsTheErrorAndTheProgramGoesOn) {
  Open();
  QPushButton trigger(Form.get());
  int after = 0;
  QObject::connect(&trigger, &QPushButton::clicked, Form.get(), [&] {
    Form->Run([&] {
      throw EInOutError("\xc6\xf3\xf0\xed\xe0\xeb.xml", "cannot write");  // "Журнал.xml" in Windows-1251
      ++after;
    });
  });
  trigger.show();
  QTest::mouseClick(&trigger, Qt::LeftButton);
  ASSERT_EQ(Ui.Errors.size(), 1);
  EXPECT_EQ(Ui.Errors[0], QStringLiteral("cannot write: Журнал.xml"));
  EXPECT_EQ(after, 0);
  // The window still answers.
  ClickItem(TopItem());
  EXPECT_EQ(Form->FCurrentNode, TopItem());
  EXPECT_TRUE(Guard(Ui, nullptr, [&] { ++after; }));
  EXPECT_EQ(after, 1);
  EXPECT_FALSE(Guard(Ui, nullptr, [] { throw 42; }));
  EXPECT_EQ(Ui.Errors.size(), 2);
}

TEST(QtInteractionTest, TheAuthorizationDialogAnswersWithTheTypedTexts) {
  TQtUserInteraction ui;
  QString title;
  bool cancelVisible = true;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<Tfrm_Authorization*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle();
    cancelVisible = dialog->btn_Cancel->isVisible();
    QTest::keyClicks(dialog->edt_First, QStringLiteral("user"));
    QTest::keyClicks(dialog->edt_Second, QStringLiteral("secret"));
    QTest::mouseClick(dialog->btn_Ok, Qt::LeftButton);
  });
  const TLoginResult result = ui.AskCredentials(nullptr, amLogin);
  EXPECT_TRUE(result.Accepted);
  EXPECT_EQ(result.UserName, QStringLiteral("user"));
  EXPECT_EQ(result.Password, QStringLiteral("secret"));
  EXPECT_EQ(title, QStringLiteral("Авторизация"));
  EXPECT_FALSE(cancelVisible);
}

// Warnings, errors and the questions are the program's own captioned boxes, which no window
// manager gives a frame with minimise and maximise buttons; Escape gives the safe answer.
TEST(QtInteractionTest, MessagesAndQuestionsAreCaptionedBoxes) {
  TQtUserInteraction ui;
  QStringList captions;
  const auto answerWithEscape = [&] {
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      auto* box = qobject_cast<Tfrm_Message*>(modal);
      captions << (box ? box->lbl_Caption->text() : QStringLiteral("not captioned"));
      QTest::keyClick(modal, Qt::Key_Escape);
      if (QApplication::activeModalWidget() == modal) static_cast<QDialog*>(modal)->reject();
    });
  };
  answerWithEscape();
  ui.ShowWarning(nullptr, QStringLiteral("w"));
  answerWithEscape();
  ui.ShowError(nullptr, QStringLiteral("e"));
  answerWithEscape();
  EXPECT_TRUE(ui.AskGoBackAfterSaveFailure(nullptr, QStringLiteral("f")));
  answerWithEscape();
  EXPECT_FALSE(ui.AskReplaceFile(nullptr, QStringLiteral("/tmp/x.xml")));
  EXPECT_EQ(captions, QStringList({QStringLiteral("Предупреждение"), QStringLiteral("Ошибка"), QStringLiteral("Ошибка"),
                                   QStringLiteral("Подтверждение")}));
}

TEST(ResolvePathTest, AbsoluteAsWrittenRelativeFromTheCurrentDirectoryThenBesideTheProgram) {
  QTemporaryDir appDir;
  const std::string app = appDir.path().toStdString() + "/";
  EXPECT_EQ(ResolvePath("/somewhere/x.bmp", app, app), "/somewhere/x.bmp");
  EXPECT_EQ(ResolvePath("", app, app), "");
  // A file in the current directory is used from there.
  QTemporaryFile here(QDir::currentPath() + QStringLiteral("/resolve-XXXXXX.bmp"));
  ASSERT_TRUE(here.open());
  const std::string name = QFileInfo(here.fileName()).fileName().toStdString();
  EXPECT_EQ(ResolvePath(name, app, app), name);
  // Otherwise beside the program, whether or not the file is there yet.
  EXPECT_EQ(ResolvePath("not-here/x.bmp", app, app), app + "not-here/x.bmp");
  // Paths are Windows-1251 bytes: "\xc6.bmp" is "Ж.bmp".
  QFile beside(appDir.path() + QStringLiteral("/Ж.bmp"));
  ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
  beside.close();
  EXPECT_TRUE(PathExists(app + "\xc6.bmp"));
  EXPECT_FALSE(PathExists("\xc6.bmp"));
}

TEST(ResolvePathTest, InstalledProgramLooksInTheLibraryFolderThenInItsOwnAndCreatesInTheLibraryFolder) {
  TLibraryFolder library, program;
  const std::string lib = library.Path().toStdString(), app = program.Path().toStdString();
  program.WritePicture(QStringLiteral("icons/day.bmp"), qRgb(1, 2, 3));
  program.WriteJournal(QStringLiteral("journals/example.xml"), QStringLiteral("<velmora>\n</velmora>\n"));
  library.WriteJournal(QStringLiteral("journals/example.xml"), QStringLiteral("<velmora>\n</velmora>\n"));
  EXPECT_EQ(ResolvePath("icons/day.bmp", lib, app), app + "icons/day.bmp");
  EXPECT_EQ(ResolvePath("journals/example.xml", lib, app), lib + "journals/example.xml");
  EXPECT_EQ(ResolvePath("journals/new.xml", lib, app), lib + "journals/new.xml");
}
