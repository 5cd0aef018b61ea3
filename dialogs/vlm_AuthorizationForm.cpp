#include "vlm_AuthorizationForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "vlm_EncryptionResources.h"
#include "vlm_Resources.h"

namespace {
constexpr int kClientWidth = 236;
constexpr int kClientHeight = 100;
constexpr int kOkLoginLeft = 72;  // centred under the fields when Cancel is hidden
constexpr int kOkDesignLeft = 10;
constexpr int kButtonsTop = 68;
// Setting the credentials: the repeated password and the note about it above the buttons.
constexpr int kParametersHeight = 220;
constexpr int kParametersButtonsTop = 188;
}  // namespace

Tfrm_Authorization::Tfrm_Authorization(QWidget* parent) : TCaptionedDialog(parent) {
  SetClientSize(kClientWidth, kClientHeight);
  // "MS Sans Serif" is substituted by Tahoma where the program registers its fonts.
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

  lbl_First = new QLabel(QString::fromUtf8(res::CaptionUserName), pnl_Client);
  lbl_First->setGeometry(10, 14, 50, 13);
  lbl_Second = new QLabel(QString::fromUtf8(res::CaptionPassword), pnl_Client);
  lbl_Second->setGeometry(10, 42, 50, 13);

  edt_First = new QLineEdit(pnl_Client);
  edt_First->setGeometry(65, 10, 160, 21);
  edt_Second = new QLineEdit(pnl_Client);
  edt_Second->setGeometry(65, 38, 160, 21);
  edt_Second->setEchoMode(QLineEdit::Password);
  // The style's own mask character is a bullet; the design shows "*".
  edt_Second->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }")
                                .arg(QString::fromUtf8(res::PasswordChar).at(0).unicode()));

  lbl_Repeat = new QLabel(QString::fromUtf8(res::CaptionPasswordRepeat), pnl_Client);
  lbl_Repeat->setGeometry(10, 70, 55, 13);
  edt_Repeat = new QLineEdit(pnl_Client);
  edt_Repeat->setGeometry(65, 66, 160, 21);
  edt_Repeat->setEchoMode(QLineEdit::Password);
  edt_Repeat->setStyleSheet(edt_Second->styleSheet());
  lbl_Mismatch = new QLabel(QString::fromUtf8(res::MsgPasswordsDiffer), pnl_Client);
  lbl_Mismatch->setGeometry(65, 89, 160, 13);
  lbl_Mismatch->setStyleSheet(QStringLiteral("color: #b00000;"));
  lbl_Protection = new QLabel(QString::fromUtf8(res::MsgPasswordProtects), pnl_Client);
  chk_Encrypt = new QCheckBox(QString::fromUtf8(res::CaptionEncrypt), pnl_Client);
  chk_Encrypt->setGeometry(10, 104, 216, 19);
  lbl_Protection->setGeometry(10, 126, 216, 56);
  lbl_Protection->setWordWrap(true);
  lbl_Protection->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  for (QWidget* w : {static_cast<QWidget*>(lbl_Repeat), static_cast<QWidget*>(edt_Repeat),
                     static_cast<QWidget*>(lbl_Mismatch), static_cast<QWidget*>(lbl_Protection),
                     static_cast<QWidget*>(chk_Encrypt)})
    w->hide();

  btn_Ok = AddPushButton(QString::fromUtf8(res::ButtonOk), QRect(kOkDesignLeft, kButtonsTop, 100, 25));
  btn_Ok->setEnabled(false);
  btn_Cancel = AddPushButton(QString::fromUtf8(res::ButtonCancel), QRect(125, kButtonsTop, 100, 25));
  setTabOrder(edt_First, edt_Second);
  setTabOrder(edt_Second, edt_Repeat);
  setTabOrder(edt_Repeat, chk_Encrypt);
  setTabOrder(chk_Encrypt, btn_Ok);
  setTabOrder(btn_Ok, btn_Cancel);

  connect(edt_First, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(edt_Second, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(edt_Repeat, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(chk_Encrypt, &QCheckBox::toggled, this, [this](bool on) {
    lbl_Protection->setText(QString::fromUtf8(on ? res::MsgPasswordEncrypts : res::MsgPasswordProtects));
  });
  connect(btn_Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  SetKeyButtons(btn_Ok, btn_Cancel);  // Escape at the login, without Cancel, closes it as its close box does
  edt_First->setFocus();
}

void Tfrm_Authorization::SetMode(TAuthorizationMode mode) {
  FMode = mode;
  const bool setting = mode == amParameters;
  for (QWidget* w : {static_cast<QWidget*>(lbl_Repeat), static_cast<QWidget*>(edt_Repeat),
                     static_cast<QWidget*>(lbl_Protection), static_cast<QWidget*>(chk_Encrypt)})
    w->setVisible(setting);
  SetClientSize(kClientWidth, setting ? kParametersHeight : kClientHeight);
  const int top = setting ? kParametersButtonsTop : kButtonsTop;
  if (mode == amLogin) {
    setWindowTitle(QString::fromUtf8(res::TitleLogin));
    btn_Cancel->hide();
    btn_Ok->move(kOkLoginLeft, top);
  } else {
    setWindowTitle(QString::fromUtf8(res::TitleAuthorizationParameters));
    btn_Cancel->show();
    btn_Ok->move(kOkDesignLeft, top);
  }
  btn_Cancel->move(btn_Cancel->x(), top);
  edt_FirstChange();
}

void Tfrm_Authorization::edt_FirstChange() {
  // A password typed once could hold a slip that locks the user out at the next start.
  const bool agree = FMode != amParameters || edt_Second->text() == edt_Repeat->text();
  lbl_Mismatch->setVisible(FMode == amParameters && !agree && !edt_Repeat->text().isEmpty());
  btn_Ok->setEnabled(!edt_First->text().isEmpty() && agree);
}

QString Tfrm_Authorization::UserName() const { return edt_First->text(); }
QString Tfrm_Authorization::Password() const { return edt_Second->text(); }

void Tfrm_Authorization::SetEncrypt(bool encrypt) { chk_Encrypt->setChecked(encrypt); }
bool Tfrm_Authorization::Encrypt() const { return FMode == amParameters && chk_Encrypt->isChecked(); }
