// The new element dialog and the confirmation dialog: arrangements by kind, proposed values,
// the OK rule, the journal path's questions, and the keys.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include "vlm_DreamCalendar.h"

#include "captioned_dialog_checks.h"
#include "vlm_ConfirmationForm.h"
#include "vlm_MessageForm.h"
#include "vlm_NewElementForm.h"

namespace {
// Runs `act` on the dialog once its modal loop runs, then returns exec()'s result. Every act ends
// the dialog; one that did not (a key that does nothing) ends with -1, which no test expects,
// rather than wait for ever.
int ExecWith(QDialog& dialog, const std::function<void()>& act) {
  QTimer::singleShot(0, &dialog, [&dialog, act] {
    act();
    if (dialog.isVisible()) dialog.done(-1);
  });
  return dialog.exec();
}
}  // namespace

TEST(NewElementForm, ExperienceProposesThePaddedNumberAndWaitsForATitle) {
  Tfrm_NewElement form;
  form.FNumber = 5;
  form.SetKind(neExperience);
  form.show();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Добавить опыт"));
  EXPECT_EQ(form.lbl_First->text(), QStringLiteral("Номер"));
  EXPECT_EQ(form.First(), QStringLiteral("005"));
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  EXPECT_FALSE(form.btn_Default->isVisible());
  QTest::sendKeyEvent(QTest::Click, form.edt_Second, Qt::Key_unknown, QStringLiteral("П"), Qt::NoModifier);
  EXPECT_TRUE(form.btn_Ok->isEnabled());
  form.edt_First->clear();
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  // Only the characters Windows-1251 cannot hold are left out, with a note; never a "?".
  form.edt_Second->insert(QStringLiteral("о 中😀 сне"));
  EXPECT_EQ(form.Second(), QStringLiteral("По  сне"));
  EXPECT_TRUE(form.Note().contains(QStringLiteral("中😀")));

  Tfrm_NewElement large;
  large.FNumber = 1000;
  large.SetKind(neExperience);
  EXPECT_EQ(large.First(), QStringLiteral("1000"));
}

TEST(NewElementForm, DayAndCatalogShowOneRowWithTheButtonsBelowIt) {
  Tfrm_NewElement day;
  day.Today = [] { return QDate(2026, 12, 6); };
  day.SetKind(neDay);
  day.show();
  EXPECT_EQ(day.lbl_First->text(), QStringLiteral("Дата:"));
  // The night just passed is proposed, selected so that typing replaces it.
  EXPECT_EQ(day.First(), QStringLiteral("06.12.26"));
  EXPECT_EQ(day.edt_First->selectedText(), day.First());
  EXPECT_TRUE(day.btn_Ok->isEnabled());
  day.edt_First->clear();
  EXPECT_FALSE(day.btn_Ok->isEnabled());
  EXPECT_FALSE(day.edt_Second->isVisible());
  EXPECT_EQ(day.btn_Ok->y(), 43);
  EXPECT_LT(day.pnl_Client->height(), 100);
  EXPECT_EQ(day.btn_Default->toolTip(), QStringLiteral("Текущая дата"));
  QTest::mouseClick(day.btn_Default, Qt::LeftButton);
  EXPECT_EQ(day.First(), QStringLiteral("06.12.26"));
  EXPECT_TRUE(day.btn_Ok->isEnabled());
  // The calendar opens at the date typed; the date chosen there is written as a night's name.
  day.edt_First->setText(QStringLiteral("29.02.24"));
  QTest::mouseClick(day.btn_PickDate, Qt::LeftButton);
  ASSERT_TRUE(day.cal_Popup && day.cal_Popup->isVisible());
  EXPECT_EQ(day.cal_Popup->selectedDate(), QDate(2024, 2, 29));
  day.cal_Popup->setSelectedDate(QDate(2003, 3, 1));
  auto* grid = day.cal_Popup->findChild<QAbstractItemView*>();
  ASSERT_TRUE(grid);
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(day.First(), QStringLiteral("01.03.03"));
  EXPECT_FALSE(day.cal_Popup->isVisible());

  Tfrm_NewElement catalog;
  catalog.SetKind(neCatalog);
  catalog.show();
  EXPECT_EQ(catalog.windowTitle(), QStringLiteral("Добавить каталог"));
  EXPECT_FALSE(catalog.btn_Default->isVisible());
  EXPECT_FALSE(catalog.lbl_Second->isVisible());
  EXPECT_EQ(catalog.btn_Cancel->y(), 43);
  QTest::keyClicks(catalog.edt_First, QStringLiteral(" "));  // blanks count as text
  EXPECT_TRUE(catalog.btn_Ok->isEnabled());
}

TEST(NewElementForm, JournalPathFromTheSaveDialogOrTypedAndAskedAbout) {
  Tfrm_NewElement form;
  QStringList chosen{QString(), QStringLiteral("/home/u/dec.xml")};
  form.ChooseFile = [&] { return chosen.takeFirst(); };
  QStringList asked;
  bool replace = false;
  form.AcceptTypedPath = [&](const QString& path) {
    asked << path;
    return replace;
  };
  form.SetKind(neJournal);
  EXPECT_EQ(form.btn_Default->toolTip(), QStringLiteral("Выбрать имя файла"));
  EXPECT_EQ(form.btn_Default->pos(), QPoint(204, 38));
  QTest::keyClicks(form.edt_First, QStringLiteral("Dec"));
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  form.edt_Second->setText(QStringLiteral("typed.xml"));
  form.btn_DefaultClick();  // cancelled: the path stays
  EXPECT_EQ(form.Second(), QStringLiteral("typed.xml"));

  // A typed path: OK asks; "no" keeps the dialog open, "yes" closes it with OK.
  EXPECT_EQ(ExecWith(form,
                     [&] {
                       form.btn_Ok->click();
                       EXPECT_TRUE(form.isVisible());
                       replace = true;
                       form.btn_Ok->click();
                     }),
            QDialog::Accepted);
  EXPECT_EQ(asked, QStringList({QStringLiteral("typed.xml"), QStringLiteral("typed.xml")}));

  // A chosen path was asked about by the save dialog already.
  form.btn_DefaultClick();
  EXPECT_EQ(form.Second(), QStringLiteral("/home/u/dec.xml"));
  EXPECT_EQ(ExecWith(form, [&] { form.btn_Ok->click(); }), QDialog::Accepted);
  EXPECT_EQ(asked.size(), 2);
}

TEST(NewElementForm, TheRealSaveDialogAddsTheExtensionOffersTheJournalFilterAndSpeaksRussian) {
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  QFile older(dir.path() + QStringLiteral("/older.xml"));
  ASSERT_TRUE(older.open(QIODevice::WriteOnly));
  older.close();
  Tfrm_NewElement form;
  form.SetKind(neJournal);
  QStringList filters;
  QString suffix;
  QString date;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    filters = dialog->nameFilters();
    suffix = dialog->defaultSuffix();
    dialog->setDirectory(dir.path());
    auto* files = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return files->model()->rowCount(files->rootIndex()) > 0; }));
    date = files->model()->index(0, 3, files->rootIndex()).data().toString();
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("night"));
    static_cast<QDialog*>(dialog)->accept();
  });
  form.btn_DefaultClick();
  EXPECT_EQ(suffix, QStringLiteral("xml"));
  EXPECT_EQ(filters, QStringList({QStringLiteral("Вельмора (*.xml)"), QStringLiteral("Любое расширение (*.*)")}));
  EXPECT_EQ(form.Second(), dir.path() + QStringLiteral("/night.xml"));
  // A file's date has no English month name, whatever the system's locale (here C).
  EXPECT_FALSE(date.isEmpty());
  EXPECT_FALSE(date.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << date.toStdString();
}

// The save dialog's own choice of an existing file is asked about: "Нет" goes back to the dialog,
// "Да" takes the file.
TEST(NewElementForm, AnExistingFileChosenInTheSaveDialogIsAskedAboutFirst) {
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  QFile existing(dir.path() + QStringLiteral("/night.xml"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  Tfrm_NewElement form;
  form.SetKind(neJournal);
  int saveDialogs = 0;
  QStringList questions;
  bool done = false;
  std::function<void()> answer = [&] {
    if (done) return;
    QTimer::singleShot(5, &form, answer);  // the next one also answers inside a loop this one opens
    QWidget* modal = QApplication::activeModalWidget();
    const bool yes = !questions.isEmpty();
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (++saveDialogs > 2) return static_cast<QDialog*>(dialog)->reject();
      dialog->setDirectory(dir.path());
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("night.xml"));
      static_cast<QDialog*>(dialog)->accept();
    } else if (auto* box = qobject_cast<Tfrm_Message*>(modal)) {
      questions << box->lbl_Text->text();
      for (QPushButton* button : box->findChildren<QPushButton*>())
        if (button->text() == (yes ? QStringLiteral("Да") : QStringLiteral("Нет"))) button->click();
    } else if (auto* qtBox = qobject_cast<QMessageBox*>(modal)) {
      questions << qtBox->text();
      qtBox->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    }
  };
  QTimer::singleShot(0, &form, answer);
  form.btn_DefaultClick();
  done = true;
  EXPECT_EQ(saveDialogs, 2);
  ASSERT_EQ(questions.size(), 2);
  EXPECT_TRUE(questions[0].contains(QStringLiteral("night.xml"))) << questions[0].toStdString();
  EXPECT_EQ(form.Second(), existing.fileName());
}

TEST(NewElementForm, NoWindowManagerFrameAndTheWholeTitleShowsForEveryKind) {
  for (const TNewElementKind kind : {neCatalog, neJournal, neDay, neExperience}) {
    SCOPED_TRACE(int(kind));
    Tfrm_NewElement form;
    form.SetKind(kind);
    ExpectOwnCaptionWithTheWholeTitle(form);
  }
}

TEST(NewElementForm, EnterAcceptsWhereOkWouldAndEscapeCancels) {
  Tfrm_NewElement form;
  form.SetKind(neCatalog);
  EXPECT_EQ(ExecWith(form,
                     [&] {
                       QTest::keyClick(form.edt_First, Qt::Key_Return);  // no name yet
                       EXPECT_TRUE(form.isVisible());
                       form.edt_First->setText(QStringLiteral("A"));
                       QTest::keyClick(form.edt_First, Qt::Key_Return);
                     }),
            QDialog::Accepted);
  EXPECT_EQ(form.First(), QStringLiteral("A"));

  // A night's date the caller refuses keeps the dialog open, as OK does.
  Tfrm_NewElement night;
  night.SetKind(neDay);
  QStringList asked;
  night.AcceptDay = [&](const QString& name) {
    asked << name;
    return name != QStringLiteral("32.13.26");
  };
  EXPECT_EQ(ExecWith(night,
                     [&] {
                       night.edt_First->setText(QStringLiteral("32.13.26"));
                       QTest::keyClick(night.edt_First, Qt::Key_Enter);
                       EXPECT_TRUE(night.isVisible());
                       night.edt_First->setText(QStringLiteral("03.12.26"));
                       QTest::keyClick(night.edt_First, Qt::Key_Enter);
                     }),
            QDialog::Accepted);
  EXPECT_EQ(asked, QStringList({QStringLiteral("32.13.26"), QStringLiteral("03.12.26")}));

  Tfrm_NewElement dream;
  dream.FNumber = 3;
  dream.SetKind(neExperience);
  EXPECT_EQ(ExecWith(dream, [&] { QTest::keyClick(dream.edt_Second, Qt::Key_Escape); }), QDialog::Rejected);
}

TEST(ConfirmationForm, AsksWithTheBoxUncheckedAndEnterAnswersYes) {
  Tfrm_Confirmation form;
  form.SetQuestion(QStringLiteral("Вы действительно хотите удалить объект \"Декабрь\"?"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Подтверждение"));
  EXPECT_EQ(form.box_ShowAgain->text(), QStringLiteral("Больше не показывать это окно."));
  EXPECT_EQ(form.btn_Ok->text(), QStringLiteral("Да"));
  EXPECT_EQ(form.btn_Cancel->text(), QStringLiteral("Нет"));
  EXPECT_FALSE(form.img_Icon->pixmap().isNull());
  EXPECT_EQ(ExecWith(form,
                     [&] {
                       EXPECT_FALSE(form.ShowAgainChecked());
                       form.box_ShowAgain->setChecked(true);
                       EXPECT_EQ(form.focusWidget(), form.btn_Ok);
                       QTest::keyClick(form.btn_Ok, Qt::Key_Return);
                     }),
            QDialog::Accepted);
  EXPECT_TRUE(form.ShowAgainChecked());

  Tfrm_Confirmation no;
  no.SetQuestion(QString(300, QLatin1Char('x')));
  EXPECT_TRUE(no.lbl_Confirmation->wordWrap());
  EXPECT_EQ(no.lbl_Confirmation->geometry(), QRect(55, 7, 220, 60));  // longer text is cut off there
  EXPECT_EQ(ExecWith(no, [&] { QTest::mouseClick(no.btn_Cancel, Qt::LeftButton); }), QDialog::Rejected);
  Tfrm_Confirmation escaped;
  EXPECT_EQ(ExecWith(escaped, [&] { QTest::keyClick(&escaped, Qt::Key_Escape); }), QDialog::Rejected);  // "Нет"
}

TEST(ConfirmationForm, NoWindowManagerFrameAndTheWholeTitleShows) {
  Tfrm_Confirmation form;
  form.SetQuestion(QStringLiteral("Вы действительно хотите удалить объект \"Декабрь\" ?"));
  ExpectOwnCaptionWithTheWholeTitle(form);
}

TEST(MessageForm, NoWindowManagerFrameTheWholeTextAndEscapePressesItsButton) {
  const QString text = QStringLiteral("Не удалось записать файлы:\n/home/u/journals/december.xml: Нет места на "
                                      "устройстве\n/home/u/dreams.ini: Отказано в доступе");
  Tfrm_Message box(QMessageBox::Warning, QStringLiteral("Ошибка"), text);
  QPushButton* back = box.AddButton(QStringLiteral("Вернуться в программу"));
  box.AddButton(QStringLiteral("Выйти без сохранения"));
  box.SetEscapeButton(back);
  ExpectOwnCaptionWithTheWholeTitle(box);
  EXPECT_EQ(box.lbl_Text->text(), text);
  EXPECT_GE(box.lbl_Text->height(), box.lbl_Text->heightForWidth(box.lbl_Text->width()));
  EXPECT_EQ(ExecWith(box, [&] { QTest::keyClick(&box, Qt::Key_Escape); }), QDialog::Accepted);
  EXPECT_EQ(box.ClickedButton(), back);
}
