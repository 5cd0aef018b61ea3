// The editor panel: a dream shown whole, every field written back as it is edited, the tree
// captions in step, and what cannot be shown or stored told without losing anything.
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <algorithm>

#include "vlm_EntryFields.h"
#include "vlm_Strings.h"
#include "vlm_TestSupport.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_node.h"

namespace {
const QRgb kBlank = qRgb(255, 255, 255);
const QRgb kFlight = qRgb(0, 0, 200);
const QRgb kOther = qRgb(0, 160, 0);

std::string Cp(const QString& text) {
  std::string bytes;
  EXPECT_TRUE(ToCp(text, bytes));
  return bytes;
}
}  // namespace

class EditorsTest : public BrowserTest {
protected:
  void SetUp() override {
    Library.WritePicture(QStringLiteral("empty.bmp"), kBlank);
    Library.WritePicture(QStringLiteral("flight.bmp"), kFlight);
    Library.WritePicture(QStringLiteral("other.bmp"), kOther);
    Library.WriteLibrary(QStringLiteral(
        "<dreamlibrary name=\"L\">\n"
        "  <label caption=\"Осознанный\" />\n  <label caption=\"Астрал\" />\n"
        "  <label caption=\"Выход\" />\n  <label caption=\"Другое\" />\n"
        "  <directory name=\"A\">\n"
        "    <file name=\"J\" path=\"%1\" />\n"
        "  </directory>\n"
        "</dreamlibrary>\n").arg(Library.Path(QStringLiteral("j.xml"))));
    Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
        "<velmora>\n"
        "  <day name=\"d1\">\n"
        "    <experience number=\"001\" title=\"Полёт\" readonly=\"false\">\n"
        "      <description>Летал над крышами.</description>\n"
        "      <properties label1=\"true\" label2=\"false\" label3=\"false\" label4=\"true\" />\n"
        "      <energy level=\"40\" />\n"
        "      <image path=\"%1\" />\n"
        "      <comment>Проснулся рано.</comment>\n"
        "    </experience>\n"
        "    <experience number=\"002\" title=\"Пусто\" />\n"
        "    <experience number=\"003\" title=\"Старое\">\n"
        "      <properties luciddream=\"true\" outofbody=\"false\" label2=\"yes\" />\n"
        "      <energy level=\"много\" />\n"
        "      <image path=\"%2\" />\n"
        "    </experience>\n"
        "    <experience number=\"004\" title=\"Закрыто\" readonly=\"true\" />\n"
        "    <comment>Ночь</comment>\n"
        "  </day>\n"
        "</velmora>\n").arg(Library.Path(QStringLiteral("flight.bmp")), Library.Path(QStringLiteral("gone.bmp"))));
  }

  TEditors Panel() const { return Editors(); }
  TXMLNode* Element(const QString& caption) const { return Tfrm_MainForm::NodeOf(Item(caption)); }
  void Select(const QString& caption) {
    TItem item = Item(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    for (TItem up = item->parent(); up; up = up->parent()) up->setExpanded(true);
    ClickItem(item);
    ASSERT_EQ(Form->FCurrentNode, item);
  }
  // Opens the window with the journal loaded and `caption` selected.
  void OpenAt(const QString& caption) {
    Open();
    Select(QStringLiteral("J"));
    Select(caption);
  }
  // Typed character by character, as a keyboard would (Cyrillic included); "\n" is Return.
  static void Type(QWidget* widget, const QString& text) {
    widget->setFocus();
    for (const QChar ch : text) {
      if (ch == QLatin1Char('\n'))
        QTest::keyClick(widget, Qt::Key_Return);
      else
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
  }
  QRgb PictureColour() const {
    const QImage picture = Panel().img_Image->pixmap().toImage();
    return picture.isNull() ? 0 : picture.pixel(picture.width() / 2, picture.height() / 2);
  }
  static bool Red(const QLabel* label) { return label->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }
  std::string Levels() const {
    return std::string{Red(Panel().lbl_HighEnergyLevel) ? 'R' : '-', Red(Panel().lbl_ZeroEnergyLevel) ? 'R' : '-',
                       Red(Panel().lbl_LowEnergyLevel) ? 'R' : '-'};
  }
  std::string Boxes() const {
    std::string s;
    for (int n = 1; n <= 4; ++n) s += Panel().LabelBox(n)->isChecked() ? '1' : '0';
    return s;
  }
};

TEST_F(EditorsTest, ADreamIsShownWholeAndTheNextOneKeepsNothingOfIt) {
  OpenAt(QStringLiteral("001. Полёт"));
  EXPECT_EQ(Panel().edt_Number->text(), QStringLiteral("001"));
  EXPECT_EQ(Panel().edt_Name->text(), QStringLiteral("Полёт"));
  EXPECT_EQ(Panel().mmo_Description->toPlainText(), QStringLiteral("Летал над крышами."));
  EXPECT_EQ(Panel().mmo_Comment->toPlainText(), QStringLiteral("Проснулся рано."));
  EXPECT_EQ(Boxes(), "1001");
  EXPECT_EQ(Panel().trb_Energy->value(), 40);
  EXPECT_EQ(PictureColour(), kFlight);
  for (int n = 1; n <= 4; ++n) EXPECT_TRUE(Panel().LabelBox(n)->isVisible());
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().isEmpty());

  Select(QStringLiteral("002. Пусто"));
  TXMLNode* empty = Element(QStringLiteral("002. Пусто"));
  EXPECT_EQ(Boxes(), "0000");
  EXPECT_EQ(Panel().trb_Energy->value(), 100);
  EXPECT_EQ(Levels(), "-R-");
  EXPECT_EQ(PictureColour(), kBlank);
  EXPECT_TRUE(Panel().mmo_Description->toPlainText().isEmpty());
  // Showing it wrote nothing into it.
  EXPECT_TRUE(empty->Children.empty());
}

TEST_F(EditorsTest, ShowingWritesNothingAndOnlyWhatTheUserChangesIsWritten) {
  Open();
  Select(QStringLiteral("J"));
  TXMLParser* journal = Form->Library().Journals().Documents().front().get();
  const std::string library = Form->Library().Document().SaveToString(), before = journal->SaveToString();
  // Every node, twice in both orders, so each one follows one with other values.
  QList<TItem> nodes;
  for (const TItem& item : AllItems()) nodes << item;
  for (int round = 0; round < 2; ++round) {
    for (TItem node : nodes) Form->tre_Directory->setCurrentIndex(node);
    std::reverse(nodes.begin(), nodes.end());
  }
  EXPECT_EQ(journal->SaveToString(), before);
  EXPECT_EQ(Form->Library().Document().SaveToString(), library);

  // A night without a comment of its own below a dream that has one shows an empty comment, and
  // typing there leaves the dream's comment alone.
  Form.reset();
  Library.WriteJournal(QStringLiteral("j.xml"), QStringLiteral(
      "<velmora>\n  <day name=\"n2\">\n    <experience number=\"005\" title=\"x\">\n"
      "      <comment>Своё</comment>\n    </experience>\n  </day>\n</velmora>\n"));
  OpenAt(QStringLiteral("n2"));
  EXPECT_TRUE(Panel().mmo_Comment->toPlainText().isEmpty());
  Type(Panel().mmo_Comment, QStringLiteral("ночь"));
  EXPECT_EQ(ChildText(*Element(QStringLiteral("n2")), tagComment), Cp(QStringLiteral("ночь")));
  EXPECT_EQ(ChildText(*Element(QStringLiteral("005. x")), tagComment), Cp(QStringLiteral("Своё")));
  // Tab leaves the description and the comment: no tab character is stored.
  Select(QStringLiteral("005. x"));
  Type(Panel().mmo_Description, QStringLiteral("a"));
  QTest::keyClick(Panel().mmo_Description, Qt::Key_Tab);
  EXPECT_FALSE(Panel().mmo_Description->hasFocus());
  EXPECT_EQ(ChildText(*Element(QStringLiteral("005. x")), tagDescription), "a");
  // Double-clicking the middle level of a dream without one stores it, though the bar shows it.
  QTest::mouseDClick(Panel().lbl_ZeroEnergyLevel, Qt::LeftButton);
  EXPECT_EQ(DirectChild(*Element(QStringLiteral("005. x")), tagEnergy)->GetAttribute(attrLevel), "100");
}

TEST_F(EditorsTest, OlderLabelsMoveAndABadPictureOrLevelStillFinishesTheSelection) {
  OpenAt(QStringLiteral("001. Полёт"));
  Select(QStringLiteral("003. Старое"));
  TXMLNode* properties = DirectChild(*Element(QStringLiteral("003. Старое")), tagProperties);
  EXPECT_EQ(Boxes(), "1000");  // nothing left of 001's labels; "yes" is not a flag word
  EXPECT_EQ(properties->GetAttribute(attrLucidDream), litTrue);  // shown, not written
  // A flag the user sets moves to its current name.
  Panel().box_Label1->click();
  EXPECT_EQ(properties->GetAttribute(attrLucidDream), litUndefined);
  EXPECT_EQ(properties->GetAttribute(attrLabel1), litFalse);
  EXPECT_EQ(properties->GetAttribute(attrOutOfBody), litFalse);
  // Neutral level and the blank picture, told without a box; the stored text is kept.
  EXPECT_EQ(Panel().trb_Energy->value(), 100);
  EXPECT_EQ(PictureColour(), kBlank);
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("gone.bmp")));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("много")));
  EXPECT_TRUE(Ui.Errors.isEmpty());
  EXPECT_EQ(DirectChild(*Element(QStringLiteral("003. Старое")), tagEnergy)->GetAttribute(attrLevel), Cp(QStringLiteral("много")));
  EXPECT_FALSE(Panel().edt_Name->isReadOnly());
  Select(QStringLiteral("002. Пусто"));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().isEmpty());
}

TEST_F(EditorsTest, EnergyColoursDoubleClicksAndTheReadOnlyBox) {
  OpenAt(QStringLiteral("002. Пусто"));
  TXMLNode* dream = Element(QStringLiteral("002. Пусто"));
  auto level = [&] { return DirectChild(*dream, tagEnergy)->GetAttribute(attrLevel); };
  const std::pair<int, const char*> colours[] = {{19, "R--"}, {90, "---"}, {95, "-R-"}, {110, "---"}, {181, "--R"}};
  for (const auto& [position, expected] : colours) {
    Panel().trb_Energy->setValue(position);
    EXPECT_EQ(Levels(), expected) << position;
  }
  EXPECT_EQ(level(), "181");
  QTest::mouseDClick(Panel().lbl_LowEnergyLevel, Qt::LeftButton);
  EXPECT_EQ(level(), "200");
  QTest::mouseDClick(Panel().lbl_HighEnergyLevel, Qt::LeftButton);
  EXPECT_EQ(level(), "0");

  QTest::mouseClick(Panel().btn_ReadOnly, Qt::LeftButton);
  EXPECT_EQ(dream->GetAttribute(attrReadOnly), litTrue);
  EXPECT_FALSE(Panel().trb_Energy->isEnabled());
  EXPECT_FALSE(Panel().box_Label1->isEnabled());
  EXPECT_TRUE(Panel().mmo_Description->isReadOnly());
  QTest::mouseDClick(Panel().lbl_ZeroEnergyLevel, Qt::LeftButton);
  EXPECT_EQ(level(), "0");  // locked: nothing changes
  QTest::mouseClick(Panel().btn_ReadOnly, Qt::LeftButton);
  EXPECT_EQ(dream->GetAttribute(attrReadOnly), litFalse);
  EXPECT_TRUE(Panel().trb_Energy->isEnabled());
}

TEST_F(EditorsTest, NamesAndNumbersKeepTheTreeText) {
  OpenAt(QStringLiteral("001. Полёт"));
  TItem node = Form->FCurrentNode;
  Panel().edt_Name->setText(QStringLiteral("Полёт. Снова"));
  Panel().edt_Number->setText(QStringLiteral("7"));
  EXPECT_EQ(node->text(0), QStringLiteral("7. Полёт. Снова"));
  EXPECT_EQ(Element(QStringLiteral("7. Полёт. Снова"))->GetAttribute(attrNumber), "7");
  Panel().edt_Name->setText(QStringLiteral("Ещё"));
  EXPECT_EQ(node->text(0), QStringLiteral("7. Ещё"));

  // A loaded journal's name is its library entry's.
  Select(QStringLiteral("d1"));
  Select(QStringLiteral("J"));
  Panel().edt_Name->setText(QStringLiteral("Журнал"));
  EXPECT_EQ(Item(QStringLiteral("Журнал"))->parent(), Item(QStringLiteral("A")));
  EXPECT_EQ(Form->Library().Pairs().FirstOf(Element(QStringLiteral("Журнал")))->GetAttribute(attrName), Cp(QStringLiteral("Журнал")));
  EXPECT_EQ(Element(QStringLiteral("Журнал"))->GetAttribute(attrName), litUndefined);
}

TEST_F(EditorsTest, CommentsAndDescriptionsAsStored) {
  OpenAt(QStringLiteral("d1"));
  EXPECT_EQ(Panel().mmo_Comment->toPlainText(), QStringLiteral("Ночь"));
  Panel().mmo_Comment->setPlainText(QStringLiteral("Проснулся\nрано"));
  TXMLNode* day = Element(QStringLiteral("d1"));
  EXPECT_EQ(ChildText(*day, tagComment), Cp(QStringLiteral("Проснулся рано")));
  EXPECT_EQ(ChildText(*Element(QStringLiteral("001. Полёт")), tagComment), Cp(QStringLiteral("Проснулся рано.")));
  Select(QStringLiteral("002. Пусто"));
  Panel().mmo_Description->setPlainText(QStringLiteral("  Летал   низко \nи долго  "));
  EXPECT_EQ(ChildText(*Element(QStringLiteral("002. Пусто")), tagDescription), Cp(QStringLiteral("Летал низко \r\nи долго")));
}

TEST_F(EditorsTest, APictureIsLoadedThroughTheDialogAndCleared) {
  OpenAt(QStringLiteral("002. Пусто"));
  TXMLNode* dream = Element(QStringLiteral("002. Пусто"));
  QTest::mouseClick(Panel().btn_ClearImage, Qt::LeftButton);
  EXPECT_EQ(DirectChild(*dream, tagImage), nullptr);
  QTest::mouseClick(Panel().btn_LoadImage, Qt::LeftButton);  // cancelled
  EXPECT_EQ(DirectChild(*dream, tagImage), nullptr);
  Ui.ImageAnswers = {Library.Path(QStringLiteral("中.bmp")), Library.Path(QStringLiteral("other.bmp"))};
  QTest::mouseClick(Panel().btn_LoadImage, Qt::LeftButton);
  EXPECT_EQ(DirectChild(*dream, tagImage), nullptr);  // a path the files cannot keep is refused
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("中")));
  QTest::mouseClick(Panel().btn_LoadImage, Qt::LeftButton);
  EXPECT_EQ(Ui.ImageQuestions, 3);
  EXPECT_EQ(PictureColour(), kOther);
  EXPECT_EQ(DirectChild(*dream, tagImage)->GetAttribute(attrPath), "other.bmp");  // inside the library's folder
  QTest::mouseClick(Panel().btn_ClearImage, Qt::LeftButton);
  EXPECT_EQ(PictureColour(), kBlank);
  EXPECT_EQ(DirectChild(*dream, tagImage)->GetAttribute(attrPath), litUndefined);
}

// A named pipe named as a picture is not read (the read would wait for a writer): it is told as a
// picture that cannot be loaded, whether a dream names it or it is chosen.
TEST_F(EditorsTest, ANamedPipeAsAPictureIsNotRead) {
  const QString pipe = Library.Path(QStringLiteral("pipe.bmp"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  ::alarm(30);  // a read from the pipe ends the test binary instead of hanging it
  OpenAt(QStringLiteral("001. Полёт"));
  Ui.ImageAnswers = {pipe};
  QTest::mouseClick(Panel().btn_LoadImage, Qt::LeftButton);
  EXPECT_EQ(PictureColour(), kFlight);
  EXPECT_EQ(DirectChild(*Element(QStringLiteral("001. Полёт")), tagImage)->GetAttribute(attrPath), Cp(Library.Path(QStringLiteral("flight.bmp"))));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(pipe));
  DirectChild(*Element(QStringLiteral("003. Старое")), tagImage)->SetAttribute(attrPath, Cp(pipe));
  Select(QStringLiteral("003. Старое"));
  EXPECT_EQ(PictureColour(), kBlank);
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(pipe));
  ::alarm(0);
}

TEST_F(EditorsTest, ReadOnlyStaysWithTheLockedDreamAndTheUnreadableJournal) {
  OpenAt(QStringLiteral("004. Закрыто"));
  EXPECT_TRUE(Panel().edt_Name->isReadOnly());
  EXPECT_TRUE(Panel().mmo_Comment->isReadOnly());
  Select(QStringLiteral("d1"));
  EXPECT_FALSE(Panel().edt_Name->isReadOnly());
  EXPECT_FALSE(Panel().mmo_Comment->isReadOnly());
  Select(QStringLiteral("A"));
  EXPECT_FALSE(Panel().edt_Name->isReadOnly());

  // A document that is never written keeps its editors read-only, whatever the dream says.
  Form->pnl_WorkArea->LoadEntry(ekExperience, *Element(QStringLiteral("002. Пусто")), true);
  EXPECT_TRUE(Panel().edt_Name->isReadOnly());
  EXPECT_FALSE(Panel().trb_Energy->isEnabled());
  EXPECT_FALSE(Panel().btn_ReadOnly->isEnabled());
  EXPECT_FALSE(Panel().btn_LoadImage->isVisible());
  EXPECT_EQ(Element(QStringLiteral("002. Пусто"))->GetAttribute(attrReadOnly), litUndefined);
  Form->pnl_WorkArea->LoadEntry(ekDay, *Element(QStringLiteral("d1")), true);
  EXPECT_TRUE(Panel().mmo_Comment->isReadOnly());

  // A library file that cannot be read at all: its name is only viewed.
  Form.reset();
  QFile::remove(Library.Path(QStringLiteral("dreams.ini")));
  ASSERT_TRUE(QDir().mkdir(Library.Path(QStringLiteral("dreams.ini"))));
  Open();
  Select(QStringLiteral("undefined"));
  EXPECT_TRUE(Panel().edt_Name->isReadOnly());
}

TEST_F(EditorsTest, CharactersOutsideTheCodePageAreRefusedWhereTyped) {
  OpenAt(QStringLiteral("002. Пусто"));
  TXMLNode* dream = Element(QStringLiteral("002. Пусто"));
  Type(Panel().edt_Name, QStringLiteral("中"));
  EXPECT_EQ(Panel().edt_Name->text(), QStringLiteral("Пусто"));
  EXPECT_TRUE(Form->pnl_WorkArea->Notice().contains(QStringLiteral("中")));
  Panel().edt_Name->insert(QStringLiteral("-а中б"));  // a paste keeps what the files can hold
  EXPECT_EQ(dream->GetAttribute(attrTitle), Cp(QStringLiteral("Пусто-аб")));
  Panel().mmo_Comment->setPlainText(QStringLiteral("до 😀 после 中"));
  EXPECT_EQ(Panel().mmo_Comment->toPlainText(), QStringLiteral("до  после "));
  EXPECT_EQ(ChildText(*dream, tagComment), Cp(QStringLiteral("до после")));
}

TEST_F(EditorsTest, TheCommentKeepsAUsableWidthAtEverySize) {
  Open();
  Form->resize(Form->width() + 400, Form->height() + 100);
  QApplication::processEvents();
  Select(QStringLiteral("J"));
  Select(QStringLiteral("001. Полёт"));
  Form->resize(Form->minimumSize());
  QApplication::processEvents();
  const QRect comment = Panel().mmo_Comment->geometry();
  EXPECT_GE(comment.width(), TEditorPanel::kMinCommentWidth);
  EXPECT_EQ(comment.right() + 5, Panel().img_Image->x());  // as designed: 4 pixels before the picture
}

TEST_F(EditorsTest, CyrillicTypedIntoEveryEditorIsReadBackAfterARestart) {
  OpenAt(QStringLiteral("001. Полёт"));
  Panel().edt_Number->selectAll();
  Type(Panel().edt_Number, QStringLiteral("№5"));
  Panel().edt_Name->selectAll();
  Type(Panel().edt_Name, QStringLiteral("Сон"));
  Panel().mmo_Description->selectAll();
  Type(Panel().mmo_Description, QStringLiteral("Ёлка\nи снег"));
  Panel().mmo_Comment->selectAll();
  Type(Panel().mmo_Comment, QStringLiteral("Утро\nясное"));
  QTest::mouseClick(Panel().box_Label2, Qt::LeftButton, {}, QPoint(6, Panel().box_Label2->height() / 2));
  Panel().trb_Energy->setValue(150);
  Select(QStringLiteral("d1"));
  Panel().edt_Name->selectAll();
  Type(Panel().edt_Name, QStringLiteral("Ночь 1"));
  Panel().mmo_Comment->selectAll();
  Type(Panel().mmo_Comment, QStringLiteral("Тихо"));
  ASSERT_TRUE(Close());
  EXPECT_TRUE(Library.Read(QStringLiteral("j.xml")).contains(QByteArray::fromStdString(Cp(QStringLiteral("Ёлка")))));

  Form.reset();
  OpenAt(QStringLiteral("Ночь 1"));
  EXPECT_EQ(Panel().mmo_Comment->toPlainText(), QStringLiteral("Тихо"));
  Select(QStringLiteral("№5. Сон"));
  EXPECT_EQ(Panel().mmo_Description->toPlainText(), QStringLiteral("Ёлка и снег"));  // read back as one paragraph
  EXPECT_EQ(Panel().mmo_Comment->toPlainText(), QStringLiteral("Утро ясное"));
  EXPECT_EQ(Boxes(), "1101");
  EXPECT_EQ(Panel().trb_Energy->value(), 150);
}

TEST_F(EditorsTest, TheDefaultMarkMovesToTheJournalSelected) {
  Library.WriteLibrary(QStringLiteral(
      "<dreamlibrary name=\"L\">\n  <directory name=\"A\">\n"
      "    <file name=\"J\" path=\"j.xml\" default=\"yes\" />\n    <file name=\"K\" path=\"k.xml\" />\n"
      "  </directory>\n</dreamlibrary>\n"));
  Open();
  TXMLNode* j = Form->Library().DefaultJournal();  // selected and loaded at start-up
  EXPECT_EQ(Form->FCurrentNode, Item(QStringLiteral("J")));
  TXMLNode* k = Element(QStringLiteral("K"));
  Select(QStringLiteral("K"));
  EXPECT_EQ(Form->Library().DefaultJournal(), k);
  EXPECT_EQ(k->GetAttribute(attrDefault), litYes);
  Select(QStringLiteral("J"));  // loaded already: its entry is found through the pair
  EXPECT_EQ(Form->Library().Pairs().FirstOf(Tfrm_MainForm::NodeOf(Item(QStringLiteral("J")))), j);
  EXPECT_EQ(j->GetAttribute(attrDefault), litYes);
  EXPECT_EQ(k->GetAttribute(attrDefault), litNo);
}
