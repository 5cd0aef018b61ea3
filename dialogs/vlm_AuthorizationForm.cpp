#include "vlm_AuthorizationForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "vlm_Resources.h"

namespace {
constexpr int kClientWidth = 236;
constexpr int kClientHeight = 100;
constexpr int kOkLoginLeft = 72;  // centred under the fields when Cancel is hidden
constexpr int kOkDesignLeft = 10;
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

  btn_Ok = AddPushButton(QString::fromUtf8(res::ButtonOk), QRect(kOkDesignLeft, 68, 100, 25));
  btn_Ok->setEnabled(false);
  btn_Cancel = AddPushButton(QString::fromUtf8(res::ButtonCancel), QRect(125, 68, 100, 25));
  setTabOrder(edt_First, edt_Second);
  setTabOrder(edt_Second, btn_Ok);
  setTabOrder(btn_Ok, btn_Cancel);

  connect(edt_First, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(edt_Second, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(btn_Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  SetKeyButtons(btn_Ok, btn_Cancel);  // Escape at the login, without Cancel, closes it as its close box does
  edt_First->setFocus();
}

void Tfrm_Authorization::SetMode(TAuthorizationMode mode) {
  if (mode == amLogin) {
    setWindowTitle(QString::fromUtf8(res::TitleLogin));
    btn_Cancel->hide();
    btn_Ok->move(kOkLoginLeft, btn_Ok->y());
  } else {
    setWindowTitle(QString::fromUtf8(res::TitleAuthorizationParameters));
    btn_Cancel->show();
    btn_Ok->move(kOkDesignLeft, btn_Ok->y());
  }
}

void Tfrm_Authorization::edt_FirstChange() { btn_Ok->setEnabled(!edt_First->text().isEmpty()); }

QString Tfrm_Authorization::UserName() const { return edt_First->text(); }
QString Tfrm_Authorization::Password() const { return edt_Second->text(); }
