#include "vlm_MessageForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

#include "vlm_Resources.h"

namespace {
constexpr int kMargin = 10;
constexpr int kIconSize = 32;
constexpr int kTextLeft = kMargin + kIconSize + 12;
constexpr int kWrapWidth = 360;  // text is wrapped to this width where it has blanks
constexpr int kMaxTextWidth = 800;  // a longer word (a path) is cut off here
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 10;

QStyle::StandardPixmap StandardPicture(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Warning:
      return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Critical:
      return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
      return QStyle::SP_MessageBoxQuestion;
    default:
      return QStyle::SP_MessageBoxInformation;
  }
}
}  // namespace

Tfrm_Message::Tfrm_Message(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent)
    : TCaptionedDialog(parent) {
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  setWindowTitle(title);
  img_Icon = new QLabel(pnl_Client);
  img_Icon->setPixmap(style()->standardIcon(StandardPicture(icon), nullptr, this).pixmap(kIconSize, kIconSize));
  img_Icon->setGeometry(kMargin, kMargin, kIconSize, kIconSize);
  lbl_Text = new QLabel(pnl_Client);
  lbl_Text->setTextFormat(Qt::PlainText);  // paths and names are shown as they are
  lbl_Text->setWordWrap(true);
  lbl_Text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lbl_Text->setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path can be copied
  lbl_Text->setText(text);
  Arrange();
}

QPushButton* Tfrm_Message::AddButton(const QString& caption) {
  QPushButton* button = AddPushButton(caption, QRect());
  connect(button, &QPushButton::clicked, this, [this, button] {
    FClicked = button;
    accept();
  });
  FButtons.push_back(button);
  Arrange();
  return button;
}

bool Tfrm_Message::AskReplaceFile(QWidget* parent, const QString& file) {
  Tfrm_Message box(QMessageBox::Question, QString::fromUtf8(res::TitleConfirmation),
                   QString::fromUtf8(res::MsgReplaceFile).arg(file), parent);
  QPushButton* yes = box.AddButton(QString::fromUtf8(res::ButtonYes));
  QPushButton* no = box.AddButton(QString::fromUtf8(res::ButtonNo));
  box.SetDefaultButton(no);
  box.SetEscapeButton(no);
  box.exec();
  return box.ClickedButton() == yes;
}

void Tfrm_Message::Arrange() {
  const QFontMetrics metrics(lbl_Text->font());
  const QRect wrapped = metrics.boundingRect(QRect(0, 0, kWrapWidth, 1 << 20), Qt::TextWordWrap, lbl_Text->text());
  const int textWidth = std::clamp(wrapped.width() + 2, 1, kMaxTextWidth);
  const int textHeight = std::max(lbl_Text->heightForWidth(textWidth), metrics.height());

  int rowWidth = 0;
  for (QPushButton* button : FButtons)
    rowWidth += std::max(kButtonWidth, button->sizeHint().width()) + (rowWidth ? kButtonGap : 0);
  const int titleWidth = QFontMetrics(lbl_Caption->font()).horizontalAdvance(windowTitle()) + 2 * lbl_Caption->indent();
  const int width = std::max({kTextLeft + textWidth + kMargin, rowWidth + 2 * kMargin, titleWidth + kMargin});
  const int top = kMargin + std::max(kIconSize, textHeight) + 12;
  SetClientSize(width, top + kButtonHeight + kMargin);

  lbl_Text->setGeometry(kTextLeft, kMargin, textWidth, textHeight);
  int x = (width - rowWidth) / 2;
  for (QPushButton* button : FButtons) {
    const int w = std::max(kButtonWidth, button->sizeHint().width());
    button->setGeometry(x, top, w, kButtonHeight);
    x += w + kButtonGap;
  }
}

void Tfrm_Message::showEvent(QShowEvent* event) {
  TCaptionedDialog::showEvent(event);
  if (QPushButton* focused = FDefault ? FDefault : (FButtons.empty() ? nullptr : FButtons.front())) focused->setFocus();
}

void Tfrm_Message::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && FEscape) {
    FEscape->click();
    event->accept();
    return;
  }
  TCaptionedDialog::keyPressEvent(event);
}
