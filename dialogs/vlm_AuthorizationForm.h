#pragma once
// The authorization dialog: asks for the credentials at start-up (amLogin) or sets them
// (amParameters). Setting them asks for the password twice, and says what the password protects:
// the window only, while the journals stay readable text on disk. The caller reads the two texts
// after the dialog returns.
#include "vlm_CaptionedDialog.h"

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

  QLabel* lbl_First = nullptr;
  QLabel* lbl_Second = nullptr;
  QLineEdit* edt_First = nullptr;
  QLineEdit* edt_Second = nullptr;
  QLabel* lbl_Repeat = nullptr;      // setting only: the password once more
  QLineEdit* edt_Repeat = nullptr;
  QLabel* lbl_Mismatch = nullptr;    // shown while the two differ
  QLabel* lbl_Protection = nullptr;  // what the password keeps out, and what it does not
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

private:
  TAuthorizationMode FMode = amLogin;
};
