#pragma once
// Every modal thing the main window opens goes through this seam, so that tests can answer it
// without a modal loop. TQtUserInteraction is the program's own, with real dialogs.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "vlm_AuthorizationForm.h"
#include "vlm_Backups.h"
#include "vlm_NewElementForm.h"

class QPrinter;
class QWidget;

struct TLoginResult {
  bool Accepted = false;  // left with OK
  QString UserName;
  QString Password;
  bool Encrypt = false;  // setting: the journals are to be encrypted with the password
};

struct TNewElementResult {
  bool Accepted = false;  // left with OK
  QString First;          // the name, date or number
  QString Second;         // the path or title (journals and experiences)
};

struct TConfirmationResult {
  bool Accepted = false;      // "Да"
  bool ShowAgainOff = false;  // "Больше не показывать это окно." was checked
};

// The progress of a long operation (an export, a restore): a window with what is being done, how
// far it is and "Отмена", shown once the operation has taken half a second. The operation calls
// Step as it goes, which also lets the progress window's own events through (the main window
// stays blocked meanwhile); it goes when the object goes.
class TProgressWindow {
public:
  virtual ~TProgressWindow() = default;
  // `done` of `total` (total 0: how far is not known). False once the user cancelled.
  virtual bool Step(qint64 done, qint64 total) = 0;
  // What is being done now; `cancellable` false for a step that cannot be cut off half-way.
  virtual void SetText(const QString& text, bool cancellable) = 0;
};

// Asked when OK is pressed, for a journal with the path typed by hand, for a day with its date or
// name; false keeps the dialog open.
using TTypedPathCheck = std::function<bool(const QString& text)>;

class TUserInteraction {
public:
  virtual ~TUserInteraction() = default;
  // The authorization dialog in the given mode, shown modally.
  virtual TLoginResult AskCredentials(QWidget* parent, TAuthorizationMode mode) = 0;
  // The dialog setting the credentials, proposing to encrypt as the library is now (`encrypted`).
  virtual TLoginResult AskNewCredentials(QWidget* parent, bool encrypted) {
    (void)encrypted;
    return AskCredentials(parent, amParameters);
  }
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  virtual void ShowWarning(QWidget* parent, const QString& text) = 0;
  // Files could not be written at exit: true to go back to the program, false to close anyway.
  virtual bool AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) = 0;
  // The desktop's "open" on a web address; the result is ignored.
  virtual void OpenUrl(const QUrl& url) = 0;
  // The new element dialog of `kind`; `number` is proposed for an experience.
  virtual TNewElementResult AskNewElement(QWidget* parent, TNewElementKind kind, int number,
                                          const TTypedPathCheck& checkTypedPath) = 0;
  // The confirmation dialog with `question`.
  virtual TConfirmationResult AskConfirmation(QWidget* parent, const QString& question) = 0;
  // A question too long for the confirmation dialog, answered "Да" or "Нет" (the default): true for "Да".
  virtual bool AskYesNo(QWidget* parent, const QString& question) { return AskConfirmation(parent, question).Accepted; }
  // An existing file would be replaced: true to replace it.
  virtual bool AskReplaceFile(QWidget* parent, const QString& file) = 0;
  // The open-picture dialog: the chosen file's full name, or empty when cancelled.
  virtual QString AskOpenImage(QWidget* parent) = 0;
  // The about box, shown modally; its link opens through OpenUrl.
  virtual void ShowAbout(QWidget* parent) = 0;
  // The save dialog of an export, proposing `proposed`, with a filter per format: the file chosen
  // (empty when cancelled) and in `filter` the filter chosen; where `dates.Offered`, the nights to
  // export may be limited to dates: proposed in `dates`, answered there (both ends set, inclusive,
  // or both null for every night). An existing file is not asked about
  // here (AskReplaceFile is). Nothing is chosen unless a seam answers.
  struct TExportDates {
    bool Offered = false;
    QDate From, To;
  };
  virtual QString AskExportFile(QWidget* /*parent*/, const QString& /*proposed*/, const QStringList& /*filters*/,
                                QString& /*filter*/, TExportDates& /*dates*/) {
    return {};
  }
  // The print preview, from which the user prints; `paint` paints the pages on the printer.
  virtual void ShowPrintPreview(QWidget* /*parent*/, const std::function<void(QPrinter& printer)>& /*paint*/) {}
  // A progress window for a long operation, showing `text` (vlm_ProgressWindow.h). Unless a seam
  // answers, nothing is shown and nothing is cancelled.
  virtual std::unique_ptr<TProgressWindow> ShowProgress(QWidget* parent, const QString& text);
  // The backups of `file` (as ListBackups gives them) to choose one to restore (vlm_RestoreForm):
  // its path (native), or empty when none was chosen. Nothing is chosen unless overridden.
  virtual QString AskBackupToRestore(QWidget* parent, const QString& file, const std::vector<TBackupFile>& backups,
                                     bool library) {
    (void)parent, (void)file, (void)backups, (void)library;
    return {};
  }
};

class TQtUserInteraction : public TUserInteraction {
public:
  TLoginResult AskCredentials(QWidget* parent, TAuthorizationMode mode) override;
  TLoginResult AskNewCredentials(QWidget* parent, bool encrypted) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& text) override;
  bool AskGoBackAfterSaveFailure(QWidget* parent, const QString& text) override;
  void OpenUrl(const QUrl& url) override;
  TNewElementResult AskNewElement(QWidget* parent, TNewElementKind kind, int number,
                                  const TTypedPathCheck& checkTypedPath) override;
  TConfirmationResult AskConfirmation(QWidget* parent, const QString& question) override;
  bool AskYesNo(QWidget* parent, const QString& question) override;
  bool AskReplaceFile(QWidget* parent, const QString& file) override;
  QString AskOpenImage(QWidget* parent) override;
  void ShowAbout(QWidget* parent) override;
  QString AskExportFile(QWidget* parent, const QString& proposed, const QStringList& filters, QString& filter,
                        TExportDates& dates) override;
  void ShowPrintPreview(QWidget* parent, const std::function<void(QPrinter& printer)>& paint) override;
  QString AskBackupToRestore(QWidget* parent, const QString& file, const std::vector<TBackupFile>& backups,
                             bool library) override;
  std::unique_ptr<TProgressWindow> ShowProgress(QWidget* parent, const QString& text) override;
};
