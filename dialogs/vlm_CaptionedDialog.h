#pragma once
// The base of the small modal dialogs: a window without the window manager's frame that shows
// its title itself. Window managers differ in which border buttons they draw (openbox draws
// minimise, maximise and close on any dialog with a title and then cuts the title short), so the
// dialog draws a caption bar that follows windowTitle(), a client panel below it that holds the
// designed controls, and a one-pixel border around both. Dragging the caption moves the dialog.
//
// Enter presses a focused, enabled push button; elsewhere it presses the dialog's accept button
// when that is enabled (so Enter accepts exactly when OK could be pressed). Escape presses the
// cancel button, or rejects the dialog when that is hidden; in a dialog without one it does
// nothing. No push button draws itself as the default one.
#include <QDialog>
#include <QPoint>

class QLabel;
class QPushButton;

class TCaptionedDialog : public QDialog {
  Q_OBJECT
public:
  explicit TCaptionedDialog(QWidget* parent = nullptr);

  // Sizes the client panel to the designed client size and the window around it.
  void SetClientSize(int width, int height);

  QLabel* lbl_Caption = nullptr;
  QWidget* pnl_Client = nullptr;
  static constexpr int kCaptionHeight = 20;
  static constexpr int kBorderWidth = 1;

protected:
  // A push button in the client panel that is never the dialog's default button.
  QPushButton* AddPushButton(const QString& caption, const QRect& place);
  // The buttons Enter and Escape press (see above).
  void SetKeyButtons(QPushButton* accept, QPushButton* cancel) {
    FAcceptButton = accept;
    FCancelButton = cancel;
  }
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void UpdateCaptionFont();

  QPoint FDragOffset;
  bool FDragging = false;
  QPushButton* FAcceptButton = nullptr;
  QPushButton* FCancelButton = nullptr;
};
