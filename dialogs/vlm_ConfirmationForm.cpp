#include "vlm_ConfirmationForm.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "vlm_Resources.h"
#include "vlm_Strings.h"

namespace {

// A white speech balloon holding a blue question mark, 32 by 32.
QPixmap QuestionPicture() {
  QPixmap picture(32, 32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPainterPath balloon;
  balloon.addEllipse(QRectF(1, 1, 29, 23));
  QPolygonF tail;
  tail << QPointF(8, 20) << QPointF(5, 30) << QPointF(15, 22);
  balloon.addPolygon(tail);
  balloon = balloon.simplified();
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::white);
  painter.drawPath(balloon);
  QFont font(QStringLiteral("Tahoma"), 14);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 0xC0));
  painter.drawText(QRect(1, 1, 29, 23), Qt::AlignCenter, QStringLiteral("?"));
  return picture;
}
}  // namespace

Tfrm_Confirmation::Tfrm_Confirmation(QWidget* parent)
    : TCaptionedDialog(parent) {
  setWindowTitle(Text(res::TitleConfirmation));
  SetClientSize(280, 128);
  setFont(QFont(QStringLiteral("Tahoma"), 8));

  img_Icon = new QLabel(pnl_Client);
  img_Icon->setGeometry(10, 7, 32, 32);
  img_Icon->setAlignment(Qt::AlignCenter);
  img_Icon->setPixmap(QuestionPicture());
  lbl_Confirmation = new QLabel(pnl_Client);
  lbl_Confirmation->setGeometry(55, 7, 220, 60);
  lbl_Confirmation->setWordWrap(true);
  lbl_Confirmation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  bvl_Border = new QFrame(pnl_Client);
  bvl_Border->setFrameShape(QFrame::HLine);
  bvl_Border->setFrameShadow(QFrame::Sunken);
  bvl_Border->setGeometry(5, 73, 268, 2);  // the line along the top edge of the designed 6 pixels
  box_ShowAgain = new QCheckBox(Text(res::CaptionShowAgain), pnl_Client);
  box_ShowAgain->setGeometry(10, 76, 225, 17);
  btn_Ok = AddPushButton(Text(res::ButtonYes), QRect(34, 98, 100, 25));
  btn_Cancel = AddPushButton(Text(res::ButtonNo), QRect(147, 98, 100, 25));
  setTabOrder(btn_Ok, btn_Cancel);
  setTabOrder(btn_Cancel, box_ShowAgain);
  connect(btn_Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  SetKeyButtons(btn_Ok, btn_Cancel);
}

void Tfrm_Confirmation::SetQuestion(const QString& question) { lbl_Confirmation->setText(question); }

bool Tfrm_Confirmation::ShowAgainChecked() const { return box_ShowAgain->isChecked(); }

void Tfrm_Confirmation::showEvent(QShowEvent* event) {
  TCaptionedDialog::showEvent(event);
  btn_Ok->setFocus();  // Enter answers "Да"
}
