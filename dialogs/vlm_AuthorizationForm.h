#pragma once
// The authorization dialog: asks for the credentials at start-up (amLogin) or sets them
// (amParameters). Setting them asks for the password twice, offers to encrypt the journals with it,
// and says what the password protects: the window only, while the journals stay readable text on
// disk, or, encrypted, the journals themselves, lost with the password. The caller reads the texts
// and the choice after the dialog returns.
#include "vlm_CaptionedDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

enum TAuthorizationMode { amLogin = 0, amParameters = 1 };

class Tfrm_Authorization : public TCaptionedDialog {
  Q_OBJECT
public:
  explicit Tfrm_Authorization(QWidget* parent = nullptr);

  // Caption and buttons for the mode; called once before showing.
  void SetMode(TAuthorizationMode mode);
  // OK is possible exactly when a name is typed (blanks count) and, when setting the credentials,
  // the password is typed the same way twice.
  void edt_FirstChange();

  QString UserName() const;
  QString Password() const;
  // Setting only: whether the journals are to be encrypted (proposed as they are now).
  void SetEncrypt(bool encrypt);
  bool Encrypt() const;

  QLabel* lbl_First = nullptr;
  QLabel* lbl_Second = nullptr;
  QLineEdit* edt_First = nullptr;
  QLineEdit* edt_Second = nullptr;
  QLabel* lbl_Repeat = nullptr;      // setting only: the password once more
  QLineEdit* edt_Repeat = nullptr;
  QLabel* lbl_Mismatch = nullptr;    // shown while the two differ
  QCheckBox* chk_Encrypt = nullptr;  // setting only: "Шифровать дневники этим паролем"
  QLabel* lbl_Protection = nullptr;  // what the password keeps out, and what it does not
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

private:
  TAuthorizationMode FMode = amLogin;
};
