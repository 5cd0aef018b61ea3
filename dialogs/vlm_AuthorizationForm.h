#pragma once
// The authorization dialog: asks for the credentials at start-up (amLogin) or sets them
// (amParameters). The caller reads the two texts after the dialog returns.
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
  // OK is possible exactly when a name is typed (blanks count); the password plays no part.
  void edt_FirstChange();

  QString UserName() const;
  QString Password() const;

  QLabel* lbl_First = nullptr;
  QLabel* lbl_Second = nullptr;
  QLineEdit* edt_First = nullptr;
  QLineEdit* edt_Second = nullptr;
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;
};
