#include "vlm_UserInteraction.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

#include "vlm_ConfirmationForm.h"
#include "vlm_AboutForm.h"
#include "vlm_FileDialogLanguage.h"
#include "vlm_MessageForm.h"
#include "vlm_Pictures.h"
#include "vlm_ProgressWindow.h"
#include "vlm_Resources.h"
#include "vlm_RestoreForm.h"

namespace {
// A window that is not shown yet (the login at start-up) cannot place a dialog: the screen does.
QWidget* Owner(QWidget* parent) { return parent && parent->isVisible() ? parent : nullptr; }

// Where nothing answers the seam: no window, never cancelled.
class TSilentProgress : public TProgressWindow {
public:
  bool Step(qint64, qint64) override { return true; }
  void SetText(const QString&, bool) override {}
};

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const char* title, const QString& text) {
  Tfrm_Message box(icon, QString::fromUtf8(title), text, Owner(parent));
  box.SetEscapeButton(box.AddButton(QString::fromUtf8(res::ButtonOk)));
  box.exec();
}
}  // namespace

TLoginResult TQtUserInteraction::AskCredentials(QWidget* parent, TAuthorizationMode mode) {
  Tfrm_Authorization dialog(Owner(parent));
  dialog.SetMode(mode);
  TLoginResult result;
  result.Accepted = dialog.exec() == QDialog::Accepted;
  result.UserName = dialog.UserName();
  result.Password = dialog.Password();
  return result;
}

TLoginResult TQtUserInteraction::AskNewCredentials(QWidget* parent, bool encrypted) {
  Tfrm_Authorization dialog(Owner(parent));
  dialog.SetMode(amParameters);
  dialog.SetEncrypt(encrypted);
  TLoginResult result;
  result.Accepted = dialog.exec() == QDialog::Accepted;
  result.UserName = dialog.UserName();
  result.Password = dialog.Password();
  result.Encrypt = dialog.Encrypt();
  return result;
}

void TQtUserInteraction::ShowError(QWidget* parent, const QString& text) {
  ShowMessage(parent, QMessageBox::Critical, res::TitleError, text);
}

void TQtUserInteraction::ShowWarning(QWidget* parent, const QString& text) {
  ShowMessage(parent, QMessageBox::Warning, res::TitleWarning, text);
}

bool TQtUserInteraction::AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) {
  Tfrm_Message box(QMessageBox::Warning, QString::fromUtf8(res::TitleError), text, Owner(parent));
  QPushButton* back = box.AddButton(QString::fromUtf8(res::ButtonReturnToProgram));
  QPushButton* leave = box.AddButton(QString::fromUtf8(res::ButtonExitWithoutSaving));
  box.SetDefaultButton(back);
  box.SetEscapeButton(back);
  box.exec();
  return box.ClickedButton() != leave;
}

bool TQtUserInteraction::AskYesNo(QWidget* parent, const QString& question) {
  Tfrm_Message box(QMessageBox::Question, QString::fromUtf8(res::TitleConfirmation), question, Owner(parent));
  QPushButton* yes = box.AddButton(QString::fromUtf8(res::ButtonYes));
  QPushButton* no = box.AddButton(QString::fromUtf8(res::ButtonNo));
  box.SetDefaultButton(no);  // what cannot be taken back is done only when chosen
  box.SetEscapeButton(no);
  box.exec();
  return box.ClickedButton() == yes;
}

void TQtUserInteraction::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

TNewElementResult TQtUserInteraction::AskNewElement(QWidget* parent, TNewElementKind kind, int number,
                                                    const TTypedPathCheck& checkTypedPath) {
  Tfrm_NewElement dialog(Owner(parent));
  dialog.FNumber = number;
  dialog.SetKind(kind);
  (kind == neDay ? dialog.AcceptDay : dialog.AcceptTypedPath) = checkTypedPath;
  TNewElementResult result;
  result.Accepted = dialog.exec() == QDialog::Accepted;
  result.First = dialog.First();
  result.Second = dialog.Second();
  return result;
}

TConfirmationResult TQtUserInteraction::AskConfirmation(QWidget* parent, const QString& question) {
  Tfrm_Confirmation dialog(Owner(parent));
  dialog.SetQuestion(question);
  TConfirmationResult result;
  result.Accepted = dialog.exec() == QDialog::Accepted;
  result.ShowAgainOff = dialog.ShowAgainChecked();
  return result;
}

bool TQtUserInteraction::AskReplaceFile(QWidget* parent, const QString& file) {
  return Tfrm_Message::AskReplaceFile(Owner(parent), file);
}

QString TQtUserInteraction::AskOpenImage(QWidget* parent) {
  QFileDialog dialog(Owner(parent), QString::fromUtf8(res::TitleOpenImage));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(PictureFilters());
  dialog.setDefaultSuffix(QString::fromUtf8(res::DefaultExtImage));
  ShowDatesInProgramLanguage(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void TQtUserInteraction::ShowAbout(QWidget* parent) {
  Tfrm_About about([this](const QUrl& url) { OpenUrl(url); }, Owner(parent));
  about.exec();
}

QString TQtUserInteraction::AskExportFile(QWidget* parent, const QString& proposed, const QStringList& filters,
                                          QString& filter, TExportDates& dates) {
  QFileDialog dialog(Owner(parent), QString::fromUtf8(res::ExportDialogTitle));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked by the window, through this seam
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // it holds the dates too
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filter);
  dialog.selectFile(proposed);
  ShowDatesInProgramLanguage(dialog);
  QCheckBox* limited = nullptr;
  QDateEdit* from = nullptr;
  QDateEdit* to = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && dates.Offered) {
    auto* row = new QHBoxLayout;
    limited = new QCheckBox(QString::fromUtf8(res::ExportDatesFrom), &dialog);
    from = new QDateEdit(dates.From.isValid() ? dates.From : QDate::currentDate().addYears(-1), &dialog);
    to = new QDateEdit(dates.To.isValid() ? dates.To : QDate::currentDate(), &dialog);
    for (QDateEdit* edit : {from, to}) {
      edit->setCalendarPopup(true);
      edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
      edit->setEnabled(false);
      QObject::connect(limited, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    }
    row->addWidget(limited);
    row->addWidget(from);
    row->addWidget(new QLabel(QString::fromUtf8(res::ExportDatesTo), &dialog));
    row->addWidget(to);
    row->addStretch();
    grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
  }
  dates.From = dates.To = QDate();
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  filter = dialog.selectedNameFilter();
  dates.From = limited && limited->isChecked() ? std::min(from->date(), to->date()) : QDate();
  dates.To = limited && limited->isChecked() ? std::max(from->date(), to->date()) : QDate();
  return dialog.selectedFiles().first();
}

void TQtUserInteraction::ShowPrintPreview(QWidget* parent, const std::function<void(QPrinter& printer)>& paint) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::A4));
  QPrintPreviewDialog preview(&printer, Owner(parent));
  preview.setWindowTitle(QString::fromUtf8(res::HintPrint));
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, [&paint](QPrinter* target) { paint(*target); });
  preview.exec();
}

QString TQtUserInteraction::AskBackupToRestore(QWidget* parent, const QString& file,
                                               const std::vector<TBackupFile>& backups, bool library) {
  TRestoreForm form(file, backups, library, Owner(parent));
  return form.exec() == QDialog::Accepted ? form.ChosenPath() : QString();
}

std::unique_ptr<TProgressWindow> TUserInteraction::ShowProgress(QWidget*, const QString&) {
  return std::make_unique<TSilentProgress>();
}

std::unique_ptr<TProgressWindow> TQtUserInteraction::ShowProgress(QWidget* parent, const QString& text) {
  return std::make_unique<TQtProgressWindow>(Owner(parent), text);
}
