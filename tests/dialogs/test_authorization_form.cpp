// The authorization dialog: its two modes, the OK button's rule, and its keys.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "captioned_dialog_checks.h"
#include "vlm_AuthorizationForm.h"

TEST(AuthorizationFormTest, ControlsAsDesigned) {
  Tfrm_Authorization form;
  EXPECT_EQ(form.pnl_Client->size(), QSize(236, 100));
  EXPECT_EQ(form.lbl_First->text(), QStringLiteral("Имя:"));
  EXPECT_EQ(form.lbl_Second->text(), QStringLiteral("Пароль:"));
  EXPECT_EQ(form.lbl_Second->geometry(), QRect(10, 42, 50, 13));
  EXPECT_EQ(form.edt_First->geometry(), QRect(65, 10, 160, 21));
  EXPECT_EQ(form.edt_Second->geometry(), QRect(65, 38, 160, 21));
  EXPECT_EQ(form.edt_Second->echoMode(), QLineEdit::Password);
  form.edt_Second->setText(QStringLiteral("ab"));
  EXPECT_EQ(form.edt_Second->displayText(), QStringLiteral("**"));
  EXPECT_EQ(form.btn_Cancel->geometry(), QRect(125, 68, 100, 25));
  EXPECT_EQ(form.btn_Ok->text(), QStringLiteral("Ok"));
  EXPECT_EQ(form.btn_Cancel->text(), QStringLiteral("Отмена"));
}

TEST(AuthorizationFormTest, NoWindowManagerFrameAndTheWholeTitleShows) {
  for (const TAuthorizationMode mode : {amLogin, amParameters}) {
    Tfrm_Authorization form;
    form.SetMode(mode);
    ExpectOwnCaptionWithTheWholeTitle(form);
  }
}

TEST(AuthorizationFormTest, ModesArrangeCaptionAndButtons) {
  Tfrm_Authorization login;
  login.SetMode(amLogin);
  login.show();
  EXPECT_EQ(login.windowTitle(), QStringLiteral("Авторизация"));
  EXPECT_FALSE(login.btn_Cancel->isVisible());
  EXPECT_EQ(login.btn_Ok->geometry(), QRect(72, 68, 100, 25));

  Tfrm_Authorization parameters;
  parameters.SetMode(amParameters);
  parameters.show();
  EXPECT_EQ(parameters.windowTitle(), QStringLiteral("Параметры авторизации"));
  EXPECT_TRUE(parameters.btn_Cancel->isVisible());
  // Below the repeated password and the choice to encrypt.
  EXPECT_EQ(parameters.btn_Ok->geometry(), QRect(10, 188, 100, 25));
  EXPECT_EQ(parameters.btn_Cancel->geometry(), QRect(125, 188, 100, 25));
  EXPECT_FALSE(login.edt_Repeat->isVisible());
  EXPECT_FALSE(login.lbl_Protection->isVisible());
}

// Setting a password asks for it twice, and says plainly what it protects.
TEST(AuthorizationFormTest, SettingAPasswordAsksForItTwiceAndSaysWhatItKeepsOut) {
  Tfrm_Authorization form;
  form.SetMode(amParameters);
  form.show();
  EXPECT_TRUE(form.lbl_Protection->isVisible());
  EXPECT_TRUE(form.lbl_Protection->text().contains(QStringLiteral("только окно программы")));
  EXPECT_TRUE(form.lbl_Protection->text().contains(QStringLiteral("обычным текстом")));
  // Encrypting says plainly what a lost password costs.
  EXPECT_FALSE(form.Encrypt());
  form.chk_Encrypt->click();
  EXPECT_TRUE(form.Encrypt());
  EXPECT_TRUE(form.lbl_Protection->text().contains(QStringLiteral("Забытый пароль — потерянный дневник")));
  QTest::keyClicks(form.edt_First, QStringLiteral("user"));
  QTest::keyClicks(form.edt_Second, QStringLiteral("secret"));
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  QTest::keyClicks(form.edt_Repeat, QStringLiteral("secrt"));
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  EXPECT_TRUE(form.lbl_Mismatch->isVisible());
  form.edt_Repeat->setText(QStringLiteral("secret"));
  EXPECT_TRUE(form.btn_Ok->isEnabled());
  EXPECT_FALSE(form.lbl_Mismatch->isVisible());
  EXPECT_EQ(form.Password(), QStringLiteral("secret"));
}

TEST(AuthorizationFormTest, OkNeedsANameWhateverThePassword) {
  Tfrm_Authorization form;
  form.SetMode(amLogin);
  form.show();
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  QTest::keyClicks(form.edt_Second, QStringLiteral("secret"));
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  QTest::keyClicks(form.edt_First, QStringLiteral(" "));  // a blank counts
  EXPECT_TRUE(form.btn_Ok->isEnabled());
  QTest::keyClick(form.edt_First, Qt::Key_Backspace);
  EXPECT_FALSE(form.btn_Ok->isEnabled());
  // Typed one character at a time, as a user types Cyrillic.
  QTest::sendKeyEvent(QTest::Click, form.edt_First, Qt::Key_unknown, QStringLiteral("Ж"), Qt::NoModifier);
  EXPECT_TRUE(form.btn_Ok->isEnabled());
  EXPECT_EQ(form.UserName(), QStringLiteral("Ж"));
  EXPECT_EQ(form.Password(), QStringLiteral("secret"));
}

TEST(AuthorizationFormTest, EnterAcceptsWhereOkWouldAndEscapeCancels) {
  Tfrm_Authorization form;
  form.SetMode(amParameters);
  form.show();
  QTest::keyClick(form.edt_First, Qt::Key_Return);  // no name yet: OK could not be pressed
  EXPECT_TRUE(form.isVisible());
  QTest::keyClicks(form.edt_First, QStringLiteral("user"));
  QTest::keyClick(form.edt_Second, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);

  form.show();
  QTest::keyClick(form.edt_First, Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Rejected);

  // At the login, without Cancel, Escape closes the dialog as its close box does.
  Tfrm_Authorization login;
  login.SetMode(amLogin);
  login.show();
  QTest::keyClick(login.edt_First, Qt::Key_Escape);
  EXPECT_FALSE(login.isVisible());
  EXPECT_EQ(login.result(), QDialog::Rejected);

  form.show();
  form.btn_Cancel->setFocus();
  QTest::keyClick(form.btn_Cancel, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Rejected);

  form.show();
  form.btn_Ok->setFocus();
  QTest::keyClick(form.btn_Ok, Qt::Key_Enter);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(AuthorizationFormTest, TheWindowManagersCloseCancels) {
  Tfrm_Authorization form;
  form.SetMode(amLogin);
  form.show();
  QTest::keyClicks(form.edt_First, QStringLiteral("user"));
  form.close();
  EXPECT_EQ(form.result(), QDialog::Rejected);
}
