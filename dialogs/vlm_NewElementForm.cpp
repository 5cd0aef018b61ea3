#include "vlm_NewElementForm.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>

#include "vlm_Cp1251Validator.h"
#include "vlm_DreamCalendar.h"
#include "vlm_FileDialogLanguage.h"
#include "vlm_LibraryOps.h"
#include "vlm_MessageForm.h"
#include "vlm_Resources.h"
#include "vlm_Strings.h"

namespace {
constexpr int kClientWidth = 236;
constexpr int kClientHeight = 100;
constexpr int kOneRowHeight = 75;  // the client height of an outer height of 103 with one row


// The button's picture: three dots, drawn rather than shipped.
QIcon DefaultPicture() {
  QPixmap picture(12, 12);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.fillRect(1, 8, 2, 2, Qt::black);
  painter.fillRect(5, 8, 2, 2, Qt::black);
  painter.fillRect(9, 8, 2, 2, Qt::black);
  return QIcon(picture);
}
}  // namespace

Tfrm_NewElement::Tfrm_NewElement(QWidget* parent)
    : TCaptionedDialog(parent) {
  SetClientSize(kClientWidth, kClientHeight);
  setFont(QFont(QStringLiteral("Tahoma"), 8));

  lbl_First = new QLabel(pnl_Client);
  lbl_First->setGeometry(10, 14, 60, 13);
  edt_First = new QLineEdit(pnl_Client);
  edt_First->setGeometry(75, 10, 127, 21);
  btn_Default = new QToolButton(pnl_Client);
  btn_Default->setAutoRaise(true);
  btn_Default->setIcon(DefaultPicture());
  btn_Default->setFocusPolicy(Qt::NoFocus);
  btn_Default->setGeometry(204, 10, 21, 21);
  btn_PickDate = new QToolButton(pnl_Client);
  btn_PickDate->setAutoRaise(true);
  btn_PickDate->setArrowType(Qt::DownArrow);
  btn_PickDate->setFocusPolicy(Qt::NoFocus);
  btn_PickDate->setGeometry(181, 10, 21, 21);
  btn_PickDate->setToolTip(Text(res::HintPickDate));
  btn_PickDate->hide();
  lbl_Second = new QLabel(pnl_Client);
  lbl_Second->setGeometry(10, 42, 60, 13);
  edt_Second = new QLineEdit(pnl_Client);
  edt_Second->setGeometry(75, 38, 150, 21);
  btn_Ok = AddPushButton(Text(res::ButtonOk), QRect(10, 68, 100, 25));
  btn_Ok->setEnabled(false);
  btn_Cancel = AddPushButton(Text(res::ButtonCancel), QRect(125, 68, 100, 25));
  setTabOrder(edt_First, edt_Second);
  setTabOrder(edt_Second, btn_Ok);
  setTabOrder(btn_Ok, btn_Cancel);

  // Names, dates, numbers and titles keep what Windows-1251 can hold; a journal's path is taken
  // whole or refused whole when OK is pressed (a changed path would name another file).
  auto refused = [this](QLineEdit* edit) {
    return [this, edit](const QString& left) {
      FNote = Text(res::MsgCharactersRefused).arg(left);
      QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), FNote, edit);
    };
  };
  edt_First->setValidator(new TCp1251Validator(edt_First, refused(edt_First)));
  FTitleValidator = new TCp1251Validator(edt_Second, refused(edt_Second));
  ChooseFile = [this] { return RunSaveDialog(); };
  connect(edt_First, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(edt_Second, &QLineEdit::textChanged, this, [this] { edt_FirstChange(); });
  connect(btn_Default, &QToolButton::clicked, this, [this] { btn_DefaultClick(); });
  connect(btn_PickDate, &QToolButton::clicked, this, [this] { btn_PickDateClick(); });
  connect(btn_Ok, &QPushButton::clicked, this, [this] { btn_OkClick(); });
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  SetKeyButtons(btn_Ok, btn_Cancel);
  edt_First->setFocus();
}

void Tfrm_NewElement::SetKind(TNewElementKind kind) {
  FKind = kind;
  auto oneRow = [this] {
    lbl_Second->hide();
    edt_Second->hide();
    btn_Ok->move(btn_Ok->x(), 43);
    btn_Cancel->move(btn_Cancel->x(), 43);
    SetClientSize(kClientWidth, kOneRowHeight);
  };
  switch (kind) {
    case neCatalog:
      setWindowTitle(Text(res::TitleNewCatalog));
      lbl_First->setText(Text(res::CaptionNewName));
      edt_First->resize(150, edt_First->height());
      btn_Default->hide();
      oneRow();
      break;
    case neJournal:
      setWindowTitle(Text(res::TitleNewFile));
      lbl_First->setText(Text(res::CaptionNewName));
      edt_First->resize(150, edt_First->height());
      lbl_Second->setText(Text(res::CaptionNewPath));
      edt_Second->resize(127, edt_Second->height());
      btn_Default->move(204, 38);
      btn_Default->setToolTip(Text(res::HintChooseFileName));
      btn_Default->show();
      break;
    case neDay:
      setWindowTitle(Text(res::TitleNewDay));
      lbl_First->setText(Text(res::CaptionNewDate));
      btn_Default->move(204, 10);
      btn_Default->setToolTip(Text(res::HintCurrentDate));
      btn_Default->show();
      edt_First->resize(104, edt_First->height());
      btn_PickDate->show();
      oneRow();
      // The night just passed: its date is proposed, selected so that typing replaces it.
      edt_First->setText(TDreamCalendar::NameOfDate(Today()));
      edt_First->selectAll();
      break;
    case neExperience:
      setWindowTitle(Text(res::TitleNewExperience));
      lbl_First->setText(Text(res::CaptionNewNumber));
      edt_First->resize(150, edt_First->height());
      lbl_Second->setText(Text(res::CaptionNewTitle));
      edt_Second->setValidator(FTitleValidator);
      btn_Default->hide();
      edt_First->setText(QString::fromStdString(ProposedNumber(FNumber)));
      edt_Second->setFocus();
      break;
  }
  edt_FirstChange();
}

void Tfrm_NewElement::edt_FirstChange() {
  const bool two = FKind == neJournal || FKind == neExperience;
  btn_Ok->setEnabled(!edt_First->text().isEmpty() && (!two || !edt_Second->text().isEmpty()));
}

void Tfrm_NewElement::btn_DefaultClick() {
  if (FKind == neJournal) {
    const QString chosen = ChooseFile ? ChooseFile() : QString();
    if (chosen.isEmpty()) return;
    FChosenPath = chosen;
    edt_Second->setText(chosen);
  } else if (FKind == neDay) {
    edt_First->setText(TDreamCalendar::NameOfDate(Today()));
  }
}

void Tfrm_NewElement::btn_PickDateClick() {
  if (!cal_Popup) {
    cal_Popup = new TDreamCalendar(this);
    cal_Popup->setWindowFlags(Qt::Popup);
    auto take = [this](QDate date) {
      edt_First->setText(TDreamCalendar::NameOfDate(date));
      cal_Popup->close();
      edt_First->setFocus();
    };
    connect(cal_Popup, &QCalendarWidget::clicked, this, take);
    connect(cal_Popup, &QCalendarWidget::activated, this, take);
  }
  const QDate typed = TDreamCalendar::DateOfName(edt_First->text().toLatin1().toStdString());
  cal_Popup->setSelectedDate(typed.isValid() ? typed : Today());
  cal_Popup->adjustSize();
  cal_Popup->move(edt_First->mapToGlobal(QPoint(0, edt_First->height())));
  cal_Popup->show();
  cal_Popup->setFocus();
}

void Tfrm_NewElement::btn_OkClick() {
  // The save dialog asked before replacing its file; a path typed by hand is asked about here.
  if (FKind == neJournal && Second() != FChosenPath && AcceptTypedPath && !AcceptTypedPath(Second())) return;
  if (FKind == neDay && AcceptDay && !AcceptDay(First())) return;
  accept();
}

QString Tfrm_NewElement::First() const { return edt_First->text(); }
QString Tfrm_NewElement::Second() const { return edt_Second->text(); }

QString Tfrm_NewElement::RunSaveDialog() {
  QFileDialog dlg_SaveFile(this);
  dlg_SaveFile.setAcceptMode(QFileDialog::AcceptSave);
  dlg_SaveFile.setFileMode(QFileDialog::AnyFile);
  dlg_SaveFile.setDefaultSuffix(Text(res::DefaultExtJournal));
  dlg_SaveFile.setNameFilters(NameFilters(res::FilterJournal, false));
  ShowDatesInProgramLanguage(dlg_SaveFile);
  // An existing file is asked about here, in the look of the program's other questions; "Нет"
  // goes back to the dialog.
  dlg_SaveFile.setOption(QFileDialog::DontConfirmOverwrite, true);
  for (;;) {
    if (dlg_SaveFile.exec() != QDialog::Accepted || dlg_SaveFile.selectedFiles().isEmpty()) return {};
    const QString chosen = dlg_SaveFile.selectedFiles().constFirst();
    if (!QFileInfo::exists(chosen) || Tfrm_Message::AskReplaceFile(this, chosen)) return chosen;
  }
}
