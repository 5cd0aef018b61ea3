#include "vlm_AboutForm.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QToolButton>
#include <algorithm>

#include "vlm_Resources.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0"
#endif
#ifndef VELMORA_BUILD
#define VELMORA_BUILD "0"
#endif

namespace {
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);

QFont PixelFont(const QString& family, int pixels, bool bold = false, bool italic = false) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

QFont Tahoma(int pixels, bool bold = false) { return PixelFont(QStringLiteral("Tahoma"), pixels, bold); }

// A style sheet, since the style may draw labels in its own text colour.
void Colour(QLabel* label, const QColor& colour) {
  label->setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(colour.name()));
}

QLabel* Label(QWidget* parent, const QString& text, const QPoint& at, const QFont& font, const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  Colour(label, colour);
  label->adjustSize();
  label->move(at);
  return label;
}
}  // namespace

Tfrm_About::Tfrm_About(std::function<void(const QUrl&)> openUrl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), FOpenUrl(std::move(openUrl)) {
  setFixedSize(400, 300);
  setFont(Tahoma(11));
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);

  pnl_Border = new QFrame(this);
  pnl_Border->setGeometry(0, 0, 400, 300);
  pnl_Border->setFrameStyle(QFrame::Panel | QFrame::Raised);
  pnl_Border->setLineWidth(2);

  img_About = new QLabel(pnl_Border);
  img_About->setGeometry(2, 2, 233, 296);
  img_About->setPixmap(QPixmap(QLatin1String(kPicturePath)));

  const QString name = QString::fromUtf8(res::AppTitle);
  // The title stands on the picture whatever font stands in for the designed one: moved left,
  // and made smaller when that is not enough, so that the picture's edge never cuts it.
  const int rightmost = img_About->geometry().right() - 4 - 1;  // a margin, and the shadow's pixel
  const int leftmost = img_About->x() + 4;
  QFont titleFont = PixelFont(QString::fromUtf8(res::AboutFontTitle), 53, true, true);
  int left = 41;
  for (int pixels = 53; pixels >= 20; --pixels) {
    titleFont.setPixelSize(pixels);
    const QRect ink = QFontMetrics(titleFont).boundingRect(name);
    left = std::min(41, rightmost - ink.right());
    if (left + ink.left() >= leftmost) break;
  }
  lbl_Title_2 = Label(pnl_Border, name, QPoint(left + 1, 3), titleFont, kNavy);
  lbl_Title_1 = Label(pnl_Border, name, QPoint(left, 1), titleFont, kBlue);
  for (QLabel* title : {lbl_Title_2, lbl_Title_1}) title->resize(348, 62);

  lbl_Version = Label(pnl_Border,
                      QString::fromUtf8(res::AboutVersion)
                          .arg(QStringLiteral(VELMORA_VERSION "." VELMORA_BUILD)),
                      QPoint(240, 58), Tahoma(11), kNavy);

  mmo_Intro = new QPlainTextEdit(pnl_Border);
  mmo_Intro->setGeometry(239, 75, 155, 110);
  mmo_Intro->setReadOnly(true);
  mmo_Intro->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mmo_Intro->setFont(Tahoma(9));
  mmo_Intro->setBackgroundRole(QPalette::Button);
  QPalette memo = mmo_Intro->palette();
  memo.setColor(QPalette::Base, memo.color(QPalette::Button));
  mmo_Intro->setPalette(memo);
  mmo_Intro->setPlainText(QString::fromUtf8(res::AboutIntro));

  lbl_Notice = Label(pnl_Border, QString::fromUtf8(res::AboutNotice), QPoint(240, 189), Tahoma(11), kNavy);
  lbl_Credit_1 = Label(pnl_Border, QString::fromUtf8(res::AboutCredit1), QPoint(240, 203), Tahoma(11), kNavy);
  lbl_Credit_2 = Label(pnl_Border, QString::fromUtf8(res::AboutCredit2), QPoint(240, 217), Tahoma(11), kNavy);
  lbl_Credit_3 = Label(pnl_Border, QString::fromUtf8(res::AboutCredit3), QPoint(240, 230), Tahoma(11), kNavy);

  // The address without its scheme, as a reader would write it.
  QString shown = QString::fromUtf8(res::MakerWebAddress);
  shown.remove(QStringLiteral("https://"));
  if (shown.endsWith(QLatin1Char('/'))) shown.chop(1);
  lbl_Link = Label(pnl_Border, shown, QPoint(269, 247), Tahoma(11, true), kBlue);
  lbl_Link->setCursor(Qt::PointingHandCursor);
  lbl_Link->setToolTip(QString::fromUtf8(res::MakerWebAddress));
  lbl_Link->installEventFilter(this);

  bvl_Border = new QFrame(pnl_Border);
  bvl_Border->setGeometry(239, 263, 155, 5);
  bvl_Border->setFrameStyle(QFrame::HLine | QFrame::Sunken);

  btn_Exit = new QToolButton(pnl_Border);
  btn_Exit->setGeometry(239, 269, 155, 26);
  btn_Exit->setAutoRaise(true);
  btn_Exit->setText(QString::fromUtf8(res::ButtonClose));
  btn_Exit->setIcon(QIcon(QPixmap(QLatin1String(kExitGlyphPath))));
  btn_Exit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(btn_Exit, &QToolButton::clicked, this, [this] { btn_ExitClick(); });
}

void Tfrm_About::btn_ExitClick() { accept(); }

void Tfrm_About::lbl_LinkClick() {
  if (FOpenUrl) FOpenUrl(QUrl(QString::fromUtf8(res::MakerWebAddress)));
}

bool Tfrm_About::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbl_Link && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // A press dragged off the link and released elsewhere opens nothing.
    if (mouse->button() == Qt::LeftButton && lbl_Link->rect().contains(mouse->position().toPoint())) {
      lbl_LinkClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
