#pragma once
// The authorization dialog: asks for the credentials at start-up (amLogin) or sets them
// (amParameters). The caller reads the two texts after the dialog returns.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

enum TAuthorizationMode { amLogin = 0, amParameters = 1 };

class Tfrm_Authorization : public QDialog {
  Q_OBJECT
public:
  explicit Tfrm_Authorization(QWidget* parent = nullptr);

  // Caption and buttons for the mode; called once before showing.
  void SetMode(TAuthorizationMode mode);
  // OK is possible exactly when a name is typed (blanks count); the password plays no part.
  void edt_FirstChange();

  QString UserName() const;
  QString Password() const;

  // The dialog's own title bar and the client area below it that holds the controls as designed.
  // Window managers differ in which border buttons they draw (openbox draws minimise, maximise and
  // close on any dialog with a title and then cuts the title), so the window has no frame of the
  // window manager's and shows its title itself.
  QLabel* lbl_Caption = nullptr;
  QWidget* pnl_Client = nullptr;
  static constexpr int kCaptionHeight = 20;

  QLabel* lbl_First = nullptr;
  QLabel* lbl_Second = nullptr;
  QLineEdit* edt_First = nullptr;
  QLineEdit* edt_Second = nullptr;
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

protected:
  // Enter acts only on a focused button and Escape does nothing: neither button is the
  // dialog's default or cancel button.
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // Dragging the title bar moves the dialog.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QPoint FDragOffset;
  bool FDragging = false;
};
