#pragma once
// The confirmation dialog: a yes/no question before an item is deleted, with a check box that
// switches the question off. The caller sets the question, shows it and reads the answer and the
// box; the dialog has no behaviour of its own beyond closing.
#include "vlm_CaptionedDialog.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

class Tfrm_Confirmation : public TCaptionedDialog {
  Q_OBJECT
public:
  explicit Tfrm_Confirmation(QWidget* parent = nullptr);

  void SetQuestion(const QString& question);
  bool ShowAgainChecked() const;

  QLabel* img_Icon = nullptr;
  QLabel* lbl_Confirmation = nullptr;
  QFrame* bvl_Border = nullptr;
  QCheckBox* box_ShowAgain = nullptr;
  QPushButton* btn_Ok = nullptr;
  QPushButton* btn_Cancel = nullptr;

protected:
  void showEvent(QShowEvent* event) override;
};
