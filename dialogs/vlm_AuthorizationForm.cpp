#include "vlm_AuthorizationForm.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
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

Tfrm_Authorization::Tfrm_Authorization(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  // A one-pixel border around the title bar and the client area.
  setFixedSize(kClientWidth + 2, kCaptionHeight + kClientHeight + 2);
  // "MS Sans Serif" is substituted by Tahoma where the program registers its fonts.
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

  lbl_Caption = new QLabel(this);
  lbl_Caption->setGeometry(1, 1, kClientWidth, kCaptionHeight);
  lbl_Caption->setIndent(6);
  lbl_Caption->setAutoFillBackground(true);
  lbl_Caption->setBackgroundRole(QPalette::Highlight);
  lbl_Caption->setForegroundRole(QPalette::HighlightedText);
  QFont bold = font();
  bold.setBold(true);
  lbl_Caption->setFont(bold);
  lbl_Caption->installEventFilter(this);
  pnl_Client = new QWidget(this);
  pnl_Client->setGeometry(1, 1 + kCaptionHeight, kClientWidth, kClientHeight);

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

  btn_Ok = new QPushButton(QString::fromUtf8(res::ButtonOk), pnl_Client);
  btn_Ok->setGeometry(kOkDesignLeft, 68, 100, 25);
  btn_Ok->setEnabled(false);
  btn_Cancel = new QPushButton(QString::fromUtf8(res::ButtonCancel), pnl_Client);
  btn_Cancel->setGeometry(125, 68, 100, 25);
  for (QPushButton* b : {btn_Ok, btn_Cancel}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  setTabOrder(edt_First, edt_Second);
  setTabOrder(edt_Second, btn_Ok);
  setTabOrder(btn_Ok, btn_Cancel);

  connect(edt_First, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(edt_Second, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(btn_Ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
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

void Tfrm_Authorization::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) lbl_Caption->setText(windowTitle());
  QDialog::changeEvent(event);
}

void Tfrm_Authorization::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool Tfrm_Authorization::eventFilter(QObject* watched, QEvent* event) {
  if (watched != lbl_Caption) return QDialog::eventFilter(watched, event);
  auto* mouse = static_cast<QMouseEvent*>(event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) break;
      // The window manager moves the window where it can; otherwise the dialog follows the mouse.
      if (windowHandle() && windowHandle()->startSystemMove()) return true;
      FDragging = true;
      FDragOffset = mouse->globalPosition().toPoint() - pos();
      return true;
    case QEvent::MouseMove:
      if (FDragging) move(mouse->globalPosition().toPoint() - FDragOffset);
      return FDragging;
    case QEvent::MouseButtonRelease:
      FDragging = false;
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

void Tfrm_Authorization::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      event->accept();
      return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
        button->click();
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}
